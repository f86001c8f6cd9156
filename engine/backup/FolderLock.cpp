// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/FolderLock.h"

#include "engine/backup/BackupHistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#ifndef Q_OS_WIN
#include "platform/linux/ProcessList.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString FolderLock::fileName()
{
    return QStringLiteral("job.lock");
}

#ifdef Q_OS_WIN

// Not taken on Windows yet: there two jobs on one folder are not kept apart.
FolderLock::FolderLock(const QString &folder, int, int)
    : m_folder(folder)
    , m_descriptor(0)
{
}

FolderLock::~FolderLock() = default;

#else

namespace {

// Byte 0 is the folder's: a whole job or an undo takes it alone, the slices
// of a sharded job share it and each takes a byte of its own further on.
const off_t folderByte = 0;

off_t shardByte(int number, int count)
{
    return 1 + off_t(count) * (count - 1) / 2 + (number - 1);
}

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
long holderOf(int descriptor)
{
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(descriptor, F_GETLK, &lock) != 0)
        return -1;
    return lock.l_type == F_UNLCK ? 0 : long(lock.l_pid);
}

long holderOfFile(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    const long holder = holderOf(descriptor);
    ::close(descriptor);
    return holder;
}

} // namespace

FolderLock::FolderLock(const QString &folder, int shardNumber, int shardCount)
    : m_folder(folder)
    , m_path(QDir(BackupHistory::rootOf(folder)).filePath(fileName()))
{
    if (!lock(shardNumber, shardCount))
        return;
    // A job on a folder above or below edits some of the same workbooks:
    // looked for once this one's own lock is taken, so that of two starting
    // at once at least one sees the other.
    for (QDir above(folder); above.cdUp();) {
        const QString lockFile = QDir(BackupHistory::rootOf(above.path())).filePath(fileName());
        if (const long holder = holderOfFile(lockFile)) {
            refuseForHolder(lockFile, holder);
            return;
        }
        if (above.isRoot())
            break;
    }
    QDirIterator below(folder, {BackupHistory::folderName()}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (below.hasNext()) {
        const QString lockFile = QDir(below.next()).filePath(fileName());
        if (lockFile == m_path)
            continue;
        if (const long holder = holderOfFile(lockFile)) {
            refuseForHolder(lockFile, holder);
            return;
        }
    }
}

FolderLock::~FolderLock()
{
    release();
}

bool FolderLock::lock(int shardNumber, int shardCount)
{
    if (!QDir().mkpath(BackupHistory::rootOf(m_folder))) {
        m_refusal = QCoreApplication::translate("Engine", "cannot make the backup folder %1 to lock the folder")
                        .arg(QDir::toNativeSeparators(BackupHistory::rootOf(m_folder)));
        return false;
    }
    const QByteArray path = QFile::encodeName(m_path);
    // A lock file removed by the job that held it, between the open and the
    // lock here, locks nothing: taken again until the file locked is the one
    // in place.
    for (;;) {
        const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            m_refusal = QCoreApplication::translate("Engine", "cannot make the lock file %1: %2")
                            .arg(QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        const bool locked = shardCount > 1 ? setLock(descriptor, F_RDLCK, folderByte)
                                                 && setLock(descriptor, F_WRLCK, shardByte(shardNumber, shardCount))
                                           : setLock(descriptor, F_WRLCK, folderByte);
        if (!locked) {
            const long holder = holderOf(descriptor);
            ::close(descriptor);
            refuseForHolder(m_path, holder);
            return false;
        }
        struct stat opened;
        struct stat named;
        if (::fstat(descriptor, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_ino == named.st_ino
            && opened.st_dev == named.st_dev) {
            m_descriptor = descriptor;
            return true;
        }
        ::close(descriptor);
    }
}

void FolderLock::refuseForHolder(const QString &lockFile, long holder)
{
    release();
    m_holder = QStringLiteral("process %1").arg(holder);
    const QByteArray name = holder > 0 ? ProcessList::statusField(pid_t(holder), "Name") : QByteArray();
    if (!name.isEmpty())
        m_holder += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(name));
    // A lock held over a network file system may not tell its process.
    if (holder <= 0)
        m_holder = QCoreApplication::translate("Engine", "a process on another machine");
    m_refusal = QCoreApplication::translate("Engine", "the folder %1 is being edited by another job, %2, which holds %3; run again once it "
                               "has ended")
                    .arg(QDir::toNativeSeparators(m_folder), m_holder, QDir::toNativeSeparators(lockFile));
}

// The lock file goes while still locked, and only when no slice of the job
// still shares it, so that no other job can lock a file no longer in place.
void FolderLock::release()
{
    if (m_descriptor < 0)
        return;
    if (setLock(m_descriptor, F_WRLCK, 0, 0)) {
        ::unlink(QFile::encodeName(m_path).constData());
        QDir().rmdir(BackupHistory::rootOf(m_folder));
    }
    ::close(m_descriptor);
    m_descriptor = -1;
}

#endif
