// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/CsvDialect.h"
#include "fileformats/CsvEncoding.h"
#include "fileformats/CsvPutBack.h"

#include <QByteArray>
#include <QString>

// How a .csv file is loaded and stored again so that its data round-trips:
// split at its own separator, read in its own character set, every column
// imported as text (so 00123, "3,000" and 03/05/2024 stay as written), and
// stored as UTF-8, which holds whatever the edit wrote; the stored text is
// then put back into the file's own bytes (CsvPutBack). A file whose
// encoding cannot be told, or whose records are wider or more than a sheet
// holds, is refused: it would load changed or cut.
class CsvFilterOptions
{
public:
    static const char *filterName();
    // Fails (AutomationFailure) for a file that cannot be kept.
    static CsvFilterOptions forContent(const QString &path, QByteArray content);

    // The FilterOptions strings of the text filter for loading and storing.
    QString importOptions() const;
    QString exportOptions() const;

    int widestRecord() const { return m_dialect.widestRecord; }
    // The original's records, as its bytes hold them.
    CsvRecords records() const;
    // Rewrites the file LibreOffice has just stored at storedPath in the
    // original's bytes, following the edit's rows and columns where given.
    // Gives why it cannot, leaving the stored file as it was; empty when done.
    QString putBack(const QString &storedPath, CsvPutBack::LineMap originalRow,
                    CsvPutBack::LineMap originalColumn) const;

private:
    QString options(int charset) const;

    QByteArray m_content;
    CsvEncoding m_encoding;
    CsvDialect m_dialect;
};
