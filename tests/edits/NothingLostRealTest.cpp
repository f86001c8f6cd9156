// SPDX-License-Identifier: GPL-3.0-or-later
// Workbooks a job must leave exactly as they were, and files that must come
// back whole: real files edited by LibreOffice, compared byte for byte or read
// back by openpyxl.

#include "platform/libreoffice/LibreOfficeServer.h"
#include "fileformats/ZipArchive.h"
#include "tests/edits/RealJob.h"
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTest>
#include <QTextCodec>
#include <QtEndian>

#include <functional>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QJsonObject oneSheet(const QJsonObject &cells)
{
    return QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Data"}, {"cells", cells}}}}};
}

// Flips a byte in the middle of a member's compressed data, as a bad disk or
// a broken download would.
bool damageMember(const QString &path, const QByteArray &member)
{
    QByteArray archive = bytesOf(path);
    const int name = archive.indexOf(member);
    if (name < 30 || archive.mid(name - 30, 4) != QByteArray("PK\x03\x04", 4))
        return false;
    const int header = name - 30;
    const quint32 size = qFromLittleEndian<quint32>(archive.constData() + header + 18);
    const int data = name + member.size() + qFromLittleEndian<quint16>(archive.constData() + header + 28);
    archive[data + int(size / 2)] = char(archive.at(data + int(size / 2)) ^ 0x55);
    return writeBytes(path, archive);
}

// The workbook with one part of its archive rewritten by change.
bool changePart(const QString &path, const QString &part, const std::function<QByteArray(QByteArray)> &change)
{
    ZipArchive archive;
    if (!archive.read(bytesOf(path)) || archive.member(part).isNull())
        return false;
    archive.replace(part, change(archive.member(part)));
    return writeBytes(path, archive.bytes());
}

// An .xls of the description, made by LibreOffice from an .xlsx, as name in
// the job's folder.
QString xlsOf(const RealJob &job, const QString &name, const QJsonObject &description)
{
    const QString source = job.path(QStringLiteral("source/") + QFileInfo(name).completeBaseName() + ".xlsx");
    if (!QDir().mkpath(job.path("source")) || !WorkbookFiles::create(source, description))
        return QString();
    const QString xls = WorkbookFiles::convert(source, "xls", job.path("source"));
    const bool moved = !xls.isEmpty() && QFile::rename(xls, job.path(name));
    QDir(job.path("source")).removeRecursively();
    return moved ? job.path(name) : QString();
}

// The compound file with the chain of its root's sectors (those of the small
// streams, the workbook's among them) broken after its second sector, as a
// bad disk would leave it: LibreOffice still opens it, as a blank sheet.
bool breakRootChain(const QString &path)
{
    QByteArray file = bytesOf(path);
    if (file.size() < 512)
        return false;
    const int sector = 1 << qFromLittleEndian<quint16>(file.constData() + 0x1E);
    const auto at = [&](quint32 sectorNumber) { return qint64(sectorNumber + 1) * sector; };
    const qint64 fat = at(qFromLittleEndian<quint32>(file.constData() + 0x4C));
    const qint64 directory = at(qFromLittleEndian<quint32>(file.constData() + 0x30));
    const quint32 root = qFromLittleEndian<quint32>(file.constData() + directory + 0x74);
    const quint32 second = qFromLittleEndian<quint32>(file.constData() + fat + 4 * root);
    if (fat + 4 * qint64(second) + 4 > file.size())
        return false;
    qToLittleEndian<quint32>(0x7406, file.data() + fat + 4 * second);
    return writeBytes(path, file);
}

QString decodedCsv(const QString &path, const char *codec)
{
    return QTextCodec::codecForName(codec)->toUnicode(bytesOf(path).mid(2));
}

} // namespace

class NothingLostRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerLibreOfficeServer(); }
    void workbooksTheEditDoesNotChangeStayByteIdentical();
    void damagedWorkbookIsRefusedNotRepaired();
    void whatLoadingWouldCutOrRepairIsRefused();
    void sheetLoadedShortIsRefused();
    void utf16CsvKeepsItsEncodingAndUtf32IsLeftAlone();
    void workbookWithANearlyTooLongNameIsSaved();
    void xlsUnderAnXlsxNameIsSavedAsAnXls();
    void pivotTableLibreOfficeRemakesShortIsRefused();
    void formulaToValueWritesTheResultsTheWorkbookShows();
};

