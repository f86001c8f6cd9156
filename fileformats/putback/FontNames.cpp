// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/FontNames.h"

#include "fileformats/ZipArchive.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/SheetPairs.h"
#include "fileformats/putback/SheetXml.h"
#include "fileformats/putback/WorkbookEdits.h"

#include <QHash>
#include <QVector>

namespace FontNames {

namespace {

struct Styles
{
    QVector<SheetXml::Span> fonts; // in the styles part
    QVector<QByteArray> names;     // of each font, as written
    QVector<SheetXml::Span> cellFormats;
    QVector<int> cellFonts; // the font of each cell format
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
    styles.cellFormats = children(xml, "cellXfs", "xf");
    for (const SheetXml::Span &format : styles.cellFormats)
        styles.cellFonts.append(SheetXml::attribute(SheetXml::text(xml, format), "fontId").toInt());
    return styles;
}

struct Cell
{
    int row;
    int column;
    int style;
    int tagStart; // the cell's start tag in its part
    int tagEnd;
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
        const QByteArray reference = SheetXml::attribute(start, "r");
        if (tag == "row") {
            row = reference.isNull() ? row + 1 : reference.toInt();
            column = 0;
            continue;
        }
        column = reference.isNull() ? column + 1 : columnNumber(reference);
        found.append({row, column, SheetXml::attribute(start, "s").toInt(), at, close + 1});
        at = close;
    }
    return found;
}


// Appends element to the list (fonts, cellXfs) and gives its index.
int append(QByteArray &styles, const QByteArray &list, const QByteArray &element)
{
    const SheetXml::Span span = SheetXml::find(styles, list);
    const QByteArray endTag = "</" + span.prefix + list + ">";
    styles.insert(span.end - endTag.size(), element);
    QByteArray tag = SheetXml::text(styles, SheetXml::find(styles, list));
    tag = tag.left(tag.indexOf('>') + 1);
    const int count = SheetXml::attribute(tag, "count").toInt();
    const int index = int(children(styles, list, list == "fonts" ? "font" : "xf").size()) - 1;
    if (count > 0)
        styles.replace(span.start, tag.size(), SheetXml::withAttribute(tag, "count", QByteArray::number(index + 1)));
    return index;
}

// The stored cells paired with the original name of their font, where
// LibreOffice wrote another.
struct Renamed
{
    QString sheet;
    Cell cell;
    QByteArray name;
};

} // namespace

void restore(const ZipArchive &original, ZipArchive &stored, SheetPairs &sheets, const WorkbookEdits &edits)
{
    const QString originalPart = stylesPart(original);
    const QString storedPart = stylesPart(stored);
    QByteArray storedXml = stored.member(storedPart);
    const Styles from = readStyles(original.member(originalPart));
    const Styles to = readStyles(storedXml);

    QVector<Renamed> cellsRenamed;
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
                || match.style >= to.cellFonts.size() || from.cellFonts.at(cell.style) >= from.names.size()
                || to.cellFonts.at(match.style) >= to.names.size())
                continue;
            const QByteArray wanted = from.names.at(from.cellFonts.at(cell.style));
            if (!wanted.isNull() && wanted != to.names.at(to.cellFonts.at(match.style)))
                cellsRenamed.append({name, match, wanted});
        }
    }
    if (cellsRenamed.isEmpty())
        return;

    // Each cell format and wanted name gets a format of its own, using a
    // copy of its font under that name, appended after LibreOffice's own.
    QHash<QPair<int, QByteArray>, int> fontCopies;
    QHash<QPair<int, QByteArray>, int> formatCopies;
    const QByteArray stylesBefore = storedXml;
    for (const Renamed &r : cellsRenamed) {
        const QPair<int, QByteArray> formatKey(r.cell.style, r.name);
        if (formatCopies.contains(formatKey))
            continue;
        const int font = to.cellFonts.at(r.cell.style);
        const QPair<int, QByteArray> fontKey(font, r.name);
        if (!fontCopies.contains(fontKey)) {
            QByteArray copy = SheetXml::text(stylesBefore, to.fonts.at(font));
            const SheetXml::Span name = SheetXml::find(copy, "name");
            if (!name.found())
                continue;
            copy.replace(name.start, name.end - name.start,
                         SheetXml::withAttribute(SheetXml::text(copy, name), "val", r.name));
            fontCopies.insert(fontKey, append(storedXml, "fonts", copy));
        }
        const QByteArray format = SheetXml::withAttribute(
            SheetXml::text(stylesBefore, to.cellFormats.at(r.cell.style)), "fontId",
            QByteArray::number(fontCopies.value(fontKey)));
        formatCopies.insert(formatKey, append(storedXml, "cellXfs", format));
    }
    QHash<QString, QVector<SheetXml::Replacement>> replacements;
    for (const Renamed &r : cellsRenamed) {
        const auto format = formatCopies.constFind(qMakePair(r.cell.style, r.name));
        if (format == formatCopies.constEnd())
            continue;
        const QByteArray tag = sheets.stored(r.sheet).mid(r.cell.tagStart, r.cell.tagEnd - r.cell.tagStart);
        replacements[r.sheet].append(
            {r.cell.tagStart, r.cell.tagEnd, SheetXml::withAttribute(tag, "s", QByteArray::number(format.value()))});
    }
    for (auto it = replacements.constBegin(); it != replacements.constEnd(); ++it)
        SheetXml::replaceAll(sheets.stored(it.key()), it.value());
    stored.replace(storedPart, storedXml);
}

} // namespace FontNames
