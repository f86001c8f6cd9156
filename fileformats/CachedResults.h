// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QVariant>

// The results of a sheet's formulas as an .xlsx, .xlsm or .xls file stores
// them, computed by the application that saved it. LibreOffice computes some
// functions differently (or not at all): where it does, these are what the
// workbook shows its users.
class CachedResults
{
public:
    // Reads the results of the formula cells of the sheet named sheetName
    // within rows and columns (0-based, inclusive). Empty when the file holds
    // none it vouches for: not a workbook of these formats, no such sheet, or
    // a file that asks for everything to be computed again on loading.
    static CachedResults read(const QString &path, const QString &sheetName, int firstRow, int firstColumn,
                              int lastRow, int lastColumn);

    bool isEmpty() const { return m_results.isEmpty(); }
    // A double, a bool, a QString or a CellErrorValue; invalid when the cell
    // has no stored result.
    QVariant at(int row, int column) const { return m_results.value({row, column}); }

private:
    QHash<QPair<int, int>, QVariant> m_results;
};
