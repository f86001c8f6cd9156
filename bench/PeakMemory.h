#pragma once

#include <QString>

#include <atomic>
#include <thread>

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
    ~SofficeWatcher();

    SofficeWatcher(const SofficeWatcher &) = delete;
    SofficeWatcher &operator=(const SofficeWatcher &) = delete;

    double peakMb() const { return m_peakKb.load() / 1024.0; }

private:
    void sample();

    std::atomic<bool> m_stopping{false};
    std::atomic<long> m_peakKb{0};
    QString m_known; // the soffice.bin's pid, used by the sampling thread only
    std::thread m_thread;
};

} // namespace PeakMemory
