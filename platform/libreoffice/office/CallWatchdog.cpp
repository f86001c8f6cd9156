// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/office/CallWatchdog.h"

CallWatchdog::CallWatchdog(std::function<void()> onExpiry)
    : m_onExpiry(std::move(onExpiry))
    , m_thread([this] { watch(); })
{
}

CallWatchdog::~CallWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool CallWatchdog::hasExpired() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_expired;
}

bool CallWatchdog::arm(int limitMs)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_armed)
            return false;
        m_armed = true;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    }
    m_changed.notify_all();
    return true;
}

void CallWatchdog::disarm()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
    }
    m_changed.notify_all();
}

void CallWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_deadline) != std::cv_status::timeout)
            continue;
        if (m_armed && !m_stopping && std::chrono::steady_clock::now() >= m_deadline) {
            m_expired = true;
            m_armed = false;
            lock.unlock();
            m_onExpiry();
            lock.lock();
        }
    }
}

CallWatchdog::Scope::Scope(CallWatchdog &watchdog, int limitMs)
    : m_watchdog(watchdog)
    , m_armed(watchdog.arm(limitMs))
{
}

CallWatchdog::Scope::~Scope()
{
    if (m_armed)
        m_watchdog.disarm();
}
