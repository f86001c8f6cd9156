// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/LoadedCells.h"

#include "fileformats/ColumnLetters.h"
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

qint64 cellsInBlock(const table::CellRangeAddress &range, const SheetCellCount::Block &block)
{
    return overlap(range.StartRow, range.EndRow, block.firstRow, block.lastRow)
           * overlap(range.StartColumn, range.EndColumn, block.firstColumn, block.lastColumn);
}

uno::Sequence<table::CellRangeAddress> contentRanges(const uno::Reference<sheet::XSpreadsheet> &sheet)
{
    const sal_Int16 content = sheet::CellFlags::VALUE | sheet::CellFlags::DATETIME | sheet::CellFlags::STRING
                              | sheet::CellFlags::FORMULA;
    const uno::Reference<sheet::XCellRangesQuery> query(sheet, uno::UNO_QUERY_THROW);
    return query->queryContentCells(content)->getRangeAddresses();
}

// "B3:D9", as the user finds it on the sheet.
QString blockName(const SheetCellCount::Block &block)
{
    const auto cell = [](int row, int column) { return columnLetters(column + 1) + QString::number(row + 1); };
    return cell(block.firstRow, block.firstColumn) + QLatin1Char(':') + cell(block.lastRow, block.lastColumn);
}

// The first block LibreOffice filled with fewer cells than the file lists in
// it, said in the user's words, or empty.
QString blockProblem(const QString &sheet, const uno::Sequence<table::CellRangeAddress> &ranges,
                     const QVector<SheetCellCount::Block> &blocks)
{
    for (const SheetCellCount::Block &block : blocks) {
        qint64 loaded = 0;
        for (const table::CellRangeAddress &range : ranges)
            loaded += cellsInBlock(range, block);
        if (loaded >= block.cells)
            continue;
        const char *text = block.pivotTable
                               ? QT_TRANSLATE_NOOP("Engine", "the pivot table at %2 on the sheet \"%1\" holds %3 cells, but "
                                                             "LibreOffice made %4 of it again on loading: saving would "
                                                             "replace the table by what it made")
                               : QT_TRANSLATE_NOOP("Engine", "the array formula at %2 on the sheet \"%1\" holds %3 cells, "
                                                             "but LibreOffice loaded %4: saving would replace it by what "
                                                             "it read");
        return QCoreApplication::translate("Engine", text).arg(sheet, blockName(block)).arg(block.cells).arg(loaded);
    }
    return QString();
}

// The cells of the ranges (a loaded sheet's content), outside the given blocks.
qint64 countIn(const uno::Sequence<table::CellRangeAddress> &ranges, const QVector<SheetCellCount::Block> &uncounted)
{
    qint64 cells = 0;
    for (const table::CellRangeAddress &range : ranges) {
        cells += qint64(range.EndRow - range.StartRow + 1) * (range.EndColumn - range.StartColumn + 1);
        for (const SheetCellCount::Block &block : uncounted)
            cells -= cellsInBlock(range, block);
    }
    return cells;
}

} // namespace

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
        const QString name = toQString(uno::Reference<container::XNamed>(sheet, uno::UNO_QUERY_THROW)->getName());
        // One query of the sheet's content serves both the count and the blocks.
        const uno::Sequence<table::CellRangeAddress> ranges = contentRanges(sheet);
        const qint64 loaded = countIn(ranges, expected.uncounted);
        if (loaded != expected.cells)
            return QCoreApplication::translate("Engine",
                                               "the sheet \"%1\" holds %2 cells, but LibreOffice loaded %3: it did not "
                                               "read the sheet as written, and saving would replace it by what it read")
                .arg(name)
                .arg(expected.cells)
                .arg(loaded);
        const QString block = blockProblem(name, ranges, expected.uncounted);
        if (!block.isEmpty())
            return block;
    }
    return QString();
}

} // namespace LoadedCells
