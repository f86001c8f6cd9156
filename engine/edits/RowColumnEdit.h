// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Inserts a row or column before the number the user gave, or deletes that
// row or column, on each selected sheet.
class RowColumnEdit : public WorkbookEdit
{
public:
    enum Kind { InsertRow, InsertColumn, DeleteRow, DeleteColumn };

    // Takes its number from the job settings now.
    explicit RowColumnEdit(Kind kind);

    QStringList description() const override;

    void editSheet(AxObject *sheet, JobContext &job) override;

private:
    bool onRows() const;

    Kind m_kind;
    int m_number;
};
