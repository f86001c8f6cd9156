// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookEdit.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct BatchRequest;

// The eight edits as the command offers them: the shared table's rows (see
// engine/edits/JobEdits.h) with the command's own options, checks and help.
struct BatchEdit
{
    // What the edit's name is followed by on the command line.
    enum Operand { None, Row, Column, Text };

    const char *name;
    Operand operand;
    // The edit's core: the job runs it, and the command asks its input check.
    std::function<std::unique_ptr<WorkbookEdit>()> makeEdit;
    // Writes the edit's own arguments into the job settings.
    std::function<void(const BatchRequest &request)> applyArguments;
    // Checks of the edit's own options, which may complete the request; the
    // refusal, or empty. Null when the edit has none.
    QString (*checkOptions)(BatchRequest &request);
    // The refusal when the edit's input check refuses.
    const char *inputRefusal;
    // The edit's lines in the usage text.
    const char *help;
};

const std::vector<BatchEdit> &batchEdits();

// The row of the edit with this name, or null.
const BatchEdit *findBatchEdit(const QString &name);
