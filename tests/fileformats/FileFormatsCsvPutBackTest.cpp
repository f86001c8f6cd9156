// SPDX-License-Identifier: GPL-3.0-or-later
// A CSV file's encoding told from its bytes, and the put-back of what an
// application stored (UTF-8, LF, quoted as needed, rows padded) into the
// original's bytes: every byte but the edit's own stays.

#include "fileformats/CsvDialect.h"
#include "fileformats/CsvEncoding.h"
#include "fileformats/CsvPutBack.h"
#include "fileformats/CsvRecords.h"
#include "tests/fileformats/DamagedFiles.h"

#include <QTextCodec>
#include <QtTest>

namespace {

QByteArray encoded(const QString &text, const char *codec)
{
    return QTextCodec::codecForName(codec)->fromUnicode(text);
}

QByteArray utf16le(const QString &text)
{
    return QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

struct Result
{
    QByteArray bytes;
    QString problem;
};

Result putBack(const QByteArray &original, const QByteArray &stored, CsvPutBack::LineMap rows = nullptr,
               CsvPutBack::LineMap columns = nullptr)
{
    const CsvEncoding encoding = CsvEncoding::of(original);
    const QByteArray body = original.mid(encoding.byteOrderMark.size());
    const char separator = CsvDialect::of(encoding.unitSize() == 2
                                              ? encoding.codec()->toUnicode(body).toUtf8()
                                              : body)
                               .separator;
    CsvEncoding utf8;
    utf8.kind = CsvEncoding::Utf8;
    const CsvRecords originalRecords(original, encoding, separator);
    const CsvRecords storedRecords(stored, utf8, separator);
    CsvPutBack putBack(originalRecords, storedRecords);
    putBack.followRows(std::move(rows));
    putBack.followColumns(std::move(columns));
    Result result;
    result.bytes = putBack.merged();
    result.problem = putBack.problem();
    return result;
}

} // namespace

class FileFormatsCsvPutBackTest : public QObject
{
    Q_OBJECT

private slots:
    void encodingIsToldFromTheBytes_data();
    void encodingIsToldFromTheBytes();
    void everyByteButTheEditsStays_data();
    void everyByteButTheEditsStays();
    void rowsAndColumnsFollowTheEditWhereKnown();
    void changedFieldsAreWrittenInTheFilesDialect();
    void textTheEncodingCannotHoldIsRefused();
};

void FileFormatsCsvPutBackTest::encodingIsToldFromTheBytes_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind");
    const int unknown = CsvEncoding::Unknown;
    QTest::newRow("ASCII") << QByteArray("a,b\n1,2\n") << int(CsvEncoding::Utf8);
    QTest::newRow("UTF-8 without BOM") << encoded(QStringLiteral("名称,值\n"), "UTF-8") << int(CsvEncoding::Utf8);
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF" "a,b\n") << int(CsvEncoding::Utf8);
    QTest::newRow("UTF-8 BOM, GBK text") << QByteArray("\xEF\xBB\xBF") + encoded(QStringLiteral("名称\n"), "GBK")
                                         << unknown;
    QTest::newRow("UTF-16LE") << utf16le(QStringLiteral("a,b\n")) << int(CsvEncoding::Utf16LittleEndian);
    QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF\x00" "a", 4) << int(CsvEncoding::Utf16BigEndian);
    QTest::newRow("UTF-32 stays refused") << QByteArray("\xFF\xFE\x00\x00" "a\x00\x00\x00", 8) << unknown;
    QTest::newRow("GBK") << encoded(QStringLiteral("编号,名称\r\n00123,北京\r\n"), "GBK") << int(CsvEncoding::Gb18030);
    QTest::newRow("GB18030 four bytes")
        << encoded(QStringLiteral("名称,符号\n欧元,€😀𠀀\n"), "GB18030") << int(CsvEncoding::Gb18030);
    QTest::newRow("cp1252 accent before separator")
        << encoded(QStringLiteral("nom,ville\nJosé,Orléans\n"), "windows-1252") << int(CsvEncoding::Windows1252);
    QTest::newRow("cp1252 accent before quote and line end")
        << encoded(QStringLiteral("\"Renée\",café\n"), "windows-1252") << int(CsvEncoding::Windows1252);
    QTest::newRow("cp1252 letter pair that is a GBK character")
        << encoded(QStringLiteral("name\nMüller\n"), "windows-1252") << int(CsvEncoding::Windows1252);
    QTest::newRow("Shift-JIS half-width katakana")
        << encoded(QStringLiteral("ｶﾀｶﾅ,ﾃｽﾄ\n"), "Shift_JIS") << int(CsvEncoding::ShiftJis);
    QTest::newRow("Shift-JIS hiragana") << encoded(QStringLiteral("名前,ひらがな\n"), "Shift_JIS")
                                        << int(CsvEncoding::ShiftJis);
    QTest::newRow("cp1252 letters three in a row")
        << encoded(QStringLiteral("a,b\n4,æøå\n"), "windows-1252") << int(CsvEncoding::Windows1252);
    QTest::newRow("Cyrillic cp1251: not told")
        << encoded(QStringLiteral("Город;Имя\r\nМосква;Иван\r\n"), "windows-1251") << unknown;
}

