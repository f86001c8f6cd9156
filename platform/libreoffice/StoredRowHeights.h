#pragma once

#include <QString>

#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>

// LibreOffice's import of .xlsx and .xlsm rounds every stored row height down
// to a whole screen pixel (0.75 pt): a row stored as 16 pt would be saved back
// as 15.75 pt, and the rows below it would move. Once such a workbook is
// loaded, the heights its file stores are set again exactly: each row's own,
// and the sheet's default where the file sets it by hand (customHeight).
// Other rows, and files that are not Office Open XML, are left alone.
void restoreStoredRowHeights(const css::uno::Reference<css::sheet::XSpreadsheetDocument> &document,
                             const QString &path);
