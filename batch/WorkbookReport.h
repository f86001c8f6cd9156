// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookResult.h"

#include <QByteArray>
#include <QVector>

// The machine-readable report of a job: JSON Lines, one object for each
// candidate workbook, so that scripts can merge the reports of several jobs by
// concatenating them.
//
// {"path": native path, "outcome": "edited" | "untouched" | "skipped" |
//  "not opened" | "not saved", "reason": why not edited ("" when edited),
//  "sheets_edited": [names], "sheets_skipped": [{"sheet", "reason"}],
//  "seconds": time from opening to closing}
//
// "skipped" is a workbook edited and saved with some selected sheets passed over.
QByteArray workbookReport(const QVector<WorkbookResult> &workbooks);
