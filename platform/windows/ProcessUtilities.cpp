// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessUtilities.h"

#include "platform/windows/OwnProcesses.h"

#include <QElapsedTimer>
#include <QThread>

#include <windows.h>

int countProcesses(const QString &imageName)
{
    return int(ownProcessesNamed(imageName).size());
}

// One the user works in (a visible window) is never ended: its unsaved work
// would be lost. One that cannot be ended does not hide those after it.
bool terminateFirstProcess(const QString &imageName)
{
    for (const DWORD id : ownProcessesNamed(imageName)) {
        if (id != GetCurrentProcessId() && !showsWindow(id) && terminate(id))
            return true;
    }
    return false;
}

// Windows has no polite request a program without a window loop would see:
// the older copies are ended, each tried even when one before it resists.
bool endOtherCopies(const QString &imageName, int waitMilliseconds)
{
    for (const DWORD id : ownProcessesNamed(imageName)) {
        if (id != GetCurrentProcessId())
            terminate(id);
    }
    QElapsedTimer waited;
    waited.start();
    while (countProcesses(imageName) > 1) {
        if (waited.elapsed() > waitMilliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// The handle stays open for the process's life; the system closes it.
void markProgramRunning()
{
    CreateMutexW(nullptr, FALSE, L"Gridwrighter.Running");
}
