// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SystemServers.h"

#include "automation/windows/ComObject.h"
#include "automation/windows/ExcelCsvRouting.h"
#include "platform/StartedApplications.h"

// The caller's thread has joined COM (CoInitializeEx) before it binds. The
// application's process is noted, so that it does not outlive the program.
AutomationObjectPtr startSystemServer(const QString &progId, QString *whyNot)
{
    AutomationError error;
    AutomationObjectPtr object = ComObject::start(progId, error);
    if (!object && whyNot)
        *whyNot = error.description;
    if (!object)
        return object;
    AutomationError noWindow;
    StartedApplications::noteByWindow(object->property("Hwnd", noWindow).toLongLong());
    return progId.compare(QLatin1String("Excel.Application"), Qt::CaseInsensitive) == 0 ? routingCsvFiles(object)
                                                                                        : object;
}
