#pragma once

#include <QByteArray>
#include <QString>

// How a .csv file is loaded and stored again so that its data round-trips:
// comma separated, every column imported as text (so 00123, "3,000" and
// 03/05/2024 stay as written), and written back in the charset it came in.
class CsvFilterOptions
{
public:
    static const char *filterName();
    static CsvFilterOptions forContent(const QByteArray &content);

    // The FilterOptions string of the text filter; store() reuses it.
    QString filterOptions() const;

    // LibreOffice drops a UTF-8 byte order mark on the way through;
    // put it back after a store if the file had one.
    void restoreByteOrderMark(const QString &path) const;

    int charset() const { return m_charset; }

private:
    int m_charset = 0;
    bool m_hasByteOrderMark = false;
    int m_columns = 1;
};
