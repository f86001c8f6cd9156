// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/support/Sampler.h"

#include <QtGlobal>

#include <atomic>

#include <sys/types.h>

// Peak resident memory (VmHWM) in MB, of this process and of the soffice.bin
// processes it starts.
namespace PeakMemory {

// Resets this process's peak to its current size.
void resetOwn();
double ownMb();

// The VmHWM of the soffice.bin that the launcher with this pid started (the
// pid an application's "ProcessId" gives), or 0 when there is none.
double sofficeMbOf(qint64 launcherPid);

// Samples every soffice.bin below this process while it lives; the peak
// seen is the largest VmHWM read, which only grows until soffice ends.
class SofficeWatcher
{
public:
    SofficeWatcher();

    SofficeWatcher(const SofficeWatcher &) = delete;
    SofficeWatcher &operator=(const SofficeWatcher &) = delete;

    double peakMb() const { return m_peakKb.load() / 1024.0; }

private:
    void sample();

    std::atomic<long> m_peakKb{0};
    pid_t m_known = 0; // the soffice.bin's pid, used by the sampling thread only
    Sampler m_sampler;
};

} // namespace PeakMemory
