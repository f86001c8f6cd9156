// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/AsciiColons.h"

QString withAsciiColons(QString text)
{
    return text.replace(QChar(0xFF1A), QLatin1Char(':'), Qt::CaseSensitive);
}
