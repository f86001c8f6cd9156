// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Thrown inside the Calc objects when a member cannot be answered; CalcObject
// turns it into the AutomationError the caller sees.
struct AutomationFailure
{
    QString description;
};

[[noreturn]] inline void fail(const QString &description)
{
    throw AutomationFailure{description};
}
