// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Spreadsheet.h"

// An Office Open XML workbook read into cells (shared and inline strings,
// formulas with their cached results, number formats of dates and text,
// hyperlinks) and what makes Excel ask on opening it (a password, links to
// other workbooks, a workbook open macro); and written back as one plain
// sheet part per worksheet. An encrypted one (a compound file) is told apart
// without being read.
namespace XlsxFile {

// False with the reason when the file is not a workbook this reads.
bool read(const QString &path, Workbook &workbook, QString &whyNot);
bool write(const Workbook &workbook, const QString &path, QString &whyNot);

} // namespace XlsxFile
