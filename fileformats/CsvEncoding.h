// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QTextCodec;

// The character set of a CSV file, told from its bytes: a byte order mark
// (UTF-8, UTF-16), else valid UTF-8, else GB18030 (GBK's superset), Shift-JIS
// or Windows-1252 where the bytes fit one of them plainly. Where they fit
// none, or more than one without telling them apart, the encoding is not
// guessed: problem says why.
struct CsvEncoding
{
    enum Kind { Utf8, Utf16LittleEndian, Utf16BigEndian, Gb18030, ShiftJis, Windows1252, Unknown };

    Kind kind = Unknown;
    // The bytes the file starts with, kept as they are.
    QByteArray byteOrderMark;
    // Why the encoding cannot be told; empty when it can.
    QString problem;

    static CsvEncoding of(const QByteArray &content);

    // The codec that reads and writes the text after the byte order mark.
    QTextCodec *codec() const;
    // Bytes of one code unit: 2 for UTF-16, else 1 (separators, quotes and
    // line ends are one unit, and never part of a multi-byte character).
    int unitSize() const;
    bool bigEndian() const { return kind == Utf16BigEndian; }
    QString name() const;
};
