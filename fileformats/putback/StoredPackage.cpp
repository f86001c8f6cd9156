// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/StoredPackage.h"

#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/PackageParts.h"

#include <algorithm>

StoredPackage::StoredPackage(const ZipArchive &original, const ZipArchive &stored)
    : m_original(&original)
    , m_stored(stored)
    , m_originalParts(std::make_shared<QHash<QString, XmlPart>>())
    , m_storedSheetsRead(std::make_shared<QHash<QString, XmlPart>>())
{
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
    auto found = m_originalParts->find(name);
    if (found == m_originalParts->end())
        found = m_originalParts->insert(name, XmlPart(m_original->member(name)));
    return found.value();
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
