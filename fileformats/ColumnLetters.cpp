// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/ColumnLetters.h"

QString columnLetters(int column)
{
    QString letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.prepend(QLatin1Char(char('A' + (column - 1) % 26)));
    return letters;
}
