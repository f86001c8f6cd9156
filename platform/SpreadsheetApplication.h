// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The spreadsheet application the platform drives: Excel or WPS
// Spreadsheets through COM on Windows, LibreOffice on Linux.
namespace SpreadsheetApplication {

// As messages name it.
QString name();

// The image names of the programs the pre-flight check ends, in order.
QStringList imageNamesToClose();

// How many applications a batch job runs side by side unless asked.
int defaultCount();

} // namespace SpreadsheetApplication
