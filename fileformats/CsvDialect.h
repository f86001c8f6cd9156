// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// How a CSV file is written, learnt from its content so that saving writes
// the same way: separator, quoting and line ends.
struct CsvDialect
{
    // Comma, semicolon or tab: the one found outside quotes on every one of
    // the first records the same number of times, else the most frequent.
    char separator = ',';
    // Every non-empty field of the first records is quoted.
    bool quotesEveryField = false;
    // The records end in CR LF rather than LF.
    bool crLfLineEnds = false;
    // The most fields of any record.
    int widestRecord = 1;
    // The lines outside quotes, empty ones too: a row each once loaded.
    qint64 lines = 0;

    static CsvDialect of(const QByteArray &content);
};
