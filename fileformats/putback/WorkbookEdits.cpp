// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/putback/WorkbookEdits.h"

#include "fileformats/ColumnLetters.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const int lastRow = 1048576;
const int lastColumn = 16384;

// One end of a reference: a column, a row or both, 1-based; 0 where absent.
struct End
{
    QString columnDollar, rowDollar;
    int column = 0;
    int row = 0;
};

bool parseEnd(const QString &text, End &end)
{
    static const QRegularExpression form(QStringLiteral("^(\\$?)([A-Za-z]{0,3})(\\$?)(\\d{0,7})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch() || (match.captured(2).isEmpty() && match.captured(4).isEmpty()))
        return false;
    end.columnDollar = match.captured(1);
    end.rowDollar = match.captured(3);
    for (const QChar letter : match.captured(2).toUpper())
        end.column = end.column * 26 + (letter.unicode() - 'A' + 1);
    end.row = match.captured(4).toInt();
    return true;
}

QString endText(const End &end)
{
    QString text;
    if (end.column)
        text += end.columnDollar + columnLetters(end.column);
    if (end.row)
        text += end.rowDollar + QString::number(end.row);
    return text;
}

// line is 1-based, at 0-based. The first end of a range deleted whole lands
// after the deletion, the last one before it.
int moved(int line, int at, int count, bool first, int last)
{
    if (line == 0)
        return 0;
    if (count > 0)
        return line - 1 >= at ? std::min(line + count, last) : line;
    const int deleted = -count;
    if (line - 1 >= at + deleted)
        return line - deleted;
    if (line - 1 >= at)
        return first ? std::min(at + 1, last) : at;
    return line;
}

} // namespace

void WorkbookEdits::noteInserted(const QString &sheet, bool rows, int at, int count)
{
    m_changes.append({sheet, rows, at, count});
}

void WorkbookEdits::noteDeleted(const QString &sheet, bool rows, int at, int count)
{
    m_changes.append({sheet, rows, at, -count});
}

void WorkbookEdits::noteCellsMoved(const QString &sheet)
{
    m_cellsMoved.append(sheet);
}

bool WorkbookEdits::movesCells(const QString &sheet) const
{
    return m_cellsMoved.contains(sheet)
        || std::any_of(m_changes.begin(), m_changes.end(), [&](const LineChange &c) { return c.sheet == sheet; });
}

bool WorkbookEdits::canFollow(const QString &sheet) const
{
    return !m_cellsMoved.contains(sheet);
}

QString WorkbookEdits::follow(const QString &sheet, const QString &references) const
{
    QStringList out;
    for (const QString &reference : references.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList ends = reference.split(QLatin1Char(':'));
        End first, last;
        if (ends.size() > 2 || !parseEnd(ends.first(), first) || !parseEnd(ends.last(), last)) {
            out.append(reference);
            continue;
        }
        for (const LineChange &change : m_changes) {
            if (change.sheet != sheet)
                continue;
            int End::*line = change.rows ? &End::row : &End::column;
            const int edge = change.rows ? lastRow : lastColumn;
            first.*line = moved(first.*line, change.at, change.count, true, edge);
            last.*line = moved(last.*line, change.at, change.count, false, edge);
            if (last.*line < first.*line)
                last.*line = first.*line;
        }
        const QString text = endText(first);
        out.append(ends.size() == 1 ? text : text + QLatin1Char(':') + endText(last));
    }
    return out.join(QLatin1Char(' '));
}

bool WorkbookEdits::followCell(const QString &sheet, int &row, int &column) const
{
    for (const LineChange &change : m_changes) {
        if (change.sheet != sheet)
            continue;
        int &line = change.rows ? row : column;
        if (change.count < 0 && line - 1 >= change.at && line - 1 < change.at - change.count)
            return false;
        line = moved(line, change.at, change.count, true, change.rows ? lastRow : lastColumn);
    }
    return true;
}

bool WorkbookEdits::originalRow(const QString &sheet, int &row) const
{
    for (auto change = m_changes.crbegin(); change != m_changes.crend(); ++change) {
        if (change->sheet != sheet || !change->rows)
            continue;
        if (change->count > 0 && row - 1 >= change->at && row - 1 < change->at + change->count)
            return false;
        if (change->count > 0 && row - 1 >= change->at)
            row -= change->count;
        else if (change->count < 0 && row - 1 >= change->at)
            row -= change->count;
    }
    return true;
}
