// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AxObject.h"

#include "automation/AutomationRegistry.h"

namespace {

// As in ActiveQt, the arguments end at the first invalid variant.
QVariantList argumentList(std::initializer_list<const QVariant *> vars)
{
    QVariantList arguments;
    for (const QVariant *var : vars) {
        if (!var->isValid())
            break;
        arguments.append(*var);
    }
    return arguments;
}

} // namespace

AxObject::AxObject(QObject *parent)
    : QObject(parent)
{
}

AxObject::AxObject(const QString &control, QObject *parent)
    : QObject(parent)
{
    setControl(control);
}

AxObject::AxObject(const AutomationObjectPtr &object, QObject *parent)
    : QObject(parent)
    , m_object(object)
{
}

AxObject::~AxObject()
{
    // Children first: a sub-object may need its parent's server alive while
    // it lets go of its own handle.
    qDeleteAll(findChildren<AxObject *>(QString(), Qt::FindDirectChildrenOnly));
}

bool AxObject::setControl(const QString &control)
{
    if (m_object && control == m_control)
        return true;
    clear();
    QString whyNot;
    m_object = AutomationRegistry::create(control, &whyNot);
    if (!m_object) {
        AutomationError error;
        error.raise(-1, control, whyNot);
        report(error);
        return false;
    }
    m_control = control;
    return true;
}

QString AxObject::control() const
{
    return m_control;
}

void AxObject::clear()
{
    qDeleteAll(findChildren<AxObject *>(QString(), Qt::FindDirectChildrenOnly));
    m_object.reset();
    m_control.clear();
}

bool AxObject::isNull() const
{
    return !m_object;
}

AxObject *AxObject::querySubObject(const char *name, const QVariant &var1, const QVariant &var2,
                                   const QVariant &var3, const QVariant &var4,
                                   const QVariant &var5, const QVariant &var6,
                                   const QVariant &var7, const QVariant &var8)
{
    QVariantList vars = argumentList({&var1, &var2, &var3, &var4, &var5, &var6, &var7, &var8});
    return querySubObject(name, vars);
}

AxObject *AxObject::querySubObject(const char *name, QList<QVariant> &vars)
{
    if (!m_object)
        return nullptr;
    AutomationError error;
    AutomationObjectPtr sub = m_object->querySubObject(QByteArray(name), vars, error);
    report(error);
    if (!sub)
        return nullptr;
    return new AxObject(sub, this);
}

QVariant AxObject::dynamicCall(const char *function, const QVariant &var1, const QVariant &var2,
                               const QVariant &var3, const QVariant &var4, const QVariant &var5,
                               const QVariant &var6, const QVariant &var7, const QVariant &var8)
{
    QVariantList vars = argumentList({&var1, &var2, &var3, &var4, &var5, &var6, &var7, &var8});
    return dynamicCall(function, vars);
}

QVariant AxObject::dynamicCall(const char *function, QList<QVariant> &vars)
{
    if (!m_object)
        return QVariant();
    AutomationError error;
    QVariant result = m_object->call(QByteArray(function), vars, error);
    report(error);
    return result;
}

QVariant AxObject::property(const char *name) const
{
    if (!m_object)
        return QVariant();
    AutomationError error;
    QVariant result = m_object->property(QByteArray(name), error);
    report(error);
    return result;
}

bool AxObject::setProperty(const char *name, const QVariant &value)
{
    if (!m_object)
        return false;
    AutomationError error;
    bool accepted = m_object->setProperty(QByteArray(name), value, error);
    return !report(error) && accepted;
}

QVariant AxObject::asVariant() const
{
    if (!m_object)
        return QVariant();
    return QVariant::fromValue(m_object);
}

bool AxObject::report(const AutomationError &error) const
{
    if (!error.raised)
        return false;
    emit const_cast<AxObject *>(this)->exception(error.code, error.source, error.description,
                                                 error.help);
    return true;
}
