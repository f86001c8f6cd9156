// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/CsvPutBack.h"

#include <QCoreApplication>
#include <QHash>
#include <QTextCodec>

#include <algorithm>

namespace {

const int sampledRecords = 20;

bool isQuoted(const CsvRecords &records, const CsvRecords::Span &field)
{
    return field.size() > 0 && records.unitAt(field.begin) == '"';
}

// Every non-empty field of the record quoted, and one at least.
bool quotesEveryField(const CsvRecords &records, const CsvRecords::Record &record)
{
    bool quoted = false;
    for (const CsvRecords::Span &field : record.fields) {
        if (field.size() == 0)
            continue;
        if (!isQuoted(records, field))
            return false;
        quoted = true;
    }
    return quoted;
}

} // namespace

CsvPutBack::CsvPutBack(const CsvRecords &original, const CsvRecords &stored)
    : m_original(original)
    , m_stored(stored)
{
    for (int record = 0; record < original.records().size(); ++record)
        m_originalCells.append(original.cells(record));
    for (int record = 0; record < stored.records().size(); ++record)
        m_storedCells.append(stored.cells(record));
    while (!m_storedCells.isEmpty() && m_storedCells.last().isEmpty())
        m_storedCells.removeLast();

    bool anyQuoted = false;
    bool unquotedSeen = false;
    QHash<QByteArray, int> lineEnds;
    for (int record = 0; record < original.records().size(); ++record) {
        const CsvRecords::Record &fields = original.records().at(record);
        if (record < sampledRecords) {
            for (const CsvRecords::Span &field : fields.fields) {
                if (field.size() > 0) {
                    anyQuoted = anyQuoted || isQuoted(original, field);
                    unquotedSeen = unquotedSeen || !isQuoted(original, field);
                }
            }
        }
        if (fields.lineEnd.size() > 0)
            ++lineEnds[original.bytesOf(fields.lineEnd)];
    }
    m_quotesEveryField = anyQuoted && !unquotedSeen;
    int most = 0;
    for (auto end = lineEnds.cbegin(); end != lineEnds.cend(); ++end) {
        if (end.value() > most) {
            most = end.value();
            m_lineEnd = end.key();
        }
    }
    if (m_lineEnd.isEmpty())
        m_lineEnd = encoded(QStringLiteral("\n"));
}

QByteArray CsvPutBack::merged()
{
    const QVector<Pair> pairs = pairedRecords();
    if (!m_originalColumn)
        inferColumnChange();

    const QVector<CsvRecords::Record> &records = m_original.records();
    QVector<QByteArray> contents;
    QVector<QByteArray> ends;
    for (int at = 0; at < pairs.size(); ++at) {
        const Pair &pair = pairs.at(at);
        contents.append(recordBytes(pair, at > 0 ? &pairs.at(at - 1) : nullptr));
        if (pair.original >= 0)
            ends.append(m_original.bytesOf(records.at(pair.original).lineEnd));
        else
            ends.append(at > 0 && !ends.last().isEmpty() ? ends.last() : m_lineEnd);
    }
    if (!m_problem.isEmpty())
        return QByteArray();
    // Every record but the last ends its line; the last as the original's last did.
    const bool finalLineEnd = records.isEmpty() || records.last().lineEnd.size() > 0;
    for (int at = 0; at < ends.size(); ++at) {
        const bool last = at == ends.size() - 1;
        if (last && !finalLineEnd)
            ends[at].clear();
        else if (ends.at(at).isEmpty())
            ends[at] = m_lineEnd;
    }

    QByteArray result = m_original.encoding().byteOrderMark;
    for (int at = 0; at < contents.size(); ++at)
        result += contents.at(at) + ends.at(at);
    m_problem = checkMerged(result);
    return m_problem.isEmpty() ? result : QByteArray();
}

