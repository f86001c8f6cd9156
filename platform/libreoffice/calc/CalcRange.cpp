// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/calc/CalcRange.h"

#include "fileformats/AutomationFailure.h"
#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/calc/CalcAreas.h"
#include "platform/libreoffice/calc/CalcHyperlinks.h"
#include "platform/libreoffice/cells/CellCopies.h"
#include "platform/libreoffice/cells/CellFormulas.h"
#include "platform/libreoffice/cells/CellValues.h"
#include "platform/libreoffice/cells/SheetAreas.h"

#include <climits>

#include <com/sun/star/sheet/CellDeleteMode.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>

#include <QCoreApplication>

using namespace css;

namespace {

// Excel's XlDeleteShiftDirection.
const int shiftToLeft = -4159;
const int shiftUp = -4162;
// Excel's XlCellType for the cells holding formulas.
const int formulaCells = -4123;

} // namespace

CalcRange::CalcRange(std::shared_ptr<CalcDocument> document, uno::Reference<sheet::XSpreadsheet> sheet,
                     const table::CellRangeAddress &address, View view)
    : m_document(std::move(document))
    , m_sheet(std::move(sheet))
    , m_address(address)
    , m_view(view)
{
}

std::shared_ptr<OfficeSession> CalcRange::watchedSession() const
{
    return m_document->sharedSession();
}

// The R1C1 members of a single cell keep held-back writes held (they know
// which cells those are); every other member may see or move cells.
void CalcRange::beforeMember(const QByteArray &member)
{
    if (member == "FormulaR1C1()" || (member == "SetFormulaR1C1(const QVariant&)" && isOneCell()))
        return;
    m_document->pendingWrites().settle();
}

AutomationObjectPtr CalcRange::subObject(const QByteArray &member, const QVariantList &arguments)
{
    m_document->ensureUsable();
    findSheetIndex();
    if (member == "Rows")
        return std::make_shared<CalcRange>(m_document, m_sheet, m_address, View::Rows);
    if (member == "Columns")
        return std::make_shared<CalcRange>(m_document, m_sheet, m_address, View::Columns);
    if (member == "Hyperlinks()")
        return std::make_shared<CalcHyperlinks>(m_document, m_sheet, m_address);
    if (member == "Areas")
        return std::make_shared<CalcAreas>(m_document, m_sheet, QVector<table::CellRangeAddress>{m_address});
    if (member == "SpecialCells(int)") {
        if (argument(arguments, 0).toInt() != formulaCells)
            fail(QStringLiteral("only the formula cells can be picked out"));
        const QVector<table::CellRangeAddress> blocks = formulaBlocks();
        // Excel's answer when there are none.
        if (blocks.isEmpty())
            fail(QStringLiteral("No cells were found."));
        return std::make_shared<CalcAreas>(m_document, m_sheet, blocks);
    }
    return CalcObject::subObject(member, arguments);
}

QVariant CalcRange::invoke(const QByteArray &member, const QVariantList &arguments)
{
    m_document->ensureUsable();
    if (member == "FormulaR1C1()")
        return m_document->pendingWrites().readR1C1(m_sheet, m_address.StartRow, m_address.StartColumn);
    if (member == "SetFormulaR1C1(const QVariant&)" && isOneCell()) {
        m_document->pendingWrites().writeR1C1(m_sheet, m_address.StartRow, m_address.StartColumn,
                                              argument(arguments, 0).toString());
        return true;
    }
    findSheetIndex();
    if (member == "Insert()") {
        insert();
        return true;
    }
    if (member == "Delete(int)") {
        remove(arguments.isEmpty() ? shiftUp : arguments.first().toInt());
        return true;
    }
    if (member == "SetFormula(const QVariant&)") {
        CellFormulas::write(*m_document, m_sheet, m_address, argument(arguments, 0).toString(),
                            FormulaParsers::A1);
        return true;
    }
    if (member == "SetFormulaR1C1(const QVariant&)") {
        CellFormulas::write(*m_document, m_sheet, m_address, argument(arguments, 0).toString(),
                            FormulaParsers::R1C1);
        return true;
    }
    // Excel's Range.FillDown and FillRight: the top row or the left column,
    // content and formats, copied over the rest.
    if (member == "FillDown()") {
        CellCopies::downFromFirstRow(m_sheet, m_address);
        return true;
    }
    if (member == "FillRight()") {
        CellCopies::rightFromFirstColumn(m_sheet, m_address);
        return true;
    }
    if (member == "Value()" || member == "Value2()") {
        const auto area = SheetAreas::workingArea(m_sheet, m_address, m_document->grid());
        const auto dates = member == "Value()" ? CellValues::Dates::AsDates : CellValues::Dates::AsNumbers;
        return area ? CellValues::read(*m_document, m_sheet, *area, dates) : QVariant(QVariantList());
    }
    if (member == "SetValue(const QVariant&)" || member == "SetValue2(const QVariant&)") {
        const QVariant value = argument(arguments, 0);
        if (const auto area = SheetAreas::workingArea(m_sheet, m_address, m_document->grid()))
            CellValues::write(*m_document, m_sheet, *area, value);
        return true;
    }
    return CalcObject::invoke(member, arguments);
}

