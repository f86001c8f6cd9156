// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/FormulaToValueEdit.h"

#include "automation/AutomationObject.h"
#include "automation/AxObject.h"
#include "engine/JobContext.h"
#include "engine/RaisesException.h"
#include "engine/edits/RangeAddress.h"
#include "launch/JobSettings.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

namespace {

// Excel's XlCellType for the cells holding formulas.
const int formulaCells = -4123;

using Areas = std::vector<AxObject *>;

bool isReadable(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<UnreadableValue>())
        return false;
    if (value.userType() != QMetaType::QVariantList)
        return true;
    const QVariantList items = value.toList();
    for (const QVariant &item : items) {
        if (!isReadable(item))
            return false;
    }
    return true;
}

// The blocks of formula cells of the range, each read and written in one
// call; none when no cell of it holds a formula. False, with the reason,
// when they cannot be found. Every object found is the range's descendant
// and goes with it.
bool formulaAreas(AxObject *range, Areas &areas, QString *whyNot)
{
    // False when no cell of the range holds a formula, true when every one
    // does, null otherwise.
    const QVariant hasFormula = range->property("HasFormula");
    if (hasFormula.userType() == QMetaType::Bool && !hasFormula.toBool())
        return true;
    AxObject *found = range;
    // Excel's SpecialCells, given a single cell, looks at the whole sheet.
    if (range->property("Count").toLongLong() != 1) {
        const AutomationError error = raisedError(range, [&]() {
            found = range->querySubObject("SpecialCells(int)", QVariant(formulaCells));
        });
        if (!found) {
            *whyNot = error.description;
            return false;
        }
    }
    AxObject *blocks = found->querySubObject("Areas");
    if (!blocks)
        return false;
    const int count = blocks->property("Count").toInt();
    for (int i = 1; i <= count; ++i) {
        areas.push_back(blocks->querySubObject("Item(int)", QVariant(i)));
        if (!areas.back())
            return false;
    }
    return true;
}

} // namespace

FormulaToValueEdit::FormulaToValueEdit()
    : m_range(JobSettings::valueRange)
{
}

#include <QCoreApplication>

QString FormulaToValueEdit::inputProblem() const
{
    if (!isRangeAddress(m_range))
        return QCoreApplication::translate("Engine", "Fill in the range to turn into values, such as A1, B2:D2, B:B, B:D, 1:1 or 1:9");
    return QString();
}

QStringList FormulaToValueEdit::description() const
{
    return {QStringLiteral("formula-to-value"), m_range};
}

// Only the formula cells are written: a constant written back would be typed
// anew by the application ("00123" as a number, "1/2" as a date), and an
// empty cell has no value to write.
void FormulaToValueEdit::editSheet(AxObject *sheet, JobContext &job)
{
    std::unique_ptr<AxObject> range(
        sheet->querySubObject("Range(const QVariant&)", QVariant(m_range)));
    if (!range) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the range \"%1\" is not understood").arg(m_range));
        return;
    }
    Areas areas;
    QString whyNot;
    if (!formulaAreas(range.get(), areas, &whyNot)) {
        job.skipSheet(sheet, QCoreApplication::translate("Engine", "the formulas of the range could not be found: %1")
                                 .arg(whyNot));
        return;
    }
    // Every result is read before any is written: a sheet keeps all its
    // formulas when one result cannot be read. Value2 gives numbers as they
    // are held: Value would give a number shown as a date as a date, and one
    // shown as currency rounded.
    QVariantList values;
    for (AxObject *area : areas) {
        QVariant read;
        const bool failed = raisesException(area, [&]() { read = area->dynamicCall("Value2()"); });
        if (failed || !read.isValid() || !isReadable(read)) {
            job.skipSheet(sheet, QCoreApplication::translate("Engine", "a formula result could not be read, "
                                                                       "so the formulas were kept"));
            return;
        }
        values.append(read);
    }
    for (size_t i = 0; i < areas.size(); ++i) {
        AxObject *area = areas[i];
        if (raisesException(area, [&]() { area->dynamicCall("SetValue2(const QVariant&)", values.at(int(i))); })) {
            job.skipSheet(sheet, QCoreApplication::translate("Engine", "the spreadsheet application refused to write (the sheet is protected); the formulas were not turned into values"));
            return;
        }
    }
}
