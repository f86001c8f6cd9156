// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class AxObject;
class JobContext;

// The core of one edit: what it does to one selected sheet, run by the batch
// frame once for each sheet it selects. An edit that works on the workbook as
// a whole (the index sheet) replaces the frame's sheet selection instead.
class WorkbookEdit
{
public:
    virtual ~WorkbookEdit() = default;

    // The edit's name and arguments as the batch command spells them, for
    // the record kept with a job's backup.
    virtual QStringList description() const = 0;

    // A reason to refuse the job before any workbook is touched, or empty.
    virtual QString inputProblem() const { return QString(); }

    // The formula fill counts and reports a workbook as soon as it opens.
    virtual bool countsOpenedWorkbooksOnly() const { return false; }

    virtual bool selectsSheets() const { return true; }

    // Whether a CSV file, one sheet of plain text, can hold what the edit
    // makes (no second sheet, no link).
    virtual bool fitsCsv() const { return true; }

    virtual void editSheet(AxObject *sheet, JobContext &job)
    {
        Q_UNUSED(sheet)
        Q_UNUSED(job)
    }

    virtual void editWorkbook(AxObject *sheets, JobContext &job)
    {
        Q_UNUSED(sheets)
        Q_UNUSED(job)
    }
};
