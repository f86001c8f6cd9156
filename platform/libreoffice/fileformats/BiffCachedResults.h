// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPair>
#include <QString>

// The formula cells of one sheet of an .xls (BIFF8) file whose stored result
// is TRUE or FALSE. LibreOffice loads such a result as the number 1 or 0 and
// shows it so, leaving nothing to tell it from a number but the file itself.
// Keyed by (row, column), 0-based; empty when the file is not a readable
// BIFF8 workbook or has no such sheet.
QHash<QPair<int, int>, bool> biffLogicalResults(const QString &path, const QString &sheetName);
