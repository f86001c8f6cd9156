// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/CsvLoadCheck.h"

#include "platform/libreoffice/cells/SheetAreas.h"
#include "platform/libreoffice/UnoStrings.h"

#include <QCoreApplication>

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <algorithm>

using namespace css;

namespace {

// Rows read in one call: a large file is never in memory twice as cells.
const sal_Int32 rowsAtOnce = 4096;

QString cellText(const uno::Any &value)
{
    OUString text;
    if (value >>= text)
        return toQString(text);
    double number = 0;
    if (value >>= number)
        return QString::number(number, 'g', 17);
    return QString();
}

} // namespace

QString csvMisreading(const uno::Reference<sheet::XSpreadsheetDocument> &document, const CsvRecords &records)
{
    const uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    const uno::Reference<sheet::XSpreadsheet> sheet(sheets->getByIndex(0), uno::UNO_QUERY_THROW);
    const table::CellRangeAddress used = SheetAreas::usedArea(sheet);
    const int count = records.records().size();
    const sal_Int32 lastRow = std::max<sal_Int32>(used.EndRow, count - 1);
    for (sal_Int32 first = 0; first <= lastRow; first += rowsAtOnce) {
        const sal_Int32 last = std::min(lastRow, first + rowsAtOnce - 1);
        const uno::Reference<table::XCellRange> range =
            sheet->getCellRangeByPosition(0, first, std::max<sal_Int32>(used.EndColumn, 0), last);
        const uno::Sequence<uno::Sequence<uno::Any>> data =
            uno::Reference<sheet::XCellRangeData>(range, uno::UNO_QUERY_THROW)->getDataArray();
        for (sal_Int32 row = 0; row < data.getLength(); ++row) {
            QStringList cells;
            for (const uno::Any &value : data[row])
                cells.append(cellText(value));
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            const int record = first + row;
            const QStringList expected = record < count ? records.cells(record) : QStringList();
            if (cells == expected)
                continue;
            int column = 0;
            while (column < std::min(cells.size(), expected.size()) && cells.at(column) == expected.at(column))
                ++column;
            return QCoreApplication::translate(
                       "Engine", "LibreOffice reads it differently from its bytes as %1 text (record %2, field %3: "
                                 "\"%4\" read as \"%5\"), so its encoding or quoting cannot be kept")
                .arg(records.encoding().name())
                .arg(record + 1)
                .arg(column + 1)
                .arg(column < expected.size() ? expected.at(column).left(40) : QString(),
                     column < cells.size() ? cells.at(column).left(40) : QString());
        }
    }
    return QString();
}
