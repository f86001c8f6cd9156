// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TerminationRequest.h"

#ifdef Q_OS_WIN

void onTerminationRequest(QObject *, std::function<void()>)
{
}

#else

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int requestPipe[2] = {-1, -1};

// Only a write is safe in a signal handler; the event loop reads it.
void noteRequest(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(requestPipe[1], &byte, 1);
}

} // namespace

void onTerminationRequest(QObject *receiver, std::function<void()> handle)
{
    if (::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, receiver);
    QObject::connect(notifier, &QSocketNotifier::activated, receiver, [notifier, handle]() {
        char byte = 0;
        while (::read(requestPipe[0], &byte, 1) > 0) {
        }
        // Asked once is enough: a second request changes nothing.
        notifier->setEnabled(false);
        handle();
    });
    struct sigaction action = {};
    action.sa_handler = noteRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
}

#endif