QVector<CsvPutBack::Pair> CsvPutBack::pairedRecords() const
{
    // Empty lines at the end hold no row the application stores.
    int originalCount = m_originalCells.size();
    while (originalCount > 0 && m_originalCells.at(originalCount - 1).isEmpty())
        --originalCount;
    QVector<Pair> pairs;
    int lastPaired = -1;
    if (m_originalRow) {
        for (int stored = 0; stored < m_storedCells.size(); ++stored) {
            int original = m_originalRow(stored);
            if (original >= m_originalCells.size())
                original = -1;
            pairs.append({original, stored});
            lastPaired = std::max(lastPaired, original);
        }
    } else {
        pairs = pairedByContent(originalCount);
        for (const Pair &pair : qAsConst(pairs))
            lastPaired = std::max(lastPaired, pair.original);
    }
    for (int original = std::max(lastPaired + 1, originalCount); original < m_originalCells.size(); ++original)
        pairs.append({original, -1});
    return pairs;
}

// The same records before and after one block the edit inserted, deleted or
// changed.
QVector<CsvPutBack::Pair> CsvPutBack::pairedByContent(int originalCount) const
{
    const int storedCount = m_storedCells.size();
    QVector<Pair> pairs;
    if (originalCount == storedCount) {
        for (int record = 0; record < storedCount; ++record)
            pairs.append({record, record});
        return pairs;
    }
    int before = 0;
    while (before < originalCount && before < storedCount && m_originalCells.at(before) == m_storedCells.at(before))
        ++before;
    int after = 0;
    while (after < originalCount - before && after < storedCount - before
           && m_originalCells.at(originalCount - 1 - after) == m_storedCells.at(storedCount - 1 - after))
        ++after;
    for (int record = 0; record < before; ++record)
        pairs.append({record, record});
    const int originalBlock = originalCount - before - after;
    const int storedBlock = storedCount - before - after;
    for (int record = 0; record < storedBlock; ++record)
        pairs.append({record < originalBlock ? before + record : -1, before + record});
    for (int record = 0; record < after; ++record)
        pairs.append({originalCount - after + record, storedCount - after + record});
    return pairs;
}

// The column block that explains every record whose length changed, placed
// as early as all of them allow (among equal fields any place gives the
// same text).
void CsvPutBack::inferColumnChange()
{
    const QVector<Pair> pairs = pairedRecords();
    int count = 0;
    int lowest = 0;
    int highest = INT_MAX;
    for (const Pair &pair : pairs) {
        if (pair.original < 0 || pair.stored < 0)
            continue;
        const QStringList &original = m_originalCells.at(pair.original);
        const QStringList &stored = m_storedCells.at(pair.stored);
        const int change = stored.size() - original.size();
        if (change == 0 || (count != 0 && change != count))
            continue;
        int first = -1;
        int last = -1;
        for (int at = 0; at <= std::min(original.size(), stored.size()); ++at) {
            QStringList made = original;
            if (change > 0) {
                for (int field = 0; field < change; ++field)
                    made.insert(at, QString());
            } else {
                if (at - change > original.size())
                    break;
                made.erase(made.begin() + at, made.begin() + at - change);
            }
            while (!made.isEmpty() && made.last().isEmpty())
                made.removeLast();
            if (made == stored) {
                first = first < 0 ? at : first;
                last = at;
            }
        }
        if (first < 0)
            continue;
        if (count == 0)
            count = change;
        lowest = std::max(lowest, first);
        highest = std::min(highest, last);
    }
    if (count != 0 && lowest <= highest) {
        m_changedColumnAt = lowest;
        m_changedColumnCount = count;
    }
}

int CsvPutBack::originalColumn(int stored) const
{
    if (m_originalColumn)
        return m_originalColumn(stored);
    if (stored < m_changedColumnAt)
        return stored;
    if (m_changedColumnCount > 0)
        return stored < m_changedColumnAt + m_changedColumnCount ? -1 : stored - m_changedColumnCount;
    return stored - m_changedColumnCount;
}

