// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/WorksheetOrder.h"

#include "fileformats/putback/Namespaces.h"

#include <QStringList>

namespace WorksheetOrder {

namespace {

const QStringList &order()
{
    static const QStringList names{
        "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
        "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
        "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
        "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks", "customProperties",
        "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "drawingHF",
        "picture", "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};
    return names;
}

} // namespace

int rank(const XmlPart &sheet, int child)
{
    const XmlPart::Element &element = sheet.element(child);
    if (Namespaces::isSpreadsheet(element.namespaceUri))
        return order().indexOf(element.name);
    if (element.is(Namespaces::markupCompatibility, QStringLiteral("AlternateContent")) && element.last > child + 1)
        return rank(sheet, child + 2);
    return -1;
}

int child(const XmlPart &sheet, const QString &name)
{
    const int root = sheet.root();
    if (root < 0)
        return -1;
    const int wanted = order().indexOf(name);
    const QVector<XmlPart::Element> &all = sheet.elements();
    for (int i = root + 1; i <= all.at(root).last; i = all.at(i).last + 1)
        if (all.at(i).name == name || all.at(i).is(Namespaces::markupCompatibility, QStringLiteral("AlternateContent")))
            if (rank(sheet, i) == wanted)
                return i;
    return -1;
}

XmlPart::Replacement put(const XmlPart &sheet, const QString &name, const QString &element)
{
    const int present = child(sheet, name);
    if (present >= 0)
        return {sheet.element(present).start, sheet.element(present).end, element};
    const int root = sheet.root();
    const int wanted = order().indexOf(name);
    if (root < 0 || wanted < 0 || sheet.element(root).isEmptyTag())
        return {-1, -1, QString()};
    const QVector<XmlPart::Element> &all = sheet.elements();
    for (int i = root + 1; i <= all.at(root).last; i = all.at(i).last + 1)
        if (rank(sheet, i) > wanted)
            return {all.at(i).start, all.at(i).start, element};
    const int end = sheet.endOfContent(root);
    return {end, end, element};
}

bool isOrdered(const XmlPart &sheet)
{
    const int root = sheet.root();
    if (root < 0)
        return false;
    const QVector<XmlPart::Element> &all = sheet.elements();
    int last = -1;
    for (int i = root + 1; i <= all.at(root).last; i = all.at(i).last + 1) {
        const int place = rank(sheet, i);
        if (place < 0)
            continue;
        // Conditional formats repeat; no child may come before one it follows.
        if (place < last)
            return false;
        last = place;
    }
    return true;
}

} // namespace WorksheetOrder