void NothingLostRealTest::workbooksTheEditDoesNotChangeStayByteIdentical()
{
    RealJob job;
    const QString xlsx = job.path("book.xlsx");
    QVERIFY(WorkbookFiles::create(xlsx, oneSheet(QJsonObject{{"A1", "kept"}, {"A2", 2}, {"B2", 3}})));
    const QString xls = WorkbookFiles::convert(xlsx, "xls", job.path("."));
    QVERIFY(!xls.isEmpty());
    QVERIFY(writeBytes(job.path("text.csv"), "a,b\r\n1,2\r\n"));
    const QStringList names{"book.xlsx", "book.xls", "text.csv"};
    QMap<QString, QByteArray> before;
    for (const QString &name : names)
        before[name] = bytesOf(job.path(name));

    // No sheet has the name: nothing selected, nothing changed.
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("NoSuchSheet");
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    JobSettings::appointedSheet = false;
    // Values only: turning them into values changes nothing.
    JobSettings::valueRange = QStringLiteral("A1:B2");
    job.run(&MergeObject::FormulaToValue);

    for (const QString &name : names)
        QVERIFY2(bytesOf(job.path(name)) == before[name], qPrintable(name));
}

void NothingLostRealTest::damagedWorkbookIsRefusedNotRepaired()
{
    RealJob job;
    const QString book = job.path("damaged.xlsx");
    QJsonObject cells;
    for (int row = 1; row <= 200; ++row)
        cells.insert(QStringLiteral("A%1").arg(row), QStringLiteral("line %1 of the user's data").arg(row));
    QVERIFY(WorkbookFiles::create(book, oneSheet(cells)));
    QVERIFY(damageMember(book, "xl/worksheets/sheet1.xml"));
    const QByteArray before = bytesOf(book);
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 1);
    QCOMPARE(bytesOf(book), before);
}

void NothingLostRealTest::whatLoadingWouldCutOrRepairIsRefused()
{
    RealJob job;
    const QJsonObject cells{{"A1", "kept"}, {"A2", 2}};
    const QStringList names{"beyond.xlsx", "malformed.xlsx", "long.csv", "wide.csv", "broken.xls", "unlisted.xls",
                            "blank.xls"};
    QVERIFY(WorkbookFiles::create(job.path("beyond.xlsx"), oneSheet(cells)));
    QVERIFY(changePart(job.path("beyond.xlsx"), "xl/worksheets/sheet1.xml", [](QByteArray xml) {
        return xml.replace("</sheetData>", "<row r=\"2000000\"><c r=\"A2000000\"><v>7</v></c></row></sheetData>");
    }));
    QVERIFY(WorkbookFiles::create(job.path("malformed.xlsx"), oneSheet(cells)));
    QVERIFY(changePart(job.path("malformed.xlsx"), "docProps/app.xml", [](QByteArray xml) { return xml.left(xml.size() / 2); }));
    QVERIFY(writeBytes(job.path("long.csv"), QByteArray("n\n").repeated(1048577)));
    QVERIFY(writeBytes(job.path("wide.csv"), QByteArray("x,").repeated(16384) + "x\n"));
    // An .xls whose second record stream (the sheet's) claims more bytes than there are.
    const QString xls = xlsOf(job, "broken.xls", oneSheet(cells));
    QVERIFY(!xls.isEmpty());
    QByteArray binary = bytesOf(xls);
    const QByteArray sheetStart("\x09\x08\x10\x00\x00\x06\x10\x00", 8);
    const int sheetRecord = binary.indexOf(sheetStart);
    QVERIFY(sheetRecord > 0);
    binary[sheetRecord + 2] = '\xF0';
    binary[sheetRecord + 3] = '\x7F';
    QVERIFY(writeBytes(xls, binary));
    // An .xls whose first sheet the workbook no longer lists (its BOUNDSHEET
    // record of a type no reader knows): loaded, it would be the second alone.
    const QJsonObject twoSheets{{"sheets", QJsonArray{QJsonObject{{"name", "First"}, {"cells", cells}},
                                                      QJsonObject{{"name", "Second"}, {"cells", cells}}}}};
    const QString unlisted = xlsOf(job, "unlisted.xls", twoSheets);
    QVERIFY(!unlisted.isEmpty());
    binary = bytesOf(unlisted);
    const int firstName = binary.indexOf("First");
    QVERIFY(firstName > 12 && binary.mid(firstName - 12, 2) == QByteArray("\x85\x00", 2));
    binary[firstName - 12] = '\xFF';
    binary[firstName - 11] = '\x0F';
    QVERIFY(writeBytes(unlisted, binary));
    // An .xls whose compound file breaks off: what LibreOffice makes of it
    // cannot be held against the file's cells.
    const QString blank = xlsOf(job, "blank.xls", oneSheet(cells));
    QVERIFY(!blank.isEmpty() && breakRootChain(blank));
    QMap<QString, QByteArray> before;
    for (const QString &name : names)
        before[name] = bytesOf(job.path(name));

    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, names.size());
    for (const QString &name : names)
        QVERIFY2(bytesOf(job.path(name)) == before[name], qPrintable(name));
    QStringList reasons;
    for (const WorkbookResult &result : job.outcome().workbooks)
        reasons << result.reason;
    QCOMPARE(reasons.filter(QStringLiteral("beyond")).size(), 3);
    QCOMPARE(reasons.filter(QStringLiteral(" is damaged")).size(), 3);
    QCOMPARE(reasons.filter(QStringLiteral("unlisted.xls is damaged")).size(), 1);
    QCOMPARE(reasons.filter(QStringLiteral("blank.xls is left as it is: the cells of its sheets cannot be read")).size(), 1);
}

