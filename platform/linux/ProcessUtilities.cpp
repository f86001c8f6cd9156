#include "app/ProcessUtilities.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

// readlink with a growing buffer, so that long paths are never cut.
QByteArray readLink(const QByteArray &linkPath)
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink(linkPath.constData(), buffer.data(), buffer.size());
        if (length < 0)
            return QByteArray();
        if (static_cast<size_t>(length) < buffer.size())
            return QByteArray(buffer.data(), static_cast<int>(length));
        buffer.resize(buffer.size() * 2);
    }
}

QByteArray fileNameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The kernel's 15-character comm would cut long names, so the executable's
// path is used; argv[0] only when the link cannot be read (other users).
QString imageNameOf(pid_t pid)
{
    const QByteArray procDirectory = "/proc/" + QByteArray::number(pid);
    QByteArray executable = readLink(procDirectory + "/exe");
    if (!executable.isEmpty()) {
        const QByteArray deletedMark = " (deleted)";
        if (executable.endsWith(deletedMark))
            executable.chop(deletedMark.size());
        return QFile::decodeName(fileNameOf(executable));
    }
    QFile commandLine(QString::fromLatin1(procDirectory + "/cmdline"));
    if (!commandLine.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray arguments = commandLine.readAll();
    return QFile::decodeName(fileNameOf(arguments.left(arguments.indexOf('\0'))));
}

std::vector<pid_t> processIdsInOrder()
{
    std::vector<pid_t> ids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const long id = entry.toLong(&isNumber, 10);
        if (isNumber && id > 0)
            ids.push_back(static_cast<pid_t>(id));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

int countProcesses(const QString &imageName)
{
    int count = 0;
    for (pid_t pid : processIdsInOrder()) {
        if (imageNameOf(pid) == imageName)
            ++count;
    }
    return count;
}

bool terminateFirstProcess(const QString &imageName)
{
    const pid_t self = ::getpid();
    for (pid_t pid : processIdsInOrder()) {
        if (pid != self && imageNameOf(pid) == imageName)
            return ::kill(pid, SIGKILL) == 0;
    }
    return false;
}
