// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/libreoffice/cells/FormulaParsers.h"

#include <QString>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellAddress.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

class CalcDocument;

// Excel's Range.Formula and Range.FormulaR1C1 over LibreOffice cells.
namespace CellFormulas {

// Text starting with "=" is a formula, written to every cell of the area as
// a copy would (relative references shift); other text is a constant: a
// number when it reads as one, else text, and empty text clears. A formula
// the parser cannot make sense of fails and leaves the cells as they were.
void write(CalcDocument &document, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
           const css::table::CellRangeAddress &area, const QString &text, FormulaParsers::Notation notation);

// The cell's formula in R1C1 notation with its "="; a constant's value as
// text; "" for an empty cell.
QString readR1C1(CalcDocument &document, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
                 const css::table::CellAddress &cell);

} // namespace CellFormulas
