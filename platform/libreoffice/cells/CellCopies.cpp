// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/cells/CellCopies.h"

#include <com/sun/star/sheet/XCellRangeMovement.hpp>

#include <algorithm>

using namespace css;

namespace CellCopies {

void rightFromFirstColumn(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XCellRangeMovement> movement(sheet, uno::UNO_QUERY_THROW);
    const sal_Int32 columns = area.EndColumn - area.StartColumn + 1;
    for (sal_Int32 filled = 1; filled < columns;) {
        const sal_Int32 step = std::min(filled, columns - filled);
        const table::CellRangeAddress source(area.Sheet, area.StartColumn, area.StartRow,
                                             area.StartColumn + step - 1, area.EndRow);
        movement->copyRange(table::CellAddress(area.Sheet, area.StartColumn + filled, area.StartRow), source);
        filled += step;
    }
}

void downFromFirstRow(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XCellRangeMovement> movement(sheet, uno::UNO_QUERY_THROW);
    const sal_Int32 rows = area.EndRow - area.StartRow + 1;
    for (sal_Int32 filled = 1; filled < rows;) {
        const sal_Int32 step = std::min(filled, rows - filled);
        const table::CellRangeAddress source(area.Sheet, area.StartColumn, area.StartRow, area.EndColumn,
                                             area.StartRow + step - 1);
        movement->copyRange(table::CellAddress(area.Sheet, area.StartColumn, area.StartRow + filled), source);
        filled += step;
    }
}

} // namespace CellCopies
