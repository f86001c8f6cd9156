// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpreadsheetApplication.h"

#include <QThread>

#include <unistd.h>

QString SpreadsheetApplication::name()
{
    return QStringLiteral("LibreOffice");
}

// Not soffice.bin: on Linux it holds the user's text documents and
// presentations too, and ending it loses their unsaved work. Workbooks it
// has open are found by their lock files instead.
QStringList SpreadsheetApplication::imageNamesToClose()
{
    return {QStringLiteral("et")};
}

// One LibreOffice a core, as many as the free memory holds: each soffice
// takes a few hundred megabytes, and swapping would cost more than it gains.
int SpreadsheetApplication::defaultCount()
{
    int count = QThread::idealThreadCount();
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        count = qMin(count, int(qint64(pages) * pageSize / (512ll << 20)));
    return qBound(1, count, 64);
}
