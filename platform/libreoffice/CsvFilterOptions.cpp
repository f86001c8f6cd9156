#include "platform/libreoffice/CsvFilterOptions.h"

#include <QFile>
#include <QStringList>
#include <QTextCodec>

#include <algorithm>

namespace {

// rtl_TextEncoding values (rtl/textenc.h).
const int utf8Charset = 76;
const int gbkCharset = 67;

const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF");

bool isValidUtf8(const QByteArray &content)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(content.constData(), content.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// The widest record, counting fields outside quotes; comma and quote bytes
// never occur inside a GBK or UTF-8 multi-byte character.
int widestRecord(const QByteArray &content)
{
    int widest = 1;
    int fields = 1;
    bool quoted = false;
    for (const char byte : content) {
        if (byte == '"') {
            quoted = !quoted;
        } else if (!quoted && byte == ',') {
            ++fields;
        } else if (!quoted && (byte == '\n' || byte == '\r')) {
            widest = std::max(widest, fields);
            fields = 1;
        }
    }
    return std::max(widest, fields);
}

} // namespace

const char *CsvFilterOptions::filterName()
{
    return "Text - txt - csv (StarCalc)";
}

CsvFilterOptions CsvFilterOptions::forContent(const QByteArray &content)
{
    CsvFilterOptions options;
    options.m_hasByteOrderMark = content.startsWith(utf8ByteOrderMark);
    options.m_charset = isValidUtf8(content) ? utf8Charset : gbkCharset;
    options.m_columns = widestRecord(content);
    return options;
}

QString CsvFilterOptions::filterOptions() const
{
    // Column format 2 is "text"; room is left for columns the job inserts.
    QStringList columnFormats;
    for (int column = 1; column <= m_columns + 16; ++column)
        columnFormats << QStringLiteral("%1/2").arg(column);
    // Tokens: separator, quote, charset, first line, column formats, language,
    // quoted field as text / quote all text cells, detect special numbers,
    // save as shown, export formulas, remove spaces.
    return QStringLiteral("44,34,%1,1,%2,1033,false,false,true,false,false")
        .arg(m_charset)
        .arg(columnFormats.join(QLatin1Char('/')));
}

void CsvFilterOptions::restoreByteOrderMark(const QString &path) const
{
    if (!m_hasByteOrderMark)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const QByteArray stored = file.readAll();
    if (stored.startsWith(utf8ByteOrderMark))
        return;
    file.seek(0);
    file.write(utf8ByteOrderMark + stored);
}
