// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Whether a file below the folder is a workbook the job opens: a spreadsheet
// extension in any letter case, and not an office lock file ("~$" anywhere).
bool isCandidateWorkbook(const QString &nativePath);
