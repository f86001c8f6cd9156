// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/FontNames.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorkbookEdits.h"

#include <QHash>
#include <QSet>
#include <QVector>

namespace FontNames {

namespace {

struct Styles
{
    int fontList = -1;
    int formatList = -1;
    QVector<int> fonts;    // elements of the styles part
    QVector<QString> names; // of each font
    QVector<int> cellFormats;
    QVector<int> cellFonts; // the font of each cell format
};

QString stylesPart(const QVector<PackageParts::Relationship> &list)
{
    for (const PackageParts::Relationship &r : list)
        if (r.type.endsWith(QLatin1String("/styles")))
            return r.target;
    return QString();
}

Styles readStyles(const XmlPart &xml)
{
    Styles styles;
    styles.fontList = xml.child(xml.root(), Namespaces::spreadsheet, QStringLiteral("fonts"));
    styles.fonts = xml.children(styles.fontList, Namespaces::spreadsheet, QStringLiteral("font"));
    for (const int font : styles.fonts) {
        const int name = xml.child(font, Namespaces::spreadsheet, QStringLiteral("name"));
        styles.names.append(name < 0 ? QString() : xml.element(name).attribute(QStringLiteral("val")));
    }
    styles.formatList = xml.child(xml.root(), Namespaces::spreadsheet, QStringLiteral("cellXfs"));
    styles.cellFormats = xml.children(styles.formatList, Namespaces::spreadsheet, QStringLiteral("xf"));
    for (const int format : styles.cellFormats)
        styles.cellFonts.append(xml.element(format).attribute(QStringLiteral("fontId")).toInt());
    return styles;
}

// The font of a cell format by its index, or -1 where the styles say none.
int fontOf(const Styles &styles, int format)
{
    if (format < 0 || format >= styles.cellFonts.size())
        return -1;
    const int font = styles.cellFonts.at(format);
    return font >= 0 && font < styles.names.size() ? font : -1;
}

// The names of the fonts the cell formats use; a font without a name
// counts only withoutName.
QSet<QString> usedNames(const Styles &styles, bool withoutName)
{
    QSet<QString> names;
    for (int format = 0; format < styles.cellFonts.size(); ++format) {
        const int font = fontOf(styles, format);
        if (font >= 0 && (withoutName || !styles.names.at(font).isNull()))
            names.insert(styles.names.at(font));
    }
    return names;
}

// The stored cells paired with the original name of their font, where
// LibreOffice wrote another.
struct Renamed
{
    QString sheet;
    XmlPart::Cell cell;
    QString name;
};

QVector<Renamed> renamedCells(StoredPackage &package, const Styles &from, const Styles &to, const WorkbookEdits &edits)
{
    QVector<Renamed> renamed;
    for (const QString &name : package.sheetNames()) {
        const QVector<XmlPart::Cell> &after = package.storedSheet(name).cells();
        int next = 0;
        for (SheetOutline::Cell cell : package.originalCells(name)) {
            if (!edits.followCell(name, cell.row, cell.column))
                continue;
            while (next < after.size() && (after.at(next).row < cell.row
                                           || (after.at(next).row == cell.row && after.at(next).column < cell.column)))
                ++next;
            if (next == after.size())
                break;
            const XmlPart::Cell &match = after.at(next);
            const int wantedFont = fontOf(from, cell.style);
            const int storedFont = fontOf(to, match.style);
            if (match.row != cell.row || match.column != cell.column || wantedFont < 0 || storedFont < 0)
                continue;
            const QString wanted = from.names.at(wantedFont);
            if (!wanted.isNull() && wanted != to.names.at(storedFont))
                renamed.append({name, match, wanted});
        }
    }
    return renamed;
}

// The list element's start tag with its count, when it has one, raised.
XmlPart::Replacement counted(const XmlPart &xml, int list, int count)
{
    const XmlPart::Element &element = xml.element(list);
    if (element.attribute(QStringLiteral("count")).isNull())
        return {element.start, element.start, QString()};
    return {element.start, element.tagEnd, xml.startTagWith(list, {{QStringLiteral("count"), QString::number(count)}})};
}

} // namespace

void restore(StoredPackage &package, const WorkbookEdits &edits)
{
    const QString originalPart = stylesPart(
        PackageParts::relationships(package.originalArchive(), PackageParts::workbookPart(package.originalArchive())));
    const QString storedPart = stylesPart(PackageParts::relationships(package, PackageParts::workbookPart(package)));
    if (originalPart.isEmpty() || storedPart.isEmpty())
        return;
    const Styles from = readStyles(package.originalPart(originalPart));
    XmlPart &styles = package.part(storedPart);
    const Styles to = readStyles(styles);
    // Where the original's formats name one font and the stored ones the
    // same, no cell can have another: its cells need no reading.
    const QSet<QString> wanted = usedNames(from, false);
    if (wanted.isEmpty() || (wanted.size() == 1 && wanted.contains(usedNames(to, true))))
        return;
    const QVector<Renamed> cellsRenamed = renamedCells(package, from, to, edits);
    if (cellsRenamed.isEmpty())
        return;
    if (to.fontList < 0 || to.formatList < 0 || styles.endOfContent(to.fontList) < 0
        || styles.endOfContent(to.formatList) < 0)
        fail(QStringLiteral("the stored styles have no fonts or cell formats to add to"));

    // Each cell format and wanted name gets a format of its own, using a
    // copy of its font under that name, appended after LibreOffice's own.
    QHash<QPair<int, QString>, int> fontCopies;
    QHash<QPair<int, QString>, int> formatCopies;
    QString newFonts;
    QString newFormats;
    for (const Renamed &r : cellsRenamed) {
        const QPair<int, QString> formatKey(r.cell.style, r.name);
        if (formatCopies.contains(formatKey))
            continue;
        const int font = fontOf(to, r.cell.style);
        const QPair<int, QString> fontKey(font, r.name);
        if (!fontCopies.contains(fontKey)) {
            const int fontElement = to.fonts.at(font);
            const int name = styles.child(fontElement, Namespaces::spreadsheet, QStringLiteral("name"));
            if (name < 0)
                continue;
            const XmlPart::Element &element = styles.element(fontElement);
            const XmlPart::Element &nameElement = styles.element(name);
            newFonts += styles.text().mid(element.start, nameElement.start - element.start)
                + styles.startTagWith(name, {{QStringLiteral("val"), r.name}})
                + styles.text().mid(nameElement.tagEnd, element.end - nameElement.tagEnd);
            fontCopies.insert(fontKey, to.fonts.size() + fontCopies.size());
        }
        const XmlPart::Element &format = styles.element(to.cellFormats.at(r.cell.style));
        newFormats += styles.startTagWith(to.cellFormats.at(r.cell.style),
                                          {{QStringLiteral("fontId"), QString::number(fontCopies.value(fontKey))}})
            + styles.text().mid(format.tagEnd, format.end - format.tagEnd);
        formatCopies.insert(formatKey, to.cellFormats.size() + formatCopies.size());
    }
    QHash<QString, QVector<XmlPart::Replacement>> cellEdits;
    for (const Renamed &r : cellsRenamed) {
        const auto format = formatCopies.constFind(qMakePair(r.cell.style, r.name));
        if (format == formatCopies.constEnd())
            continue;
        const QString tag = package.storedSheet(r.sheet).retagged(r.cell.start, r.cell.tagEnd,
                                                                  {{QStringLiteral("s"), QString::number(format.value())}});
        if (tag.isNull())
            fail(QStringLiteral("a cell of the sheet %1 cannot be read").arg(r.sheet));
        cellEdits[r.sheet].append({r.cell.start, r.cell.tagEnd, tag});
    }
    const int fontsEnd = styles.endOfContent(to.fontList);
    const int formatsEnd = styles.endOfContent(to.formatList);
    styles.splice({counted(styles, to.fontList, to.fonts.size() + fontCopies.size()),
                   {fontsEnd, fontsEnd, newFonts},
                   counted(styles, to.formatList, to.cellFormats.size() + formatCopies.size()),
                   {formatsEnd, formatsEnd, newFormats}});
    for (auto it = cellEdits.constBegin(); it != cellEdits.constEnd(); ++it)
        package.storedSheet(it.key()).splice(it.value());
}

} // namespace FontNames
