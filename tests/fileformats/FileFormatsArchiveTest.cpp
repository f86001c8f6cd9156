// SPDX-License-Identifier: GPL-3.0-or-later
// The zip archive, the workbook parts and the stored results of an .xlsx on
// real files and on damaged copies: each gives the file's own answer or a
// clear refusal, never a wrong content, a crash or an endless loop.

#include "fileformats/AutomationFailure.h"
#include "fileformats/CachedResults.h"
#include "fileformats/CellErrorValue.h"
#include "fileformats/OoxmlWorkbookParts.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/putback/OriginalParts.h"
#include "fileformats/putback/WorkbookEdits.h"
#include "tests/fileformats/DamagedFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace DamagedFiles;

namespace {

const QString visibility = QStringLiteral("sheetjs-test_files/sheet_visibility.xlsx");
const QString formulaResults = QStringLiteral("xlsxwriter/formula_results01.xlsx");
const QString externalLinks = QStringLiteral("apache-poi/56502.xlsx");
const QString firstSheet = QStringLiteral("xl/worksheets/sheet1.xml");

// Every member of the original that the damaged archive still names is
// either refused or whole.
void verifyNoWrongContent(const QHash<QString, QByteArray> &members, const QByteArray &damaged)
{
    ZipArchive archive;
    if (!archive.read(damaged))
        return;
    for (auto member = members.cbegin(); member != members.cend(); ++member) {
        const QByteArray content = archive.member(member.key());
        QVERIFY2(content.isNull() || content == member.value(), qPrintable(member.key()));
    }
}

QByteArray withReplacedMember(const QString &file, const QString &member, const QByteArray &content)
{
    ZipArchive archive;
    archive.read(corpusFile(file));
    archive.replace(member, content);
    return archive.bytes();
}

} // namespace

class FileFormatsArchiveTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void archiveReadsRealWorkbooks_data();
    void archiveReadsRealWorkbooks();
    void archiveWithFlippedOrCutBytesGivesNoWrongContent();
    void archiveMissingOrDoublingAMember();
    void bombEntryStopsAtItsDeclaredSize();

    void workbookPartsOfRealWorkbooks();
    void restoreGivesBackVeryHiddenSheets();
    void restoreRefusesDamagedFiles_data();
    void restoreRefusesDamagedFiles();

    void cachedResultsOfRealWorkbooks();
    void damagedFilesGiveNoWrongCachedResults_data();
    void damagedFilesGiveNoWrongCachedResults();

private:
    QString temporary(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_files;
};

void FileFormatsArchiveTest::initTestCase()
{
    QVERIFY2(!corpusFile(visibility).isEmpty(), qPrintable("no corpus at " + corpusPath(QString())
                                                           + " (set GRIDWRIGHTER_CORPUS)"));
}

QString FileFormatsArchiveTest::temporary(const QString &name, const QByteArray &bytes)
{
    const QString path = m_files.filePath(name);
    return write(path, bytes) ? path : QString();
}

void FileFormatsArchiveTest::archiveReadsRealWorkbooks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("members");
    QTest::newRow("xlsx") << visibility << 13;
    QTest::newRow("xlsxwriter") << formulaResults << 10;
    QTest::newRow("xlsm") << QStringLiteral("xlwings/integration_write.xlsm") << 32;
}

void FileFormatsArchiveTest::archiveReadsRealWorkbooks()
{
    QFETCH(QString, file);
    QFETCH(int, members);
    ZipArchive archive;
    QVERIFY(archive.read(corpusFile(file)));
    QCOMPARE(archive.names().size(), members);
    QVERIFY(archive.damagedMember().isEmpty());
    QVERIFY(archive.member(OoxmlWorkbookParts::workbookPart).startsWith("<?xml"));

    // Written out again, every member reads back the same.
    ZipArchive rewritten;
    QVERIFY(rewritten.read(archive.bytes()));
    QCOMPARE(rewritten.names(), archive.names());
    for (const QString &name : archive.names())
        QCOMPARE(rewritten.member(name), archive.member(name));
}

