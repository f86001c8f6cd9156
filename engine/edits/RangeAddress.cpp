// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/edits/RangeAddress.h"

#include <QRegularExpression>

namespace {

const int largestRow = 1048576;
const int largestColumn = 16384;

bool rowInGrid(const QString &digits)
{
    bool ok = false;
    const int row = digits.toInt(&ok);
    return ok && row >= 1 && row <= largestRow;
}

bool columnInGrid(const QString &letters)
{
    if (letters.size() > 3)
        return false;
    int column = 0;
    for (const QChar letter : letters)
        column = column * 26 + (letter.toUpper().unicode() - 'A' + 1);
    return column >= 1 && column <= largestColumn;
}

} // namespace

bool isRangeAddress(const QString &text)
{
    static const QRegularExpression cell(QStringLiteral("^\\$?([A-Za-z]+)\\$?([0-9]+)$"));
    static const QRegularExpression column(QStringLiteral("^\\$?([A-Za-z]+)$"));
    static const QRegularExpression row(QStringLiteral("^\\$?([0-9]+)$"));
    const QStringList ends = text.trimmed().split(QLatin1Char(':'));
    if (ends.size() > 2)
        return false;
    const QRegularExpression *forms[] = {&cell, &column, &row};
    for (const QRegularExpression *form : forms) {
        // Both ends must be of the same form; a column or row alone is not a range.
        if (ends.size() == 1 && form != &cell)
            continue;
        bool fits = true;
        for (const QString &end : ends) {
            const QRegularExpressionMatch match = form->match(end);
            if (!match.hasMatch()) {
                fits = false;
                break;
            }
            if (form == &cell)
                fits = fits && columnInGrid(match.captured(1)) && rowInGrid(match.captured(2));
            else if (form == &column)
                fits = fits && columnInGrid(match.captured(1));
            else
                fits = fits && rowInGrid(match.captured(1));
        }
        if (fits)
            return true;
    }
    return false;
}
