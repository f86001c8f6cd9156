// SPDX-License-Identifier: GPL-3.0-or-later
// The dialect of real CSV files, and of UTF-16 ones that lost their last byte.

#include "fileformats/CsvDialect.h"
#include "tests/fileformats/DamagedFiles.h"

#include <QTextCodec>
#include <QtTest>

using namespace DamagedFiles;

namespace {

// As a UTF-16 file is read: decoded by its byte order mark, then as UTF-8.
QByteArray asUtf8(const QByteArray &utf16)
{
    const char *codec = utf16.startsWith("\xFF\xFE") ? "UTF-16LE" : "UTF-16BE";
    return QTextCodec::codecForName(codec)->toUnicode(utf16.mid(2)).toUtf8();
}

} // namespace

class FileFormatsCsvTest : public QObject
{
    Q_OBJECT

private slots:
    void dialectOfRealFiles_data();
    void dialectOfRealFiles();
    void utf16FileWithoutItsLastByteKeepsItsDialect_data();
    void utf16FileWithoutItsLastByteKeepsItsDialect();
};

void FileFormatsCsvTest::dialectOfRealFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<char>("separator");
    QTest::addColumn<bool>("crLf");
    QTest::addColumn<int>("widest");
    QTest::newRow("semicolons") << QStringLiteral("phpspreadsheet/semicolon_separated.csv") << ';' << true << 3;
    QTest::newRow("CR only, line break quoted") << QStringLiteral("csvkit/mac_newlines.csv") << ',' << false << 3;
    QTest::newRow("UTF-8 Chinese") << QStringLiteral("easyexcel/no_bom.csv") << ',' << false << 2;
    QTest::newRow("comma quoted") << QStringLiteral("exceldatareader/comma_in_quotes.csv") << ',' << false << 5;
    QTest::newRow("CR LF, empty first record") << QStringLiteral("csvkit/Datagov_FY10_EDU_recp_by_State.csv") << ','
                                               << true << 9;
    QTest::newRow("NUL byte") << QStringLiteral("csvkit/null_byte.csv") << ',' << false << 3;
    QTest::newRow("empty") << QStringLiteral("phpspreadsheet/empty.csv") << ',' << false << 1;
}

void FileFormatsCsvTest::dialectOfRealFiles()
{
    QFETCH(QString, file);
    QFETCH(char, separator);
    QFETCH(bool, crLf);
    QFETCH(int, widest);
    QVERIFY2(QFile::exists(corpusPath(file)), qPrintable("not in the corpus (set GRIDWRIGHTER_CORPUS): " + file));
    const CsvDialect dialect = CsvDialect::of(corpusFile(file));
    QCOMPARE(dialect.separator, separator);
    QCOMPARE(dialect.crLfLineEnds, crLf);
    QCOMPARE(dialect.widestRecord, widest);
    QVERIFY(!dialect.quotesEveryField);
}

void FileFormatsCsvTest::utf16FileWithoutItsLastByteKeepsItsDialect_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("crLf");
    QTest::addColumn<int>("widest");
    QTest::newRow("little-endian") << QStringLiteral("exceldatareader/utf16le_bom.csv") << false << 3;
    QTest::newRow("little-endian, CR LF") << QStringLiteral("phpspreadsheet/premiere.utf16lebom.csv") << true << 3;
    QTest::newRow("big-endian, quoted line breaks")
        << QStringLiteral("phpspreadsheet/utf16be.line_break_in_enclosure.csv") << true << 3;
}

void FileFormatsCsvTest::utf16FileWithoutItsLastByteKeepsItsDialect()
{
    QFETCH(QString, file);
    QFETCH(bool, crLf);
    QFETCH(int, widest);
    const QByteArray content = corpusFile(file);
    QVERIFY2(content.size() > 4, qPrintable("not in the corpus (set GRIDWRIGHTER_CORPUS): " + file));
    for (const QByteArray &bytes : {content, content.left(content.size() - 1)}) {
        const CsvDialect dialect = CsvDialect::of(asUtf8(bytes));
        QCOMPARE(dialect.separator, ',');
        QCOMPARE(dialect.crLfLineEnds, crLf);
        QCOMPARE(dialect.widestRecord, widest);
    }
}

QTEST_GUILESS_MAIN(FileFormatsCsvTest)
#include "FileFormatsCsvTest.moc"
