// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/CsvFilterOptions.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/LoadSoundness.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextCodec>

namespace {

// rtl_TextEncoding values (rtl/textenc.h); "Unicode" is UTF-16 with a byte
// order mark, either byte order.
const int utf8Charset = 76;
const int gbkCharset = 67;
const int utf16Charset = 65535;

const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF");

// Checked a piece at a time, so that a file of one long line never sits in
// memory a second time as text.
bool isValidUtf8(const QByteArray &content)
{
    const int piece = 1 << 20;
    QTextCodec::ConverterState state;
    QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
    for (qsizetype at = 0; at < content.size(); at += piece) {
        utf8->toUnicode(content.constData() + at, int(qMin<qsizetype>(piece, content.size() - at)), &state);
        if (state.invalidChars != 0)
            return false;
    }
    return state.remainingChars == 0;
}

// LibreOffice ends records with LF. Line breaks inside quoted fields are
// cell text and stay as they are.
QByteArray withCrLfRecordEnds(const QByteArray &stored)
{
    QByteArray result;
    result.reserve(stored.size() + stored.size() / 16);
    bool quoted = false;
    char previous = '\0';
    for (const char byte : stored) {
        if (byte == '"')
            quoted = !quoted;
        else if (byte == '\n' && !quoted && previous != '\r')
            result.append('\r');
        result.append(byte);
        previous = byte;
    }
    return result;
}

} // namespace

const char *CsvFilterOptions::filterName()
{
    return "Text - txt - csv (StarCalc)";
}

namespace {

// LibreOffice loads a CSV cut at its grid's edge without a word.
void refuseBeyondGrid(const CsvDialect &dialect)
{
    if (dialect.lines > LoadSoundness::gridRows || dialect.widestRecord > LoadSoundness::gridColumns)
        fail(QCoreApplication::translate("Engine", "holds data beyond LibreOffice's grid of %1 rows and %2 columns (%3 lines, up to %4 "
                            "fields), which loading would cut off")
                 .arg(LoadSoundness::gridRows)
                 .arg(LoadSoundness::gridColumns)
                 .arg(dialect.lines)
                 .arg(dialect.widestRecord));
}

} // namespace

CsvFilterOptions CsvFilterOptions::forContent(const QByteArray &content)
{
    CsvFilterOptions options;
    // UTF-32 is checked first: its little-endian mark starts like UTF-16's.
    if (content.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)) || content.startsWith(QByteArray("\x00\x00\xFE\xFF", 4)))
        fail(QCoreApplication::translate("Engine", "UTF-32 text, which LibreOffice cannot read"));
    if (content.startsWith("\xFF\xFE") || content.startsWith("\xFE\xFF")) {
        // Read as UTF-16 and written as UTF-8, then turned back into the
        // file's own byte order: LibreOffice's UTF-16 export keeps neither.
        options.m_utf16Codec = content.startsWith("\xFF\xFE") ? "UTF-16LE" : "UTF-16BE";
        options.m_charset = utf16Charset;
        const QString text = QTextCodec::codecForName(options.m_utf16Codec)->toUnicode(content.mid(2));
        options.m_dialect = CsvDialect::of(text.toUtf8());
        refuseBeyondGrid(options.m_dialect);
        return options;
    }
    options.m_hasByteOrderMark = content.startsWith(utf8ByteOrderMark);
    options.m_charset = isValidUtf8(content) ? utf8Charset : gbkCharset;
    options.m_dialect = CsvDialect::of(options.m_hasByteOrderMark ? content.mid(utf8ByteOrderMark.size()) : content);
    refuseBeyondGrid(options.m_dialect);
    return options;
}

QString CsvFilterOptions::importOptions() const
{
    return options(m_charset, false);
}

QString CsvFilterOptions::exportOptions() const
{
    // Otherwise only fields holding a separator, quote or line break are quoted.
    return options(m_utf16Codec ? utf8Charset : m_charset, m_dialect.quotesEveryField);
}

QString CsvFilterOptions::options(int charset, bool quoteAllText) const
{
    // Column format 2 is "text"; room is left for columns the job inserts.
    QStringList columnFormats;
    for (int column = 1; column <= qMin(m_dialect.widestRecord + 16, LoadSoundness::gridColumns); ++column)
        columnFormats << QStringLiteral("%1/2").arg(column);
    // Tokens: separator, quote, charset, first line, column formats, language,
    // quoted field as text (import) / quote all text cells (export), detect
    // special numbers, save as shown, export formulas, remove spaces.
    return QStringLiteral("%1,34,%2,1,%3,1033,%4,false,true,false,false")
        .arg(int(m_dialect.separator))
        .arg(charset)
        .arg(columnFormats.join(QLatin1Char('/')))
        .arg(quoteAllText ? QLatin1String("true") : QLatin1String("false"));
}

void CsvFilterOptions::finishExport(const QString &path) const
{
    if (!m_hasByteOrderMark && !m_dialect.crLfLineEnds && !m_utf16Codec)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        fail(QCoreApplication::translate("Engine", "cannot reopen the stored %1: %2").arg(path, file.errorString()));
    QByteArray content = file.readAll();
    if (m_dialect.crLfLineEnds)
        content = withCrLfRecordEnds(content);
    if (m_hasByteOrderMark && !content.startsWith(utf8ByteOrderMark))
        content.prepend(utf8ByteOrderMark);
    if (m_utf16Codec) {
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        const QString text = QString::fromUtf8(content.startsWith(utf8ByteOrderMark) ? content.mid(3) : content);
        content = QTextCodec::codecForName(m_utf16Codec)->fromUnicode(text.constData(), text.size(), &state);
        content.prepend(qstrcmp(m_utf16Codec, "UTF-16LE") == 0 ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF"));
    }
    if (!file.seek(0) || file.write(content) != content.size() || !file.resize(content.size()) || !file.flush())
        fail(QCoreApplication::translate("Engine", "cannot rewrite the stored %1: %2").arg(path, file.errorString()));
}
