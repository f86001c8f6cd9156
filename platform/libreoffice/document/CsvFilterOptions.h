// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fileformats/CsvDialect.h"

#include <QByteArray>
#include <QString>

// How a .csv file is loaded and stored again so that its data round-trips:
// split at its own separator, every column imported as text (so 00123,
// "3,000" and 03/05/2024 stay as written), and written back in the charset,
// quoting, line ends and byte order mark it came with. UTF-32 files are
// refused: LibreOffice cannot read them, and so are records wider than a
// sheet, which would load cut.
class CsvFilterOptions
{
public:
    static const char *filterName();
    static CsvFilterOptions forContent(const QByteArray &content);

    // The FilterOptions strings of the text filter for loading and storing.
    QString importOptions() const;
    QString exportOptions() const;

    // Gives a file LibreOffice has just stored what its filter cannot write:
    // the UTF-8 byte order mark and CR LF line ends. Fails (AutomationFailure).
    void finishExport(const QString &path) const;

private:
    QString options(int charset, bool quoteAllText) const;

    int m_charset = 0;
    // Set for UTF-16 files: the codec that writes their byte order.
    const char *m_utf16Codec = nullptr;
    bool m_hasByteOrderMark = false;
    CsvDialect m_dialect;
};
