// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

// Whether LibreOffice loaded some formula as one it cannot read (an Excel 4
// macro sheet's, a function it does not know). Such a formula would be saved
// as =NA(): the workbook cannot be edited without losing it.
bool hasUnreadableFormulas(const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document);
