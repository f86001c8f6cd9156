// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/WorkbookReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

QString workbookOutcome(const WorkbookResult &workbook)
{
    switch (workbook.kind) {
    case WorkbookResult::NotOpened:
        return QStringLiteral("not opened");
    case WorkbookResult::NotSaved:
        return QStringLiteral("not saved");
    case WorkbookResult::Untouched:
        return QStringLiteral("untouched");
    case WorkbookResult::Edited:
        break;
    }
    return workbook.skippedSheets.isEmpty() ? QStringLiteral("edited") : QStringLiteral("skipped");
}

namespace {

// Each skipped sheet is "sheet: reason"; a sheet name cannot hold a colon.
QJsonObject skippedSheet(const QString &entry)
{
    const int colon = entry.indexOf(QLatin1String(": "));
    return QJsonObject{{QStringLiteral("sheet"), entry.left(colon)},
                       {QStringLiteral("reason"), colon < 0 ? QString() : entry.mid(colon + 2)}};
}

QByteArray workbookReportLine(const WorkbookResult &workbook)
{
    QJsonArray skipped;
    for (const QString &entry : workbook.skippedSheets)
        skipped.append(skippedSheet(entry));
    const QJsonObject line{
        {QStringLiteral("path"), workbook.path},
        {QStringLiteral("outcome"), workbookOutcome(workbook)},
        {QStringLiteral("reason"), workbook.reason},
        {QStringLiteral("detail"), workbook.detail},
        {QStringLiteral("sheets_edited"), QJsonArray::fromStringList(workbook.editedSheets)},
        {QStringLiteral("sheets_skipped"), skipped},
        {QStringLiteral("seconds"), std::round(workbook.seconds * 1000) / 1000},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QByteArray workbookReport(const QVector<WorkbookResult> &workbooks)
{
    QByteArray report;
    for (const WorkbookResult &workbook : workbooks)
        report += workbookReportLine(workbook);
    return report;
}

QString workbookSummary(const QVector<WorkbookResult> &workbooks)
{
    const QStringList outcomes{QStringLiteral("edited"), QStringLiteral("skipped"), QStringLiteral("untouched"),
                               QStringLiteral("not opened"), QStringLiteral("not saved")};
    QVector<int> counts(outcomes.size());
    int sheetsSkipped = 0;
    for (const WorkbookResult &workbook : workbooks) {
        ++counts[outcomes.indexOf(workbookOutcome(workbook))];
        sheetsSkipped += workbook.skippedSheets.size();
    }
    QStringList parts;
    for (int i = 0; i < outcomes.size(); ++i)
        parts << QStringLiteral("%1 %2").arg(counts.at(i)).arg(outcomes.at(i));
    return QStringLiteral("%1 %2: %3; %4 %5 skipped")
        .arg(workbooks.size())
        .arg(workbooks.size() == 1 ? QStringLiteral("workbook") : QStringLiteral("workbooks"), parts.join(QStringLiteral(", ")))
        .arg(sheetsSkipped)
        .arg(sheetsSkipped == 1 ? QStringLiteral("sheet") : QStringLiteral("sheets"));
}