void FileFormatsArchiveTest::archiveWithFlippedOrCutBytesGivesNoWrongContent()
{
    const QByteArray bytes = corpusFile(visibility);
    ZipArchive original;
    QVERIFY(original.read(bytes));
    QHash<QString, QByteArray> members;
    for (const QString &name : original.names())
        members.insert(name, original.member(name));
    for (int at = 0; at < bytes.size() && !QTest::currentTestFailed(); at += 31) {
        verifyNoWrongContent(members, flipped(bytes, at));
        verifyNoWrongContent(members, bytes.left(at));
    }
    // A flip inside a member's compressed bytes names that member damaged.
    ZipArchive damaged;
    QVERIFY(damaged.read(flipped(bytes, bytes.indexOf(firstSheet.toUtf8()) + firstSheet.size() + 40)));
    QCOMPARE(damaged.damagedMember(), firstSheet);
    QVERIFY(!damaged.read(bytes.left(bytes.size() / 2)));
}

void FileFormatsArchiveTest::archiveMissingOrDoublingAMember()
{
    const QByteArray bytes = corpusFile(visibility);
    ZipArchive archive;
    QVERIFY(archive.read(QByteArray(bytes).replace("xl/workbook.xml", "xl/workbook.xmX")));
    QVERIFY(!archive.contains(OoxmlWorkbookParts::workbookPart));
    QVERIFY(archive.member(OoxmlWorkbookParts::workbookPart).isNull());
    QVERIFY(OoxmlWorkbookParts::sheetPart(archive, QStringLiteral("Visible")).isEmpty());

    // Two members named xl/worksheets/sheet1.xml.
    const QByteArray doubled = corpusFile(QStringLiteral("apache-poi/duplicate-filename.xlsx"));
    QVERIFY(!doubled.isEmpty());
    QVERIFY(!archive.read(doubled));
}

void FileFormatsArchiveTest::bombEntryStopsAtItsDeclaredSize()
{
    const QByteArray bytes = withReplacedMember(visibility, firstSheet, QByteArray(2 << 20, '<'));
    // Both headers of the member declare a thousand bytes.
    const int local = bytes.indexOf(firstSheet.toUtf8()) - 30;
    const int central = bytes.lastIndexOf(firstSheet.toUtf8()) - 46;
    const QByteArray bomb = withLittleEndian<quint32>(withLittleEndian<quint32>(bytes, local + 22, 1000), central + 24, 1000);

    ZipArchive archive;
    QVERIFY(archive.read(bomb));
    qint64 taken = 0;
    QVERIFY(!archive.readMember(firstSheet, [&taken](const QByteArray &piece) {
        taken += piece.size();
        return true;
    }));
    QVERIFY2(taken <= 1000, qPrintable(QString::number(taken)));
    QVERIFY(archive.member(firstSheet).isNull());
    QCOMPARE(archive.damagedMember(), firstSheet);
}

void FileFormatsArchiveTest::workbookPartsOfRealWorkbooks()
{
    ZipArchive archive;
    QVERIFY(archive.read(corpusFile(visibility)));
    const QByteArray workbook = archive.member(OoxmlWorkbookParts::workbookPart);
    QCOMPARE(OoxmlWorkbookParts::veryHiddenSheets(workbook), QStringList{QStringLiteral("VeryHidden")});
    QCOMPARE(OoxmlWorkbookParts::sheetPart(archive, QStringLiteral("VeryHidden")),
             QStringLiteral("xl/worksheets/sheet3.xml"));
    QVERIFY(OoxmlWorkbookParts::sheetPart(archive, QStringLiteral("Nowhere")).isEmpty());
    QVERIFY(OoxmlWorkbookParts::workbookProtection(workbook).isEmpty());
    QCOMPARE(OoxmlWorkbookParts::externalLinkCount(archive), 0);

    QVERIFY(archive.read(corpusFile(QStringLiteral("apache-poi/workbookProtection-workbook_password-2013.xlsx"))));
    const QString protection = OoxmlWorkbookParts::workbookProtection(archive.member(OoxmlWorkbookParts::workbookPart));
    QVERIFY2(protection.startsWith(QLatin1String("<workbookProtection workbookAlgorithmName=\"SHA-512\""))
                 && protection.endsWith(QLatin1String("lockStructure=\"1\"/>")),
             qPrintable(protection));
    QVERIFY(archive.read(corpusFile(externalLinks)));
    QCOMPARE(OoxmlWorkbookParts::externalLinkCount(archive), 1);
}

