// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/FormulaToValueEdit.h"

#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/RaisesException.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <QCoreApplication>

#include <memory>

FormulaToValueEdit::FormulaToValueEdit()
    : m_range(JobSettings::valueRange)
{
}

QString FormulaToValueEdit::inputProblem() const
{
    if (!isRangeAddress(m_range))
        return QStringLiteral("请填写要转换为值的区域，如 A1、B2:D2、B:B、B:D、1:1、1:9");
    return QString();
}

QStringList FormulaToValueEdit::description() const
{
    return {QStringLiteral("formula-to-value"), m_range};
}

void FormulaToValueEdit::editSheet(AxObject *sheet, JobContext &job)
{
    std::unique_ptr<AxObject> range(
        sheet->querySubObject("Range(const QVariant&)", QVariant(m_range)));
    if (!range) {
        job.skipSheet(sheet, QStringLiteral("无法识别区域“%1”").arg(m_range));
        return;
    }
    // Value2 gives numbers as they are held: Value would give a number shown
    // as a date as a date, and one shown as currency rounded.
    QVariant values;
    const AutomationError unread = raisedError(range.get(), [&]() { values = range->dynamicCall("Value2()"); });
    if (unread.raised) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "cannot read the values of the range \"%1\": %2")
                                 .arg(JobSettings::valueRange, unread.description));
        return;
    }
    // One empty cell reads as nothing (so does the part of an empty sheet a
    // whole row or column covers): there is no formula to turn into a value,
    // and a call given nothing would fail as if the sheet refused it.
    if (!values.isValid())
        return;
    const bool refused = raisesException(range.get(), [&]() { range->dynamicCall("SetValue2(const QVariant&)", values); });
    if (refused)
        job.skipSheet(sheet, QStringLiteral("表格程序拒绝写入（工作表受保护），公式未转换为值"));
}
