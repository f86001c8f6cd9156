// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/SheetSelection.h"

#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetXml.h"
#include "fileformats/putback/WorkbookEdits.h"

#include <QList>

namespace SheetSelection {

namespace {

// The first sheetView of a sheet's part.
SheetXml::Span firstView(const QByteArray &sheet)
{
    const SheetXml::Span views = SheetXml::child(sheet, "sheetViews");
    return views.found() ? SheetXml::find(sheet, "sheetView", views.start, views.end) : SheetXml::Span();
}

QList<SheetXml::Span> selections(const QByteArray &sheet, const SheetXml::Span &view)
{
    QList<SheetXml::Span> found;
    for (SheetXml::Span s = SheetXml::find(sheet, "selection", view.start, view.end); s.found() && s.end <= view.end;
         s = SheetXml::find(sheet, "selection", s.end, view.end))
        found.append(s);
    return found;
}

QByteArray paneState(const QByteArray &sheet, const SheetXml::Span &view)
{
    const SheetXml::Span pane = SheetXml::find(sheet, "pane", view.start, view.end);
    if (!pane.found())
        return "none";
    const QByteArray state = SheetXml::attribute(SheetXml::text(sheet, pane), "state");
    return state.isNull() ? QByteArray("split") : state;
}

QByteArray followed(const QByteArray &element, const QByteArray &name, const QString &sheet, const WorkbookEdits &edits)
{
    const QByteArray value = SheetXml::attribute(element, name);
    if (value.isNull())
        return element;
    return SheetXml::withAttribute(element, name, edits.follow(sheet, QString::fromUtf8(value)).toUtf8());
}

} // namespace

void restore(SheetPairs &sheets, const WorkbookEdits &edits)
{
    for (const QString &name : sheets.names()) {
        if (!edits.canFollow(name))
            continue;
        const QByteArray original = sheets.original(name);
        const SheetXml::Span originalView = firstView(original);
        QByteArray &sheet = sheets.stored(name);
        const SheetXml::Span view = firstView(sheet);
        if (!originalView.found() || !view.found() || paneState(original, originalView) != paneState(sheet, view))
            continue;
        QByteArray wanted;
        for (const SheetXml::Span &s : selections(original, originalView)) {
            QByteArray element = SheetXml::unprefixed(SheetXml::text(original, s), s.prefix);
            element = followed(element, "activeCell", name, edits);
            wanted += followed(element, "sqref", name, edits);
        }
        const QList<SheetXml::Span> present = selections(sheet, view);
        int at;
        if (!present.isEmpty()) {
            at = present.first().start;
            sheet.remove(at, present.last().end - at);
        } else {
            const SheetXml::Span pane = SheetXml::find(sheet, "pane", view.start, view.end);
            at = pane.found() ? pane.end : sheet.indexOf('>', view.start) + 1;
            if (sheet.at(at - 2) == '/')
                continue; // an empty view element
        }
        sheet.insert(at, wanted);
    }
}

} // namespace SheetSelection
