// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Shows a text file in the desktop's text viewer (Notepad on Windows, the
// default viewer elsewhere) without waiting for it. The environment variable
// GRIDWRIGHTER_TEXT_VIEWER names another program to use. False when the
// viewer could not be started (missing, not executable); a viewer that starts
// and then fails is not seen.
bool showInTextViewer(const QString &path);
