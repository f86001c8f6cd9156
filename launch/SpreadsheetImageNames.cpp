// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/SpreadsheetImageNames.h"

#include "platform/SpreadsheetApplication.h"

namespace {

QStringList &currentImageNames()
{
    static QStringList names = SpreadsheetApplication::imageNamesToClose();
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
