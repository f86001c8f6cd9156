// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <memory>

#include <oaidl.h>

class ComSession;

// A COM object of an installed application, called through its IDispatch by
// the session (ActiveQt's conversions, every failure raised). Used only on
// the thread that started the application, as COM requires. The application
// object and what it gives straight away (its Workbooks) follow a new
// instance when the session starts one; other objects belong to the instance
// that gave them and fail once it is lost.
class ComObject : public AutomationObject
{
public:
    enum class Role { Application, OfApplication, Other };

    ComObject(std::shared_ptr<ComSession> session, IDispatch *dispatch, Role role, const QByteArray &member);
    ~ComObject() override;

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override;
    QVariant call(const QByteArray &member, const QVariantList &arguments,
                  AutomationError &error) override;
    QVariant property(const QByteArray &name, AutomationError &error) override;
    bool setProperty(const QByteArray &name, const QVariant &value, AutomationError &error) override;

    // Starts the application of the ProgID; the error holds why not.
    static AutomationObjectPtr start(const QString &progId, AutomationError &error);

    // The object as an argument of a call: its IDispatch, AddRef'd.
    IDispatch *dispatch() const;

private:
    IDispatch *current(AutomationError &error);
    QVariant invoke(const QByteArray &member, int access, const QVariantList &arguments, AutomationError &error);
    AutomationObjectPtr objectOf(VARIANT &value, const QByteArray &member);

    std::shared_ptr<ComSession> m_session;
    IDispatch *m_dispatch; // null for the application, which is the session's
    const Role m_role;
    const QByteArray m_member; // how the application gave it, for OfApplication
    int m_generation;
};
