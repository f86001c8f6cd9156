// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

class WorkbookSurvey;
class ZipArchive;

// LibreOffice's import of .xlsx and .xlsm rounds every stored row height down
// to a whole screen pixel (0.75 pt): a row stored as 16 pt would be saved back
// as 15.75 pt, and the rows below it would move. Once such a workbook is
// loaded, the heights its file stores are set again exactly: each row's own,
// and the sheet's default where the file sets it by hand (customHeight).
// Other rows are left alone. archive is the workbook's file, an Office Open
// XML package, and survey what was read of it, both as on opening.
void restoreStoredRowHeights(const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document,
                             const ZipArchive &archive, const WorkbookSurvey &survey);
