// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/cells/SheetAreas.h"

#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>

#include <algorithm>

using namespace css;

namespace SheetAreas {

table::CellRangeAddress usedArea(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    const uno::Reference<sheet::XSheetCellCursor> cursor = sheet->createCursor();
    const uno::Reference<sheet::XUsedAreaCursor> used(cursor, uno::UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    const uno::Reference<sheet::XCellRangeAddressable> addressable(cursor, uno::UNO_QUERY_THROW);
    return addressable->getRangeAddress();
}

bool spansAllRows(const table::CellRangeAddress &address, const GridLimits &grid)
{
    return address.StartRow == 0 && address.EndRow >= grid.rows - 1;
}

bool spansAllColumns(const table::CellRangeAddress &address, const GridLimits &grid)
{
    return address.StartColumn == 0 && address.EndColumn >= grid.columns - 1;
}

std::optional<table::CellRangeAddress> workingArea(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                                   const table::CellRangeAddress &address,
                                                   const GridLimits &grid)
{
    const bool allRows = spansAllRows(address, grid);
    const bool allColumns = spansAllColumns(address, grid);
    if (!allRows && !allColumns)
        return address;
    const table::CellRangeAddress used = usedArea(sheet);
    table::CellRangeAddress clipped = address;
    clipped.StartRow = std::max(address.StartRow, used.StartRow);
    clipped.EndRow = std::min(address.EndRow, used.EndRow);
    clipped.StartColumn = std::max(address.StartColumn, used.StartColumn);
    clipped.EndColumn = std::min(address.EndColumn, used.EndColumn);
    if (clipped.StartRow > clipped.EndRow || clipped.StartColumn > clipped.EndColumn)
        return std::nullopt;
    return clipped;
}

uno::Reference<table::XCellRange> cellRange(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                            const table::CellRangeAddress &address)
{
    return sheet->getCellRangeByPosition(address.StartColumn, address.StartRow, address.EndColumn,
                                         address.EndRow);
}

bool holdsContent(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &address)
{
    // Only the part within the used area can hold anything: reading just that
    // part costs a few calls even for a whole row or column of the grid.
    const table::CellRangeAddress used = usedArea(sheet);
    table::CellRangeAddress inside = address;
    inside.StartRow = std::max(address.StartRow, used.StartRow);
    inside.EndRow = std::min(address.EndRow, used.EndRow);
    inside.StartColumn = std::max(address.StartColumn, used.StartColumn);
    inside.EndColumn = std::min(address.EndColumn, used.EndColumn);
    if (inside.StartRow > inside.EndRow || inside.StartColumn > inside.EndColumn)
        return false;
    const uno::Reference<sheet::XCellRangeFormula> cells(cellRange(sheet, inside), uno::UNO_QUERY_THROW);
    const uno::Sequence<uno::Sequence<rtl::OUString>> formulas = cells->getFormulaArray();
    for (const uno::Sequence<rtl::OUString> &row : formulas)
        for (const rtl::OUString &cell : row)
            if (!cell.isEmpty())
                return true;
    return false;
}

} // namespace SheetAreas
