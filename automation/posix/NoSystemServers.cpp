// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SystemServers.h"

#include <QCoreApplication>

AutomationObjectPtr startSystemServer(const QString &progId, QString *whyNot)
{
    if (whyNot)
        *whyNot = QCoreApplication::translate("Engine", "no automation server is registered as %1").arg(progId);
    return nullptr;
}
