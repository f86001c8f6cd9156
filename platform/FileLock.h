// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// A lock file whose bytes processes lock, shared or alone, without waiting.
// The system releases a process's locks when it ends, however it ends, so a
// killed holder never leaves one behind.
class FileLock
{
public:
    // Opens the file, making it when missing; error() says why it could not.
    explicit FileLock(const QString &path);
    // Closes the file, which releases every lock this object holds.
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool isOpen() const;
    QString error() const { return m_error; }

    // Locks one byte, shared with other shared holders or alone. False when
    // another process holds a lock in the way.
    bool lockByte(qint64 byte, bool alone);
    // Once every lock is taken: notes this process as the holder, where the
    // system cannot tell who holds a lock.
    void recordHolder();

    // Whether the file open is still the one at the path: its last holder may
    // have removed it between the opening and the locking here.
    bool isStillAtPath() const;

    // Removes the file while still holding it, when no other process holds a
    // lock on it; false (and the file left) otherwise.
    bool removeIfUnshared();

    // The process holding a lock on the file at path: "process 4242 (name)",
    // or "a process on another machine"; empty when none does.
    static QString holderOf(const QString &path);

private:
    QString m_path;
    QString m_error;
#ifdef Q_OS_WIN
    void *m_handle;
    QList<qint64> m_lockedBytes;
#else
    int m_descriptor;
#endif
};
