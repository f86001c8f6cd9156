// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileformats/CsvRecords.h"

#include <QTextCodec>

CsvRecords::CsvRecords(QByteArray bytes, const CsvEncoding &encoding, char separator)
    : m_bytes(std::move(bytes))
    , m_encoding(encoding)
    , m_separator(separator)
{
    parse();
}

ushort CsvRecords::unitAt(qsizetype at) const
{
    const uchar first = uchar(m_bytes.at(at));
    if (m_encoding.unitSize() == 1)
        return first;
    const uchar second = uchar(m_bytes.at(at + 1));
    return m_encoding.bigEndian() ? ushort(first << 8 | second) : ushort(second << 8 | first);
}

// A quote opens a quoted field only at the field's start; inside, a doubled
// quote stands for one and a single one closes it. Whatever follows the
// closing quote up to the separator belongs to the field.
void CsvRecords::parse()
{
    const qsizetype unit = m_encoding.unitSize();
    const qsizetype size = m_bytes.size() - m_bytes.size() % unit;
    qsizetype at = m_encoding.byteOrderMark.size();
    while (at < size) {
        Record record;
        for (;;) {
            Span field{at, at};
            if (unitAt(at) == '"') {
                at += unit;
                while (at < size) {
                    const ushort value = unitAt(at);
                    at += unit;
                    if (value == '"') {
                        if (at < size && unitAt(at) == '"')
                            at += unit;
                        else
                            break;
                    }
                }
            }
            while (at < size && unitAt(at) != ushort(m_separator) && unitAt(at) != '\n' && unitAt(at) != '\r')
                at += unit;
            field.end = at;
            record.fields.append(field);
            if (at < size && unitAt(at) == ushort(m_separator))
                at += unit;
            else
                break;
        }
        record.lineEnd = Span{at, at};
        if (at < size && unitAt(at) == '\r')
            at += unit;
        if (at < size && unitAt(at) == '\n')
            at += unit;
        record.lineEnd.end = at;
        m_records.append(record);
    }
}

QString CsvRecords::text(const Span &field) const
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString raw = m_encoding.codec()->toUnicode(m_bytes.constData() + field.begin, int(field.size()), &state);
    if (!raw.startsWith(QLatin1Char('"')))
        return raw;
    QString text;
    text.reserve(raw.size());
    int at = 1;
    for (; at < raw.size(); ++at) {
        if (raw.at(at) == QLatin1Char('"')) {
            if (at + 1 < raw.size() && raw.at(at + 1) == QLatin1Char('"'))
                ++at;
            else
                break;
        }
        text.append(raw.at(at));
    }
    return text + raw.mid(at + 1);
}

QString CsvRecords::asCell(QString text)
{
    text.remove(QChar(0));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QStringList CsvRecords::cells(int record) const
{
    QStringList cells;
    for (const Span &field : m_records.at(record).fields)
        cells.append(asCell(text(field)));
    while (!cells.isEmpty() && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}
