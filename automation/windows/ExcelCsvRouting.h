// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/AutomationObject.h"

// Excel parses a CSV file it opens by the regional settings (00123 becomes
// 123, an 18-digit number 1.23E+17, dates are rewritten) and saves it in
// the ANSI code page. Wrapped around Excel's application object, this sends
// a .csv given to Workbooks' Open to Workbooks.OpenText instead: in the
// file's own code page, split at its own separator, every column as text.
// What Excel read must be the file's records cell for cell, else the file
// is closed and left as it is; the workbook then saves through
// ExcelCsvWorkbook. Every other member goes to Excel unchanged.
AutomationObjectPtr routingCsvFiles(AutomationObjectPtr excelApplication);
