// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/SheetSelection.h"

#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "fileformats/putback/WorksheetOrder.h"

namespace SheetSelection {

namespace {

// The first sheetView of a sheet's part, or -1.
int firstView(const XmlPart &sheet)
{
    const int views = WorksheetOrder::child(sheet, QStringLiteral("sheetViews"));
    return views < 0 ? -1 : sheet.child(views, Namespaces::spreadsheet, QStringLiteral("sheetView"));
}

QString paneState(const XmlPart &sheet, int view)
{
    const int pane = sheet.child(view, Namespaces::spreadsheet, QStringLiteral("pane"));
    if (pane < 0)
        return QStringLiteral("none");
    const QString state = sheet.element(pane).attribute(QStringLiteral("state"));
    return state.isNull() ? QStringLiteral("split") : state;
}

} // namespace

void restore(StoredPackage &package, const WorkbookEdits &edits)
{
    for (const QString &name : package.sheetNames()) {
        if (!edits.canFollow(name))
            continue;
        const XmlPart &original = package.originalSheet(name);
        XmlPart &sheet = package.storedSheet(name);
        const int originalView = firstView(original);
        const int view = firstView(sheet);
        if (originalView < 0 || view < 0 || sheet.element(view).isEmptyTag()
            || paneState(original, originalView) != paneState(sheet, view))
            continue;
        const auto followed = [&](const XmlPart::Element &, XmlPart::Attribute &attribute) {
            if (attribute.namespaceUri.isEmpty()
                && (attribute.name == QLatin1String("activeCell") || attribute.name == QLatin1String("sqref")))
                attribute.value = edits.follow(name, attribute.value);
            return true;
        };
        QString wanted;
        for (const int selection : original.children(originalView, Namespaces::spreadsheet, QStringLiteral("selection")))
            wanted += original.copyOf(selection, sheet, view, followed);
        const QVector<int> present = sheet.children(view, Namespaces::spreadsheet, QStringLiteral("selection"));
        if (!present.isEmpty()) {
            sheet.splice({{sheet.element(present.first()).start, sheet.element(present.last()).end, wanted}});
            continue;
        }
        const int pane = sheet.child(view, Namespaces::spreadsheet, QStringLiteral("pane"));
        const int at = pane >= 0 ? sheet.element(pane).end : sheet.element(view).tagEnd;
        sheet.splice({{at, at, wanted}});
    }
}

} // namespace SheetSelection