void FileFormatsArchiveTest::restoreGivesBackVeryHiddenSheets()
{
    ZipArchive original;
    QVERIFY(original.read(corpusFile(visibility)));
    const QByteArray workbook = original.member(OoxmlWorkbookParts::workbookPart);
    const QString stored = temporary(QStringLiteral("stored.xlsx"),
                                     withReplacedMember(visibility, OoxmlWorkbookParts::workbookPart,
                                                        QByteArray(workbook).replace("veryHidden", "hidden")));
    OriginalParts::restore(corpusPath(visibility), stored, WorkbookEdits());

    ZipArchive restored;
    QFile file(stored);
    QVERIFY(file.open(QIODevice::ReadOnly) && restored.read(file.readAll()));
    QCOMPARE(OoxmlWorkbookParts::veryHiddenSheets(restored.member(OoxmlWorkbookParts::workbookPart)),
             QStringList{QStringLiteral("VeryHidden")});
    QCOMPARE(restored.names(), original.names());

    // Without the very hidden sheet, the stored workbook is kept as it is,
    // and what could not be put back is said.
    const QString path = temporary(QStringLiteral("without.xlsx"),
                                   withReplacedMember(visibility, OoxmlWorkbookParts::workbookPart,
                                                      QByteArray(workbook).replace("name=\"VeryHidden\"", "name=\"Shown\"")));
    const QString leftOut = OriginalParts::restore(corpusPath(visibility), path, WorkbookEdits());
    QVERIFY2(leftOut.contains(QLatin1String("very hidden sheets")), qPrintable(leftOut));
    QFile without(path);
    QVERIFY(without.open(QIODevice::ReadOnly) && restored.read(without.readAll()));
    QCOMPARE(restored.member(OoxmlWorkbookParts::workbookPart),
             QByteArray(workbook).replace("name=\"VeryHidden\"", "name=\"Shown\""));
}

void FileFormatsArchiveTest::restoreRefusesDamagedFiles_data()
{
    const QByteArray bytes = corpusFile(visibility);
    ZipArchive archive;
    archive.read(bytes);
    const QByteArray workbook = archive.member(OoxmlWorkbookParts::workbookPart);
    QTest::addColumn<QString>("original");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("reason");
    QTest::newRow("stored cut off") << visibility << bytes.left(bytes.size() - 30) << "cannot read";
    QTest::newRow("stored without workbook part")
        << visibility << QByteArray(bytes).replace("xl/workbook.xml", "xl/workbook.xmX") << "no workbook part";
    QTest::newRow("stored without the link to another workbook")
        << externalLinks
        << QByteArray(corpusFile(externalLinks))
               .replace("xl/externalLinks/externalLink1.xml", "xl/externalLinks/externalLinkX.xml")
        << "links to other workbooks";
}

void FileFormatsArchiveTest::restoreRefusesDamagedFiles()
{
    QFETCH(QString, original);
    QFETCH(QByteArray, stored);
    QFETCH(QString, reason);
    const QString path = temporary(QStringLiteral("stored.xlsx"), stored);
    try {
        OriginalParts::restore(corpusPath(original), path, WorkbookEdits());
        QFAIL("not refused");
    } catch (const AutomationFailure &failure) {
        QVERIFY2(failure.description.contains(reason), qPrintable(failure.description));
    }
    // The refused file is left as it was.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), stored);
}

