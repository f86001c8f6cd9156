// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>

class FileLock;

// The lock a job or an undo holds on its chosen folder for its whole run, so
// that a second one cannot edit or restore the same workbooks at the same
// time: a lock on a file in the folder's backup folder, which the system
// releases when the process ends, however it ends, so it is never
// left stale. Folders inside or above a locked one count as taken too. The
// slices of one sharded job share their folder.
class FolderLock
{
public:
    // Takes the lock on folder (absolute); shard K of N shares it with the
    // job's other slices.
    explicit FolderLock(const QString &folder, int shardNumber = 1, int shardCount = 1);
    // Releases it, removing the lock file and an empty backup folder.
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool isHeld() const;
    // Why it is not held: the running job's process, or why no lock could be
    // made.
    QString refusal() const { return m_refusal; }
    // The process of the job holding the folder ("process 4242 (Gridwrighter)"),
    // or empty.
    QString holder() const { return m_holder; }

    static QString fileName();

private:
    bool lock(int shardNumber, int shardCount);
    void refuseForHolder(const QString &lockFile, const QString &holder);
    void release();

    QString m_folder;
    QString m_path;
    std::unique_ptr<FileLock> m_file;
    QString m_refusal;
    QString m_holder;
};
