// SPDX-License-Identifier: GPL-3.0-or-later
// The OLE compound file and the BIFF records of an .xls on real files and on
// damaged copies: each gives the file's own answer or none, never a wrong
// stream, a crash or an endless loop.

#include "fileformats/BiffCachedResults.h"
#include "fileformats/CompoundFile.h"
#include "fileformats/WorkbookEncryption.h"
#include "tests/fileformats/DamagedFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace DamagedFiles;

using Logicals = QHash<QPair<int, int>, bool>;

namespace {

const QString formulas = QStringLiteral("phpspreadsheet/formulas.xls");
const QString workbook = QStringLiteral("Workbook");

// The offset in the stream of the first record of the given type whose body
// starts with the given bytes, or -1.
int recordOffset(const QByteArray &stream, quint16 type, const QByteArray &bodyStart)
{
    for (int at = 0; at + 4 <= stream.size(); at += 4 + qFromLittleEndian<quint16>(stream.constData() + at + 2)) {
        if (qFromLittleEndian<quint16>(stream.constData() + at) == type && stream.mid(at + 4).startsWith(bodyStart))
            return at;
    }
    return -1;
}

// The file with the stream's bytes from at on replaced: they are found in the
// file by the 64 bytes around them, the smallest sector.
QByteArray withStreamBytes(const QByteArray &file, const QByteArray &stream, int at, const QByteArray &bytes)
{
    const int sectorStart = at - at % 64;
    const int inFile = file.indexOf(stream.mid(sectorStart, 64));
    return inFile < 0 ? QByteArray() : QByteArray(file).replace(inFile + at % 64, bytes.size(), bytes);
}

// The logical results among those the file stores.
Logicals biffLogicalResults(const QString &path, const QString &sheet)
{
    Logicals logicals;
    const QHash<QPair<int, int>, QVariant> results = biffCachedResults(path, sheet);
    for (auto result = results.cbegin(); result != results.cend(); ++result) {
        if (result.value().type() == QVariant::Bool)
            logicals.insert(result.key(), result.value().toBool());
    }
    return logicals;
}

QByteArray little16(quint16 value)
{
    return withLittleEndian<quint16>(QByteArray(2, '\0'), 0, value);
}

} // namespace

class FileFormatsBiffTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void compoundFileGivesStreamsOfRealFiles_data();
    void compoundFileGivesStreamsOfRealFiles();
    void encryptedWorkbooksKnown_data();
    void encryptedWorkbooksKnown();
    void damagedCompoundFileGivesNoWrongStream();
    void loopingSectorChainsEnd();

    void logicalResultsOfRealFiles();
    void brokenRecordEndsTheReading();

private:
    Logicals logicalsOf(const QByteArray &file, const QString &sheet);

    QTemporaryDir m_files;
};

void FileFormatsBiffTest::initTestCase()
{
    QVERIFY2(!corpusFile(formulas).isEmpty(), qPrintable("no corpus at " + corpusPath(QString())
                                                         + " (set GRIDWRIGHTER_CORPUS)"));
}

Logicals FileFormatsBiffTest::logicalsOf(const QByteArray &file, const QString &sheet)
{
    const QString path = m_files.filePath(QStringLiteral("damaged.xls"));
    return write(path, file) ? biffLogicalResults(path, sheet) : Logicals();
}

void FileFormatsBiffTest::compoundFileGivesStreamsOfRealFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<bool>("found");
    QTest::newRow("BIFF8") << formulas << workbook << true;
    QTest::newRow("BIFF8 in the mini stream") << QStringLiteral("xlrd/formula_test_names.xls") << workbook << true;
    QTest::newRow("BIFF5") << QStringLiteral("sheetjs-test_files/sheet_visibility5.xls") << QStringLiteral("Book") << true;
    QTest::newRow("BIFF5 has no workbook stream")
        << QStringLiteral("sheetjs-test_files/sheet_visibility5.xls") << workbook << false;
    QTest::newRow("not a compound file") << QStringLiteral("sheetjs-test_files/sheet_visibility.xlsx") << workbook << false;
}

void FileFormatsBiffTest::compoundFileGivesStreamsOfRealFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, stream);
    QFETCH(bool, found);
    const QByteArray content = compoundFileStream(corpusFile(file), stream);
    QCOMPARE(!content.isEmpty(), found);
    if (!found)
        return;
    // A workbook stream is BIFF records from a beginning-of-file record to
    // the end-of-file record that ends the stream.
    QVERIFY(content.startsWith("\x09\x08"));
    int at = 0;
    int last = 0;
    while (at + 4 <= content.size()) {
        last = at;
        at += 4 + qFromLittleEndian<quint16>(content.constData() + at + 2);
    }
    QCOMPARE(at, content.size());
    QCOMPARE(content.mid(last), QByteArray("\x0A\x00\x00\x00", 4));
}

void FileFormatsBiffTest::encryptedWorkbooksKnown_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("xlsx, AES") << QStringLiteral("excelize/encryptAES.xlsx") << true;
    QTest::newRow("xlsx, agile") << QStringLiteral("exceldatareader/agile_AES256_SHA512_CBC_pwd_password.xlsx") << true;
    QTest::newRow("xls, RC4") << QStringLiteral("exceldatareader/Test_git_issue_242_std_rc4_pwd_password.xls") << true;
    QTest::newRow("xls, XOR") << QStringLiteral("sheetjs-test_files/password_2002_40_xor.xls") << true;
    QTest::newRow("xls") << formulas << false;
    QTest::newRow("xlsx") << QStringLiteral("sheetjs-test_files/sheet_visibility.xlsx") << false;
    QTest::newRow("xlsx, only its structure protected")
        << QStringLiteral("apache-poi/workbookProtection-workbook_password-2013.xlsx") << false;
}

