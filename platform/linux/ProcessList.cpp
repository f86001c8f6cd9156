// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ProcessList.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

#include <unistd.h>

namespace {

QByteArray procFile(pid_t pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

} // namespace

namespace ProcessList {

QList<pid_t> ids()
{
    QList<pid_t> ids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const long id = entry.toLong(&isNumber, 10);
        if (isNumber && id > 0)
            ids.append(static_cast<pid_t>(id));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool stat(pid_t pid, Stat *stat)
{
    const QByteArray line = procFile(pid, "stat");
    // The fields after the command name, which may hold spaces and brackets:
    // state, parent, process group.
    const int nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return false;
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    if (fields.size() < 3 || fields.at(0).isEmpty())
        return false;
    stat->state = fields.at(0).at(0);
    stat->parent = static_cast<pid_t>(fields.at(1).toLong());
    stat->group = static_cast<pid_t>(fields.at(2).toLong());
    return true;
}

QList<pid_t> groupMembers(pid_t group)
{
    QList<pid_t> members;
    for (const pid_t pid : ids()) {
        Stat read;
        if (stat(pid, &read) && read.group == group && read.state != 'Z')
            members.append(pid);
    }
    return members;
}

QByteArray statusField(pid_t pid, const QByteArray &key)
{
    for (const QByteArray &line : procFile(pid, "status").split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed();
    }
    return QByteArray();
}

QList<QByteArray> arguments(pid_t pid)
{
    QByteArray all = procFile(pid, "cmdline");
    if (all.isEmpty())
        return {};
    if (all.endsWith('\0'))
        all.chop(1);
    return all.split('\0');
}

QByteArray executable(pid_t pid)
{
    return readLink("/proc/" + QByteArray::number(pid) + "/exe");
}

QList<pid_t> children(pid_t pid)
{
    QList<pid_t> children;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile list(tasks.filePath(task + QStringLiteral("/children")));
        if (!list.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &field : list.readAll().simplified().split(' ')) {
            const long child = field.toLong();
            if (child > 0)
                children.append(static_cast<pid_t>(child));
        }
    }
    return children;
}

} // namespace ProcessList
