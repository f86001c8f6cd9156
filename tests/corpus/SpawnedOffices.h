// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/support/Sampler.h"

#include <QList>
#include <QMutex>
#include <QString>


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

    SpawnedOffices(const SpawnedOffices &) = delete;
    SpawnedOffices &operator=(const SpawnedOffices &) = delete;

    QList<Office> seen() const;

private:
    void sample();

    mutable QMutex m_mutex;
    QList<Office> m_seen;
    Sampler m_sampler;
};
