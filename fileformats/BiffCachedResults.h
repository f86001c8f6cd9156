// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPair>
#include <QString>
#include <QVariant>

// The results an .xls (BIFF8) file stores for the formula cells of one sheet:
// a double, a bool, a QString or a CellErrorValue, keyed by (row, column),
// 0-based. LibreOffice computes some functions differently and loads a
// logical result as the number 1 or 0; these are what the workbook shows.
// Results marked to be computed again on loading are left out. Empty when
// the file is not a readable BIFF8 workbook or has no such sheet.
QHash<QPair<int, int>, QVariant> biffCachedResults(const QString &path, const QString &sheetName);
