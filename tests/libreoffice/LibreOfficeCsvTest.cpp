// SPDX-License-Identifier: GPL-3.0-or-later
// A .csv is the user's data as text: its separator, quoting, line ends,
// charset and byte order mark are learnt on open and kept on save; a save
// with nothing changed writes nothing, and an inserted row changes no other
// line.

#include "automation/AxObject.h"
#include "fileformats/CsvDialect.h"
#include "tests/libreoffice/LibreOfficeTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace LibreOfficeTestSupport;

class LibreOfficeCsvTest : public CalcTestCase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void dialectIsLearntFromTheFirstRecords_data();
    void dialectIsLearntFromTheFirstRecords();
    void unchangedCsvIsNotWritten_data();
    void unchangedCsvIsNotWritten();
    void insertedRowLeavesEveryOtherLineAlone_data();
    void insertedRowLeavesEveryOtherLineAlone();
    void insertedRowOrColumnKeepsEveryOtherByte_data();
    void insertedRowOrColumnKeepsEveryOtherByte();
    void untellableEncodingIsLeftAsItIs();

private:
    QString write(const QString &name, const QByteArray &content);

    QTemporaryDir m_files;
};

namespace {

// Without a byte order mark, which the tests give where they mean one.
QByteArray encoded(const QString &text, const char *codec)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

ino_t inodeOf(const QString &path)
{
    struct stat status = {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_ino;
}

} // namespace

void LibreOfficeCsvTest::initTestCase()
{
    QVERIFY(startCalc());
}

void LibreOfficeCsvTest::cleanupTestCase()
{
    quitCalc();
}

void LibreOfficeCsvTest::init()
{
    m_errors.clear();
}

QString LibreOfficeCsvTest::write(const QString &name, const QByteArray &content)
{
    const QString path = m_files.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    return path;
}

void LibreOfficeCsvTest::dialectIsLearntFromTheFirstRecords_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<char>("separator");
    QTest::addColumn<bool>("quotesEveryField");
    QTest::addColumn<bool>("crLfLineEnds");
    QTest::addColumn<int>("widestRecord");
    QTest::newRow("one column") << QByteArray("a\nb\n") << ',' << false << false << 1;
    QTest::newRow("comma") << QByteArray("a,b;c\r\n1,2\r\n") << ',' << false << true << 2;
    QTest::newRow("semicolon with commas in fields")
        << QByteArray("a;b,c;d\n1,5;2;3\n") << ';' << false << false << 3;
    QTest::newRow("tab") << QByteArray("a\tb\tc\r\n1\t2,5\t3\r\n") << '\t' << false << true << 3;
    QTest::newRow("separators inside quotes do not count")
        << QByteArray("\"a;b;c\",d\n\"e;f;g\",h\n") << ',' << false << false << 2;
    QTest::newRow("same count on every record beats more on some")
        << QByteArray("a;b,c,d\ne;f\ng;h,i\n") << ';' << false << false << 2;
    QTest::newRow("every field quoted, empty ones aside")
        << QByteArray("\"a\",\"b\",\"c\"\r\n\"1\",,\"say \"\"hi\"\"\"\r\n") << ',' << true << true << 3;
    QTest::newRow("one field unquoted") << QByteArray("\"a\",b\n\"1\",\"2\"\n") << ',' << false << false << 2;
    QTest::newRow("CR LF inside a quoted field is no record end")
        << QByteArray("\"x\r\ny\",z\n1,2\n") << ',' << false << false << 2;
    QTest::newRow("wider record further down") << QByteArray("a,b\n1,2,3,4\n") << ',' << false << false << 4;
}

void LibreOfficeCsvTest::dialectIsLearntFromTheFirstRecords()
{
    QFETCH(QByteArray, content);
    const CsvDialect dialect = CsvDialect::of(content);
    QTEST(dialect.separator, "separator");
    QTEST(dialect.quotesEveryField, "quotesEveryField");
    QTEST(dialect.crLfLineEnds, "crLfLineEnds");
    QTEST(dialect.widestRecord, "widestRecord");
}

void LibreOfficeCsvTest::unchangedCsvIsNotWritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("secondField");
    QTest::newRow("GBK, CR LF") << encoded(QStringLiteral("编号,名称\r\n00123,\"3,000\"\r\n"), "GBK")
                                << QStringLiteral("名称");
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF") + encoded(QStringLiteral("名前,値\n1,2.50\n"), "UTF-8") << QStringLiteral("値");
    QTest::newRow("semicolon") << QByteArray("name;amount\nfirst;3,5\n") << QStringLiteral("amount");
    QTest::newRow("tab") << QByteArray("name\tamount\r\nfirst\t12.50\r\n") << QStringLiteral("amount");
}

