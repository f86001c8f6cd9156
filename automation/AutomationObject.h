// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>

// What a failed member call reports; the fields are those of the
// exception(int, QString, QString, QString) signal of AxObject.
struct AutomationError
{
    bool raised = false;
    int code = 0;
    QString source;
    QString description;
    QString help;

    void raise(int errorCode, const QString &errorSource, const QString &text)
    {
        raised = true;
        code = errorCode;
        source = errorSource;
        description = text;
    }
};

// One object of an automation server: the application, a workbook, a sheet,
// a range... Members are addressed by the exact strings the engine uses, such
// as "Rows(int)" or "Close (Boolean)". Implementations never throw: a member
// they cannot answer sets the error and returns null or an invalid variant.
class AutomationObject
{
public:
    virtual ~AutomationObject() = default;

    virtual std::shared_ptr<AutomationObject> querySubObject(const QByteArray &member,
                                                             const QVariantList &arguments,
                                                             AutomationError &error) = 0;
    virtual QVariant call(const QByteArray &member, const QVariantList &arguments,
                          AutomationError &error) = 0;
    virtual QVariant property(const QByteArray &name, AutomationError &error) = 0;
    virtual bool setProperty(const QByteArray &name, const QVariant &value,
                             AutomationError &error) = 0;
};

// A value the server gave in a form the program cannot hold (an unknown kind
// of error, a type it does not convert): never to be written back.
struct UnreadableValue
{
    int serverType = 0;
    bool operator==(const UnreadableValue &other) const { return serverType == other.serverType; }
};
Q_DECLARE_METATYPE(UnreadableValue)

// An optional argument left out in the middle of an argument list, as Visual
// Basic leaves it out: the member takes its default.
struct OmittedArgument
{
    bool operator==(const OmittedArgument &) const { return true; }
};
Q_DECLARE_METATYPE(OmittedArgument)

using AutomationObjectPtr = std::shared_ptr<AutomationObject>;
Q_DECLARE_METATYPE(AutomationObjectPtr)

// An object passed as an argument travels as the variant AxObject::asVariant()
// gives; servers get the object back with this.
inline AutomationObjectPtr automationObjectFromVariant(const QVariant &value)
{
    return value.canConvert<AutomationObjectPtr>() ? value.value<AutomationObjectPtr>()
                                                   : AutomationObjectPtr();
}
