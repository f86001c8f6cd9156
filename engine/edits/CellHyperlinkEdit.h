// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Puts one hyperlink (a web address or file, or a place in the workbook) into
// the cell or range the user typed, on each selected sheet, replacing the
// links already there.
class CellHyperlinkEdit : public WorkbookEdit
{
public:
    QStringList description() const override;
    bool fitsCsv() const override { return false; }
    QString inputProblem() const override;
    void editSheet(AxObject *sheet, JobContext &job) override;
};