void LibreOfficeCsvTest::unchangedCsvIsNotWritten()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, secondField);
    const QString path = write(QStringLiteral("unchanged-%1.csv").arg(QTest::currentDataTag()), content);
    QVERIFY(!path.isEmpty());
    const ino_t inode = inodeOf(path);

    AxObject *workbook = open(path);
    QVERIFY2(workbook, qPrintable(m_errors.last()));
    AxObject *sheet = sheetOf(workbook, 1);
    QCOMPARE(sheet->querySubObject("Cells(int,int)", 1, 2)->dynamicCall("Value()").toString(), secondField);
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    QCOMPARE(fileBytes(path), content);
    QCOMPARE(inodeOf(path), inode);
}

void LibreOfficeCsvTest::insertedRowLeavesEveryOtherLineAlone_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("byteOrderMark");
    QTest::addColumn<QString>("lineEnd");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QString>("insertedRecord");

    const QStringList commaRecords = {
        QStringLiteral("编号,名称,金额,备注"),
        QStringLiteral("00123,\"3,000\",12.50,03/05/2024"),
        QStringLiteral("007,\"two\nlines\",\"say \"\"hi\"\"\",=1+2"),
        QStringLiteral("8,,-0,TRUE"),
    };
    QTest::newRow("GBK, comma, CR LF") << QByteArray("GBK") << QByteArray() << "\r\n" << commaRecords << ",,,";
    QTest::newRow("UTF-8 with BOM, comma, LF")
        << QByteArray("UTF-8") << QByteArray("\xEF\xBB\xBF") << "\n" << commaRecords << ",,,";
    QTest::newRow("semicolon, CR LF")
        << QByteArray("UTF-8") << QByteArray() << "\r\n"
        << QStringList{"name;amount;note", "first;3,5;\"a;b\"", "second;1.000,25;\"two\nlines\""} << ";;";
    QTest::newRow("tab, CR LF") << QByteArray("GBK") << QByteArray() << "\r\n"
                                << QStringList{"名称\t金额", "first\t3,000", "\"two\nlines\"\t12.50"} << "\t";
    QTest::newRow("every field quoted, CR LF")
        << QByteArray("UTF-8") << QByteArray() << "\r\n"
        << QStringList{"\"id\",\"name\"", "\"00123\",\"first\"", "\"7\",\"two\nlines\""} << ",";
}

void LibreOfficeCsvTest::insertedRowLeavesEveryOtherLineAlone()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, byteOrderMark);
    QFETCH(QString, lineEnd);
    QFETCH(QStringList, records);
    QFETCH(QString, insertedRecord);
    const QByteArray content = byteOrderMark + encoded(records.join(lineEnd) + lineEnd, codec);
    const QString path = write(QStringLiteral("inserted-%1.csv").arg(QTest::currentDataTag()), content);
    QVERIFY(!path.isEmpty());

    AxObject *workbook = open(path);
    QVERIFY2(workbook, qPrintable(m_errors.last()));
    AxObject *sheet = sheetOf(workbook, 1);
    AxObject *row = sheet->querySubObject("Rows(int)", 2);
    m_errors.watch(row);
    row->dynamicCall("Insert()");
    workbook->dynamicCall("Save()");
    QCOMPARE(m_errors.count(), 0);

    QStringList expected = records;
    expected.insert(1, insertedRecord);
    QCOMPARE(fileBytes(path), byteOrderMark + encoded(expected.join(lineEnd) + lineEnd, codec));

    // Saved, the workbook matches its file again: nothing more is written.
    const ino_t inode = inodeOf(path);
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(inodeOf(path), inode);
}

