#include "tests/corpus/SpawnedOffices.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QUrl>

#include <chrono>

namespace {

// The folder of "-env:UserInstallation=file:///..." among a process's arguments.
QString profileFolderOf(qint64 pid)
{
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!commandLine.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray prefix = "-env:UserInstallation=";
    for (const QByteArray &argument : commandLine.readAll().split('\0')) {
        if (argument.startsWith(prefix))
            return QUrl(QString::fromUtf8(argument.mid(prefix.size()))).toLocalFile();
    }
    return QString();
}

} // namespace

SpawnedOffices::SpawnedOffices()
    : m_thread([this] {
        // soffice takes seconds to start; a launcher cannot slip between samples.
        while (!m_stopping) {
            sample();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    })
{
}

SpawnedOffices::~SpawnedOffices()
{
    m_stopping = true;
    m_thread.join();
}

QList<SpawnedOffices::Office> SpawnedOffices::seen() const
{
    QMutexLocker lock(&m_mutex);
    return m_seen;
}

void SpawnedOffices::sample()
{
    // Each thread's "children" file lists the processes it spawned.
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &field : children.readAll().simplified().split(' ')) {
            const qint64 pid = field.toLongLong();
            if (pid <= 0)
                continue;
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
}
