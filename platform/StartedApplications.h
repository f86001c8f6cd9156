// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// The spreadsheet applications this program starts through automation. On
// Windows an invisible Excel outlives a program that dies or whose console is
// closed, holding the workbook in hand open: each one started is noted (its
// process and start time, with the noting program's) in a small file of the
// user's, so that it can be ended at once when the console goes, and at the
// next start when a dead run left it. On Linux the LibreOffice guard ends
// what a job started however the program ends, and nothing is noted.
namespace StartedApplications {

// Notes the application whose main window is windowHandle (its "Hwnd"
// property), started by this process. An application quit as it should be
// needs no more: a note names a process by its id and start time, and one
// that ended matches no running process.
void noteByWindow(qint64 windowHandle);

// Ends the applications this process started and has not quit yet: the
// console is closing or the user insists. Safe from the console's handler.
void endOwn();

// Ends the applications noted by runs that have ended, where they still run
// and show no window, and forgets them. Returns how many were ended.
int endLeftBehind();

} // namespace StartedApplications
