// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/formulafill/PendingFormulaWrites.h"

#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/cells/CellCopies.h"
#include "platform/libreoffice/cells/CellFormulas.h"
#include "platform/libreoffice/formulafill/FormulaCopyCheck.h"
#include "platform/libreoffice/formulafill/ScratchFormulaFill.h"

#include <com/sun/star/sheet/XCellRangeMovement.hpp>

using namespace css;

namespace {

// Each settle of a long fill costs more than the one before (the copies join
// the formulas above), so holds much shorter than this slow long fills down.
const qint64 maxHoldMilliseconds = 1000;

} // namespace

PendingFormulaWrites::PendingFormulaWrites(CalcDocument &document)
    : m_document(document)
{
}

void PendingFormulaWrites::writeR1C1(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 row,
                                     sal_Int32 column, const QString &text)
{
    forgetReadText(sheet, row, column);
    if (extendRun(sheet, row, column, text)) {
        // The caller reports its progress as it goes: cells held much longer
        // would leave that report ahead of the workbook, then a long silence.
        if (m_run->held.elapsed() >= maxHoldMilliseconds)
            writeHeldCells();
        return;
    }
    writeHeldCells();
    const sal_Int16 sheetIndex = sal_Int16(m_document.sheetIndex(sheet));
    CellFormulas::write(m_document, sheet, table::CellRangeAddress(sheetIndex, column, row, column, row), text,
                        FormulaParsers::R1C1);
    // Constants are one call each anyway; only formulas are worth copying.
    if (text.startsWith(QLatin1Char('='))) {
        m_run = Run{sheet, row, column, text, 1, 0, {}};
        m_run->held.start();
    }
}

QString PendingFormulaWrites::readR1C1(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 row,
                                       sal_Int32 column)
{
    if (m_read && m_read->sheet.get() == sheet.get() && m_read->row == row && m_read->column == column)
        return m_read->text;
    // Another reference may stand for the run's sheet: then nothing is known.
    if (m_run && (m_run->sheet.get() != sheet.get() || isHeld(sheet, row, column)))
        writeHeldCells();
    const table::CellAddress address(sal_Int16(m_document.sheetIndex(sheet)), column, row);
    const QString text = CellFormulas::readR1C1(m_document, sheet, address);
    m_read = ReadText{sheet, row, column, text};
    return text;
}

void PendingFormulaWrites::settle()
{
    writeHeldCells();
    m_read.reset();
}

void PendingFormulaWrites::discard()
{
    m_run.reset();
    m_read.reset();
}

bool PendingFormulaWrites::extendRun(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 row,
                                     sal_Int32 column, const QString &text)
{
    if (!m_run || m_run->sheet.get() != sheet.get() || m_run->text != text)
        return false;
    Run &run = *m_run;
    if (run.width == 0) {
        if (row == run.row && column == run.column + run.count) {
            ++run.count;
            return true;
        }
        if (row == run.row + 1 && column == run.column) {
            run.width = run.count;
            ++run.count;
            return true;
        }
        return false;
    }
    if (row != run.row + run.count / run.width || column != run.column + run.count % run.width)
        return false;
    ++run.count;
    return true;
}

bool PendingFormulaWrites::isHeld(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 row,
                                  sal_Int32 column) const
{
    if (!m_run || m_run->sheet.get() != sheet.get())
        return false;
    const Run &run = *m_run;
    const sal_Int32 width = run.width ? run.width : run.count;
    if (row < run.row || column < run.column || column >= run.column + width)
        return false;
    const sal_Int64 place = sal_Int64(row - run.row) * width + (column - run.column);
    return place > 0 && place < run.count;
}

