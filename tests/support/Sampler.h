// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// Calls a function every 50 ms on a thread of its own while it lives: the
// one sampler of the processes a benchmark or a test starts. soffice takes
// seconds to start, so none can slip between two samples.
class Sampler
{
public:
    explicit Sampler(std::function<void()> sample)
        : m_thread([this, sample = std::move(sample)] {
            while (!m_stopping) {
                sample();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        })
    {
    }

    ~Sampler()
    {
        m_stopping = true;
        m_thread.join();
    }

    Sampler(const Sampler &) = delete;
    Sampler &operator=(const Sampler &) = delete;

private:
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};
