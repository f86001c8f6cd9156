// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/LoadedCells.h"

#include "platform/libreoffice/UnoStrings.h"

#include <QCoreApplication>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>

#include <algorithm>

using namespace css;

namespace LoadedCells {

namespace {

qint64 overlap(sal_Int32 first, sal_Int32 last, int otherFirst, int otherLast)
{
    return std::max<qint64>(0, qint64(std::min<sal_Int32>(last, otherLast)) - std::max<sal_Int32>(first, otherFirst) + 1);
}

} // namespace

qint64 countOf(const uno::Reference<sheet::XSpreadsheet> &sheet, const QVector<SheetCellCount::Block> &uncounted)
{
    const sal_Int16 content = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING
                              | sheet::CellFlags::FORMULA;
    const uno::Reference<sheet::XCellRangesQuery> query(sheet, uno::UNO_QUERY_THROW);
    qint64 cells = 0;
    for (const table::CellRangeAddress &range : query->queryContentCells(content)->getRangeAddresses()) {
        cells += qint64(range.EndRow - range.StartRow + 1) * (range.EndColumn - range.StartColumn + 1);
        for (const SheetCellCount::Block &block : uncounted)
            cells -= overlap(range.StartRow, range.EndRow, block.firstRow, block.lastRow)
                     * overlap(range.StartColumn, range.EndColumn, block.firstColumn, block.lastColumn);
    }
    return cells;
}

QString problem(const uno::Reference<sheet::XSpreadsheetDocument> &document, const QVector<SheetCellCount> &file)
{
    const uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    const bool inOrder = sheets->getCount() == file.size();
    for (int index = 0; index < file.size(); ++index) {
        const SheetCellCount &expected = file.at(index);
        uno::Reference<sheet::XSpreadsheet> sheet;
        if (inOrder)
            sheets->getByIndex(index) >>= sheet;
        else if (document->getSheets()->hasByName(toOUString(expected.sheet)))
            document->getSheets()->getByName(toOUString(expected.sheet)) >>= sheet;
        if (!sheet.is()) {
            if (expected.cells == 0)
                continue;
            return QCoreApplication::translate("Engine", "LibreOffice did not load the sheet \"%1\", which holds %2 cells")
                .arg(expected.sheet)
                .arg(expected.cells);
        }
        const qint64 loaded = countOf(sheet, expected.uncounted);
        if (loaded != expected.cells)
            return QCoreApplication::translate("Engine",
                                               "the sheet \"%1\" holds %2 cells, but LibreOffice loaded %3: it did not "
                                               "read the sheet as written, and saving would replace it by what it read")
                .arg(toQString(uno::Reference<container::XNamed>(sheet, uno::UNO_QUERY_THROW)->getName()))
                .arg(expected.cells)
                .arg(loaded);
    }
    return QString();
}

} // namespace LoadedCells
