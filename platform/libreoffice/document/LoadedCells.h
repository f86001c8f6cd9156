// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/SheetCellCounts.h"

#include <QString>
#include <QVector>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

// What LibreOffice loaded, held against what the workbook's file holds:
// a sheet it could not read comes up empty or short without a word, and
// saving it would replace the user's data by what was read.
namespace LoadedCells {

// The first sheet whose loaded cells are not as many as its file holds,
// said in the user's words, or empty. Sheets are taken in order, or by name
// when LibreOffice loaded another number of them.
QString problem(const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document,
                const QVector<SheetCellCount> &file);

} // namespace LoadedCells
