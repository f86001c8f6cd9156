#include "bench/PeakMemory.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <chrono>

#include <unistd.h>

namespace {

// The "Key:" line of /proc/PID/status, without the key.
QString statusField(const QString &pid, const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return QString::fromLatin1(line.mid(key.size() + 1).trimmed());
    }
    return QString();
}

long hwmKb(const QString &pid)
{
    return statusField(pid, "VmHWM").section(QLatin1Char(' '), 0, 0).toLong();
}

bool descendsFromUs(QString pid)
{
    const QString us = QString::number(getpid());
    for (int depth = 0; depth < 4 && !pid.isEmpty() && pid != QLatin1String("0"); ++depth) {
        pid = statusField(pid, "PPid");
        if (pid == us)
            return true;
    }
    return false;
}

} // namespace

namespace PeakMemory {

void resetOwn()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double ownMb()
{
    return hwmKb(QStringLiteral("self")) / 1024.0;
}

double sofficeMbOf(qint64 launcherPid)
{
    // soffice.bin is the launcher's child, or the launcher itself once exec'd.
    const QString launcher = QString::number(launcherPid);
    if (statusField(launcher, "Name") == QLatin1String("soffice.bin"))
        return hwmKb(launcher) / 1024.0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(launcherPid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + QStringLiteral("/children")));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &child : children.readAll().simplified().split(' ')) {
            const QString pid = QString::fromLatin1(child);
            if (statusField(pid, "Name") == QLatin1String("soffice.bin"))
                return hwmKb(pid) / 1024.0;
        }
    }
    return 0;
}

SofficeWatcher::SofficeWatcher()
    : m_thread([this] {
        while (!m_stopping) {
            sample();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    })
{
}

SofficeWatcher::~SofficeWatcher()
{
    m_stopping = true;
    m_thread.join();
}

void SofficeWatcher::sample()
{
    // Reading one status file is cheap; scanning /proc only while no
    // soffice is known keeps the watcher off the measured work's cores.
    if (!m_known.isEmpty()) {
        const long peak = hwmKb(m_known);
        if (peak > 0) {
            if (peak > m_peakKb)
                m_peakKb = peak;
            return;
        }
        m_known.clear();
    }
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : entries) {
        bool isNumber = false;
        pid.toInt(&isNumber);
        if (!isNumber || statusField(pid, "Name") != QLatin1String("soffice.bin") || !descendsFromUs(pid))
            continue;
        m_known = pid;
        return;
    }
}

} // namespace PeakMemory
