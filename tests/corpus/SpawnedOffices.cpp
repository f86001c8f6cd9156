// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/corpus/SpawnedOffices.h"

#include "platform/linux/ProcessList.h"

#include <QMutexLocker>
#include <QUrl>

#include <unistd.h>

namespace {

// The folder of "-env:UserInstallation=file:///..." among a process's arguments.
QString profileFolderOf(qint64 pid)
{
    const QByteArray prefix = "-env:UserInstallation=";
    for (const QByteArray &argument : ProcessList::arguments(static_cast<pid_t>(pid))) {
        if (argument.startsWith(prefix))
            return QUrl(QString::fromUtf8(argument.mid(prefix.size()))).toLocalFile();
    }
    return QString();
}

} // namespace

SpawnedOffices::SpawnedOffices()
    : m_sampler([this] { sample(); })
{
}

QList<SpawnedOffices::Office> SpawnedOffices::seen() const
{
    QMutexLocker lock(&m_mutex);
    return m_seen;
}

void SpawnedOffices::sample()
{
    for (const pid_t child : ProcessList::children(getpid())) {
        const qint64 pid = child;
        QMutexLocker lock(&m_mutex);
        bool known = false;
        for (Office &office : m_seen) {
            if (office.pid == pid) {
                known = true;
                // The arguments may not be readable in the instant after the spawn.
                if (office.profileFolder.isEmpty())
                    office.profileFolder = profileFolderOf(pid);
            }
        }
        if (!known)
            m_seen.append(Office{pid, profileFolderOf(pid)});
    }
}
