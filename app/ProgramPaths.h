// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Where the program lives and where it keeps its settings, set once at start.
struct ProgramPaths
{
    static QString programDirectory;
    static QString settingsFilePath;
};

// The directory of argv[0] up to and including its last native separator; the
// running executable's directory when argv[0] names no directory.
QString programDirectoryFromArgv0(const QByteArray &argv0);

// The settings file inside the given program directory.
QString settingsFilePathIn(const QString &programDirectory);

// The settings file the program uses: the one beside it, unless the program's
// directory cannot be written (an installed program in /usr/bin or
// C:\Program Files); then the one in the user's configuration folder
// (~/.config/Gridwrighter, %LOCALAPPDATA%\Gridwrighter), created empty when
// missing so that the chosen folder is remembered.
QString settingsFilePathFor(const QString &programDirectory);
