// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/OwnProcesses.h"

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

namespace {

// The user SID of a process's token, copied out of the token's answer (whose
// SID points into itself); empty when it cannot be read (another user's
// process, one running with higher rights).
std::vector<char> tokenUser(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> answer(size);
    std::vector<char> sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, answer.data(), size, &size)) {
        PSID user = reinterpret_cast<const TOKEN_USER *>(answer.data())->User.Sid;
        sid.resize(GetLengthSid(user));
        if (!CopySid(DWORD(sid.size()), sid.data(), user))
            sid.clear();
    }
    CloseHandle(token);
    return sid;
}

bool sameUser(const std::vector<char> &a, const std::vector<char> &b)
{
    return !a.empty() && !b.empty() && EqualSid(const_cast<char *>(a.data()), const_cast<char *>(b.data()));
}

const std::vector<char> &callingUser()
{
    static const std::vector<char> user = tokenUser(GetCurrentProcess());
    return user;
}

struct WindowSearch
{
    DWORD processId;
    bool found;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<WindowSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

QVector<DWORD> ownProcessesNamed(const QString &imageName)
{
    QVector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    // The first entry is the idle process.
    if (Process32FirstW(snapshot, &entry)) {
        while (Process32NextW(snapshot, &entry)) {
            if (QString::fromWCharArray(entry.szExeFile) == imageName && isOwnProcess(entry.th32ProcessID))
                ids.append(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool isOwnProcess(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    const bool own = sameUser(tokenUser(process), callingUser());
    CloseHandle(process);
    return own;
}

bool showsWindow(DWORD processId)
{
    WindowSearch search{processId, false};
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

quint64 processStartTime(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return 0;
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    DWORD exitCode = 0;
    const bool alive = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    const bool known = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    if (!alive || !known)
        return 0;
    return (quint64(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool terminate(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return false;
    const bool ended = TerminateProcess(process, 0) != 0;
    // Gone from the process list before the next count.
    if (ended)
        WaitForSingleObject(process, 2000);
    CloseHandle(process);
    return ended;
}
