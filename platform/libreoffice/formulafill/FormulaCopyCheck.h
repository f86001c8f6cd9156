// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

// Whether copying cells that hold a formula over an area gives exactly what
// writing that formula's text into each cell gives. A copy also carries
// formats, notes and drawing objects, skips filtered rows and turns
// references that leave the grid into #REF! where a cell of its own may still
// reach the grid, so any of these in the area rules copying out.
namespace FormulaCopyCheck {

// Whether the relative references of the formula in the area's first cell
// reach the grid from every cell of the area.
bool staysOnGrid(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                 const css::table::CellRangeAddress &area);

// For copies of the area's first row down over its other rows, that first
// row holding the formula the first cell holds, written cell by cell.
bool copiesLikeWrites(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                      const css::table::CellRangeAddress &area);

// Whether every cell of the area has the same format, so that copying one of
// them over the others changes no format.
bool hasOneFormat(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                  const css::table::CellRangeAddress &area);

} // namespace FormulaCopyCheck
