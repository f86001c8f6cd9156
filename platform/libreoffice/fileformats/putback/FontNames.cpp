// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/fileformats/putback/FontNames.h"

#include "platform/libreoffice/fileformats/ZipArchive.h"
#include "platform/libreoffice/fileformats/putback/PackageParts.h"
#include "platform/libreoffice/fileformats/putback/SheetPairs.h"
#include "platform/libreoffice/fileformats/putback/SheetXml.h"
#include "platform/libreoffice/fileformats/putback/WorkbookEdits.h"

#include <QHash>
#include <QSet>
#include <QVector>

namespace FontNames {

namespace {

struct Styles
{
    QVector<SheetXml::Span> fonts; // in the styles part
    QVector<QByteArray> names;     // of each font, as written
    QVector<int> cellFonts;        // the font of each cell format
};

QString stylesPart(const ZipArchive &archive)
{
    const QString workbook = PackageParts::workbookPart(archive);
    for (const PackageParts::Relationship &r : PackageParts::relationships(archive, workbook))
        if (r.type.endsWith(QLatin1String("/styles")))
            return r.target;
    return QString();
}

QVector<SheetXml::Span> children(const QByteArray &xml, const QByteArray &list, const QByteArray &name)
{
    QVector<SheetXml::Span> found;
    const SheetXml::Span parent = SheetXml::find(xml, list);
    if (!parent.found())
        return found;
    for (SheetXml::Span s = SheetXml::find(xml, name, parent.start + 1, parent.end); s.found() && s.end <= parent.end;
         s = SheetXml::find(xml, name, s.end, parent.end))
        found.append(s);
    return found;
}

Styles readStyles(const QByteArray &xml)
{
    Styles styles;
    styles.fonts = children(xml, "fonts", "font");
    for (const SheetXml::Span &font : styles.fonts) {
        const SheetXml::Span name = SheetXml::find(xml, "name", font.start, font.end);
        styles.names.append(name.found() && name.end <= font.end
                                ? SheetXml::attribute(SheetXml::text(xml, name), "val")
                                : QByteArray());
    }
    for (const SheetXml::Span &format : children(xml, "cellXfs", "xf"))
        styles.cellFonts.append(SheetXml::attribute(SheetXml::text(xml, format), "fontId").toInt());
    return styles;
}

struct Cell
{
    int row;
    int column;
    int style;
};

int columnNumber(const QByteArray &reference)
{
    int column = 0;
    for (const char c : reference) {
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + (c - 'A' + 1);
    }
    return column;
}

// An attribute of a cell or row start tag, found without a regular
// expression: a sheet has millions of them.
QByteArray cellAttribute(const QByteArray &start, const char *name)
{
    const QByteArray key = QByteArray(" ") + name + "=\"";
    const int at = start.indexOf(key);
    if (at < 0)
        return QByteArray();
    const int end = start.indexOf('"', at + key.size());
    return start.mid(at + key.size(), end - at - key.size());
}

// The cells of a sheet part with their cell format, in the order written.
QVector<Cell> cells(const QByteArray &sheet)
{
    QVector<Cell> found;
    int row = 0;
    int column = 0;
    for (int at = sheet.indexOf('<'); at >= 0; at = sheet.indexOf('<', at + 1)) {
        int name = at + 1;
        int colon = -1;
        while (name < sheet.size() && sheet.at(name) != ' ' && sheet.at(name) != '>' && sheet.at(name) != '/') {
            if (sheet.at(name) == ':')
                colon = name;
            ++name;
        }
        const QByteArray tag = sheet.mid(colon >= 0 ? colon + 1 : at + 1, name - (colon >= 0 ? colon + 1 : at + 1));
        if (tag != "row" && tag != "c")
            continue;
        const int close = sheet.indexOf('>', at);
        const QByteArray start = sheet.mid(at, close - at + 1);
        const QByteArray reference = cellAttribute(start, "r");
        if (tag == "row") {
            row = reference.isNull() ? row + 1 : reference.toInt();
            column = 0;
            continue;
        }
        column = reference.isNull() ? column + 1 : columnNumber(reference);
        found.append({row, column, cellAttribute(start, "s").toInt()});
        at = close;
    }
    return found;
}

} // namespace

void restore(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets, const WorkbookEdits &edits)
{
    const QString originalPart = stylesPart(original);
    const QString storedPart = stylesPart(stored);
    QByteArray storedXml = stored.member(storedPart);
    const Styles from = readStyles(original.member(originalPart));
    const Styles to = readStyles(storedXml);
    const QSet<QByteArray> originalNames(from.names.begin(), from.names.end());
    bool renamed = false;
    for (const int font : to.cellFonts)
        renamed = renamed || (font < to.names.size() && !originalNames.contains(to.names.at(font)));
    if (!renamed)
        return;

    QHash<int, QSet<QByteArray>> namesOfFont;
    for (const QString &name : sheets.names()) {
        const QVector<Cell> before = cells(sheets.originalWhole(name));
        const QVector<Cell> after = cells(sheets.stored(name));
        int next = 0;
        for (Cell cell : before) {
            if (!edits.followCell(name, cell.row, cell.column))
                continue;
            while (next < after.size() && (after.at(next).row < cell.row
                                           || (after.at(next).row == cell.row && after.at(next).column < cell.column)))
                ++next;
            if (next == after.size())
                break;
            const Cell &match = after.at(next);
            if (match.row != cell.row || match.column != cell.column || cell.style >= from.cellFonts.size()
                || match.style >= to.cellFonts.size())
                continue;
            const int originalFont = from.cellFonts.at(cell.style);
            if (originalFont < from.names.size())
                namesOfFont[to.cellFonts.at(match.style)].insert(from.names.at(originalFont));
        }
    }
    // From the last font on, so that the spans before stay where they are.
    for (int font = to.fonts.size() - 1; font >= 0; --font) {
        const QSet<QByteArray> names = namesOfFont.value(font);
        if (names.size() != 1 || *names.begin() == to.names.at(font) || to.names.at(font).isNull())
            continue;
        const SheetXml::Span span = to.fonts.at(font);
        const SheetXml::Span name = SheetXml::find(storedXml, "name", span.start, span.end);
        storedXml.replace(name.start, name.end - name.start,
                          SheetXml::withAttribute(SheetXml::text(storedXml, name), "val", *names.begin()));
    }
    stored.replace(storedPart, storedXml);
}

} // namespace FontNames
