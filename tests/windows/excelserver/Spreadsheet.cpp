// SPDX-License-Identifier: GPL-3.0-or-later
#include "Spreadsheet.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <functional>

namespace {

const int errorNumbers[] = {2000, 2007, 2015, 2023, 2029, 2036, 2042};
const char *const errorNames[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};

// Excel keeps 15 significant digits of what is typed.
double fifteenDigits(double value)
{
    return QString::number(value, 'g', 15).toDouble();
}

double serialOf(const QDateTime &moment)
{
    const QDate epoch(1899, 12, 30);
    const double days = epoch.daysTo(moment.date());
    return days + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

// Cell references of a formula outside its string literals, each replaced.
QString mapReferences(const QString &formula, const std::function<QString(const QRegularExpressionMatch &)> &map,
                      const QRegularExpression &reference)
{
    QString out;
    const QStringList pieces = formula.split(QLatin1Char('"'));
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            out += QLatin1Char('"');
        if (i % 2) {
            out += pieces.at(i);
            continue;
        }
        QString piece = pieces.at(i);
        int at = 0;
        QRegularExpressionMatch match;
        while ((match = reference.match(piece, at)).hasMatch()) {
            const QString replacement = map(match);
            piece.replace(match.capturedStart(), match.capturedLength(), replacement);
            at = match.capturedStart() + replacement.size();
        }
        out += piece;
    }
    return out;
}

const QRegularExpression &a1Reference()
{
    static const QRegularExpression pattern(
        QStringLiteral("(?<![A-Za-z0-9_.])(\\$?)([A-Z]{1,3})(\\$?)([0-9]+)(?![A-Za-z0-9_(])"));
    return pattern;
}

int columnNumber(const QString &letters)
{
    int column = 0;
    for (const QChar c : letters)
        column = column * 26 + (c.unicode() - 'A' + 1);
    return column;
}

// Shifts the rows (or columns) of references at or after a line in every
// formula; references into deleted lines become #REF!.
void shiftFormulas(Sheet &sheet, bool rows, int at, int count)
{
    for (Cell &cell : sheet.cells) {
        if (cell.formula.isEmpty())
            continue;
        cell.formula = mapReferences(cell.formula, [&](const QRegularExpressionMatch &m) {
            int row = m.captured(4).toInt();
            int column = columnNumber(m.captured(2));
            int &line = rows ? row : column;
            if (line >= at) {
                if (count < 0 && line < at - count)
                    return QStringLiteral("#REF!");
                line += count;
            }
            return m.captured(1) + columnName(column) + m.captured(3) + QString::number(row);
        }, a1Reference());
    }
}

template <class Value>
QMap<CellKey, Value> shifted(const QMap<CellKey, Value> &map, bool rows, int at, int count)
{
    QMap<CellKey, Value> out;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        CellKey key = it.key();
        int &line = rows ? key.first : key.second;
        if (line >= at) {
            if (count < 0 && line < at - count)
                continue;
            line += count;
            if (line > (rows ? maxRows : maxColumns))
                continue;
        }
        out.insert(key, it.value());
    }
    return out;
}

} // namespace

QString columnName(int column)
{
    QString name;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        name.prepend(QChar('A' + digit));
        column = (column - 1) / 26;
    }
    return name;
}

bool parseCell(const QString &reference, int &row, int &column)
{
    static const QRegularExpression pattern(QStringLiteral("^\\$?([A-Za-z]{1,3})\\$?([0-9]{1,7})$"));
    const QRegularExpressionMatch match = pattern.match(reference.trimmed());
    if (!match.hasMatch())
        return false;
    column = columnNumber(match.captured(1).toUpper());
    row = match.captured(2).toInt();
    return row >= 1 && row <= maxRows && column >= 1 && column <= maxColumns;
}

QString errorName(int error)
{
    for (int i = 0; i < int(sizeof errorNumbers / sizeof *errorNumbers); ++i) {
        if (errorNumbers[i] == error)
            return QString::fromLatin1(errorNames[i]);
    }
    return QStringLiteral("#N/A");
}

int errorNumber(const QString &name)
{
    for (int i = 0; i < int(sizeof errorNumbers / sizeof *errorNumbers); ++i) {
        if (name.compare(QLatin1String(errorNames[i]), Qt::CaseInsensitive) == 0)
            return errorNumbers[i];
    }
    return 0;
}

