// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>

#include <windows.h>

// The Windows process list as the program may act on it: only the processes
// of the calling user (the user of its token), so that a program run
// elevated never ends another user's work.

// The ids of the user's processes with the image name (compared
// case-sensitively as a whole), lowest first.
QVector<DWORD> ownProcessesNamed(const QString &imageName);

// Whether the process belongs to the calling user.
bool isOwnProcess(DWORD processId);

// Whether the process shows a visible top-level window: the user works in it.
bool showsWindow(DWORD processId);

// The process's creation time (100 ns units), 0 when it is gone; with the id
// it names one process, as ids are reused.
quint64 processStartTime(DWORD processId);

// Hard-ends the process; false when it could not be ended.
bool terminate(DWORD processId);
