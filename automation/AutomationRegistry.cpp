// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AutomationRegistry.h"

#include "automation/SystemServers.h"

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
    // A server of this process (a test's, LibreOffice's) answers before the
    // system is asked.
    if (!factory)
        return startSystemServer(progId, whyNot);
    // Started outside the lock: starting an application takes seconds.
    return factory(whyNot);
}
