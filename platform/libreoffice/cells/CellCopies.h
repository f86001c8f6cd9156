// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

// Filling an area with copies of its first row or first cell, as LibreOffice
// copies cells (content, formats, relative references shifted): one copy per
// doubling step, so an area of n rows costs about log2(n) calls.
namespace CellCopies {

// The area's first column copied over its other columns.
void rightFromFirstColumn(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                          const css::table::CellRangeAddress &area);

// The area's first row copied over its other rows.
void downFromFirstRow(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                      const css::table::CellRangeAddress &area);

} // namespace CellCopies
