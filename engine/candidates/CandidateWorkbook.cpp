// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/candidates/CandidateWorkbook.h"

bool isCandidateWorkbook(const QString &nativePath)
{
    const QString lower = nativePath.toLower();
    const bool spreadsheet = lower.endsWith(QLatin1String(".xls"))
        || lower.endsWith(QLatin1String(".xlsx")) || lower.endsWith(QLatin1String(".xlsm"))
        || lower.endsWith(QLatin1String(".csv"));
    return spreadsheet && !nativePath.contains(QLatin1String("~$"));
}