// LibreOffice loads a sheet it trips over empty, without a word: valid
// packaging such as a relationship target "./worksheets/sheet1.xml" or a
// sheet root declaring xmlns:mc twice. Such a workbook is refused, naming
// the sheet and its cells; the same workbook as openpyxl writes it (target
// "/xl/worksheets/sheet1.xml", a cell with only a fill) is edited.
void NothingLostRealTest::sheetLoadedShortIsRefused()
{
    RealJob job;
    QJsonObject cells;
    for (int row = 1; row <= 10; ++row) {
        cells.insert(QStringLiteral("A%1").arg(row), QStringLiteral("line %1").arg(row));
        cells.insert(QStringLiteral("B%1").arg(row), row);
    }
    QJsonObject description = oneSheet(cells);
    QJsonObject sheet = description.value("sheets").toArray().first().toObject();
    sheet.insert("fills", QJsonObject{{"D4", "FFDDEBF7"}});
    description.insert("sheets", QJsonArray{sheet});
    const QStringList names{"plain.xlsx", "dot-target.xlsx", "double-mc.xlsx"};
    for (const QString &name : names)
        QVERIFY(WorkbookFiles::create(job.path(name), description));
    QVERIFY(changePart(job.path("dot-target.xlsx"), "xl/_rels/workbook.xml.rels", [](QByteArray xml) {
        return xml.replace("Target=\"/xl/worksheets/", "Target=\"./worksheets/");
    }));
    QVERIFY(changePart(job.path("double-mc.xlsx"), "xl/worksheets/sheet1.xml", [](QByteArray xml) {
        const QByteArray declaration = " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";
        return xml.insert(xml.indexOf("<worksheet") + 10, declaration + declaration);
    }));
    QMap<QString, QByteArray> before;
    for (const QString &name : names)
        before[name] = bytesOf(job.path(name));

    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 2);
    QStringList reasons;
    for (const WorkbookResult &result : job.outcome().workbooks)
        reasons << result.reason;
    for (const QString &name : names.mid(1)) {
        QVERIFY2(bytesOf(job.path(name)) == before[name], qPrintable(name));
        QVERIFY2(reasons.filter(name).filter(QStringLiteral("\"Data\" holds 20 cells, but LibreOffice loaded 0")).size() == 1,
                 qPrintable(reasons.join('\n')));
    }
    const QJsonObject edited = WorkbookFiles::sheet(WorkbookFiles::read(job.path("plain.xlsx")), "Data");
    QCOMPARE(edited.value("cells").toObject().value("A2").toObject().value("value").toString(), QStringLiteral("line 1"));
}