void PendingFormulaWrites::writeHeldCells()
{
    if (!m_run)
        return;
    const Run run = *m_run;
    m_run.reset();
    if (run.count == 1)
        return;
    // A closed workbook or a dead soffice drops the cells, as it drops any
    // unsaved change, and fails as the member itself would.
    m_document.ensureUsable();
    const sal_Int16 sheetIndex = sal_Int16(m_document.sheetIndex(run.sheet));
    const sal_Int32 width = run.width ? run.width : run.count;
    const sal_Int32 fullRows = run.count / width;
    const sal_Int32 rest = run.count % width;
    const sal_Int32 lastColumn = run.column + width - 1;
    const table::CellRangeAddress bounds(sheetIndex, run.column, run.row, lastColumn,
                                         run.row + fullRows - (rest ? 0 : 1));
    if (!parsesAlikeEverywhere(run.text, bounds) || !FormulaCopyCheck::staysOnGrid(run.sheet, bounds)) {
        writeOneByOne(run, sheetIndex, run.count);
        return;
    }
    const table::CellRangeAddress firstRow(sheetIndex, run.column, run.row, lastColumn, run.row);
    const bool copiesInPlace = FormulaCopyCheck::copiesLikeWrites(run.sheet, bounds);
    // Copies in place are the fastest, where the formats let them.
    if (copiesInPlace && FormulaCopyCheck::hasOneFormat(run.sheet, firstRow)) {
        CellCopies::rightFromFirstColumn(run.sheet, firstRow);
        copyFirstRowDown(run, bounds, fullRows, rest);
        return;
    }
    if (ScratchFormulaFill::write(m_document, run.sheet, bounds, run.count, run.text))
        return;
    if (!copiesInPlace) {
        writeOneByOne(run, sheetIndex, run.count);
        return;
    }
    // Columns of different formats get their first cell written as it comes.
    writeOneByOne(run, sheetIndex, width);
    copyFirstRowDown(run, bounds, fullRows, rest);
}

void PendingFormulaWrites::copyFirstRowDown(const Run &run, const table::CellRangeAddress &bounds,
                                            sal_Int32 fullRows, sal_Int32 rest)
{
    const sal_Int16 sheetIndex = sal_Int16(bounds.Sheet);
    CellCopies::downFromFirstRow(run.sheet, table::CellRangeAddress(sheetIndex, run.column, run.row,
                                                                    bounds.EndColumn, run.row + fullRows - 1));
    if (rest) {
        const uno::Reference<sheet::XCellRangeMovement> movement(run.sheet, uno::UNO_QUERY_THROW);
        movement->copyRange(table::CellAddress(sheetIndex, run.column, run.row + fullRows),
                            table::CellRangeAddress(sheetIndex, run.column, run.row, run.column + rest - 1, run.row));
    }
}

// A reference that would leave the grid makes the parser read the text as
// something else (a name giving #NAME?) at that cell only. Whether a
// reference stays on the grid over a rectangle shows at two opposite corners.
bool PendingFormulaWrites::parsesAlikeEverywhere(const QString &text, const table::CellRangeAddress &area)
{
    FormulaParsers &parsers = m_document.formulaParsers();
    return parsers.parse(text, FormulaParsers::R1C1, table::CellAddress(area.Sheet, area.StartColumn, area.StartRow))
           == parsers.parse(text, FormulaParsers::R1C1, table::CellAddress(area.Sheet, area.EndColumn, area.EndRow));
}

// What the run's cells up to place end would have got without holding them
// back: the text parsed at each cell.
void PendingFormulaWrites::writeOneByOne(const Run &run, sal_Int16 sheetIndex, sal_Int32 end)
{
    const sal_Int32 width = run.width ? run.width : run.count;
    for (sal_Int32 place = 1; place < end; ++place) {
        const sal_Int32 row = run.row + place / width;
        const sal_Int32 column = run.column + place % width;
        CellFormulas::write(m_document, run.sheet, table::CellRangeAddress(sheetIndex, column, row, column, row),
                            run.text, FormulaParsers::R1C1);
    }
}

void PendingFormulaWrites::forgetReadText(const uno::Reference<sheet::XSpreadsheet> &sheet, sal_Int32 row,
                                          sal_Int32 column)
{
    if (m_read && (m_read->sheet.get() != sheet.get() || (m_read->row == row && m_read->column == column)))
        m_read.reset();
}
