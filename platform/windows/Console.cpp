// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Console.h"

#include <csignal>

#include <windows.h>

namespace {

void (*stopRequested)(int) = nullptr;

BOOL WINAPI onControl(DWORD event)
{
    if (!stopRequested)
        return FALSE;
    stopRequested(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
    return TRUE;
}

HANDLE standardOutput()
{
    return GetStdHandle(STD_OUTPUT_HANDLE);
}

// Windows 10 consoles understand the terminal's escape sequences once asked.
bool escapesUnderstood()
{
    static const bool understood = [] {
        DWORD mode = 0;
        return GetConsoleMode(standardOutput(), &mode)
            && SetConsoleMode(standardOutput(), mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }();
    return understood;
}

} // namespace

bool standardOutputIsConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(standardOutput(), &mode) != 0;
}

bool standardErrorIsConsole()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

int consoleColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(standardOutput(), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

// Older consoles get the line overwritten with blanks, short of the last
// column so that the cursor does not wrap.
QString clearLineText()
{
    if (escapesUnderstood())
        return QStringLiteral("\r\x1b[K");
    return QLatin1Char('\r') + QString(consoleColumns() - 1, QLatin1Char(' ')) + QLatin1Char('\r');
}

void onConsoleStop(void (*stop)(int signal))
{
    stopRequested = stop;
    SetConsoleCtrlHandler(onControl, TRUE);
}
