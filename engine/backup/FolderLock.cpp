// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/FolderLock.h"

#include "engine/backup/BackupHistory.h"
#include "platform/FileLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>

namespace {

// Byte 0 is the folder's: a whole job or an undo takes it alone, the slices
// of a sharded job share it and each takes a byte of its own further on.
const qint64 folderByte = 0;

qint64 shardByte(int number, int count)
{
    return 1 + qint64(count) * (count - 1) / 2 + (number - 1);
}

} // namespace

QString FolderLock::fileName()
{
    return QStringLiteral("job.lock");
}

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
        const QString holder = FileLock::holderOf(lockFile);
        if (!holder.isEmpty()) {
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
        const QString holder = FileLock::holderOf(lockFile);
        if (!holder.isEmpty()) {
            refuseForHolder(lockFile, holder);
            return;
        }
    }
}

FolderLock::~FolderLock()
{
    release();
}

bool FolderLock::isHeld() const
{
    return m_file != nullptr;
}

bool FolderLock::lock(int shardNumber, int shardCount)
{
    if (!QDir().mkpath(BackupHistory::rootOf(m_folder))) {
        m_refusal = QCoreApplication::translate("Engine", "cannot make the backup folder %1 to lock the folder")
                        .arg(QDir::toNativeSeparators(BackupHistory::rootOf(m_folder)));
        return false;
    }
    // A lock file removed by the job that held it, between the open and the
    // lock here, locks nothing: taken again until the file locked is the one
    // in place.
    for (;;) {
        auto file = std::make_unique<FileLock>(m_path);
        if (!file->isOpen()) {
            m_refusal = QCoreApplication::translate("Engine", "cannot make the lock file %1: %2")
                            .arg(QDir::toNativeSeparators(m_path), file->error());
            return false;
        }
        const bool locked = shardCount > 1 ? file->lockByte(folderByte, false)
                                                 && file->lockByte(shardByte(shardNumber, shardCount), true)
                                           : file->lockByte(folderByte, true);
        if (!locked) {
            // Its own locks go first, so that only the other job's are seen.
            file.reset();
            refuseForHolder(m_path, FileLock::holderOf(m_path));
            return false;
        }
        if (file->isStillAtPath()) {
            file->recordHolder();
            m_file = std::move(file);
            return true;
        }
    }
}

void FolderLock::refuseForHolder(const QString &lockFile, const QString &holder)
{
    release();
    // Released between the refusal and the question: some other job held it.
    m_holder = holder.isEmpty() ? QCoreApplication::translate("Engine", "another process") : holder;
    m_refusal = QCoreApplication::translate("Engine", "the folder %1 is being edited by another job, %2, which holds %3; run again once it "
                               "has ended")
                    .arg(QDir::toNativeSeparators(m_folder), m_holder, QDir::toNativeSeparators(lockFile));
}

// The lock file goes while still locked, and only when no slice of the job
// still shares it, so that no other job can lock a file no longer in place.
void FolderLock::release()
{
    if (!m_file)
        return;
    if (m_file->removeIfUnshared()) {
        m_file.reset();
        QDir().rmdir(BackupHistory::rootOf(m_folder));
    }
    m_file.reset();
}
