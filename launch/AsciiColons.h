// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Every full-width colon, as Chinese input methods type it, made ASCII: the
// ranges and cells typed into the form or given to the batch command.
QString withAsciiColons(QString text);