QVariant CalcRange::read(const QByteArray &name)
{
    const int rows = m_address.EndRow - m_address.StartRow + 1;
    const int columns = m_address.EndColumn - m_address.StartColumn + 1;
    if (name == "Row")
        return int(m_address.StartRow + 1);
    if (name == "Column")
        return int(m_address.StartColumn + 1);
    // As Excel's: whether none, all or some of the cells hold formulas.
    if (name == "HasFormula") {
        double formulas = 0;
        for (const table::CellRangeAddress &block : formulaBlocks())
            formulas += double(block.EndRow - block.StartRow + 1) * (block.EndColumn - block.StartColumn + 1);
        if (formulas == 0)
            return false;
        return formulas == double(rows) * columns ? QVariant(true) : QVariant();
    }
    if (name == "Count") {
        switch (m_view) {
        case View::Rows:
            return rows;
        case View::Columns:
            return columns;
        case View::Cells:
            return double(rows) * columns > INT_MAX ? QVariant(double(rows) * columns) : QVariant(rows * columns);
        }
    }
    return CalcObject::read(name);
}

QVector<table::CellRangeAddress> CalcRange::formulaBlocks() const
{
    QVector<table::CellRangeAddress> blocks;
    const auto area = SheetAreas::workingArea(m_sheet, m_address, m_document->grid());
    if (!area)
        return blocks;
    const uno::Sequence<table::CellRangeAddress> found =
        uno::Reference<sheet::XCellRangesQuery>(SheetAreas::cellRange(m_sheet, *area), uno::UNO_QUERY_THROW)
            ->queryContentCells(sheet::CellFlags::FORMULA)
            ->getRangeAddresses();
    for (const table::CellRangeAddress &block : found)
        blocks.append(block);
    return blocks;
}

bool CalcRange::isOneCell() const
{
    return m_address.StartRow == m_address.EndRow && m_address.StartColumn == m_address.EndColumn;
}

// Sheets added in front of this one since it was handed out move its index.
void CalcRange::findSheetIndex()
{
    m_address.Sheet = sal_Int16(m_document->sheetIndex(m_sheet));
}

bool CalcRange::actsOnRows() const
{
    const GridLimits grid = m_document->grid();
    if (m_view == View::Rows)
        return SheetAreas::spansAllColumns(m_address, grid);
    return SheetAreas::spansAllColumns(m_address, grid) && !SheetAreas::spansAllRows(m_address, grid);
}

bool CalcRange::actsOnColumns() const
{
    const GridLimits grid = m_document->grid();
    if (m_view == View::Columns)
        return SheetAreas::spansAllRows(m_address, grid);
    return SheetAreas::spansAllRows(m_address, grid) && !SheetAreas::spansAllColumns(m_address, grid);
}

// Inserting must never push a cell past the file format's grid: LibreOffice
// refuses only at its own, larger grid, and saving .xls would drop the cell.
void CalcRange::insert()
{
    const GridLimits grid = m_document->grid();
    const uno::Reference<table::XColumnRowRange> lines(m_sheet, uno::UNO_QUERY_THROW);
    if (actsOnRows()) {
        const int count = m_address.EndRow - m_address.StartRow + 1;
        const table::CellRangeAddress pushedOff(m_address.Sheet, 0, grid.rows - count, grid.columns - 1,
                                                grid.rows - 1);
        if (SheetAreas::holdsContent(m_sheet, pushedOff))
            fail(QCoreApplication::translate("Engine", "inserting would push cells off the end of the sheet (row %1)").arg(grid.rows));
        lines->getRows()->insertByIndex(m_address.StartRow, count);
        m_document->edits().noteInserted(m_document->sheetName(m_sheet), true, m_address.StartRow, count);
        return;
    }
    if (actsOnColumns()) {
        const int count = m_address.EndColumn - m_address.StartColumn + 1;
        const table::CellRangeAddress pushedOff(m_address.Sheet, grid.columns - count, 0, grid.columns - 1,
                                                grid.rows - 1);
        if (SheetAreas::holdsContent(m_sheet, pushedOff))
            fail(QCoreApplication::translate("Engine", "inserting would push cells off the end of the sheet (column %1)").arg(grid.columns));
        lines->getColumns()->insertByIndex(m_address.StartColumn, count);
        m_document->edits().noteInserted(m_document->sheetName(m_sheet), false, m_address.StartColumn, count);
        return;
    }
    fail(QCoreApplication::translate("Engine", "only whole rows or whole columns can be inserted"));
}

void CalcRange::remove(int shift)
{
    const uno::Reference<table::XColumnRowRange> lines(m_sheet, uno::UNO_QUERY_THROW);
    const QString sheetName = m_document->sheetName(m_sheet);
    if (actsOnRows()) {
        const int count = m_address.EndRow - m_address.StartRow + 1;
        lines->getRows()->removeByIndex(m_address.StartRow, count);
        m_document->edits().noteDeleted(sheetName, true, m_address.StartRow, count);
        return;
    }
    if (actsOnColumns()) {
        const int count = m_address.EndColumn - m_address.StartColumn + 1;
        lines->getColumns()->removeByIndex(m_address.StartColumn, count);
        m_document->edits().noteDeleted(sheetName, false, m_address.StartColumn, count);
        return;
    }
    if (shift != shiftUp && shift != shiftToLeft)
        fail(QStringLiteral("unknown shift direction %1").arg(shift));
    const uno::Reference<sheet::XCellRangeMovement> movement(m_sheet, uno::UNO_QUERY_THROW);
    movement->removeRange(m_address, shift == shiftUp ? sheet::CellDeleteMode_UP : sheet::CellDeleteMode_LEFT);
    m_document->edits().noteCellsMoved(sheetName);
}
