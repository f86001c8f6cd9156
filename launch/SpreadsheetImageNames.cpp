#include "launch/SpreadsheetImageNames.h"

namespace {

QStringList defaultImageNames()
{
#ifdef Q_OS_WIN
    return { QStringLiteral("EXCEL.EXE"), QStringLiteral("et.exe") };
#else
    return { QStringLiteral("soffice.bin"), QStringLiteral("et") };
#endif
}

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
