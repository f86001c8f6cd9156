// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/CsvDialect.h"

#include <QVector>

#include <algorithm>
#include <array>
#include <tuple>

// Quote, separator and line-end bytes never occur inside a GBK or UTF-8
// multi-byte character, so the content is read byte by byte. A doubled quote
// inside a quoted field closes and reopens it, which changes nothing.

namespace {

const std::array<char, 3> candidates = {',', ';', '\t'};
const int sampledRecords = 20;

bool isLineEnd(char byte)
{
    return byte == '\n' || byte == '\r';
}

char separatorOf(const QByteArray &content)
{
    QVector<std::array<int, 3>> records;
    std::array<int, 3> current{};
    bool quoted = false;
    bool empty = true;
    for (const char byte : content) {
        if (byte == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (isLineEnd(byte)) {
            if (!empty)
                records.append(current);
            if (records.size() == sampledRecords)
                break;
            current = {};
            empty = true;
            continue;
        } else {
            for (size_t candidate = 0; candidate < candidates.size(); ++candidate)
                current[candidate] += byte == candidates[candidate] ? 1 : 0;
        }
        empty = false;
    }
    if (!empty && records.size() < sampledRecords)
        records.append(current);

    // Ranked by: the same count on every record, the fewest on any, the most in all.
    std::tuple<bool, int, int> best{false, 0, 0};
    char chosen = ',';
    for (size_t candidate = 0; candidate < candidates.size(); ++candidate) {
        int fewest = records.isEmpty() ? 0 : records.first()[candidate];
        int most = fewest;
        int total = 0;
        for (const std::array<int, 3> &record : qAsConst(records)) {
            fewest = std::min(fewest, record[candidate]);
            most = std::max(most, record[candidate]);
            total += record[candidate];
        }
        const std::tuple<bool, int, int> rank{fewest > 0 && fewest == most, fewest, total};
        if (total > 0 && rank > best) {
            best = rank;
            chosen = candidates[candidate];
        }
    }
    return chosen;
}

} // namespace

CsvDialect CsvDialect::of(const QByteArray &content)
{
    CsvDialect dialect;
    dialect.separator = separatorOf(content);

    bool quoted = false;
    bool fieldStart = true;
    bool recordEmpty = true;
    bool lineEndSeen = false;
    bool sawQuotedField = false;
    bool everyFieldQuoted = true;
    int records = 0;
    int fields = 1;
    for (int i = 0; i < content.size(); ++i) {
        const char byte = content.at(i);
        const bool sampling = records < sampledRecords;
        if (quoted) {
            quoted = byte != '"';
        } else if (byte == '"') {
            sawQuotedField = sawQuotedField || (fieldStart && sampling);
            quoted = true;
            fieldStart = false;
            recordEmpty = false;
        } else if (byte == dialect.separator) {
            ++fields;
            fieldStart = true;
            recordEmpty = false;
        } else if (isLineEnd(byte)) {
            const bool crLf = byte == '\r' && i + 1 < content.size() && content.at(i + 1) == '\n';
            dialect.lines += crLf ? 0 : 1;
            if (!lineEndSeen)
                dialect.crLfLineEnds = byte == '\r' && i + 1 < content.size() && content.at(i + 1) == '\n';
            lineEndSeen = true;
            dialect.widestRecord = std::max(dialect.widestRecord, fields);
            records += recordEmpty ? 0 : 1;
            fields = 1;
            fieldStart = true;
            recordEmpty = true;
        } else {
            everyFieldQuoted = everyFieldQuoted && !(fieldStart && sampling);
            fieldStart = false;
            recordEmpty = false;
        }
    }
    dialect.widestRecord = std::max(dialect.widestRecord, fields);
    if (!content.isEmpty() && !isLineEnd(content.at(content.size() - 1)))
        ++dialect.lines;
    dialect.quotesEveryField = sawQuotedField && everyFieldQuoted;
    return dialect;
}
