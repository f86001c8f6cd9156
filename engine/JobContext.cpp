// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobContext.h"

#include "automation/AxObject.h"
#include "engine/report/SkipTally.h"

#include <QCoreApplication>

JobContext::JobContext(Reporter report, SkipTally &skips)
    : m_report(std::move(report))
    , m_skips(skips)
{
}

void JobContext::setWorkbook(const QString &path, int number)
{
    m_workbookPath = path;
    m_workbookNumber = number;
    m_workbookSkipped = false;
    m_workbookSkipReason.clear();
    m_skippedSheets.clear();
    m_editedSheets.clear();
}

QString JobContext::workbookPath() const
{
    return m_workbookPath;
}

int JobContext::workbookNumber() const
{
    return m_workbookNumber;
}

void JobContext::report(const QString &text) const
{
    m_report(text);
}

// Through this workbook's reporter, so that the text keeps its place
// among the workbook's others.
void JobContext::reportSkip(const QString &text) const
{
    if (!text.isNull())
        m_report(text);
}

void JobContext::skipSheet(AxObject *sheet, const QString &reason)
{
    const QString name = sheet ? sheet->property("Name").toString() : QString();
    m_skippedSheets.append(QStringLiteral("%1: %2").arg(name, reason));
    reportSkip(m_skips.skip(QCoreApplication::translate("Engine", "sheet \"%2\" of %1").arg(m_workbookPath, name), reason));
}

void JobContext::skipWorkbook(const QString &reason)
{
    m_workbookSkipped = true;
    m_workbookSkipReason = reason;
    reportSkip(m_skips.skip(m_workbookPath, reason));
}

bool JobContext::workbookSkipped() const
{
    return m_workbookSkipped;
}
