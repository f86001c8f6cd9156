// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/SheetPairs.h"

#include "fileformats/ZipArchive.h"
#include "fileformats/putback/PackageParts.h"
#include "fileformats/putback/SheetXml.h"

#include <QXmlStreamReader>

SheetPairs::SheetPairs(const ZipArchive &original, ZipArchive &stored)
    : m_original(original)
    , m_stored(stored)
    , m_originalParts(PackageParts::sheetParts(original))
    , m_storedParts(PackageParts::sheetParts(stored))
{
    QXmlStreamReader xml(original.member(PackageParts::workbookPart(original)));
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("sheet"))
            continue;
        const QString name = xml.attributes().value(QLatin1String("name")).toString();
        if (m_originalParts.contains(name) && m_storedParts.contains(name))
            m_names.append(name);
    }
}

QByteArray SheetPairs::original(const QString &name)
{
    auto found = m_originalSkeletons.find(name);
    if (found != m_originalSkeletons.end())
        return found.value();
    QByteArray part = originalWhole(name);
    const SheetXml::Span cells = SheetXml::find(part, "sheetData");
    if (cells.found())
        part.replace(cells.start, cells.end - cells.start, "<" + cells.prefix + "sheetData/>");
    part.squeeze();
    m_originalSkeletons.insert(name, part);
    return part;
}

QByteArray SheetPairs::originalWhole(const QString &name) const
{
    return m_original.member(m_originalParts.value(name));
}

QByteArray &SheetPairs::stored(const QString &name)
{
    auto found = m_storedTexts.find(name);
    if (found == m_storedTexts.end())
        found = m_storedTexts.insert(name, m_stored.member(m_storedParts.value(name)));
    return found.value();
}

void SheetPairs::write()
{
    for (auto it = m_storedTexts.constBegin(); it != m_storedTexts.constEnd(); ++it)
        if (!it.value().isEmpty() && it.value() != m_stored.member(m_storedParts.value(it.key())))
            m_stored.replace(m_storedParts.value(it.key()), it.value());
}
