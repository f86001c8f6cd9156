// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Writes the user's formula into a start cell and fills it over the rectangle
// up to the end row and column, each cell receiving what copying the start
// cell there would give. The ends are given, or found from the used range.
class FormulaFillEdit : public WorkbookEdit
{
public:
    // Takes the formula and the rectangle from the job settings now.
    FormulaFillEdit();

    QStringList description() const override;
    QString inputProblem() const override;
    bool countsOpenedWorkbooksOnly() const override { return true; }
    void editSheet(AxObject *sheet, JobContext &job) override;

private:
    const QString m_formula;
    const int m_startRow;
    const int m_startColumn;
    const int m_endRow;
    const int m_endColumn;
    const bool m_autoEndRow;
    const bool m_autoEndColumn;
};
