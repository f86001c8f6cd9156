// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <QString>

#include <functional>

// Automation servers by ProgID, as the system registry holds them on Windows.
// A factory starts one instance of the server's application object; it
// returns null, with a reason, when the application cannot be started. A
// ProgID registered here hides the system's server of that name.
class AutomationRegistry
{
public:
    using Factory = std::function<AutomationObjectPtr(QString *whyNot)>;

    static void registerServer(const QString &progId, Factory factory);
    static void unregisterServer(const QString &progId);
    static AutomationObjectPtr create(const QString &progId, QString *whyNot);
};