void FileFormatsCsvPutBackTest::encodingIsToldFromTheBytes()
{
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    const CsvEncoding encoding = CsvEncoding::of(content);
    QCOMPARE(int(encoding.kind), kind);
    QCOMPARE(encoding.problem.isEmpty(), kind != CsvEncoding::Unknown);
}

// Each original, what the application stored after an edit, and the file
// expected: the original with the edit's bytes only.
void FileFormatsCsvPutBackTest::everyByteButTheEditsStays_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("expected");

    const QString western = QStringLiteral("nom;ville\r\nJosé;Orléans\r\n\"Renée\";café\r\n");
    QTest::newRow("cp1252, row inserted")
        << encoded(western, "windows-1252")
        << encoded(QStringLiteral("nom;ville\n;\nJosé;Orléans\nRenée;café\n"), "UTF-8")
        << encoded(QStringLiteral("nom;ville\r\n;\r\nJosé;Orléans\r\n\"Renée\";café\r\n"), "windows-1252");
    QTest::newRow("cp1252, column inserted")
        << encoded(western, "windows-1252")
        << encoded(QStringLiteral("nom;;ville\nJosé;;Orléans\nRenée;;café\n"), "UTF-8")
        << encoded(QStringLiteral("nom;;ville\r\nJosé;;Orléans\r\n\"Renée\";;café\r\n"), "windows-1252");
    QTest::newRow("GB18030 four-byte characters, row inserted first")
        << encoded(QStringLiteral("名称,符号\n欧元,€😀𠀀\n"), "GB18030")
        << encoded(QStringLiteral(",\n名称,符号\n欧元,€😀𠀀\n"), "UTF-8")
        << encoded(QStringLiteral(",\n名称,符号\n欧元,€😀𠀀\n"), "GB18030");
    QTest::newRow("Shift-JIS half-width katakana")
        << encoded(QStringLiteral("ｶﾀｶﾅ,ﾃｽﾄ\nｱ,ｲ\n"), "Shift_JIS")
        << encoded(QStringLiteral("ｶﾀｶﾅ,ﾃｽﾄ\n,\nｱ,ｲ\n"), "UTF-8")
        << encoded(QStringLiteral("ｶﾀｶﾅ,ﾃｽﾄ\n,\nｱ,ｲ\n"), "Shift_JIS");
    QTest::newRow("CR LF inside a quoted field, no final line end, needless quotes")
        << QByteArray("\"id\",note\r\n1,\"two\r\nlines\"\r\n\"2\",x")
        << QByteArray("id,note\n,\n1,\"two\nlines\"\n2,x\n")
        << QByteArray("\"id\",note\r\n,\r\n1,\"two\r\nlines\"\r\n\"2\",x");
    QTest::newRow("ragged rows, column inserted: short rows stay")
        << QByteArray("a,b,c\nd\ne,f\n,,\n") << QByteArray("a,,b,c\nd,,,\ne,,f,\n")
        << QByteArray("a,,b,c\nd\ne,,f\n,,\n");
    QTest::newRow("NUL byte and trailing empty lines")
        << QByteArray("a,b\nx\0y,z\n\n\n", 12) << QByteArray("a,b\n,\nxy,z\n")
        << QByteArray("a,b\n,\nx\0y,z\n\n\n", 14);
    QTest::newRow("UTF-16LE with BOM, row deleted")
        << utf16le(QStringLiteral("a,b\r\nc,d\r\ne,f\r\n")) << QByteArray("a,b\ne,f\n")
        << utf16le(QStringLiteral("a,b\r\ne,f\r\n"));
    QTest::newRow("UTF-8 BOM, column deleted")
        << QByteArray("\xEF\xBB\xBF") + encoded(QStringLiteral("名前,値,x\n\"1\",2,3\n"), "UTF-8")
        << encoded(QStringLiteral("名前,x\n1,3\n"), "UTF-8")
        << QByteArray("\xEF\xBB\xBF") + encoded(QStringLiteral("名前,x\n\"1\",3\n"), "UTF-8");
}

