// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <ActiveQt/QAxObject>

#include <memory>

// A COM object of an installed application, reached through ActiveQt. Member
// strings go to QAxObject unchanged; the EXCEPINFO of a failed call comes
// back through its exception signal as the call's error. Used only on the
// thread that created it, as COM requires.
class ComObject : public AutomationObject
{
public:
    explicit ComObject(std::unique_ptr<QAxObject> object);
    ~ComObject() override;

    AutomationObjectPtr querySubObject(const QByteArray &member, const QVariantList &arguments,
                                       AutomationError &error) override;
    QVariant call(const QByteArray &member, const QVariantList &arguments,
                  AutomationError &error) override;
    QVariant property(const QByteArray &name, AutomationError &error) override;
    bool setProperty(const QByteArray &name, const QVariant &value, AutomationError &error) override;

    // Binds a new object to the ProgID; the error holds why not.
    static AutomationObjectPtr start(const QString &progId, AutomationError &error);

    // The object as an argument of a COM call: its IDispatch.
    QVariant asComArgument() const;

private:
    std::unique_ptr<QAxObject> m_object;
};
