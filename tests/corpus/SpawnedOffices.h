#pragma once

#include <QList>
#include <QMutex>
#include <QString>

#include <atomic>
#include <thread>

// The soffice launchers this process spawns while the watcher lives, each with
// the private profile folder it was given. A job keeps its application object
// to itself, so they are seen from outside: every child of this process is a
// launcher, and the launcher leads a process group of its own.
class SpawnedOffices
{
public:
    struct Office
    {
        qint64 pid = 0; // also the id of its process group
        QString profileFolder;
    };

    SpawnedOffices();
    ~SpawnedOffices();

    SpawnedOffices(const SpawnedOffices &) = delete;
    SpawnedOffices &operator=(const SpawnedOffices &) = delete;

    QList<Office> seen() const;

private:
    void sample();

    std::atomic<bool> m_stopping{false};
    mutable QMutex m_mutex;
    QList<Office> m_seen;
    std::thread m_thread;
};
