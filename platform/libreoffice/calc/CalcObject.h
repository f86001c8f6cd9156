// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <memory>
#include <thread>

class OfficeSession;

// The common frame of the Calc objects: every member runs on the thread that
// started the application, under the session's watchdog, and whatever it throws (a UNO exception, an AutomationFailure)
// becomes the AutomationError the caller sees; nothing escapes.
// Subclasses implement the members they have; the others raise the error.
class CalcObject : public AutomationObject
{
public:
    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) final;
    QVariant call(const QByteArray &member, const QVariantList &arguments, AutomationError &error) final;
    QVariant property(const QByteArray &name, AutomationError &error) final;
    bool setProperty(const QByteArray &name, const QVariant &value, AutomationError &error) final;

    // The error a failed member raises, as its caller sees it.
    static AutomationError memberError(const QByteArray &member, const QString &description);

protected:
    // Null when there is no soffice to watch.
    virtual std::shared_ptr<OfficeSession> watchedSession() const = 0;

    // Runs under the watchdog before every member, so that work a member left
    // pending (held-back writes) is finished within the same bounds.
    virtual void beforeMember(const QByteArray &member);
    virtual AutomationObjectPtr subObject(const QByteArray &member, const QVariantList &arguments);
    virtual QVariant invoke(const QByteArray &member, const QVariantList &arguments);
    virtual QVariant read(const QByteArray &name);
    virtual void write(const QByteArray &name, const QVariant &value);

    [[noreturn]] static void unknownMember(const QByteArray &member);
    // The argument at index, failing when the caller gave fewer.
    static QVariant argument(const QVariantList &arguments, int index);

private:
    template<typename Result, typename Member>
    Result guarded(const QByteArray &member, AutomationError &error, Member body);

    // A UNO connection is used from the thread that made it; every object is
    // made during a member call on that thread.
    const std::thread::id m_ownerThread = std::this_thread::get_id();
};
