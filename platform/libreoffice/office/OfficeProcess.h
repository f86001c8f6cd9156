// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <sys/types.h>

// One spawned soffice. It runs in a session and process group of its own,
// so that the launcher (oosplash) and soffice.bin under it can be ended
// together without touching any other process, and it never outlives this
// process: when this process ends, however it ends, the group is killed and
// its files removed.
class OfficeProcess
{
public:
    OfficeProcess() = default;
    ~OfficeProcess();

    OfficeProcess(const OfficeProcess &) = delete;
    OfficeProcess &operator=(const OfficeProcess &) = delete;

    // What is removed when this process dies before the office ends.
    struct OrphanCleanup
    {
        QString folder;   // with a file "in-hand" listing further files
        QString pipeFile;
    };
    bool start(const QString &program, const QStringList &arguments, const OrphanCleanup &cleanup,
               QString *whyNot);

    pid_t pid() const { return m_pid; }
    // soffice.bin's, once findOffice found it; 0 before.
    pid_t officePid() const { return m_office; }
    bool isRunning();
    // Finds soffice.bin under the launcher once it runs, so that its end is
    // seen at once; false while it is not there.
    bool findOffice();

    // The unix socket files the group listens on (its pipes in /tmp).
    QStringList socketFiles() const;

    // Safe from any thread: it only sends a signal.
    void killGroup();
    // Kills every office this process has running, at once: safe in a signal
    // handler, for a stop that cannot wait for the workbook in hand.
    static void killAllGroups();

    // Waits up to timeoutMs for the launcher to end, then kills the group;
    // returns once every process of the group is gone.
    void stop(int timeoutMs);

private:
    bool reap(int timeoutMs);
    bool groupAlive() const;

    std::atomic<pid_t> m_pid{0};
    bool m_reaped = true;
    int m_lifeline = -1;
    pid_t m_office = 0;
    int m_officeHandle = -1;
};