void NothingLostRealTest::utf16CsvKeepsItsEncodingAndUtf32IsLeftAlone()
{
    RealJob job;
    const QString text = QStringLiteral("名称,数量\r\n苹果,3\r\n梨,5\r\n");
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QVERIFY(writeBytes(job.path("le.csv"), QByteArray("\xFF\xFE")
                                              + QTextCodec::codecForName("UTF-16LE")->fromUnicode(text.constData(), text.size(), &state)));
    QTextCodec::ConverterState bigState(QTextCodec::IgnoreHeader);
    QVERIFY(writeBytes(job.path("be.csv"), QByteArray("\xFE\xFF")
                                              + QTextCodec::codecForName("UTF-16BE")->fromUnicode(text.constData(), text.size(), &bigState)));
    const QByteArray utf32 = QByteArray("\x00\x00\xFE\xFF", 4) + QTextCodec::codecForName("UTF-32BE")->fromUnicode(text).mid(4);
    QVERIFY(writeBytes(job.path("wide.csv"), utf32));

    JobSettings::deleteRowNumber = 2;
    job.run(&MergeObject::DeleteRow);
    QCOMPARE(job.outcome().failed, 1);
    const QString expected = QStringLiteral("名称,数量\r\n梨,5\r\n");
    QCOMPARE(bytesOf(job.path("le.csv")).left(2), QByteArray("\xFF\xFE"));
    QCOMPARE(decodedCsv(job.path("le.csv"), "UTF-16LE"), expected);
    QCOMPARE(bytesOf(job.path("be.csv")).left(2), QByteArray("\xFE\xFF"));
    QCOMPARE(decodedCsv(job.path("be.csv"), "UTF-16BE"), expected);
    QCOMPARE(bytesOf(job.path("wide.csv")), utf32);
}

void NothingLostRealTest::workbookWithANearlyTooLongNameIsSaved()
{
    RealJob job;
    const QString book = job.path(QString(240, QLatin1Char('n')) + QStringLiteral(".xlsx"));
    QVERIFY(WorkbookFiles::create(book, oneSheet(QJsonObject{{"A1", "first"}})));
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);
    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(book), 0);
    QCOMPARE(sheet.value("cells").toObject().value("A2").toObject().value("value").toString(), QStringLiteral("first"));
}

// LibreOffice keeps the format it loaded, whatever the name: what it stored
// is checked as the .xls it is, and saved.
void NothingLostRealTest::xlsUnderAnXlsxNameIsSavedAsAnXls()
{
    RealJob job;
    const QString xls = xlsOf(job, "book.xls", oneSheet(QJsonObject{{"A1", "first"}, {"B1", 2}}));
    QVERIFY(!xls.isEmpty());
    const QString misnamed = job.path("book.xlsx");
    QVERIFY(QFile::rename(xls, misnamed));
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);
    QVERIFY(bytesOf(misnamed).startsWith("\xD0\xCF\x11\xE0"));
    QVERIFY(QFile::rename(misnamed, xls));
    const QJsonObject cells = WorkbookFiles::sheetAt(WorkbookFiles::read(xls), 0).value("cells").toObject();
    QCOMPARE(cells.value("A2").toObject().value("value").toString(), QStringLiteral("first"));
    QCOMPARE(cells.value("B2").toObject().value("value").toDouble(), 2.0);
}

// LibreOffice makes a pivot table's output again from its cache on loading;
// in this workbook it leaves out three of the labels the file shows. Saved,
// the table would lose them: the workbook is refused, naming the table.
void NothingLostRealTest::pivotTableLibreOfficeRemakesShortIsRefused()
{
    RealJob job;
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not here");
    const QString book = job.path("pivots.xlsx");
    QVERIFY(QFile::copy(corpus + "/calamine/pivots.xlsx", book));
    QVERIFY(QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner));
    const QByteArray before = bytesOf(book);
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 1);
    QCOMPARE(bytesOf(book), before);
    const QString reason = job.outcome().workbooks.value(0).reason;
    QVERIFY2(reason.contains(QStringLiteral("the pivot table at A3:E5 on the sheet \"PivotSheet1\" holds 15 cells, but "
                                            "LibreOffice made 12")),
             qPrintable(reason));
}

