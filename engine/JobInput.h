// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class WorkbookEdit;
struct JobOptions;

// Why the job must be refused before any workbook is
// touched (its sheet choice, then the edit's own fields), or empty.
QString jobInputProblem(const WorkbookEdit &edit, const JobOptions &options);
