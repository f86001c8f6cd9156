// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/FormulaToValueEdit.h"

#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/RaisesException.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <memory>

#include <QCoreApplication>

QString FormulaToValueEdit::inputProblem() const
{
    if (!isRangeAddress(JobSettings::valueRange))
        return QCoreApplication::translate("Engine", "Fill in the range to turn into values, such as A1, B2:D2, B:B, B:D, 1:1 or 1:9");
    return QString();
}

QStringList FormulaToValueEdit::description() const
{
    return {QStringLiteral("formula-to-value"), JobSettings::valueRange};
}

void FormulaToValueEdit::editSheet(AxObject *sheet, JobContext &job)
{
    std::unique_ptr<AxObject> range(
        sheet->querySubObject("Range(const QVariant&)", QVariant(JobSettings::valueRange)));
    if (!range) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the range \"%1\" is not understood").arg(JobSettings::valueRange));
        return;
    }
    // Value2 gives numbers as they are held: Value would give a number shown
    // as a date as a date, and one shown as currency rounded.
    const QVariant values = range->dynamicCall("Value2()");
    const bool refused = raisesException(range.get(), [&]() { range->dynamicCall("SetValue2(const QVariant&)", values); });
    if (refused)
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the spreadsheet application refused to write (the sheet is protected); the formulas were not turned into values"));
}
