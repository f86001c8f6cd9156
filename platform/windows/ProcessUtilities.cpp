// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessUtilities.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

// Calls visit for every snapshot entry after the first (the idle process)
// until visit returns true.
template <typename Visit>
void forEachProcess(Visit visit)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    if (Process32FirstW(snapshot, &entry)) {
        while (Process32NextW(snapshot, &entry)) {
            if (visit(entry))
                break;
        }
    }
    CloseHandle(snapshot);
}

bool hasImageName(const PROCESSENTRY32W &entry, const QString &imageName)
{
    return QString::fromWCharArray(entry.szExeFile) == imageName;
}

} // namespace

int countProcesses(const QString &imageName)
{
    int count = 0;
    forEachProcess([&](const PROCESSENTRY32W &entry) {
        if (hasImageName(entry, imageName))
            ++count;
        return false;
    });
    return count;
}

bool terminateFirstProcess(const QString &imageName)
{
    const DWORD self = GetCurrentProcessId();
    bool ended = false;
    forEachProcess([&](const PROCESSENTRY32W &entry) {
        if (entry.th32ProcessID == self || !hasImageName(entry, imageName))
            return false;
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (process) {
            ended = TerminateProcess(process, 0) != 0;
            CloseHandle(process);
        }
        return true;
    });
    return ended;
}

// Windows has no polite request a program without a window loop would see:
// the older copy is ended.
bool endOtherCopies(const QString &imageName, int)
{
    while (countProcesses(imageName) > 1) {
        if (!terminateFirstProcess(imageName))
            return false;
    }
    return true;
}
