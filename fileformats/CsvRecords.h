// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/CsvEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A CSV file's records as its bytes hold them: each field's bytes (quotes
// included) and each record's line end, so that what did not change can be
// written back exactly, and each field's text as an application reads it.
class CsvRecords
{
public:
    struct Span
    {
        qsizetype begin = 0;
        qsizetype end = 0;
        qsizetype size() const { return end - begin; }
    };
    struct Record
    {
        QVector<Span> fields;
        // CR LF, LF or CR; empty for a last record without one.
        Span lineEnd;
    };

    CsvRecords(QByteArray bytes, const CsvEncoding &encoding, char separator);

    const QByteArray &bytes() const { return m_bytes; }
    const CsvEncoding &encoding() const { return m_encoding; }
    char separator() const { return m_separator; }
    const QVector<Record> &records() const { return m_records; }
    QByteArray bytesOf(Span span) const { return m_bytes.mid(span.begin, span.size()); }

    // The field's text: outer quotes taken off, doubled quotes made one.
    QString text(const Span &field) const;
    // The record's texts without its trailing empty fields, each as the
    // application holds it: line breaks as LF, NUL characters dropped.
    QStringList cells(int record) const;
    static QString asCell(QString text);

    // The code unit at a byte offset (a byte, or a UTF-16 unit).
    ushort unitAt(qsizetype at) const;

private:
    void parse();

    QByteArray m_bytes;
    CsvEncoding m_encoding;
    char m_separator;
    QVector<Record> m_records;
};