// An encrypted workbook opens only with its password: the user is told so.
void FileFormatsBiffTest::encryptedWorkbooksKnown()
{
    QFETCH(QString, file);
    QFETCH(bool, encrypted);
    const QString path = corpusPath(file);
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    QCOMPARE(isEncryptedWorkbook(path), encrypted);
}

void FileFormatsBiffTest::damagedCompoundFileGivesNoWrongStream()
{
    const QByteArray file = corpusFile(formulas);
    const QByteArray whole = compoundFileStream(file, workbook);
    for (int at = 0; at < file.size(); at += 61) {
        const QByteArray cut = compoundFileStream(file.left(at), workbook);
        QVERIFY2(cut.isEmpty() || cut == whole, qPrintable(QString::number(at)));
        QVERIFY(compoundFileStream(flipped(file, at), workbook).size() <= file.size());
    }
    // The header's sector size, directory start or first FAT sector damaged.
    for (const int at : {0x1E, 0x30, 0x4C})
        QVERIFY(compoundFileStream(flipped(file, at), workbook).isEmpty());
}

void FileFormatsBiffTest::loopingSectorChainsEnd()
{
    const QByteArray file = corpusFile(formulas);
    const int firstFatSector = qFromLittleEndian<quint32>(file.constData() + 0x4C);
    const int entry = file.indexOf(QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
    QVERIFY(entry > 0);
    const quint32 start = qFromLittleEndian<quint32>(file.constData() + entry + 0x74);
    // The workbook stream's first sector links to itself.
    const QByteArray selfLinked = withLittleEndian<quint32>(file, (firstFatSector + 1) * 512 + int(start) * 4, start);
    QVERIFY(compoundFileStream(selfLinked, workbook).isEmpty());

    // Endless sectors of the FAT's list: its first extra sector is the first
    // sector, which names itself as the next.
    QByteArray endlessList = withLittleEndian<quint32>(file, 0x44, 0);
    endlessList = withLittleEndian<quint32>(endlessList, 0x48, 0xFFFFFFFF);
    endlessList = withLittleEndian<quint32>(endlessList, 512 + 508, 0);
    QVERIFY(compoundFileStream(endlessList, workbook).size() <= file.size());
}

void FileFormatsBiffTest::logicalResultsOfRealFiles()
{
    // As a plain scan of the file's bytes for formula records finds them.
    const Logicals expected{{{0, 0}, false},  {{1, 0}, false},  {{20, 0}, true},  {{21, 0}, false}, {{22, 0}, false},
                            {{42, 0}, true},  {{47, 0}, false}, {{51, 0}, false}, {{52, 0}, false}, {{53, 0}, true},
                            {{54, 0}, false}, {{63, 0}, true},  {{64, 0}, false}, {{149, 0}, true}, {{150, 0}, false}};
    QCOMPARE(biffLogicalResults(corpusPath(formulas), QStringLiteral("Sheet1")), expected);
    // Every formula of this file is marked to be computed again on loading:
    // its stored results may be stale, so none is taken.
    QVERIFY(biffCachedResults(corpusPath(QStringLiteral("xlrd/formula_test_names.xls")), QStringLiteral("Sheet1"))
                .isEmpty());
    QVERIFY(biffLogicalResults(corpusPath(formulas), QStringLiteral("Nowhere")).isEmpty());
    QVERIFY(biffLogicalResults(corpusPath(QStringLiteral("sheetjs-test_files/sheet_visibility5.xls")),
                               QStringLiteral("Visible"))
                .isEmpty());
}

void FileFormatsBiffTest::brokenRecordEndsTheReading()
{
    const QByteArray file = corpusFile(formulas);
    const QByteArray stream = compoundFileStream(file, workbook);
    const Logicals whole = biffLogicalResults(corpusPath(formulas), QStringLiteral("Sheet1"));

    // The formula record of A150 claims to run past the stream's end: what
    // comes before it is read, nothing after.
    const int formula = recordOffset(stream, 0x0006, little16(149) + little16(0));
    QVERIFY(formula > 0);
    Logicals before = whole;
    before.remove({149, 0});
    before.remove({150, 0});
    const QByteArray longRecord = withStreamBytes(file, stream, formula + 2, little16(0xFFFF));
    QVERIFY(!longRecord.isEmpty());
    QCOMPARE(logicalsOf(longRecord, QStringLiteral("Sheet1")), before);

    // A sheet list entry pointing past the stream, and a workbook claiming BIFF5.
    const QByteArray pastTheEnd =
        withStreamBytes(file, stream, recordOffset(stream, 0x0085, QByteArray()) + 4, QByteArray(4, '\x7F'));
    const QByteArray biff5 = withStreamBytes(file, stream, 4, little16(0x0500));
    QVERIFY(!pastTheEnd.isEmpty() && !biff5.isEmpty());
    QVERIFY(logicalsOf(pastTheEnd, QStringLiteral("Sheet1")).isEmpty());
    QVERIFY(logicalsOf(biff5, QStringLiteral("Sheet1")).isEmpty());
}

QTEST_GUILESS_MAIN(FileFormatsBiffTest)
#include "FileFormatsBiffTest.moc"
