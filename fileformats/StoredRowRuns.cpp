// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/StoredRowRuns.h"

#include <QXmlStreamReader>

#include <cmath>

namespace {

// The rows of an .xlsx or .xlsm sheet.
const int maxRows = 1048576;

bool isSpreadsheetElement(const QXmlStreamReader &xml, QLatin1String name)
{
    // Transitional and strict Office Open XML.
    return xml.name() == name
           && (xml.namespaceUri() == QLatin1String("http://schemas.openxmlformats.org/spreadsheetml/2006/main")
               || xml.namespaceUri() == QLatin1String("http://purl.oclc.org/ooxml/spreadsheetml/main"));
}

qint32 pointsToHundredthsOfMm(double points)
{
    return static_cast<qint32>(std::lround(points * 2540.0 / 72.0));
}

bool isTrue(QStringView value)
{
    return value == QLatin1String("1") || value == QLatin1String("true");
}

} // namespace

void StoredRowRuns::take(const QXmlStreamReader &xml)
{
    if (m_done)
        return;
    if (xml.isEndElement() && isSpreadsheetElement(xml, QLatin1String("sheetData"))) {
        m_done = true;
        return;
    }
    if (!xml.isStartElement())
        return;
    if (isSpreadsheetElement(xml, QLatin1String("sheetFormatPr"))) {
        const QXmlStreamAttributes attributes = xml.attributes();
        if (isTrue(attributes.value(QLatin1String("customHeight")))) {
            const double points = attributes.value(QLatin1String("defaultRowHeight")).toDouble();
            m_customDefault = points > 0 ? pointsToHundredthsOfMm(points) : 0;
        }
        return;
    }
    if (!isSpreadsheetElement(xml, QLatin1String("row")))
        return;
    const QXmlStreamAttributes attributes = xml.attributes();
    bool numbered = false;
    const int number = attributes.value(QLatin1String("r")).toInt(&numbered);
    m_row = numbered ? number - 1 : m_row + 1;
    if (m_row < 0 || m_row >= maxRows)
        return;
    bool stored = false;
    const double points = attributes.value(QLatin1String("ht")).toDouble(&stored);
    // A zero height cannot be set: LibreOffice would leave the row as it is.
    if (!stored || points <= 0)
        return;
    const qint32 height = pointsToHundredthsOfMm(points);
    if (!m_runs.isEmpty() && m_runs.last().last == m_row - 1 && m_runs.last().height == height)
        m_runs.last().last = m_row;
    else
        m_runs.append({m_row, m_row, height});
}

QVector<StoredRowRuns::Run> StoredRowRuns::runs() const
{
    if (m_customDefault <= 0)
        return m_runs;
    // The rows between and after the runs, at the sheet's default height.
    QVector<Run> all;
    int next = 0;
    for (const Run &run : m_runs) {
        if (run.first > next)
            all.append({next, run.first - 1, m_customDefault});
        all.append(run);
        next = run.last + 1;
    }
    if (next < maxRows)
        all.append({next, maxRows - 1, m_customDefault});
    return all;
}
