// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobInput.h"

#include "engine/WorkbookEdit.h"
#include "launch/JobSettings.h"

#include <QCoreApplication>

QString jobInputProblem(const WorkbookEdit &edit)
{
    // No sheet has an empty name: the job would touch nothing and look done.
    // The index sheet lists every sheet whatever the sheet choice.
    if (edit.selectsSheets() && JobSettings::appointedSheet && JobSettings::sheetName.trimmed().isEmpty())
        return QCoreApplication::translate("Engine", "Fill in the sheet name");
    return edit.inputProblem();
}