void FileFormatsCsvPutBackTest::everyByteButTheEditsStays()
{
    QFETCH(QByteArray, original);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, expected);
    const Result result = putBack(original, stored);
    QVERIFY2(result.problem.isEmpty(), qPrintable(result.problem));
    QCOMPARE(result.bytes, expected);
}

// Among equal records and fields only the edit knows which one is new: empty
// lines written three ways, a row inserted after the first of them; an empty
// field quoted, a column inserted after it.
void FileFormatsCsvPutBackTest::rowsAndColumnsFollowTheEditWhereKnown()
{
    const QByteArray original("h,i\n,\n\n\"\",\"\"\nz,\"\"\n");
    const QByteArray stored("h,i\n,\n,\n,\n,\nz,\n");
    const Result followed = putBack(original, stored, [](int row) { return row < 2 ? row : row == 2 ? -1 : row - 1; });
    QVERIFY2(followed.problem.isEmpty(), qPrintable(followed.problem));
    QCOMPARE(followed.bytes, QByteArray("h,i\n,\n,\n\n\"\",\"\"\nz,\"\"\n"));
    const Result matched = putBack(original, stored);
    QCOMPARE(matched.bytes, QByteArray("h,i\n,\n\n\"\",\"\"\n,\nz,\"\"\n"));

    const Result column = putBack("\"\",c\n", ",,c\n", nullptr, [](int column) { return column < 1 ? column : column == 1 ? -1 : column - 1; });
    QVERIFY2(column.problem.isEmpty(), qPrintable(column.problem));
    QCOMPARE(column.bytes, QByteArray("\"\",,c\n"));
}

void FileFormatsCsvPutBackTest::changedFieldsAreWrittenInTheFilesDialect()
{
    const Result quoted = putBack("\"a\",\"b\"\r\n\"1\",\"2\"\r\n\"3\",\"4\"\r\n",
                                  "a,b\n1,\"x,y\"\n3,9\n");
    QVERIFY2(quoted.problem.isEmpty(), qPrintable(quoted.problem));
    QCOMPARE(quoted.bytes, QByteArray("\"a\",\"b\"\r\n\"1\",\"x,y\"\r\n\"3\",\"9\"\r\n"));

    const Result plain = putBack(encoded(QStringLiteral("名,值\n甲,1\n"), "GB18030"),
                                 encoded(QStringLiteral("名,值\n甲,\"say \"\"乙\"\"\"\n"), "UTF-8"));
    QVERIFY2(plain.problem.isEmpty(), qPrintable(plain.problem));
    QCOMPARE(plain.bytes, encoded(QStringLiteral("名,值\n甲,\"say \"\"乙\"\"\"\n"), "GB18030"));
}

void FileFormatsCsvPutBackTest::textTheEncodingCannotHoldIsRefused()
{
    const Result result = putBack(encoded(QStringLiteral("nom\nJosé\n"), "windows-1252"),
                                  encoded(QStringLiteral("nom\n名\n"), "UTF-8"));
    QVERIFY(result.bytes.isEmpty());
    QVERIFY2(result.problem.contains(QLatin1String("Windows-1252")), qPrintable(result.problem));
}

QTEST_GUILESS_MAIN(FileFormatsCsvPutBackTest)
#include "FileFormatsCsvPutBackTest.moc"
