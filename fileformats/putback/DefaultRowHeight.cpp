// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/DefaultRowHeight.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "fileformats/putback/WorksheetOrder.h"

#include <QSet>

#include <cmath>

namespace DefaultRowHeight {

namespace {

const QString height = QStringLiteral("ht");
const QString byHand = QStringLiteral("customHeight");

void restoreSheet(const QString &name, const XmlPart &original, const QVector<SheetOutline::Row> &originalRows,
                  XmlPart &sheet, const WorkbookEdits &edits)
{
    const int originalFormat = WorksheetOrder::child(original, QStringLiteral("sheetFormatPr"));
    const QString defaultHeight = originalFormat < 0 ? QString()
        : original.element(originalFormat).attribute(QStringLiteral("defaultRowHeight"));
    const int format = WorksheetOrder::child(sheet, QStringLiteral("sheetFormatPr"));
    if (defaultHeight.isNull() || format < 0)
        return;
    const QString custom = original.element(originalFormat).attribute(byHand);
    QVector<XmlPart::Replacement> replacements{
        {sheet.element(format).start, sheet.element(format).tagEnd,
         sheet.startTagWith(format, {{QStringLiteral("defaultRowHeight"), defaultHeight},
                                     {byHand, custom.isNull() ? QStringLiteral("false") : custom}})}};

    QSet<int> sized;
    QSet<int> folded; // rows of no height, which LibreOffice opens at its default
    for (const SheetOutline::Row &row : originalRows) {
        if (row.sized || row.byHand)
            sized.insert(row.number);
        if (row.sized && row.height == 0)
            folded.insert(row.number);
    }
    for (const XmlPart::Row &row : sheet.rows()) {
        // The row's number in the original, once: the edit may have moved it.
        int number = row.number;
        const bool fromOriginal = edits.originalRow(name, number);
        QString tag;
        if (fromOriginal && folded.contains(number))
            tag = sheet.retagged(row.start, row.tagEnd, {{height, QStringLiteral("0")}, {byHand, QStringLiteral("1")}});
        else if (!row.sized || !fromOriginal || sized.contains(number)
                 // A row LibreOffice gave the default height itself reads the same either way.
                 || std::abs(row.height - defaultHeight.toDouble()) < 0.005)
            continue;
        else
            tag = sheet.retagged(row.start, row.tagEnd, {{height, QString()}, {byHand, QString()}});
        if (tag.isNull())
            fail(QStringLiteral("a row of the sheet %1 cannot be read").arg(name));
        replacements.append({row.start, row.tagEnd, tag});
    }
    sheet.splice(replacements);
}

} // namespace

void restore(StoredPackage &package, const WorkbookEdits &edits)
{
    for (const QString &name : package.sheetNames())
        restoreSheet(name, package.originalSheet(name), package.originalRows(name), package.storedSheet(name), edits);
}

} // namespace DefaultRowHeight
