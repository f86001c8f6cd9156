// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/PeakMemory.h"

#include "platform/linux/ProcessList.h"

#include <QFile>

#include <unistd.h>

namespace {

long hwmKb(pid_t pid)
{
    return ProcessList::statusField(pid, "VmHWM").split(' ').value(0).toLong();
}

bool isSoffice(pid_t pid)
{
    return ProcessList::statusField(pid, "Name") == "soffice.bin";
}

bool descendsFromUs(pid_t pid)
{
    const pid_t us = getpid();
    for (int depth = 0; depth < 4 && pid > 0; ++depth) {
        ProcessList::Stat stat;
        if (!ProcessList::stat(pid, &stat))
            return false;
        pid = stat.parent;
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
    return hwmKb(getpid()) / 1024.0;
}

double sofficeMbOf(qint64 launcherPid)
{
    // soffice.bin runs below the guard and the launcher, or is the launcher
    // itself once exec'd.
    QList<pid_t> below{static_cast<pid_t>(launcherPid)};
    while (!below.isEmpty()) {
        const pid_t pid = below.takeFirst();
        if (isSoffice(pid))
            return hwmKb(pid) / 1024.0;
        below.append(ProcessList::children(pid));
    }
    return 0;
}

SofficeWatcher::SofficeWatcher()
    : m_sampler([this] { sample(); })
{
}

void SofficeWatcher::sample()
{
    // Reading one status file is cheap; scanning /proc only while no
    // soffice is known keeps the watcher off the measured work's cores.
    if (m_known > 0) {
        const long peak = hwmKb(m_known);
        if (peak > 0) {
            if (peak > m_peakKb)
                m_peakKb = peak;
            return;
        }
        m_known = 0;
    }
    for (const pid_t pid : ProcessList::ids()) {
        if (isSoffice(pid) && descendsFromUs(pid)) {
            m_known = pid;
            return;
        }
    }
}

} // namespace PeakMemory
