// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Console.h"

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

bool standardOutputIsConsole()
{
    return isatty(STDOUT_FILENO);
}

bool standardErrorIsConsole()
{
    return isatty(STDERR_FILENO);
}

int consoleColumns()
{
    winsize size = {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

QString clearLineText()
{
    return QStringLiteral("\r\x1b[K");
}

void onConsoleStop(void (*stop)(int signal))
{
    struct sigaction action = {};
    action.sa_handler = stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void onConsoleClose(void (*)())
{
}
