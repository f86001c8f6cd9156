// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The place "name!A1" that a hyperlink jumps to. A name with spaces,
// punctuation or characters beyond ASCII letters and digits, or one that reads
// like a cell reference, is quoted as the application needs it: unquoted, such
// a link would lead nowhere.
QString sheetLinkLocation(const QString &sheetName, const QString &cell = QStringLiteral("A1"));
