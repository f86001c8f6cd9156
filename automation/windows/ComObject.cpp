// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/windows/ComObject.h"

#include "automation/windows/ComSession.h"
#include "automation/windows/ComVariants.h"

namespace {

using Access = ComSession::Access;

// Objects given as arguments travel as their IDispatch.
QVariantList comArguments(const QVariantList &arguments)
{
    QVariantList converted;
    for (const QVariant &argument : arguments) {
        const auto object = std::dynamic_pointer_cast<ComObject>(automationObjectFromVariant(argument));
        if (!object) {
            converted.append(argument);
            continue;
        }
        IDispatch *dispatch = object->dispatch();
        converted.append(QVariant::fromValue(ComDispatch{dispatch}));
        if (dispatch)
            dispatch->Release(); // the caller's object holds it for the call
    }
    return converted;
}

// Excel reads a text written into a cell's value as if typed: "00123" and
// an 18-digit number become numbers, "1/2" a date, "=x" a formula. With an
// apostrophe before it, as typed to keep a text a text, it stays as it is.
QVariant keptAsText(const QVariant &value)
{
    if (value.userType() == QMetaType::QString && !value.toString().isEmpty())
        return QString(QLatin1Char('\'') + value.toString());
    if (value.userType() != QMetaType::QVariantList)
        return value;
    QVariantList items = value.toList();
    for (QVariant &item : items)
        item = keptAsText(item);
    return items;
}

bool writesCellValues(const QByteArray &member)
{
    const QByteArray name = member.left(member.indexOf('(')).trimmed();
    return name == "SetValue" || name == "SetValue2" || name == "Value" || name == "Value2";
}

} // namespace

ComObject::ComObject(std::shared_ptr<ComSession> session, IDispatch *dispatch, Role role, const QByteArray &member)
    : m_session(std::move(session))
    , m_dispatch(dispatch)
    , m_role(role)
    , m_member(member)
    , m_generation(m_session->generation())
{
}

ComObject::~ComObject()
{
    if (m_dispatch)
        m_dispatch->Release();
}

AutomationObjectPtr ComObject::start(const QString &progId, AutomationError &error)
{
    const std::shared_ptr<ComSession> session = ComSession::start(progId, error);
    if (!session)
        return nullptr;
    return std::make_shared<ComObject>(session, nullptr, Role::Application, QByteArray());
}

IDispatch *ComObject::dispatch() const
{
    IDispatch *dispatch = m_role == Role::Application ? m_session->application() : m_dispatch;
    if (dispatch)
        dispatch->AddRef();
    return dispatch;
}

// The IDispatch to call: the application's Workbooks of a new instance, when
// the one that gave them was lost.
IDispatch *ComObject::current(AutomationError &error)
{
    if (m_role == Role::Application)
        return m_session->application();
    if (m_role == Role::OfApplication && (m_session->isLost() || m_generation != m_session->generation())) {
        if (m_session->isLost() && !m_session->restart(error))
            return nullptr;
        VARIANT value;
        VariantInit(&value);
        if (!m_session->invoke(m_session->application(), m_member, Access::Read, {}, &value, error))
            return nullptr;
        if (value.vt != VT_DISPATCH || !value.pdispVal) {
            VariantClear(&value);
            error.raise(-1, m_member, QStringLiteral("the new application gave no %1").arg(QString::fromLatin1(m_member)));
            return nullptr;
        }
        if (m_dispatch)
            m_dispatch->Release();
        m_dispatch = value.pdispVal; // the reference the call gave
        m_generation = m_session->generation();
    }
    if (m_generation != m_session->generation()) {
        error.raise(int(RPC_E_DISCONNECTED), QString::fromLatin1(m_member), m_session->lostReason());
        return nullptr;
    }
    return m_dispatch;
}

QVariant ComObject::invoke(const QByteArray &member, int access, const QVariantList &arguments, AutomationError &error)
{
    IDispatch *target = current(error);
    if (!target)
        return QVariant();
    QVariantList values = comArguments(arguments);
    if (access != int(Access::Read) && writesCellValues(member) && values.size() == 1)
        values.first() = keptAsText(values.first());
    VARIANT result;
    VariantInit(&result);
    if (!m_session->invoke(target, member, Access(access), values, &result, error))
        return QVariant();
    // The settings made on the application (DisplayAlerts, "SetVisible"...)
    // are made again on a new instance.
    if (m_role == Role::Application
        && (access == int(Access::Write) || member.startsWith("Set") || member.startsWith("set")))
        m_session->remember(member, Access(access), arguments);
    QVariant value;
    if (result.vt == VT_DISPATCH)
        value = QVariant::fromValue(objectOf(result, member));
    else
        value = ComVariants::fromVariant(result);
    VariantClear(&result);
    return value;
}

// Takes the reference out of value.
AutomationObjectPtr ComObject::objectOf(VARIANT &value, const QByteArray &member)
{
    IDispatch *dispatch = value.pdispVal;
    value.vt = VT_EMPTY;
    if (!dispatch)
        return nullptr;
    const Role role = m_role == Role::Application ? Role::OfApplication : Role::Other;
    return std::make_shared<ComObject>(m_session, dispatch, role, member);
}

AutomationObjectPtr ComObject::querySubObject(const QByteArray &member, const QVariantList &arguments,
                                              AutomationError &error)
{
    IDispatch *target = current(error);
    if (!target)
        return nullptr;
    // A member without parentheses or arguments is a property, as in QAxObject.
    const bool method = member.contains('(') || !arguments.isEmpty();
    VARIANT result;
    VariantInit(&result);
    if (!m_session->invoke(target, member, method ? Access::Call : Access::Read, comArguments(arguments), &result, error))
        return nullptr;
    if (result.vt == VT_UNKNOWN && result.punkVal) {
        IDispatch *dispatch = nullptr;
        result.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&dispatch));
        VariantClear(&result);
        result.vt = VT_DISPATCH;
        result.pdispVal = dispatch;
    }
    if (result.vt != VT_DISPATCH || !result.pdispVal) {
        VariantClear(&result);
        error.raise(-1, QString::fromLatin1(member), QStringLiteral("the spreadsheet application gave no object for %1")
                                                         .arg(QString::fromLatin1(member)));
        return nullptr;
    }
    // Only what the application gives without arguments can be asked again
    // of a new instance.
    const Role role = m_role == Role::Application && !method ? Role::OfApplication : Role::Other;
    IDispatch *dispatch = result.pdispVal;
    return std::make_shared<ComObject>(m_session, dispatch, role, member);
}

QVariant ComObject::call(const QByteArray &member, const QVariantList &arguments, AutomationError &error)
{
    return invoke(member, int(Access::Call), arguments, error);
}

QVariant ComObject::property(const QByteArray &name, AutomationError &error)
{
    return invoke(name, int(Access::Read), {}, error);
}

bool ComObject::setProperty(const QByteArray &name, const QVariant &value, AutomationError &error)
{
    invoke(name, int(Access::Write), {value}, error);
    return !error.raised;
}