void FileFormatsArchiveTest::cachedResultsOfRealWorkbooks()
{
    const CachedResults all = CachedResults::read(corpusPath(formulaResults), QStringLiteral("Sheet1"), 0, 0, 11, 0);
    QCOMPARE(all.at(0, 0), QVariant(2.0));
    QCOMPARE(all.at(1, 0), QVariant(QStringLiteral("Foo")));
    QCOMPARE(all.at(2, 0), QVariant(true));
    QCOMPARE(all.at(3, 0), QVariant(false));
    QCOMPARE(all.at(4, 0).value<CellErrorValue>().text, QStringLiteral("#DIV/0!"));
    QCOMPARE(all.at(11, 0).value<CellErrorValue>().text, QStringLiteral("#DIV/0!"));
    QVERIFY(!all.at(0, 1).isValid());

    const CachedResults some = CachedResults::read(corpusPath(visibility), QStringLiteral("Visible"), 1, 1, 1, 2);
    QCOMPARE(some.at(1, 1), QVariant(105.0));
    QCOMPARE(some.at(1, 2), QVariant(115.0));
    QVERIFY(!some.at(1, 0).isValid());
    QVERIFY(CachedResults::read(corpusPath(visibility), QStringLiteral("Nowhere"), 0, 0, 9, 9).isEmpty());
}

void FileFormatsArchiveTest::damagedFilesGiveNoWrongCachedResults_data()
{
    const QByteArray bytes = corpusFile(visibility);
    ZipArchive archive;
    archive.read(bytes);
    const QByteArray sheet = archive.member(firstSheet);
    const QByteArray workbook = archive.member(OoxmlWorkbookParts::workbookPart);
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("none");
    QTest::newRow("cut off") << bytes.left(bytes.size() - 100) << true;
    QTest::newRow("flipped byte in the sheet")
        << flipped(bytes, bytes.indexOf(firstSheet.toUtf8()) + firstSheet.size() + 40) << true;
    QTest::newRow("no relationships")
        << QByteArray(bytes).replace("xl/_rels/workbook.xml.rels", "xl/_rels/workbook.xml.relX") << true;
    QTest::newRow("workbook part cut off")
        << withReplacedMember(visibility, OoxmlWorkbookParts::workbookPart, workbook.left(workbook.indexOf("<sheets>")))
        << true;
    // Cut inside <v>118</v>: 11 would be a wrong answer.
    QTest::newRow("sheet cut inside a value")
        << withReplacedMember(visibility, firstSheet, sheet.left(sheet.indexOf("<v>118") + 5)) << true;
    // 2^32 + 3 in letters: C once an int overflows.
    QTest::newRow("column reference too long")
        << withReplacedMember(visibility, firstSheet, QByteArray(sheet).replace("r=\"D2\"", "r=\"MWLQKWY2\"")) << false;
    QTest::newRow("sheet not closed")
        << withReplacedMember(visibility, firstSheet, QByteArray(sheet).replace("</sheetData>", "</sheetDato>"))
        << false;
}

void FileFormatsArchiveTest::damagedFilesGiveNoWrongCachedResults()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, none);
    const CachedResults whole = CachedResults::read(corpusPath(visibility), QStringLiteral("Visible"), 0, 0, 9, 9);
    const CachedResults damaged = CachedResults::read(temporary(QStringLiteral("damaged.xlsx"), file),
                                                      QStringLiteral("Visible"), 0, 0, 9, 9);
    QCOMPARE(damaged.isEmpty(), none);
    for (int row = 0; row <= 9; ++row) {
        for (int column = 0; column <= 9; ++column)
            QVERIFY(!damaged.at(row, column).isValid() || damaged.at(row, column) == whole.at(row, column));
    }
}

QTEST_GUILESS_MAIN(FileFormatsArchiveTest)
#include "FileFormatsArchiveTest.moc"
