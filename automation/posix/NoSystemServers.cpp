// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SystemServers.h"

AutomationObjectPtr startSystemServer(const QString &progId, QString *whyNot)
{
    if (whyNot)
        *whyNot = QStringLiteral("no automation server is registered as %1").arg(progId);
    return nullptr;
}
