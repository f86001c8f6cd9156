// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

#include <QString>

// The automation servers the operating system knows by ProgID: COM on
// Windows, none elsewhere. Null, with a reason, when none answers.
AutomationObjectPtr startSystemServer(const QString &progId, QString *whyNot);
