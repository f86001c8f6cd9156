// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Console.h"

#include <csignal>

#include <windows.h>

namespace {

void (*stopRequested)(int) = nullptr;
void (*closingNow)() = nullptr;

// Windows ends the process once the handler returns from a close, logoff or
// shutdown event (or a few seconds into it): what must not outlive the
// program is ended first. A program that loads user32, as Qt does, sees the
// logoff and shutdown events only where the system still sends them to it.
BOOL WINAPI onControl(DWORD event)
{
    const bool closing = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    if (closing && closingNow)
        closingNow();
    if (!stopRequested)
        return closing && closingNow ? TRUE : FALSE;
    stopRequested(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
    return TRUE;
}

void installControlHandler()
{
    static const bool installed = SetConsoleCtrlHandler(onControl, TRUE) != 0;
    Q_UNUSED(installed)
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
    installControlHandler();
}

void onConsoleClose(void (*closing)())
{
    closingNow = closing;
    installControlHandler();
}
