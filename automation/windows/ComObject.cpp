// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/windows/ComObject.h"

#include <QCoreApplication>

namespace {

// Catches what the object raises during one call: the server's EXCEPINFO,
// which QAxObject hands only to a connected exception signal. Its signals
// are made at run time, so the connection goes by the signal's name.
class RaisedErrors : public QObject
{
    Q_OBJECT

public:
    RaisedErrors(QAxObject *object, AutomationError &error)
        : m_error(error)
    {
        connect(object, SIGNAL(exception(int,QString,QString,QString)), this,
                SLOT(raise(int,QString,QString,QString)), Qt::DirectConnection);
    }

private slots:
    void raise(int code, const QString &source, const QString &description, const QString &help)
    {
        m_error.raise(code, source, description);
        m_error.help = help;
    }

private:
    AutomationError &m_error;
};

QVariantList comArguments(const QVariantList &arguments)
{
    QVariantList converted;
    for (const QVariant &argument : arguments) {
        const auto object = std::dynamic_pointer_cast<ComObject>(automationObjectFromVariant(argument));
        converted.append(object ? object->asComArgument() : argument);
    }
    return converted;
}

} // namespace

ComObject::ComObject(std::unique_ptr<QAxObject> object)
    : m_object(std::move(object))
{
}

ComObject::~ComObject() = default;

AutomationObjectPtr ComObject::start(const QString &progId, AutomationError &error)
{
    auto object = std::make_unique<QAxObject>();
    bool bound = false;
    {
        RaisedErrors raised(object.get(), error);
        bound = object->setControl(progId);
    }
    if (!bound) {
        if (!error.raised)
            error.raise(-1, progId, QCoreApplication::translate("Engine", "no automation server is registered as %1").arg(progId));
        return nullptr;
    }
    return std::make_shared<ComObject>(std::move(object));
}

QVariant ComObject::asComArgument() const
{
    return m_object->asVariant();
}

AutomationObjectPtr ComObject::querySubObject(const QByteArray &member, const QVariantList &arguments,
                                              AutomationError &error)
{
    RaisedErrors raised(m_object.get(), error);
    QVariantList converted = comArguments(arguments);
    // QAxObject makes the sub-object its child; here the pointer holds it.
    std::unique_ptr<QAxObject> sub(m_object->querySubObject(member.constData(), converted));
    if (!sub)
        return nullptr;
    sub->setParent(nullptr);
    return std::make_shared<ComObject>(std::move(sub));
}

QVariant ComObject::call(const QByteArray &member, const QVariantList &arguments, AutomationError &error)
{
    RaisedErrors raised(m_object.get(), error);
    QVariantList converted = comArguments(arguments);
    return m_object->dynamicCall(member.constData(), converted);
}

// Through dynamicCall rather than QObject's property(): a server without a
// type library has no meta-object properties, and IDispatch still answers.
QVariant ComObject::property(const QByteArray &name, AutomationError &error)
{
    RaisedErrors raised(m_object.get(), error);
    return m_object->dynamicCall(name.constData());
}

bool ComObject::setProperty(const QByteArray &name, const QVariant &value, AutomationError &error)
{
    RaisedErrors raised(m_object.get(), error);
    QVariantList arguments{value};
    m_object->dynamicCall(name.constData(), arguments);
    return !error.raised;
}

#include "ComObject.moc"
