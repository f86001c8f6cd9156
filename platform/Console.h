// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the batch command needs of its console: whether standard output is
// one, its width, how to wipe the line being drawn, and the user's request to
// stop (Ctrl-C and the like).

bool standardOutputIsConsole();
bool standardErrorIsConsole();

// Columns of the console's visible line; 80 when it cannot be learnt.
int consoleColumns();

// Text that moves to the start of the current line and clears it.
QString clearLineText();

// stop(SIGINT or SIGTERM) is called for every request to stop: the POSIX
// signals, or on Windows Ctrl-C (SIGINT) and Ctrl-Break or closing the
// console (SIGTERM). It runs in a signal handler or the console's own thread,
// so it may only do what is safe there.
void onConsoleStop(void (*stop)(int signal));

// closing() is called first when the console goes away with the program (on
// Windows: its window closed, the user logging off, the machine shutting
// down), as the system ends the process soon after: it ends at once what must
// not outlive the program. On Linux the LibreOffice guard does that however
// the program ends, and closing() is not called.
void onConsoleClose(void (*closing)());
