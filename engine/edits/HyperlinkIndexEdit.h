// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

// Puts a new first sheet into each workbook whose column A names every sheet,
// each name a link to that sheet's A1. Every sheet is listed, whatever the
// sheet options say.
class HyperlinkIndexEdit : public WorkbookEdit
{
public:
    QStringList description() const override;
    bool fitsCsv() const override { return false; }
    bool selectsSheets() const override { return false; }
    void editWorkbook(AxObject *sheets, JobContext &job) override;
};
