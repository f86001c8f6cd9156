// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/StoredPackage.h"

#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"

#include <algorithm>

StoredPackage::StoredPackage(const ZipArchive &original, const ZipArchive &stored,
                             const QHash<QString, SheetOutline> &outlines)
    : m_original(&original)
    , m_stored(stored)
    , m_originals(std::make_shared<Originals>())
    , m_storedSheetsRead(std::make_shared<QHash<QString, XmlPart>>())
{
    m_originals->outlines = outlines;
    m_originalSheets = PackageParts::sheetParts(original);
    m_storedSheets = PackageParts::sheetParts(stored);
    const XmlPart &workbook = originalPart(PackageParts::workbookPart(original));
    const int sheets = workbook.child(workbook.root(), Namespaces::spreadsheet, QStringLiteral("sheets"));
    for (const int sheet : workbook.children(sheets, Namespaces::spreadsheet, QStringLiteral("sheet"))) {
        const QString name = workbook.element(sheet).attribute(QStringLiteral("name"));
        if (m_originalSheets.contains(name) && m_storedSheets.contains(name))
            m_sheetNames.append(name);
    }
}

const XmlPart &StoredPackage::originalPart(const QString &name) const
{
    auto found = m_originals->parts.find(name);
    if (found == m_originals->parts.end())
        found = m_originals->parts.insert(name, readOriginal(name));
    return found.value();
}

// The outline stands for the part only when it reads whole around an empty
// sheetData, where the root's child is; one that does not is dropped.
XmlPart StoredPackage::readOriginal(const QString &name) const
{
    const QByteArray bytes = m_original->member(name);
    const auto outline = m_originals->outlines.constFind(name);
    if (outline == m_originals->outlines.constEnd())
        return XmlPart(bytes);
    std::optional<XmlPart> part;
    if (outline->stamp() == m_original->contentStamp(name))
        part = XmlPart::without(bytes, outline->cellsStart(), outline->cellsEnd());
    const int cells = part && part->error().isEmpty()
        ? part->child(part->root(), Namespaces::spreadsheet, QStringLiteral("sheetData")) : -1;
    if (cells >= 0 && part->element(cells).contentEnd == part->element(cells).tagEnd)
        return *part;
    m_originals->outlines.remove(name);
    return XmlPart(bytes);
}

const SheetOutline *StoredPackage::outlineRead(const QString &sheet) const
{
    const QString name = originalSheetPart(sheet);
    originalPart(name);
    const auto found = m_originals->outlines.constFind(name);
    return found == m_originals->outlines.constEnd() ? nullptr : &found.value();
}

QVector<SheetOutline::Row> StoredPackage::originalRows(const QString &sheet) const
{
    if (const SheetOutline *outline = outlineRead(sheet))
        return outline->rows();
    QVector<SheetOutline::Row> rows;
    for (const XmlPart::Row &row : originalSheet(sheet).rows())
        rows.append({row.number, row.sized, row.height, row.byHand});
    return rows;
}

QVector<SheetOutline::Cell> StoredPackage::originalCells(const QString &sheet) const
{
    if (const SheetOutline *outline = outlineRead(sheet))
        return outline->cells();
    QVector<SheetOutline::Cell> cells;
    for (const XmlPart::Cell &cell : originalSheet(sheet).cells())
        cells.append({cell.row, cell.column, cell.style});
    return cells;
}

bool StoredPackage::contains(const QString &name) const
{
    return m_parts.contains(name) || m_stored.contains(name);
}

QString StoredPackage::nameIgnoringCase(const QString &name) const
{
    for (const QString &present : m_stored.names())
        if (present.compare(name, Qt::CaseInsensitive) == 0)
            return present;
    return QString();
}

QByteArray StoredPackage::member(const QString &name) const
{
    const auto found = m_parts.constFind(name);
    if (found != m_parts.constEnd() && found.value().isChanged())
        return found.value().bytes();
    return m_stored.member(name);
}

XmlPart &StoredPackage::part(const QString &name)
{
    auto found = m_parts.find(name);
    if (found != m_parts.end())
        return found.value();
    found = m_parts.insert(name, XmlPart(m_stored.member(name)));
    if (!m_put.contains(name) && isStoredSheet(name)) {
        // Read now, so that the copy kept shares the reading.
        found.value().error();
        m_storedSheetsRead->insert(name, found.value());
    }
    return found.value();
}

void StoredPackage::put(const QString &name, const QByteArray &content)
{
    m_parts.remove(name);
    m_stored.replace(name, content);
    m_put.insert(name);
}

bool StoredPackage::isStoredSheet(const QString &name) const
{
    return std::find(m_storedSheets.begin(), m_storedSheets.end(), name) != m_storedSheets.end();
}

QHash<QString, XmlPart> StoredPackage::writtenSheets() const
{
    QHash<QString, XmlPart> written;
    for (auto it = m_parts.constBegin(); it != m_parts.constEnd(); ++it)
        if (it.value().isChanged() && isStoredSheet(it.key()))
            written.insert(it.key(), it.value());
    return written;
}

QStringList StoredPackage::changedNames() const
{
    QSet<QString> names = m_put;
    for (auto it = m_parts.constBegin(); it != m_parts.constEnd(); ++it)
        if (it.value().isChanged())
            names.insert(it.key());
    return names.values();
}

ZipArchive StoredPackage::archive() const
{
    ZipArchive out = m_stored;
    for (auto it = m_parts.constBegin(); it != m_parts.constEnd(); ++it)
        if (it.value().isChanged())
            out.replace(it.key(), it.value().bytes());
    return out;
}
