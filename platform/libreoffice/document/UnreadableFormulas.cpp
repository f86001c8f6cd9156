// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/UnreadableFormulas.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/XCell.hpp>

using namespace css;

bool hasUnreadableFormulas(const uno::Reference<sheet::XSpreadsheetDocument> &document)
{
    const uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        // Such formulas give errors, so only the cells with an error result
        // are read: a few, where a whole sheet could hold millions.
        const uno::Reference<sheet::XCellRangesQuery> query(sheets->getByIndex(i), uno::UNO_QUERY_THROW);
        const uno::Reference<sheet::XSheetCellRanges> failing = query->queryFormulaCells(sheet::FormulaResult::ERROR);
        const uno::Reference<container::XEnumeration> cells = failing->getCells()->createEnumeration();
        while (cells->hasMoreElements()) {
            const uno::Reference<table::XCell> cell(cells->nextElement(), uno::UNO_QUERY);
            if (cell.is() && cell->getFormula().indexOf("#NAME!") >= 0)
                return true;
        }
    }
    return false;
}
