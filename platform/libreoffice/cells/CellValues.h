// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariant>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

class CalcDocument;

// Excel's Range.Value over a block of LibreOffice cells, in one remote call
// each way for the data. Numbers come as double, texts as QString, dates as
// QDate/QDateTime and booleans as bool (by the cells' number formats), error
// results as CellErrorValue, empty cells (and formulas giving "") as an
// invalid QVariant. One cell gives its value; several give a list of rows.
namespace CellValues {

// How dates come: as QDate/QDateTime (Excel's Range.Value), or as the
// numbers the cells hold, at full precision (Range.Value2).
enum class Dates { AsDates, AsNumbers };

QVariant read(CalcDocument &document, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
              const css::table::CellRangeAddress &area, Dates dates = Dates::AsDates);

// Writes constants, never formulas: a text "=x" stays a text. A list of rows
// goes from the area's first cell; a single value fills the whole area.
// Number formats stay as they are. Only the cells it changes are written:
// formulas, and constants given another value. Fails (AutomationFailure),
// writing nothing, when one of those is a locked cell of a protected sheet.
void write(CalcDocument &document, const css::uno::Reference<css::sheet::XSpreadsheet> &sheet,
           const css::table::CellRangeAddress &area, const QVariant &value);

} // namespace CellValues
