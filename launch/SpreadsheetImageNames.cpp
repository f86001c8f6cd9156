// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/SpreadsheetImageNames.h"

namespace {

QStringList defaultImageNames()
{
#ifdef Q_OS_WIN
    return { QStringLiteral("EXCEL.EXE"), QStringLiteral("et.exe") };
#else
    // Not soffice.bin: on Linux it holds the user's text documents and
    // presentations too, and ending it loses their unsaved work. Workbooks it
    // has open are found by their lock files instead.
    return { QStringLiteral("et") };
#endif
}

} // namespace

QString spreadsheetApplicationName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("the spreadsheet application (Excel or WPS Spreadsheets)");
#else
    return QStringLiteral("LibreOffice");
#endif
}

namespace {

QStringList &currentImageNames()
{
    static QStringList names = defaultImageNames();
    return names;
}

} // namespace

QStringList spreadsheetImageNames()
{
    return currentImageNames();
}

void replaceSpreadsheetImageNames(const QStringList &imageNames)
{
    currentImageNames() = imageNames;
}
