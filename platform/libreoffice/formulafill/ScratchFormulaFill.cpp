// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/formulafill/ScratchFormulaFill.h"

#include "platform/libreoffice/document/CalcDocument.h"
#include "platform/libreoffice/cells/CellCopies.h"
#include "platform/libreoffice/cells/CellFormulas.h"
#include "platform/libreoffice/formulafill/ScratchSheet.h"
#include "platform/libreoffice/cells/SheetAreas.h"
#include "platform/libreoffice/UnoStrings.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XFormulaTokens.hpp>
#include <com/sun/star/sheet/XSheetAnnotation.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>

#include <algorithm>
#include <optional>
#include <set>

using namespace css;

namespace {

using FormulaRows = uno::Sequence<uno::Sequence<OUString>>;

// LibreOffice joins a formula set below a like one into that one's group at a
// cost that grows with the group, so one long stretch of rows costs the
// square of its length (20,000 rows: about 10 s). Blocks of this many rows
// with a row left between them, those rows set last, cost under a second;
// merging groups costs like joining them, so the rows left out are set in an
// order that merges groups of like size.
const sal_Int32 blockRows = 500;

table::CellRangeAddress rows(const table::CellRangeAddress &area, sal_Int32 first, sal_Int32 count,
                             sal_Int32 width)
{
    return table::CellRangeAddress(area.Sheet, area.StartColumn, area.StartRow + first,
                                   area.StartColumn + width - 1, area.StartRow + first + count - 1);
}

uno::Reference<sheet::XCellRangeFormula> formulasOf(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                                     const table::CellRangeAddress &area)
{
    return uno::Reference<sheet::XCellRangeFormula>(SheetAreas::cellRange(sheet, area), uno::UNO_QUERY_THROW);
}

// The formulas go over as LibreOffice's own formula text, a grammar other
// than the one the text was parsed in: whether the formula comes back the
// same from that text is tried on the scratch sheet's first cell.
bool readsBackAlike(const uno::Reference<sheet::XSpreadsheet> &sheet, const table::CellAddress &cell)
{
    const table::CellRangeAddress area(cell.Sheet, cell.Column, cell.Row, cell.Column, cell.Row);
    const uno::Reference<sheet::XFormulaTokens> tokens(sheet->getCellByPosition(cell.Column, cell.Row),
                                                       uno::UNO_QUERY_THROW);
    const uno::Sequence<sheet::FormulaToken> before = tokens->getTokens();
    formulasOf(sheet, area)->setFormulaArray(formulasOf(sheet, area)->getFormulaArray());
    return tokens->getTokens() == before;
}

// Every cell's formula as LibreOffice prints it, derived on a scratch sheet
// whose cells all have the default format, no filter and nothing hidden:
// there a copy gives each cell exactly its own formula.
std::optional<FormulaRows> derivedFormulas(CalcDocument &document, const table::CellRangeAddress &area,
                                           const QString &text)
{
    const std::unique_ptr<ScratchSheet> scratch = ScratchSheet::append(document);
    if (!scratch)
        return std::nullopt;
    table::CellRangeAddress scratchArea = area;
    scratchArea.Sheet = scratch->index();
    const table::CellAddress first(scratch->index(), area.StartColumn, area.StartRow);
    CellFormulas::write(document, scratch->sheet(), rows(scratchArea, 0, 1, 1), text, FormulaParsers::R1C1);
    std::optional<FormulaRows> formulas;
    if (readsBackAlike(scratch->sheet(), first)) {
        CellCopies::rightFromFirstColumn(scratch->sheet(),
                                         rows(scratchArea, 0, 1, area.EndColumn - area.StartColumn + 1));
        CellCopies::downFromFirstRow(scratch->sheet(), scratchArea);
        formulas = formulasOf(scratch->sheet(), scratchArea)->getFormulaArray();
    }
    scratch->remove();
    return formulas;
}

// Setting formulas over an area drops the notes of its cells.
std::set<sal_Int32> rowsWithNotes(const uno::Reference<sheet::XSpreadsheet> &sheet,
                                  const table::CellRangeAddress &area)
{
    const uno::Reference<sheet::XSheetAnnotationsSupplier> supplier(sheet, uno::UNO_QUERY_THROW);
    const uno::Reference<container::XIndexAccess> notes(supplier->getAnnotations(), uno::UNO_QUERY_THROW);
    std::set<sal_Int32> noted;
    for (sal_Int32 index = 0, count = notes->getCount(); index < count; ++index) {
        const table::CellAddress at =
            uno::Reference<sheet::XSheetAnnotation>(notes->getByIndex(index), uno::UNO_QUERY_THROW)->getPosition();
        if (at.Row >= area.StartRow && at.Row <= area.EndRow && at.Column >= area.StartColumn
            && at.Column <= area.EndColumn)
            noted.insert(at.Row - area.StartRow);
    }
    return noted;
}

} // namespace

namespace ScratchFormulaFill {

bool write(CalcDocument &document, const uno::Reference<sheet::XSpreadsheet> &sheet,
           const table::CellRangeAddress &area, sal_Int32 count, const QString &text)
{
    const std::optional<FormulaRows> formulas = derivedFormulas(document, area, text);
    if (!formulas)
        return false;
    const sal_Int32 width = area.EndColumn - area.StartColumn + 1;
    const sal_Int32 fullRows = count / width;
    const sal_Int32 rest = count % width;
    // Rows without notes get their formulas in blocks; a row with a note is
    // written cell by cell, which keeps the note.
    sal_Int32 stretch = 0;
    auto setRows = [&](sal_Int32 first, sal_Int32 rowCount) {
        formulasOf(sheet, rows(area, first, rowCount, width))
            ->setFormulaArray(FormulaRows(formulas->getConstArray() + first, rowCount));
    };
    // The row above a stretch may hold the formula already (the first cell,
    // a row with a note, cells written before): the stretch starts with a
    // row left out too.
    auto writeStretch = [&](sal_Int32 end) {
        if (end <= stretch)
            return;
        for (sal_Int32 first = stretch + 1; first < end; first += blockRows + 1)
            setRows(first, std::min(blockRows, end - first));
        // The k-th row left out for k = 1, 3, 5, ... first, then 2, 6, 10,
        // ..., then 4, 12, ...; the one above the first block, which may join
        // the stretch to a group above, last.
        const sal_Int32 leftOut = (end - stretch + blockRows) / (blockRows + 1);
        for (sal_Int32 step = 2; step / 2 < leftOut; step *= 2) {
            for (sal_Int32 k = step / 2; k < leftOut; k += step)
                setRows(stretch + k * (blockRows + 1), 1);
        }
        setRows(stretch, 1);
    };
    const std::set<sal_Int32> noted = rowsWithNotes(sheet, area);
    for (const sal_Int32 row : noted) {
        if (row >= fullRows)
            break;
        writeStretch(row);
        CellFormulas::write(document, sheet, rows(area, row, 1, width), text, FormulaParsers::R1C1);
        stretch = row + 1;
    }
    writeStretch(fullRows);
    if (rest == 0)
        return true;
    if (noted.count(fullRows)) {
        CellFormulas::write(document, sheet, rows(area, fullRows, 1, rest), text, FormulaParsers::R1C1);
    } else {
        const uno::Sequence<OUString> part((*formulas)[fullRows].getConstArray(), rest);
        formulasOf(sheet, rows(area, fullRows, 1, rest))->setFormulaArray(FormulaRows(&part, 1));
    }
    return true;
}

} // namespace ScratchFormulaFill
