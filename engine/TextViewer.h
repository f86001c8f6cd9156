#pragma once

#include <QString>

// Shows a text file in the desktop's text viewer (Notepad on Windows, the
// default viewer elsewhere) without waiting for it. The environment variable
// GRIDWRIGHTER_TEXT_VIEWER names another program to use.
bool showInTextViewer(const QString &path);
