// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/WorkbookReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

QString outcomeName(const WorkbookResult &workbook)
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
        {QStringLiteral("outcome"), outcomeName(workbook)},
        {QStringLiteral("reason"), workbook.reason},
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
