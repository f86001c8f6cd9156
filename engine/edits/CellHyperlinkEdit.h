// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Puts one hyperlink (a web address or file, or a place in the workbook) into
// the cell or range the user typed, on each selected sheet, replacing the
// links already there.
class CellHyperlinkEdit : public WorkbookEdit
{
public:
    // Takes the cell and the link from the job settings now.
    CellHyperlinkEdit();

    QStringList description() const override;
    bool fitsCsv() const override { return false; }
    QString inputProblem() const override;
    void editSheet(AxObject *sheet, JobContext &job) override;

private:
    const QString m_cell;
    const QString m_address;
    const QString m_subAddress;
    const QString m_text;
};
