// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/WorkbookResult.h"

#include <QByteArray>
#include <QVector>

// The machine-readable report of a job: JSON Lines, one object for each
// candidate workbook, so that scripts can merge the reports of several jobs by
// concatenating them.
//
// {"path": absolute native path, "outcome": "edited" | "untouched" | "skipped" |
//  "not opened" | "not saved", "reason": why not edited ("" when edited),
//  "detail": where the reason came from (the application's member), or "",
//  "sheets_edited": [names], "sheets_skipped": [{"sheet", "reason"}],
//  "seconds": time from opening to closing}
//
// "skipped" is a workbook edited and saved with some selected sheets passed over.
QByteArray workbookReport(const QVector<WorkbookResult> &workbooks);

// The workbook's "outcome" in the report.
QString workbookOutcome(const WorkbookResult &workbook);

// The job's closing line, counted as the report counts: "7 workbooks: 4 edited,
// 1 skipped, 1 untouched, 1 not opened, 0 not saved; 2 sheets skipped".
QString workbookSummary(const QVector<WorkbookResult> &workbooks);
