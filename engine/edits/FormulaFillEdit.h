// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Writes the user's formula into a start cell and fills it over the rectangle
// up to the end row and column, each cell receiving what copying the start
// cell there would give. The ends are given, or found from the used range.
class FormulaFillEdit : public WorkbookEdit
{
public:
    QStringList description() const override;
    QString inputProblem() const override;
    bool countsOpenedWorkbooksOnly() const override { return true; }
    void editSheet(AxObject *sheet, JobContext &job) override;
};
