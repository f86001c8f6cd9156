// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Bounds how long a call into soffice may block: when an armed call runs past
// its limit, the watchdog's own thread runs the expiry action (which kills
// soffice, so the blocked call throws and returns).
class CallWatchdog
{
public:
    explicit CallWatchdog(std::function<void()> onExpiry);
    ~CallWatchdog();

    CallWatchdog(const CallWatchdog &) = delete;
    CallWatchdog &operator=(const CallWatchdog &) = delete;

    bool hasExpired() const;

    // Arms the watchdog for its lifetime; a scope inside an armed one leaves
    // the outer limit in force.
    class Scope
    {
    public:
        Scope(CallWatchdog &watchdog, int limitMs);
        ~Scope();

        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        CallWatchdog &m_watchdog;
        bool m_armed = false;
    };

private:
    bool arm(int limitMs);
    void disarm();
    void watch();

    std::function<void()> m_onExpiry;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_armed = false;
    bool m_expired = false;
    bool m_stopping = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};
