// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Spreadsheet.h"

#include <QSet>

// A CSV file as Excel reads and writes it. Open decodes it in the ANSI code
// page (UTF-8 only with a byte order mark) and converts every field as typed
// entry: "00123" becomes 123, an 18-digit number keeps 15 digits, "2024/1/2"
// a date. OpenText can keep columns as text and name the code page. Save
// writes what each cell shows, in the ANSI code page: characters outside it
// become "?".
namespace CsvFile {

struct Reading
{
    unsigned codePage = 0;   // 0: the ANSI code page, or UTF-8 after a BOM
    QSet<int> textColumns;   // from 1; kept as text, as typed
    bool allText = false;
};

bool read(const QString &path, const Reading &how, Workbook &workbook, QString &whyNot);
// utf8: Excel's "CSV UTF-8" (xlCSVUTF8), with a byte order mark.
bool write(const Sheet &sheet, const QString &path, bool utf8, QString &whyNot);

} // namespace CsvFile
