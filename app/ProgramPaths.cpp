// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramPaths::programDirectory;
QString ProgramPaths::settingsFilePath;

namespace {

// A name typed at the shell prompt and found through PATH carries no
// directory; the kernel still knows where the executable is.
QString runningExecutableDirectory()
{
#ifdef Q_OS_LINUX
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!executable.isEmpty())
        return QDir::toNativeSeparators(QFileInfo(executable).path()) + QDir::separator();
#endif
    return QString();
}

// Tried, not predicted: on Windows the folder's permissions are not looked at
// by QFileInfo::isWritable, and a read-only file system does not show in them.
bool canWriteIn(const QString &directory)
{
    QFile probe(QDir(directory.isEmpty() ? QStringLiteral(".") : directory)
                    .filePath(QStringLiteral(".Gridwrighter-probe-%1").arg(QCoreApplication::applicationPid())));
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

} // namespace

QString programDirectoryFromArgv0(const QByteArray &argv0)
{
    const QString path = QFile::decodeName(argv0);
    const int lastSeparator = path.lastIndexOf(QDir::separator());
    if (lastSeparator < 0)
        return runningExecutableDirectory();
    return path.left(lastSeparator + 1);
}

QString settingsFilePathIn(const QString &programDirectory)
{
    return programDirectory + QStringLiteral("Gridwrighter.vrq");
}

QString settingsFilePathFor(const QString &programDirectory)
{
    if (canWriteIn(programDirectory))
        return settingsFilePathIn(programDirectory);
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Gridwrighter/");
    QDir().mkpath(folder);
    const QString path = QDir::toNativeSeparators(settingsFilePathIn(folder));
    if (!QFile::exists(path))
        QFile(path).open(QIODevice::WriteOnly);
    return path;
}
