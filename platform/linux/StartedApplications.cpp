// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StartedApplications.h"

// LibreOffice has no window handle to note, and its guard ends it with the
// program (platform/libreoffice/office).

void StartedApplications::noteByWindow(qint64)
{
}

void StartedApplications::endOwn()
{
}

int StartedApplications::endLeftBehind()
{
    return 0;
}
