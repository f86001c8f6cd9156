// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpreadsheetApplication.h"

QString SpreadsheetApplication::name()
{
    return QStringLiteral("the spreadsheet application (Excel or WPS Spreadsheets)");
}

QStringList SpreadsheetApplication::imageNamesToClose()
{
    return {QStringLiteral("EXCEL.EXE"), QStringLiteral("et.exe")};
}

// One, more only when asked: each Excel or WPS is a whole desktop
// application with no bound on its memory, on the user's own machine.
int SpreadsheetApplication::defaultCount()
{
    return 1;
}
