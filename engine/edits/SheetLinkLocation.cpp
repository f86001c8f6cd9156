// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/SheetLinkLocation.h"

#include <QRegularExpression>

namespace {

bool needsQuotes(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.]*$"));
    static const QRegularExpression a1(QStringLiteral("^[A-Za-z]{1,3}[0-9]+$"));
    static const QRegularExpression r1c1(QStringLiteral("^[Rr][0-9]*([Cc][0-9]*)?$|^[Cc][0-9]*$"));
    return !plain.match(name).hasMatch() || a1.match(name).hasMatch()
        || r1c1.match(name).hasMatch();
}

} // namespace

QString sheetLinkLocation(const QString &sheetName, const QString &cell)
{
    if (!needsQuotes(sheetName))
        return sheetName + QLatin1Char('!') + cell;
    QString quoted = sheetName;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1String("'!") + cell;
}
