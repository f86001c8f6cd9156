// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What a test asks of the server, through the environment the caller passes
// on when COM starts the server:
//   GRIDWRIGHTER_EXCEL_LOG            a file every call, prompt and macro run is
//                                     written to, one line each (UTF-8)
//   GRIDWRIGHTER_EXCEL_BUSY_SECONDS   busy (RPC_E_CALL_REJECTED) for this long
//                                     from the first workbook opened
//   GRIDWRIGHTER_EXCEL_DIE_OPENING    the process ends while opening the file
//                                     of this name (once per log file)
//   GRIDWRIGHTER_EXCEL_PROMPT_SECONDS how long a prompt blocks before it is
//                                     cancelled (default 15)
namespace ServerKnobs {

void log(const QString &line);
// True while the server answers every call as busy.
bool busy();
void startBusyClock();
// Ends the process when the file is the one it should die opening.
void maybeDieOpening(const QString &path);
// A dialog nobody sees: logged, then it blocks the call until cancelled.
void blockOnPrompt(const QString &what);

} // namespace ServerKnobs
