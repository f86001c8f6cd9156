// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The records of an .xls workbook stream (BIFF), one after the other: a type,
// a length and a body each.
class BiffRecords
{
public:
    enum Type : quint16 {
        Formula = 0x0006,
        EndOfFile = 0x000A,
        Continue = 0x003C,
        BoundSheet = 0x0085,
        Row = 0x0208,
        String = 0x0207,
        BeginOfFile = 0x0809,
    };

    // from: the stream offset of the first record to read.
    BiffRecords(const QByteArray &stream, qint64 from)
        : m_stream(&stream)
        , m_at(from)
    {
    }

    // The next record; false at the stream's end or at a record that runs
    // past it.
    bool next(quint16 *type, QByteArray *body);
    qint64 offset() const { return m_at; }

    // The stream offset of the sheet's records, from the workbook's sheet
    // list; -1 when the stream is no BIFF8 workbook or has no such sheet.
    static qint64 sheetOffset(const QByteArray &stream, const QString &sheetName);

private:
    const QByteArray *m_stream;
    qint64 m_at;
};
