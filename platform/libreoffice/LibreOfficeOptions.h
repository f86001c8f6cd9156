// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How the server starts LibreOffice and how long it waits for it.
struct LibreOfficeOptions
{
    // Empty: the GRIDWRIGHTER_SOFFICE environment variable, else the installed soffice.
    QString sofficePath;
    // From spawning soffice to a working connection.
    int startTimeoutMs = 60000;
    // Longest any single member call may run (loading and saving included)
    // before soffice is taken for hung and killed.
    int callTimeoutMs = 120000;
    // Closing the documents and terminating soffice on Quit.
    int quitTimeoutMs = 15000;
};
