// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AutomationRegistry.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex &registryLock()
{
    static QMutex lock;
    return lock;
}

QHash<QString, AutomationRegistry::Factory> &factories()
{
    static QHash<QString, AutomationRegistry::Factory> registered;
    return registered;
}

} // namespace

void AutomationRegistry::registerServer(const QString &progId, Factory factory)
{
    QMutexLocker locker(&registryLock());
    factories().insert(progId.toLower(), std::move(factory));
}

void AutomationRegistry::unregisterServer(const QString &progId)
{
    QMutexLocker locker(&registryLock());
    factories().remove(progId.toLower());
}

AutomationObjectPtr AutomationRegistry::create(const QString &progId, QString *whyNot)
{
    Factory factory;
    {
        QMutexLocker locker(&registryLock());
        factory = factories().value(progId.toLower());
    }
    if (!factory) {
        if (whyNot)
            *whyNot = QStringLiteral("no automation server is registered as %1").arg(progId);
        return nullptr;
    }
    // Started outside the lock: starting an application takes seconds.
    return factory(whyNot);
}
