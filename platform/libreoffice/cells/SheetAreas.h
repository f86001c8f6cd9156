// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/document/CalcDocument.h"

#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <optional>

// Geometry of a sheet's cells that several objects need.
namespace SheetAreas {

css::table::CellRangeAddress usedArea(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet);

bool spansAllRows(const css::table::CellRangeAddress &address, const GridLimits &grid);
bool spansAllColumns(const css::table::CellRangeAddress &address, const GridLimits &grid);

// Whole rows or columns cut down to the part that holds anything, so that a
// column of a million rows moves only its used cells; other ranges as they
// are. Empty when the whole rows or columns hold nothing.
std::optional<css::table::CellRangeAddress> workingArea(
    const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
    const css::table::CellRangeAddress &address, const GridLimits &grid);

css::uno::Reference<css::table::XCellRange> cellRange(
    const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
    const css::table::CellRangeAddress &address);

// Whether any cell of the area holds a value, text, formula or comment.
bool holdsContent(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                  const css::table::CellRangeAddress &address);

} // namespace SheetAreas
