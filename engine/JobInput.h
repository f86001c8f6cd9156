// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class WorkbookEdit;

// Why the job in the settings must be refused before any workbook is
// touched (its sheet choice, then the edit's own fields), or empty.
QString jobInputProblem(const WorkbookEdit &edit);