// Each file as its bytes are, and as they must be after a row or a column
// is inserted before the second: the inserted fields empty, every other byte
// the original's.
void LibreOfficeCsvTest::insertedRowOrColumnKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("byteOrderMark");
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("withRow");
    QTest::addColumn<QString>("withColumn");

    QTest::newRow("cp1252, accents before separators, quotes and line ends")
        << QByteArray("windows-1252") << QByteArray()
        << QStringLiteral("nom;ville;note\r\nJosé;\"Orléans\";café\r\n\"Renée\";Montréal;é\r\n")
        << QStringLiteral("nom;ville;note\r\n;;\r\nJosé;\"Orléans\";café\r\n\"Renée\";Montréal;é\r\n")
        << QStringLiteral("nom;;ville;note\r\nJosé;;\"Orléans\";café\r\n\"Renée\";;Montréal;é\r\n");
    QTest::newRow("GB18030 four-byte characters")
        << QByteArray("GB18030") << QByteArray()
        << QStringLiteral("名称,符号\n欧元,€\n表情,😀\n扩展B,𠀀𠀁\n")
        << QStringLiteral("名称,符号\n,\n欧元,€\n表情,😀\n扩展B,𠀀𠀁\n")
        << QStringLiteral("名称,,符号\n欧元,,€\n表情,,😀\n扩展B,,𠀀𠀁\n");
    QTest::newRow("Shift-JIS half-width katakana")
        << QByteArray("Shift_JIS") << QByteArray()
        << QStringLiteral("ｶﾀｶﾅ,ﾃｽﾄ\r\nｱｲｳ,ｴ\r\n")
        << QStringLiteral("ｶﾀｶﾅ,ﾃｽﾄ\r\n,\r\nｱｲｳ,ｴ\r\n")
        << QStringLiteral("ｶﾀｶﾅ,,ﾃｽﾄ\r\nｱｲｳ,,ｴ\r\n");
    QTest::newRow("CR LF inside a quoted field, no final line end, needless quotes")
        << QByteArray("UTF-8") << QByteArray()
        << QStringLiteral("\"id\",\"note\"\r\n\"1\",\"two\r\nlines\"\r\n\"2\",\"x\"")
        << QStringLiteral("\"id\",\"note\"\r\n,\r\n\"1\",\"two\r\nlines\"\r\n\"2\",\"x\"")
        << QStringLiteral("\"id\",,\"note\"\r\n\"1\",,\"two\r\nlines\"\r\n\"2\",,\"x\"");
    QTest::newRow("ragged rows")
        << QByteArray("UTF-8") << QByteArray()
        << QStringLiteral("a,b,c\nd\ne,f\n,,\ng,h,i,j\n")
        << QStringLiteral("a,b,c\n,,\nd\ne,f\n,,\ng,h,i,j\n")
        << QStringLiteral("a,,b,c\nd\ne,,f\n,,\ng,,h,i,j\n");
    QTest::newRow("NUL byte")
        << QByteArray("UTF-8") << QByteArray()
        << QStringLiteral("a,b\nx") + QChar(0) + QStringLiteral("y,z\n")
        << QStringLiteral("a,b\n,\nx") + QChar(0) + QStringLiteral("y,z\n")
        << QStringLiteral("a,,b\nx") + QChar(0) + QStringLiteral("y,,z\n");
    QTest::newRow("UTF-8 without BOM") << QByteArray("UTF-8") << QByteArray()
                                       << QStringLiteral("名前,値\n1,00123\n")
                                       << QStringLiteral("名前,値\n,\n1,00123\n")
                                       << QStringLiteral("名前,,値\n1,,00123\n");
    QTest::newRow("UTF-8 with BOM") << QByteArray("UTF-8") << QByteArray("\xEF\xBB\xBF")
                                    << QStringLiteral("名前;値\r\n1;123456789012345678\r\n")
                                    << QStringLiteral("名前;値\r\n;\r\n1;123456789012345678\r\n")
                                    << QStringLiteral("名前;;値\r\n1;;123456789012345678\r\n");
    QTest::newRow("UTF-16LE") << QByteArray("UTF-16LE") << QByteArray("\xFF\xFE")
                              << QStringLiteral("名前\t値\r\n\"a\tb\"\t2\r\n")
                              << QStringLiteral("名前\t値\r\n\t\r\n\"a\tb\"\t2\r\n")
                              << QStringLiteral("名前\t\t値\r\n\"a\tb\"\t\t2\r\n");
    QTest::newRow("UTF-16BE") << QByteArray("UTF-16BE") << QByteArray("\xFE\xFF")
                              << QStringLiteral("a,b\nc,d")
                              << QStringLiteral("a,b\n,\nc,d")
                              << QStringLiteral("a,,b\nc,,d");
}

void LibreOfficeCsvTest::insertedRowOrColumnKeepsEveryOtherByte()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, byteOrderMark);
    QFETCH(QString, original);
    QFETCH(QString, withRow);
    QFETCH(QString, withColumn);
    for (const char *line : {"Rows(int)", "Columns(int)"}) {
        const bool rows = qstrcmp(line, "Rows(int)") == 0;
        const QString path = write(QStringLiteral("kept-%1-%2.csv").arg(QTest::currentDataTag(), line),
                                   byteOrderMark + encoded(original, codec));
        QVERIFY(!path.isEmpty());
        m_errors.clear();
        AxObject *workbook = open(path);
        QVERIFY2(workbook, qPrintable(m_errors.last()));
        AxObject *inserted = sheetOf(workbook, 1)->querySubObject(line, 2);
        m_errors.watch(inserted);
        inserted->dynamicCall("Insert()");
        workbook->dynamicCall("Save()");
        workbook->dynamicCall("Close (Boolean)", false);
        QVERIFY2(m_errors.count() == 0, qPrintable(m_errors.last()));
        QCOMPARE(fileBytes(path), byteOrderMark + encoded(rows ? withRow : withColumn, codec));
    }
}

// Text in an 8-bit code page whose letters fit none of those told apart is
// not opened: its file stays as it was, and the reason says why.
void LibreOfficeCsvTest::untellableEncodingIsLeftAsItIs()
{
    const QByteArray content = encoded(QStringLiteral("Город;Имя\r\nМосква;Иван\r\n"), "windows-1251");
    const QString path = write(QStringLiteral("cyrillic.csv"), content);
    QVERIFY(!path.isEmpty());
    m_errors.clear();
    QVERIFY(!open(path));
    QVERIFY2(m_errors.last().contains(QLatin1String("encoding")), qPrintable(m_errors.last()));
    QCOMPARE(fileBytes(path), content);
}

QTEST_GUILESS_MAIN(LibreOfficeCsvTest)
#include "LibreOfficeCsvTest.moc"
