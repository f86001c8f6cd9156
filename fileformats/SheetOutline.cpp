// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/SheetOutline.h"

#include <QXmlStreamReader>

namespace {

bool isSheetData(const QXmlStreamReader &xml)
{
    // Transitional and strict Office Open XML.
    return xml.name() == QLatin1String("sheetData")
           && (xml.namespaceUri() == QLatin1String("http://schemas.openxmlformats.org/spreadsheetml/2006/main")
               || xml.namespaceUri() == QLatin1String("http://purl.oclc.org/ooxml/spreadsheetml/main"));
}

} // namespace

// Each token begins where the one before ended: the offset after the token
// before sheetData's end tag is where that tag begins.
void SheetOutline::take(const QXmlStreamReader &xml)
{
    const int offset = int(xml.characterOffset());
    if (xml.isStartElement()) {
        ++m_depth;
        if (m_depth == 2 && isSheetData(xml)) {
            // A second one would be left in the outline: none is made.
            m_twice = m_cellsStart >= 0;
            m_inCells = true;
            m_cellsStart = offset;
        } else if (m_inCells && m_depth == 3 && xml.name() == QLatin1String("row")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QStringRef r = attributes.value(QLatin1String("r"));
            m_row = r.isEmpty() ? m_row + 1 : r.toInt();
            m_column = 0;
            const QStringRef height = attributes.value(QLatin1String("ht"));
            const QStringRef byHand = attributes.value(QLatin1String("customHeight"));
            m_rows.append({m_row, !height.isNull(), height.toDouble(),
                           byHand == QLatin1String("1") || byHand == QLatin1String("true")});
        } else if (m_inCells && m_depth == 4 && xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QStringRef r = attributes.value(QLatin1String("r"));
            m_column = r.isEmpty() ? m_column + 1 : referenceColumn(r);
            const int number = referenceRow(r);
            if (number > 0)
                m_row = number;
            m_cells.append({m_row, m_column, attributes.value(QLatin1String("s")).toInt()});
        }
    } else if (xml.isEndElement()) {
        if (m_inCells && m_depth == 2) {
            m_inCells = false;
            m_cellsEnd = m_lastOffset;
        }
        --m_depth;
    }
    m_lastOffset = offset;
}

int SheetOutline::referenceColumn(const QStringRef &reference)
{
    int column = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
    }
    return column;
}

int SheetOutline::referenceRow(const QStringRef &reference)
{
    int at = 0;
    while (at < reference.size() && reference.at(at).isLetter())
        ++at;
    return reference.mid(at).toInt();
}
