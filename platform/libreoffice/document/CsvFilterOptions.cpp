// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/libreoffice/document/CsvFilterOptions.h"

#include "fileformats/AutomationFailure.h"
#include "fileformats/LoadSoundness.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextCodec>

namespace {

// rtl_TextEncoding values (rtl/textenc.h) of the text filter; "Unicode" is
// UTF-16 with a byte order mark, either byte order.
int charsetOf(CsvEncoding::Kind kind)
{
    switch (kind) {
    case CsvEncoding::Utf8:
        return 76;
    case CsvEncoding::Utf16LittleEndian:
    case CsvEncoding::Utf16BigEndian:
        return 65535;
    case CsvEncoding::Gb18030:
        return 85;
    case CsvEncoding::ShiftJis:
        return 60; // MS_932, Windows' Shift-JIS
    case CsvEncoding::Windows1252:
        return 1;
    case CsvEncoding::Unknown:
        break;
    }
    return 0;
}

const int utf8Charset = 76;

} // namespace

const char *CsvFilterOptions::filterName()
{
    return "Text - txt - csv (StarCalc)";
}

CsvFilterOptions CsvFilterOptions::forContent(const QString &path, QByteArray content)
{
    CsvFilterOptions options;
    options.m_encoding = CsvEncoding::of(content);
    if (!options.m_encoding.problem.isEmpty())
        fail(QCoreApplication::translate("Engine", "%1 is left as it is: %2").arg(path, options.m_encoding.problem));
    if (options.m_encoding.unitSize() == 2) {
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        const QString text = options.m_encoding.codec()->toUnicode(content.constData() + 2, content.size() - 2, &state);
        options.m_dialect = CsvDialect::of(text.toUtf8());
    } else {
        options.m_dialect = CsvDialect::of(content.mid(options.m_encoding.byteOrderMark.size()));
    }
    options.m_content = std::move(content);
    // LibreOffice loads a CSV cut at its grid's edge without a word.
    const CsvDialect &dialect = options.m_dialect;
    if (dialect.lines > LoadSoundness::gridRows || dialect.widestRecord > LoadSoundness::gridColumns)
        fail(QCoreApplication::translate("Engine", "holds data beyond LibreOffice's grid of %1 rows and %2 columns (%3 lines, up to %4 "
                            "fields), which loading would cut off")
                 .arg(LoadSoundness::gridRows)
                 .arg(LoadSoundness::gridColumns)
                 .arg(dialect.lines)
                 .arg(dialect.widestRecord));
    return options;
}

QString CsvFilterOptions::importOptions() const
{
    return options(charsetOf(m_encoding.kind));
}

QString CsvFilterOptions::exportOptions() const
{
    return options(utf8Charset);
}

CsvRecords CsvFilterOptions::records() const
{
    return CsvRecords(m_content, m_encoding, m_dialect.separator);
}

QString CsvFilterOptions::options(int charset) const
{
    // Column format 2 is "text"; room is left for columns the job inserts.
    QStringList columnFormats;
    for (int column = 1; column <= qMin(m_dialect.widestRecord + 16, LoadSoundness::gridColumns); ++column)
        columnFormats << QStringLiteral("%1/2").arg(column);
    // Tokens: separator, quote, charset, first line, column formats, language,
    // quoted field as text (import) / quote all text cells (export), detect
    // special numbers, save as shown, export formulas, remove spaces.
    return QStringLiteral("%1,34,%2,1,%3,1033,false,false,true,false,false")
        .arg(int(m_dialect.separator))
        .arg(charset)
        .arg(columnFormats.join(QLatin1Char('/')));
}

QString CsvFilterOptions::putBack(const QString &storedPath, CsvPutBack::LineMap originalRow,
                                  CsvPutBack::LineMap originalColumn) const
{
    QFile file(storedPath);
    if (!file.open(QIODevice::ReadWrite))
        return QCoreApplication::translate("Engine", "the stored file cannot be read back: %1").arg(file.errorString());
    const QByteArray storedBytes = file.readAll();
    CsvEncoding storedEncoding;
    storedEncoding.kind = CsvEncoding::Utf8;
    if (storedBytes.startsWith("\xEF\xBB\xBF"))
        storedEncoding.byteOrderMark = storedBytes.left(3);
    const CsvRecords original = records();
    const CsvRecords stored(storedBytes, storedEncoding, m_dialect.separator);
    CsvPutBack putBack(original, stored);
    putBack.followRows(std::move(originalRow));
    putBack.followColumns(std::move(originalColumn));
    const QByteArray merged = putBack.merged();
    if (!putBack.problem().isEmpty())
        return putBack.problem();
    if (!file.seek(0) || file.write(merged) != merged.size() || !file.resize(merged.size()) || !file.flush())
        return QCoreApplication::translate("Engine", "cannot rewrite the stored %1: %2").arg(storedPath, file.errorString());
    return QString();
}
