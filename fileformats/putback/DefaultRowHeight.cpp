// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/DefaultRowHeight.h"

#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetXml.h"
#include "fileformats/putback/WorkbookEdits.h"

#include <QSet>
#include <QVector>

#include <cmath>

namespace DefaultRowHeight {

namespace {

struct Row
{
    int number;
    int tagStart;
    int tagEnd;
    bool sized; // carries a height
    double height;
    bool byHand;
};

bool isTrue(const QByteArray &value)
{
    return value == "1" || value == "true";
}

// The row start tags of a sheet part, in order.
QVector<Row> rows(const QByteArray &sheet)
{
    QVector<Row> found;
    int number = 0;
    for (int at = sheet.indexOf("row", 0); at >= 0; at = sheet.indexOf("row", at + 3)) {
        const char after = at + 3 < sheet.size() ? sheet.at(at + 3) : '>';
        const char before = at > 0 ? sheet.at(at - 1) : ' ';
        if ((before != '<' && before != ':') || (after != ' ' && after != '>' && after != '/'))
            continue;
        const int open = sheet.lastIndexOf('<', at);
        const int close = sheet.indexOf('>', at);
        const QByteArray tag = sheet.mid(open, close + 1 - open);
        const QByteArray reference = SheetXml::attribute(tag, "r");
        number = reference.isNull() ? number + 1 : reference.toInt();
        const QByteArray height = SheetXml::attribute(tag, "ht");
        found.append({number, open, close + 1, !height.isNull(), height.toDouble(),
                      isTrue(SheetXml::attribute(tag, "customHeight"))});
    }
    return found;
}

} // namespace

void restore(SheetPairs &sheets, const WorkbookEdits &edits)
{
    for (const QString &name : sheets.names()) {
        const QByteArray original = sheets.original(name);
        const QByteArray format = SheetXml::text(original, SheetXml::child(original, "sheetFormatPr"));
        const QByteArray height = SheetXml::attribute(format, "defaultRowHeight");
        QByteArray &sheet = sheets.stored(name);
        const SheetXml::Span stored = SheetXml::child(sheet, "sheetFormatPr");
        if (height.isNull() || !stored.found())
            continue;
        QByteArray element = SheetXml::withAttribute(SheetXml::text(sheet, stored), "defaultRowHeight", height);
        const QByteArray custom = SheetXml::attribute(format, "customHeight");
        element = SheetXml::withAttribute(element, "customHeight", custom.isNull() ? QByteArray("false") : custom);

        QSet<int> sized;
        QSet<int> folded; // rows of no height, which LibreOffice opens at its default
        for (const Row &row : rows(sheets.originalWhole(name))) {
            if (row.sized || row.byHand)
                sized.insert(row.number);
            if (row.sized && row.height == 0)
                folded.insert(row.number);
        }
        QVector<SheetXml::Replacement> replacements{{stored.start, stored.end, element}};
        for (const Row &row : rows(sheet)) {
            // The row's number in the original, once: the edit may have moved it.
            int number = row.number;
            const bool fromOriginal = edits.originalRow(name, number);
            const QByteArray tag = sheet.mid(row.tagStart, row.tagEnd - row.tagStart);
            if (fromOriginal && folded.contains(number)) {
                replacements.append({row.tagStart, row.tagEnd,
                                     SheetXml::withAttribute(SheetXml::withAttribute(tag, "ht", "0"), "customHeight",
                                                             "1")});
                continue;
            }
            if (!row.sized || !fromOriginal || sized.contains(number))
                continue;
            // A row LibreOffice gave the default height itself reads the same either way.
            if (std::abs(SheetXml::attribute(tag, "ht").toDouble() - height.toDouble()) < 0.005)
                continue;
            replacements.append({row.tagStart, row.tagEnd,
                                 SheetXml::withAttribute(SheetXml::withAttribute(tag, "ht", QByteArray()),
                                                         "customHeight", QByteArray())});
        }
        SheetXml::replaceAll(sheet, replacements);
    }
}

} // namespace DefaultRowHeight
