// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/widgets/JobCounts.h"

#include <QCoreApplication>
#include <QList>

JobCounts JobCounts::of(const QVector<WorkbookResult> &workbooks)
{
    JobCounts counts;
    counts.total = int(workbooks.size());
    for (const WorkbookResult &workbook : workbooks) {
        switch (workbook.kind) {
        case WorkbookResult::Edited:
            ++(workbook.skippedSheets.isEmpty() ? counts.edited : counts.editedSheetsSkipped);
            break;
        case WorkbookResult::Untouched:
            ++counts.untouched;
            break;
        case WorkbookResult::NotOpened:
            ++counts.notOpened;
            break;
        case WorkbookResult::NotSaved:
            ++counts.notSaved;
            break;
        }
    }
    return counts;
}

QString JobCounts::text(bool dryRun) const
{
    if (dryRun)
        return QCoreApplication::translate("JobCounts", "共%1个文件：将修改%2个，部分工作表跳过%3个，不会修改%4个，无法打开%5个")
            .arg(total)
            .arg(edited)
            .arg(editedSheetsSkipped)
            .arg(untouched)
            .arg(notOpened);
    return QCoreApplication::translate("JobCounts", "共%1个文件：已修改%2个，部分工作表跳过%3个，未修改%4个，未能打开%5个，未能保存%6个")
        .arg(total)
        .arg(edited)
        .arg(editedSheetsSkipped)
        .arg(untouched)
        .arg(notOpened)
        .arg(notSaved);
}

QByteArray JobCounts::toSetting() const
{
    QList<QByteArray> numbers;
    for (int number : {total, edited, editedSheetsSkipped, untouched, notOpened, notSaved})
        numbers << QByteArray::number(number);
    return numbers.join(',');
}

JobCounts JobCounts::fromSetting(const QByteArray &setting)
{
    const QList<QByteArray> numbers = setting.split(',');
    JobCounts counts;
    int *fields[] = {&counts.total, &counts.edited, &counts.editedSheetsSkipped, &counts.untouched, &counts.notOpened, &counts.notSaved};
    for (int i = 0; i < 6 && i < numbers.size(); ++i)
        *fields[i] = numbers.at(i).toInt();
    return counts;
}
