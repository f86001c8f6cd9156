// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/HyperlinkIndexEdit.h"

#include "engine/RaisesException.h"
#include "engine/JobContext.h"
#include "engine/edits/SheetLinkLocation.h"

#include <memory>

#include <QCoreApplication>

QStringList HyperlinkIndexEdit::description() const
{
    return {QStringLiteral("index-sheet")};
}

void HyperlinkIndexEdit::editWorkbook(AxObject *sheets, JobContext &job)
{
    std::unique_ptr<AxObject> first(sheets->querySubObject("Item(int)", QVariant(1)));
    if (!first) {
        job.skipWorkbook(QCoreApplication::translate("Engine", "the workbook has no sheet"));
        return;
    }
    const bool refused = raisesException(sheets, [&]() {
        sheets->dynamicCall("Add(const QVariant&)", first->asVariant());
    });
    // Without the new sheet, item 1 is the user's own first sheet: writing the
    // index into it would overwrite their data.
    if (refused) {
        job.skipWorkbook(QCoreApplication::translate("Engine", "the workbook's structure is protected, so no index sheet can be added"));
        return;
    }
    first.reset();

    std::unique_ptr<AxObject> index(sheets->querySubObject("Item(int)", QVariant(1)));
    if (!index)
        return;
    std::unique_ptr<AxObject> links(index->querySubObject("Hyperlinks()"));
    if (!links)
        return;
    const int sheetCount = sheets->property("Count").toInt();
    for (int i = 1; i <= sheetCount; ++i) {
        std::unique_ptr<AxObject> listed(sheets->querySubObject("Item(int)", QVariant(i)));
        const QString name = listed ? listed->property("Name").toString() : QString();
        if (i == 1)
            job.noteEditedSheet(name);
        std::unique_ptr<AxObject> cell(index->querySubObject(
            "Range(const QVariant&)", QVariant(QStringLiteral("A%1").arg(i))));
        if (!cell)
            continue;
        cell->dynamicCall("SetValue(const QVariant&)", QVariant(name));
        links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)",
                           cell->asVariant(), QVariant(QString()),
                           QVariant(sheetLinkLocation(name)));
    }
}
