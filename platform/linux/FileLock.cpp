// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileLock.h"

#include "platform/linux/ProcessList.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Advisory fcntl locks: the kernel tells which process holds one.

namespace {

bool setLock(int descriptor, short type, off_t start, off_t length = 1)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return ::fcntl(descriptor, F_SETLK, &lock) == 0;
}

// The process holding a lock that conflicts with taking the whole file, or 0
// when none does (or -1 when the file cannot be asked).
long holderOfDescriptor(int descriptor)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(descriptor, F_GETLK, &lock) != 0)
        return -1;
    return lock.l_type == F_UNLCK ? 0 : long(lock.l_pid);
}

QString describe(long holder)
{
    if (holder == 0)
        return QString();
    // A lock held over a network file system may not tell its process.
    if (holder < 0)
        return QStringLiteral("a process on another machine");
    QString described = QStringLiteral("process %1").arg(holder);
    const QByteArray name = ProcessList::statusField(pid_t(holder), "Name");
    if (!name.isEmpty())
        described += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(name));
    return described;
}

} // namespace

FileLock::FileLock(const QString &path)
    : m_path(path)
    , m_descriptor(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
{
    if (m_descriptor < 0)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
}

FileLock::~FileLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool FileLock::isOpen() const
{
    return m_descriptor >= 0;
}

bool FileLock::lockByte(qint64 byte, bool alone)
{
    return setLock(m_descriptor, alone ? F_WRLCK : F_RDLCK, off_t(byte));
}

// The kernel tells who holds an fcntl lock.
void FileLock::recordHolder()
{
}

bool FileLock::isStillAtPath() const
{
    struct stat opened;
    struct stat named;
    return ::fstat(m_descriptor, &opened) == 0 && ::stat(QFile::encodeName(m_path).constData(), &named) == 0
        && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}

bool FileLock::removeIfUnshared()
{
    if (!setLock(m_descriptor, F_WRLCK, 0, 0))
        return false;
    ::unlink(QFile::encodeName(m_path).constData());
    return true;
}

QString FileLock::holderOf(const QString &path)
{
    // Read only: closing a descriptor of a file this process holds would
    // drop its lock, so the file is not made when missing.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return QString();
    const long holder = holderOfDescriptor(descriptor);
    ::close(descriptor);
    return describe(holder);
}
