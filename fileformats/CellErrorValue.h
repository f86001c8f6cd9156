// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>

// An error result of a cell (#DIV/0!, #N/A...) as "Value()" gives it, so that
// "SetValue" writes the same error back rather than a text.
struct CellErrorValue
{
    QString text;

    bool operator==(const CellErrorValue &other) const { return text == other.text; }
};

Q_DECLARE_METATYPE(CellErrorValue)