Cell typedEntry(const QString &text, Cell::Format format)
{
    Cell cell;
    cell.format = format;
    if (text.isEmpty())
        return cell;
    // A leading apostrophe is Excel's prefix character: what follows is
    // text, and the apostrophe is not part of the value.
    if (text.startsWith(QLatin1Char('\''))) {
        cell.type = Cell::Text;
        cell.text = text.mid(1);
        return cell;
    }
    if (format == Cell::TextFormat) {
        cell.type = Cell::Text;
        cell.text = text;
        return cell;
    }
    if (text.startsWith(QLatin1Char('=')) && text.size() > 1) {
        cell.formula = text;
        return cell;
    }
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    if (number.match(text).hasMatch()) {
        cell.type = Cell::Number;
        cell.number = fifteenDigits(text.trimmed().toDouble());
        return cell;
    }
    static const QRegularExpression date(QStringLiteral(
        "^\\s*([0-9]{4})[/-]([0-9]{1,2})[/-]([0-9]{1,2})(?:\\s+([0-9]{1,2}):([0-9]{2})(?::([0-9]{2}))?)?\\s*$"));
    static const QRegularExpression monthDay(QStringLiteral("^\\s*([0-9]{1,2})/([0-9]{1,2})\\s*$"));
    QRegularExpressionMatch match = date.match(text);
    QDateTime moment;
    if (match.hasMatch()) {
        moment = QDateTime(QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()),
                           QTime(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt()));
        if (moment.isValid())
            cell.format = match.captured(4).isEmpty() ? Cell::Date : Cell::DateTime;
    } else if ((match = monthDay.match(text)).hasMatch()) {
        moment = QDateTime(QDate(QDate::currentDate().year(), match.captured(1).toInt(), match.captured(2).toInt()),
                           QTime(0, 0));
        cell.format = Cell::Date;
    }
    if (moment.isValid()) {
        cell.type = Cell::Number;
        cell.number = serialOf(moment);
        return cell;
    }
    if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0
        || text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
        cell.type = Cell::Boolean;
        cell.boolean = text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
        return cell;
    }
    if (const int error = errorNumber(text.trimmed())) {
        cell.type = Cell::Error;
        cell.error = error;
        return cell;
    }
    cell.type = Cell::Text;
    cell.text = text;
    return cell;
}

QString displayedText(const Cell &cell)
{
    switch (cell.type) {
    case Cell::Empty:
        return QString();
    case Cell::Text:
        return cell.text;
    case Cell::Boolean:
        return cell.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Cell::Error:
        return errorName(cell.error);
    case Cell::Number:
        break;
    }
    if (cell.format == Cell::Date || cell.format == Cell::DateTime) {
        const double whole = std::floor(cell.number);
        const QDate day = QDate(1899, 12, 30).addDays(qint64(whole));
        QString shown = QStringLiteral("%1/%2/%3").arg(day.year()).arg(day.month()).arg(day.day());
        if (cell.format == Cell::DateTime) {
            const int minutes = int(std::lround((cell.number - whole) * 1440));
            shown += QStringLiteral(" %1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
        }
        return shown;
    }
    // General in a standard column: eleven characters at most, so long
    // numbers go to six significant digits in scientific notation.
    const double value = cell.number;
    if (value != 0 && (std::fabs(value) >= 1e11 || std::fabs(value) < 1e-9)) {
        QString shown = QString::number(value, 'E', 5);
        static const QRegularExpression zeros(QStringLiteral("\\.?0+E"));
        shown.replace(zeros, QStringLiteral("E"));
        static const QRegularExpression exponent(QStringLiteral("E([+-])0*([0-9]{2,})"));
        shown.replace(exponent, QStringLiteral("E\\1\\2"));
        return shown;
    }
    return QString::number(value, 'g', 10);
}

QString formulaToR1C1(const QString &formula, int row, int column)
{
    return mapReferences(formula, [&](const QRegularExpressionMatch &m) {
        const int r = m.captured(4).toInt();
        const int c = columnNumber(m.captured(2));
        const QString rowPart = !m.captured(3).isEmpty() ? QStringLiteral("R%1").arg(r)
                                : r == row ? QStringLiteral("R") : QStringLiteral("R[%1]").arg(r - row);
        const QString columnPart = !m.captured(1).isEmpty() ? QStringLiteral("C%1").arg(c)
                                   : c == column ? QStringLiteral("C") : QStringLiteral("C[%1]").arg(c - column);
        return rowPart + columnPart;
    }, a1Reference());
}

QString formulaFromR1C1(const QString &formula, int row, int column)
{
    static const QRegularExpression r1c1(
        QStringLiteral("(?<![A-Za-z0-9_.])R(\\[-?[0-9]+\\]|[0-9]+)?C(\\[-?[0-9]+\\]|[0-9]+)?(?![A-Za-z0-9_(])"));
    return mapReferences(formula, [&](const QRegularExpressionMatch &m) {
        auto part = [](const QString &text, int base, bool &absolute) {
            absolute = !text.isEmpty() && !text.startsWith(QLatin1Char('['));
            if (text.isEmpty())
                return base;
            if (absolute)
                return text.toInt();
            return base + text.mid(1, text.size() - 2).toInt();
        };
        bool rowAbsolute = false;
        bool columnAbsolute = false;
        const int r = part(m.captured(1), row, rowAbsolute);
        const int c = part(m.captured(2), column, columnAbsolute);
        return (columnAbsolute ? QStringLiteral("$") : QString()) + columnName(c)
            + (rowAbsolute ? QStringLiteral("$") : QString()) + QString::number(r);
    }, r1c1);
}

void shiftRows(Sheet &sheet, int at, int count)
{
    sheet.cells = shifted(sheet.cells, true, at, count);
    sheet.links = shifted(sheet.links, true, at, count);
    shiftFormulas(sheet, true, at, count);
}

void shiftColumns(Sheet &sheet, int at, int count)
{
    sheet.cells = shifted(sheet.cells, false, at, count);
    sheet.links = shifted(sheet.links, false, at, count);
    shiftFormulas(sheet, false, at, count);
}
