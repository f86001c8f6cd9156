// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessUtilities.h"

#include "platform/linux/ProcessList.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The kernel's 15-character comm would cut long names, so the executable's
// path is used; argv[0] only when the link cannot be read (other users).
QString imageNameOf(pid_t pid)
{
    QByteArray executable = ProcessList::executable(pid);
    if (!executable.isEmpty()) {
        const QByteArray deletedMark = " (deleted)";
        if (executable.endsWith(deletedMark))
            executable.chop(deletedMark.size());
        return QFile::decodeName(fileNameOf(executable));
    }
    const QList<QByteArray> arguments = ProcessList::arguments(pid);
    return arguments.isEmpty() ? QString() : QFile::decodeName(fileNameOf(arguments.first()));
}

// WPS Spreadsheets is installed as .../wps-office/office6/et (by Kingsoft's
// packages under /opt/kingsoft); any other "et" is some other program.
bool isWpsSpreadsheets(pid_t pid)
{
    const QByteArray executable = ProcessList::executable(pid);
    return executable.contains("/wps-office/") || executable.contains("/kingsoft/");
}

bool isOwnUsers(pid_t pid)
{
    const QList<QByteArray> ids = ProcessList::statusField(pid, "Uid").split('\t');
    return !ids.isEmpty() && ids.first().trimmed().toUInt() == ::getuid();
}

// Only this user's processes are counted or ended, and an "et" only when it
// is WPS's.
bool carriesImage(pid_t pid, const QString &imageName)
{
    return imageNameOf(pid) == imageName && isOwnUsers(pid)
        && (imageName != QLatin1String("et") || isWpsSpreadsheets(pid));
}

} // namespace

int countProcesses(const QString &imageName)
{
    int count = 0;
    for (pid_t pid : ProcessList::ids()) {
        if (carriesImage(pid, imageName))
            ++count;
    }
    return count;
}

bool terminateFirstProcess(const QString &imageName)
{
    const pid_t self = ::getpid();
    for (pid_t pid : ProcessList::ids()) {
        if (pid != self && carriesImage(pid, imageName))
            return ::kill(pid, SIGKILL) == 0;
    }
    return false;
}

bool endOtherCopies(const QString &imageName, int waitMilliseconds)
{
    const pid_t self = ::getpid();
    for (pid_t pid : ProcessList::ids()) {
        if (pid != self && carriesImage(pid, imageName))
            ::kill(pid, SIGTERM);
    }
    QElapsedTimer waited;
    waited.start();
    while (countProcesses(imageName) > 1) {
        if (waited.elapsed() > waitMilliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// Debian's packages do not look for running programs.
void markProgramRunning()
{
}