// LibreOffice computes this sheet's INDIRECT over sheet names into #VALUE!;
// the file holds what the application that saved it computed.
void NothingLostRealTest::formulaToValueWritesTheResultsTheWorkbookShows()
{
    RealJob job;
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not here");
    const QString book = job.path("months.xlsx");
    QVERIFY(QFile::copy(corpus + "/phpspreadsheet/issue.3613.xlsx", book));
    const QJsonObject before = WorkbookFiles::sheet(WorkbookFiles::read(book), QStringLiteral("2月"));
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("2月");
    JobSettings::valueRange = QStringLiteral("O:O");
    job.run(&MergeObject::FormulaToValue);
    JobSettings::appointedSheet = false;
    QCOMPARE(job.outcome().failed, 0);

    const QJsonObject cellsBefore = before.value("cells").toObject();
    const QJsonObject cellsAfter =
        WorkbookFiles::sheet(WorkbookFiles::read(book), QStringLiteral("2月")).value("cells").toObject();
    int converted = 0;
    for (auto cell = cellsBefore.begin(); cell != cellsBefore.end(); ++cell) {
        if (!cell.key().startsWith('O') || cell.value().toObject().value("type").toString() != QLatin1String("f"))
            continue;
        const QJsonObject after = cellsAfter.value(cell.key()).toObject();
        QVERIFY2(after.value("type").toString() != QLatin1String("f"), qPrintable(cell.key()));
        QVERIFY2(after.value("value") == cell.value().toObject().value("value"), qPrintable(cell.key()));
        ++converted;
    }
    QVERIFY(converted > 0);
    QCOMPARE(cellsAfter.value("O4").toObject().value("value").toDouble(), 7308.0);

    // TRUE and FALSE results stay logical values, numbers stay numbers.
    const QString logical = job.path("logical.xlsx");
    QVERIFY(WorkbookFiles::create(logical, oneSheet(QJsonObject{{"A1", "=1=1"}, {"A2", "=1=2"}, {"A3", "=2-1"}})));
    JobSettings::valueRange = QStringLiteral("A1:A3");
    job.run(&MergeObject::FormulaToValue);
    const QJsonObject values = WorkbookFiles::sheetAt(WorkbookFiles::read(logical), 0).value("cells").toObject();
    QCOMPARE(values.value("A1").toObject().value("value"), QJsonValue(true));
    QCOMPARE(values.value("A2").toObject().value("value"), QJsonValue(false));
    QCOMPARE(values.value("A3").toObject().value("value"), QJsonValue(1));
    QCOMPARE(values.value("A3").toObject().value("type").toString(), QStringLiteral("n"));

    // An .xls stores a logical result in a way LibreOffice does not show:
    // read back by xlrd, they must still be logical.
    const QString source = job.path("source/logical.xlsx");
    QVERIFY(QDir().mkpath(job.path("source")));
    QVERIFY(WorkbookFiles::create(source, oneSheet(QJsonObject{{"A1", "=1=1"}, {"A2", "=1=2"}, {"A3", "=2-1"}})));
    const QString xls = WorkbookFiles::convert(source, "xls", job.path("."));
    QVERIFY(QDir(job.path("source")).removeRecursively());
    job.run(&MergeObject::FormulaToValue);
    const QJsonObject xlsValues = WorkbookFiles::sheetAt(WorkbookFiles::read(xls), 0).value("cells").toObject();
    QCOMPARE(xlsValues.value("A1").toObject().value("value"), QJsonValue(true));
    QCOMPARE(xlsValues.value("A2").toObject().value("value"), QJsonValue(false));
    QCOMPARE(xlsValues.value("A3").toObject().value("type").toString(), QStringLiteral("n"));
}

QTEST_GUILESS_MAIN(NothingLostRealTest)
#include "NothingLostRealTest.moc"
