// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <oaidl.h>

// One running application of a ProgID (Excel, WPS) and every call made into
// it, from the thread that started it. A call that fails for any reason
// raises the error, with a reason people can read. A busy application
// (RPC_E_CALL_REJECTED, RPC_E_SERVERCALL_RETRYLATER) is asked again for a
// bounded time. A call that does not return within its bound ends the
// application's process (found through its window, Application.Hwnd); an
// application that died or was ended is lost, and every later call into it
// fails at once with the reason, until restart() starts a new one and makes
// the settings remembered from the old one again.
class ComSession
{
public:
    enum class Access { Call, Read, Write };

    // Null, with the error, when the application cannot be started.
    static std::shared_ptr<ComSession> start(const QString &progId, AutomationError &error);
    ~ComSession();

    ComSession(const ComSession &) = delete;
    ComSession &operator=(const ComSession &) = delete;

    // The application object of the current instance, not AddRef'd.
    IDispatch *application() const { return m_application; }
    // Counts the instances started: objects of an earlier one are gone.
    int generation() const { return m_generation; }
    bool isLost() const { return m_lost; }
    QString lostReason() const;

    // A member call; result may be null. A member with parentheses is a
    // method (or a property read with arguments, as Visual Basic calls them),
    // or, named "SetX" where the object has no such method, a write of X.
    bool invoke(IDispatch *target, const QByteArray &member, Access access, const QVariantList &arguments,
                VARIANT *result, AutomationError &error);

    // A setting made on the application, made again on a new instance.
    void remember(const QByteArray &member, Access access, const QVariantList &arguments);
    // Starts a new instance in place of a lost one.
    bool restart(AutomationError &error);

private:
    explicit ComSession(const QString &progId);

    bool launch(AutomationError &error);
    void release();
    void findProcess();
    HRESULT watched(const std::function<HRESULT()> &call);
    void markLost(const QString &reason);
    void watch();

    struct Setting
    {
        QByteArray member;
        Access access;
        QVariantList arguments;
    };

    const QString m_progId;
    const std::chrono::milliseconds m_callLimit;
    const std::chrono::milliseconds m_busyLimit;
    IDispatch *m_application = nullptr;
    int m_generation = 0;
    unsigned long m_processId = 0; // 0: unknown, or this process (an in-process server)
    QList<Setting> m_settings;

    std::atomic<bool> m_lost{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QString m_lostReason;
    bool m_armed = false;
    bool m_stopping = false;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_watchdog;
};
