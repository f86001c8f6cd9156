// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcObject.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/office/OfficeSession.h"
#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/uno/Exception.hpp>

#include <exception>
#include <optional>

namespace {

// Excel's own code for a member call that failed.
const int memberFailed = int(0x800A03EC);
const QString errorSource = QStringLiteral("LibreOffice Calc");

} // namespace

template<typename Result, typename Member>
Result CalcObject::guarded(const QByteArray &member, AutomationError &error, Member body)
{
    QString failure;
    try {
        if (std::this_thread::get_id() != m_ownerThread)
            fail(QStringLiteral("called from a thread other than the one that started the application"));
        // Held for the whole call: Quit ends the session it runs under.
        const std::shared_ptr<OfficeSession> session = watchedSession();
        std::optional<CallWatchdog::Scope> bounded;
        if (session)
            bounded.emplace(session->watchdog(), session->options().callTimeoutMs);
        beforeMember(member);
        return body();
    } catch (const AutomationFailure &e) {
        failure = e.description;
    } catch (const css::uno::Exception &e) {
        if (const std::shared_ptr<OfficeSession> session = watchedSession())
            session->noteCallFailure(e);
        failure = QStringLiteral("LibreOffice: %1").arg(toQString(e.Message));
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    error = memberError(member, failure);
    return Result();
}

// The description is for people; which member failed is technical detail,
// kept with the source as a COM server names itself there.
AutomationError CalcObject::memberError(const QByteArray &member, const QString &description)
{
    AutomationError error;
    error.raise(memberFailed, QStringLiteral("%1, %2").arg(errorSource, QString::fromLatin1(member)), description);
    return error;
}

AutomationObjectPtr CalcObject::querySubObject(const QByteArray &member, const QVariantList &arguments,
                                               AutomationError &error)
{
    return guarded<AutomationObjectPtr>(member, error, [&] { return subObject(member, arguments); });
}

QVariant CalcObject::call(const QByteArray &member, const QVariantList &arguments, AutomationError &error)
{
    return guarded<QVariant>(member, error, [&] { return invoke(member, arguments); });
}

QVariant CalcObject::property(const QByteArray &name, AutomationError &error)
{
    return guarded<QVariant>(name, error, [&] { return read(name); });
}

bool CalcObject::setProperty(const QByteArray &name, const QVariant &value, AutomationError &error)
{
    return guarded<bool>(name, error, [&] {
        write(name, value);
        return true;
    });
}

void CalcObject::beforeMember(const QByteArray &)
{
}

AutomationObjectPtr CalcObject::subObject(const QByteArray &member, const QVariantList &)
{
    unknownMember(member);
}

QVariant CalcObject::invoke(const QByteArray &member, const QVariantList &)
{
    unknownMember(member);
}

QVariant CalcObject::read(const QByteArray &name)
{
    unknownMember(name);
}

void CalcObject::write(const QByteArray &name, const QVariant &)
{
    unknownMember(name);
}

void CalcObject::unknownMember(const QByteArray &member)
{
    fail(QStringLiteral("no such member here: %1").arg(QString::fromLatin1(member)));
}

QVariant CalcObject::argument(const QVariantList &arguments, int index)
{
    if (index >= arguments.size())
        fail(QStringLiteral("argument %1 is missing").arg(index + 1));
    return arguments.at(index);
}