QByteArray CsvPutBack::recordBytes(const Pair &pair, const Pair *previous)
{
    const QVector<CsvRecords::Record> &records = m_original.records();
    const QByteArray separator = encoded(QString(QLatin1Char(m_original.separator())));
    if (pair.original >= 0) {
        const CsvRecords::Record &record = records.at(pair.original);
        if (pair.stored < 0 || m_originalCells.at(pair.original) == m_storedCells.at(pair.stored))
            return m_original.bytes().mid(record.fields.first().begin,
                                          record.fields.last().end - record.fields.first().begin);
    }
    const QStringList stored = pair.stored >= 0 ? m_storedCells.at(pair.stored) : QStringList();
    QByteArray bytes;
    if (pair.original < 0) {
        // As wide as the record before it (or the first), as the application pads it.
        const int neighbour = previous && previous->original >= 0 ? previous->original : 0;
        const int width = std::max<int>(stored.size(), records.isEmpty() ? 0 : records.at(neighbour).fields.size());
        for (int field = 0; field < width; ++field)
            bytes += (field > 0 ? separator : QByteArray())
                     + fieldBytes(field < stored.size() ? stored.at(field) : QString(), m_quotesEveryField);
        return bytes;
    }

    const CsvRecords::Record &record = records.at(pair.original);
    const int originalWidth = record.fields.size();
    // The record reaches as far as its last original field has moved, so
    // that its trailing empty fields stay.
    int width = stored.size();
    for (int column = 0; column < std::max(originalWidth, int(stored.size())) + 16; ++column) {
        const int original = originalColumn(column);
        if (original >= 0 && original < originalWidth)
            width = std::max(width, column + 1);
    }
    const bool quoteAll = quotesEveryField(m_original, record) || (m_quotesEveryField && m_originalCells.at(pair.original).isEmpty());
    for (int column = 0; column < width; ++column) {
        const QString text = column < stored.size() ? stored.at(column) : QString();
        const int original = originalColumn(column);
        if (column > 0)
            bytes += separator;
        if (original >= 0 && original < originalWidth
            && CsvRecords::asCell(m_original.text(record.fields.at(original))) == text)
            bytes += m_original.bytesOf(record.fields.at(original));
        else
            bytes += fieldBytes(text, quoteAll);
    }
    return bytes;
}

QByteArray CsvPutBack::fieldBytes(const QString &text, bool quoteAll)
{
    if (text.isEmpty())
        return QByteArray();
    const bool needsQuotes = text.contains(QLatin1Char(m_original.separator())) || text.contains(QLatin1Char('"'))
                             || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quoteAll && !needsQuotes)
        return encoded(text);
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return encoded(QLatin1Char('"') + quoted + QLatin1Char('"'));
}

QByteArray CsvPutBack::encoded(const QString &text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray bytes = m_original.encoding().codec()->fromUnicode(text.constData(), text.size(), &state);
    if (state.invalidChars != 0 && m_problem.isEmpty())
        m_problem = QCoreApplication::translate("Engine", "the text \"%1\" cannot be written in the file's encoding (%2)")
                        .arg(text.left(40), m_original.encoding().name());
    return bytes;
}

// Read back as the application would read it, the new file must hold what
// the application stored, record for record and field for field.
QString CsvPutBack::checkMerged(const QByteArray &merged) const
{
    const CsvRecords written(merged, m_original.encoding(), m_original.separator());
    const int count = written.records().size();
    for (int record = 0; record < std::max(count, int(m_storedCells.size())); ++record) {
        const QStringList cells = record < count ? written.cells(record) : QStringList();
        const QStringList expected = record < m_storedCells.size() ? m_storedCells.at(record) : QStringList();
        if (cells != expected)
            return QCoreApplication::translate("Engine",
                                               "what was stored cannot be written back in the file's own bytes "
                                               "(record %1 would read differently)")
                .arg(record + 1);
    }
    return QString();
}
