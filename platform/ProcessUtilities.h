// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Running processes by image name (the file name of the executable, compared
// case-sensitively as a whole), of the calling user only.

// How many running processes carry the image name.
int countProcesses(const QString &imageName);

// Hard-kills the first process (lowest id) carrying the image name that can be
// ended, never the calling process itself, and on Windows never one showing a
// window (the user works in it). Returns false when none was found or none
// could be ended.
bool terminateFirstProcess(const QString &imageName);

// Asks the other copies of the calling program (same image name) to end as
// they end when quit, and waits for them at most waitMilliseconds. False when
// one is still running then.
bool endOtherCopies(const QString &imageName, int waitMilliseconds);

// Marks the calling program as running, until it ends, where installers look
// (on Windows the named mutex "Gridwrighter.Running", which the installer and
// the uninstaller wait on, asking the user to close the program).
void markProgramRunning();
