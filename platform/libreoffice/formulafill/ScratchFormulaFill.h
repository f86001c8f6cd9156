// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

class CalcDocument;

// One R1C1 formula over an area, each cell getting what writing the text into
// it gives, at a cost that does not grow with the variety of the area's
// formats: LibreOffice derives every cell's formula by copying on a scratch
// sheet at the same addresses, and the area then gets the formulas alone, a
// block of rows per call, keeping its formats, notes, validation and
// conditional formats.
namespace ScratchFormulaFill {

// Writes the first count cells of the area in reading order (the last row may
// be cut short). The first cell already holds the text. The text must parse
// alike at every cell of the area. False, with no cell changed, when no
// scratch sheet may be added or LibreOffice's own formula text would not give
// the cells the formula written.
bool write(CalcDocument &document, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
           const css::table::CellRangeAddress &area, sal_Int32 count, const QString &text);

} // namespace ScratchFormulaFill
