// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The spreadsheet programs the pre-flight check ends, in order, so that no
// open copy holds the workbooks a job is about to change.
QStringList spreadsheetImageNames();

// Tests point the check at processes of their own instead.
void replaceSpreadsheetImageNames(const QStringList &imageNames);
