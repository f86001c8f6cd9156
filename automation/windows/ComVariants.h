// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QVariant>

#include <oaidl.h>

// An object as an argument: its IDispatch, held by the caller for the call.
struct ComDispatch
{
    IDispatch *dispatch = nullptr;
};
Q_DECLARE_METATYPE(ComDispatch)

// Values between the program and a COM server, by ActiveQt's conversions but
// for what a spreadsheet gives that ActiveQt turns into nothing: an error
// value of a cell (VT_ERROR with Excel's code, #DIV/0!...) becomes a
// CellErrorValue and goes back as the same VT_ERROR; any other value without
// a conversion becomes an UnreadableValue, which is never sent back. Blocks
// of cells are lists of rows, element by element.
namespace ComVariants {

// declaredType: the parameter's type in the member string ("bool",
// "Boolean", "int", "QString"), to which the value is converted first as
// ActiveQt does with a type library; empty or "QVariant" keeps it as it is.
// False when the value has no COM form.
bool toVariant(const QVariant &value, VARIANT &variant, const QByteArray &declaredType = QByteArray());

// An empty cell (VT_EMPTY) and a null give an invalid QVariant. Objects
// (VT_DISPATCH) are not converted here.
QVariant fromVariant(const VARIANT &variant);

} // namespace ComVariants
