// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobInput.h"

#include "engine/WorkbookEdit.h"
#include "engine/JobOptions.h"

#include <QCoreApplication>

QString jobInputProblem(const WorkbookEdit &edit, const JobOptions &options)
{
    // No sheet has an empty name: the job would touch nothing and look done.
    // The index sheet lists every sheet whatever the sheet choice.
    if (edit.selectsSheets() && options.appointedSheet && options.sheetName.trimmed().isEmpty())
        return QCoreApplication::translate("Engine", "Fill in the sheet name");
    return edit.inputProblem();
}
