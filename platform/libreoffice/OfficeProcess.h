#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <sys/types.h>

// One spawned soffice. It runs in a session and process group of its own,
// so that the launcher (oosplash) and soffice.bin under it can be ended
// together without touching any other process.
class OfficeProcess
{
public:
    OfficeProcess() = default;
    ~OfficeProcess();

    OfficeProcess(const OfficeProcess &) = delete;
    OfficeProcess &operator=(const OfficeProcess &) = delete;

    bool start(const QString &program, const QStringList &arguments, QString *whyNot);

    pid_t pid() const { return m_pid; }
    bool isRunning();

    // The unix socket files the group listens on (its pipes in /tmp).
    QStringList socketFiles() const;

    // Safe from any thread: it only sends a signal.
    void killGroup();

    // Waits up to timeoutMs for the launcher to end, then kills the group;
    // returns once every process of the group is gone.
    void stop(int timeoutMs);

private:
    bool reap(int timeoutMs);
    bool groupAlive() const;

    std::atomic<pid_t> m_pid{0};
    bool m_reaped = true;
};
