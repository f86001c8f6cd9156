// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessUtilities.h"

#include "platform/linux/ProcessList.h"

#include <QFile>

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

} // namespace

int countProcesses(const QString &imageName)
{
    int count = 0;
    for (pid_t pid : ProcessList::ids()) {
        if (imageNameOf(pid) == imageName)
            ++count;
    }
    return count;
}

bool terminateFirstProcess(const QString &imageName)
{
    const pid_t self = ::getpid();
    for (pid_t pid : ProcessList::ids()) {
        if (pid != self && imageNameOf(pid) == imageName)
            return ::kill(pid, SIGKILL) == 0;
    }
    return false;
}
