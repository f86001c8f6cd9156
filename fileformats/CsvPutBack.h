// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/CsvRecords.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Writes what the spreadsheet application stored for an edited CSV file in
// the original file's own bytes: every record and field the edit left as it
// was keeps its bytes (quoting, line ends inside and between records, ragged
// rows, NUL bytes, the final line end or its absence); the fields and records
// the edit made are written in the file's encoding, separator and quoting,
// with its line ends. The result is read back and must hold, field for field,
// what the application stored, else nothing is written.
//
// Rows and columns are followed through the edit when the caller knows where
// each stored one was in the original (-1 for one the edit inserted);
// otherwise they are matched by content: equal records before and after a
// block of inserted or deleted ones, and one column block inserted or deleted
// in every record that changed. A record holding nothing at or after an
// inserted or deleted column (a short ragged row, separators alone) reads
// the same after the edit, and so stays as it was: it is not padded.
class CsvPutBack
{
public:
    using LineMap = std::function<int(int)>;

    CsvPutBack(const CsvRecords &original, const CsvRecords &stored);
    void followRows(LineMap originalRow) { m_originalRow = std::move(originalRow); }
    void followColumns(LineMap originalColumn) { m_originalColumn = std::move(originalColumn); }

    // The new file's bytes; empty with problem() set when the stored text
    // cannot be written so.
    QByteArray merged();
    QString problem() const { return m_problem; }

private:
    struct Pair
    {
        int original; // -1: a record the edit made
        int stored;   // -1: an original record the application did not write (trailing empty lines)
    };

    QVector<Pair> pairedRecords() const;
    QVector<Pair> pairedByContent(int originalCount) const;
    void inferColumnChange();
    int originalColumn(int stored) const;
    QByteArray recordBytes(const Pair &pair, const Pair *previous);
    QByteArray fieldBytes(const QString &text, bool quoteAll);
    QByteArray encoded(const QString &text);
    QString checkMerged(const QByteArray &merged) const;

    const CsvRecords &m_original;
    const CsvRecords &m_stored;
    QVector<QStringList> m_originalCells;
    QVector<QStringList> m_storedCells;
    LineMap m_originalRow;
    LineMap m_originalColumn;
    // A column block inserted (count > 0) or deleted (count < 0) before
    // column at, found from the records when the caller does not know.
    int m_changedColumnAt = 0;
    int m_changedColumnCount = 0;
    bool m_quotesEveryField = false;
    QByteArray m_lineEnd;
    QString m_problem;
};
