// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/putback/XmlPart.h"

#include <QString>

// The children of a worksheet in the order its schema requires. Only the
// sheet's own children count: a custom view's page setup or a data bar's
// extension list belong to their parents.
namespace WorksheetOrder {

// The child's place in the order, or -1 for one outside it (another
// namespace); markup-compatibility choices count as the element they hold.
int rank(const XmlPart &sheet, int child);
// The top-level child of that name (or the markup-compatibility choice
// holding it), or -1.
int child(const XmlPart &sheet, const QString &name);
// The edit putting element in the place of the child of that name, or where
// the order puts it; an empty element removes that child. Invalid (start
// -1) when the sheet has no room for it.
XmlPart::Replacement put(const XmlPart &sheet, const QString &name, const QString &element);
// Whether the sheet's children follow the order.
bool isOrdered(const XmlPart &sheet);

} // namespace WorksheetOrder
