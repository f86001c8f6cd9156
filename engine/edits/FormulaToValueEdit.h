// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Replaces the formulas of the range the user typed by their current values:
// the range's formula cells (Excel's SpecialCells), one read and one write
// for each block of them. Constants and empty cells are never written.
class FormulaToValueEdit : public WorkbookEdit
{
public:
    // Takes the range from the job settings now.
    FormulaToValueEdit();

    QStringList description() const override;
    QString inputProblem() const override;
    void editSheet(AxObject *sheet, JobContext &job) override;

private:
    const QString m_range;
};
