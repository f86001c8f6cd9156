// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MergeObject.h"
#include "engine/WorkbookEdit.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// The eight edits, one row an edit, in the order of the worker's slots: the
// window's buttons and the batch command both start a job through this table,
// so a new edit is one more row here (and its widgets, its options).
struct JobEdit
{
    // What the edit reads besides the folder and the sheet choice.
    enum Input { None, RowNumber, ColumnNumber, Fields };

    // The command's name of the edit.
    const char *name;
    // The window's: the button pBtn_<formName> and its slot, the signal
    // pBtn_<formName>_HasClicked and, for a row or column, the spin box
    // sBox_<formName>.
    const char *formName;
    Input input;
    // Where a row or column number goes; null for the other inputs.
    std::int32_t *number;
    // The worker's slot that runs a job of it.
    MergeObject::Job job;
    // The edit's core, whose inputProblem() checks the job settings it reads.
    std::unique_ptr<WorkbookEdit> (*makeEdit)();
};

const std::vector<JobEdit> &jobEdits();

// The row of the edit with the command's name, or null.
const JobEdit *findJobEdit(const QString &name);

// The row of the worker's slot; every slot has one.
const JobEdit &jobEditOf(MergeObject::Job job);
