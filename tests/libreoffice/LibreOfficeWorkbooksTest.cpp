// SPDX-License-Identifier: GPL-3.0-or-later
// Workbooks, sheets, rows and columns on real files: corpus workbooks opened,
// saved and closed; files that must not be opened; the .xls grid; inserting
// and deleting rows and columns; adding sheets; CSV round trips.

#include "automation/AxObject.h"
#include "tests/libreoffice/LibreOfficeTestSupport.h"
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <memory>

using namespace LibreOfficeTestSupport;

class LibreOfficeWorkbooksTest : public CalcTestCase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void opensSavesAndReopensCorpusWorkbooks_data();
    void opensSavesAndReopensCorpusWorkbooks();
    void refusesFilesItCannotEditSafely_data();
    void refusesFilesItCannotEditSafely();
    void chartSheetIsAnOrdinarySheet();
    void xlsWorkbookHasTheXlsGrid();
    void xlsxWorkbookHasTheFullGrid();
    void insertRefusedWhenItWouldPushCellsOffTheXlsGrid();
    void rowsAndColumnsMoveFormulasMergesAndHyperlinks();
    void usedRangeReportsItsPlace();
    void addedSheetGoesFirstWithAFreeName();
    void csvRoundTripKeepsEveryField_data();
    void csvRoundTripKeepsEveryField();

private:
    AxObject *firstSheet(AxObject *workbook);
    QString copyOrSkip(const QString &relativePath);

    QTemporaryDir m_files;
};

void LibreOfficeWorkbooksTest::initTestCase()
{
    QVERIFY(startCalc());
}

void LibreOfficeWorkbooksTest::cleanupTestCase()
{
    quitCalc();
}

void LibreOfficeWorkbooksTest::init()
{
    m_errors.clear();
}

AxObject *LibreOfficeWorkbooksTest::firstSheet(AxObject *workbook)
{
    AxObject *sheet = sheetOf(workbook, 1);
    m_errors.watch(sheet);
    return sheet;
}

QString LibreOfficeWorkbooksTest::copyOrSkip(const QString &relativePath)
{
    if (WorkbookFiles::corpusFolder().isEmpty())
        return QString();
    return copyFromCorpus(relativePath, m_files.path());
}

#define REQUIRE_CORPUS_COPY(variable, relativePath)                                                \
    if (WorkbookFiles::corpusFolder().isEmpty())                                                   \
        QSKIP("the shared corpus is not there");                                                   \
    const QString variable = copyOrSkip(relativePath);                                             \
    QVERIFY2(!variable.isEmpty(), qPrintable(relativePath))

void LibreOfficeWorkbooksTest::opensSavesAndReopensCorpusWorkbooks_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xls, CJK sheet name") << "apache-poi/12561-1.xls";
    QTest::newRow("xls, 3D formulas") << "apache-poi/3dFormulas.xls";
    QTest::newRow("xls, hidden sheets, macros") << "apache-poi/45761.xls";
    QTest::newRow("xlsx, non-ASCII names, hyperlinks") << "apache-poi/50154.xlsx";
    QTest::newRow("xlsx, cross-sheet formulas") << "apache-poi/55906-MultiSheetRefs.xlsx";
    QTest::newRow("xlsm") << "apache-poi/SimpleMacro.xlsm";
    QTest::newRow("csv, UTF-8 CJK") << "easyexcel/no_bom.csv";
}

void LibreOfficeWorkbooksTest::opensSavesAndReopensCorpusWorkbooks()
{
    QFETCH(QString, file);
    REQUIRE_CORPUS_COPY(path, file);

    AxObject *workbook = open(path);
    QVERIFY2(workbook, qPrintable(m_errors.last()));
    AxObject *sheets = workbook->querySubObject("Sheets");
    m_errors.watch(sheets);
    const int count = sheets->property("Count").toInt();
    QVERIFY(count > 0);
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << sheets->querySubObject("Item(int)", i)->property("Name").toString();
    QVERIFY(sheets->querySubObject("Item(int)", count + 1) == nullptr);
    QCOMPARE(m_errors.count(), 1);
    m_errors.clear();

    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);
    QVERIFY(!QFileInfo::exists(QFileInfo(path).dir().filePath(".~lock." + QFileInfo(path).fileName() + "#")));

    AxObject *reopened = open(path);
    QVERIFY(reopened);
    AxObject *reopenedSheets = reopened->querySubObject("Sheets");
    QCOMPARE(reopenedSheets->property("Count").toInt(), count);
    for (int i = 1; i <= count; ++i)
        QCOMPARE(reopenedSheets->querySubObject("Item(int)", i)->property("Name").toString(), names.at(i - 1));
    reopened->dynamicCall("Close (Boolean)", false);

    if (path.endsWith(".xlsm"))
        QVERIFY(WorkbookFiles::part(path, "[Content_Types].xml").contains("sheet.macroEnabled.main+xml"));
    if (path.endsWith(".xls"))
        QVERIFY(fileBytes(path).startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")));
}

void LibreOfficeWorkbooksTest::refusesFilesItCannotEditSafely_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("zip without workbook") << "apache-poi/invalid.xlsx";
    QTest::newRow("text stub as xls") << "calamine/too_small.xls";
    QTest::newRow("bitmap as xls") << "exceldatareader/TestFail_Binary.xls";
    QTest::newRow("bad OLE container") << "exceldatareader/Test_Issue_12556_corrupt.xls";
    QTest::newRow("encrypted xls") << "apache-poi/password.xls";
    QTest::newRow("write-reserved xlsm (opens read-only)")
        << "apache-poi/0-www-crossref-org.lib.rivier.edu_education-files_suffix-generator.xlsm";
    QTest::newRow("encrypted xlsx") << "apache-poi/protected_passtika.xlsx";
    QTest::newRow("Excel 4 macro sheet LibreOffice cannot read") << "apache-poi/60405.xls";
    QTest::newRow("functions LibreOffice does not know") << "sheetjs-test_files/fn.xls";
    QTest::newRow("empty file") << "";
    QTest::newRow("missing file") << "missing";
}

void LibreOfficeWorkbooksTest::refusesFilesItCannotEditSafely()
{
    QFETCH(QString, file);
    QString path;
    if (file.isEmpty()) {
        path = m_files.filePath("empty.xls");
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::WriteOnly));
    } else if (file == "missing") {
        path = m_files.filePath("no such workbook.xlsx");
    } else {
        REQUIRE_CORPUS_COPY(copy, file);
        path = copy;
    }
    const QByteArray before = fileBytes(path);

    QVERIFY(open(path) == nullptr);
    QCOMPARE(m_errors.count(), 1);
    QCOMPARE(fileBytes(path), before);
    QVERIFY(!QFileInfo::exists(QFileInfo(path).dir().filePath(".~lock." + QFileInfo(path).fileName() + "#")));
}

void LibreOfficeWorkbooksTest::chartSheetIsAnOrdinarySheet()
{
    REQUIRE_CORPUS_COPY(path, "apache-poi/34775.xls");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *chart = sheetOf(workbook, 2);
    QVERIFY(chart);
    QCOMPARE(chart->property("Name").toString(), QStringLiteral("Chart1"));
    QVERIFY(chart->querySubObject("UsedRange"));
    QVERIFY(chart->querySubObject("Cells(int,int)", 1, 1));
    QCOMPARE(m_errors.count(), 0);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeWorkbooksTest::xlsWorkbookHasTheXlsGrid()
{
    REQUIRE_CORPUS_COPY(path, "apache-poi/3dFormulas.xls");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = firstSheet(workbook);

    QVERIFY(sheet->querySubObject("Rows(int)", 65536));
    QVERIFY(sheet->querySubObject("Columns(int)", 256));
    QVERIFY(sheet->querySubObject("Cells(int,int)", 65536, 256));
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "IV65536"));
    QCOMPARE(sheet->querySubObject("Range(const QVariant&)", "B:B")->querySubObject("Rows")->property("Count").toInt(), 65536);
    QCOMPARE(sheet->querySubObject("Range(const QVariant&)", "1:1")->querySubObject("Columns")->property("Count").toInt(), 256);
    QCOMPARE(m_errors.count(), 0);

    QVERIFY(sheet->querySubObject("Rows(int)", 65537) == nullptr);
    QVERIFY(sheet->querySubObject("Columns(int)", 257) == nullptr);
    QVERIFY(sheet->querySubObject("Cells(int,int)", 65537, 1) == nullptr);
    QVERIFY(sheet->querySubObject("Cells(int,int)", 1, 257) == nullptr);
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "A65537") == nullptr);
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "IW1") == nullptr);
    QVERIFY(sheet->querySubObject("Rows(int)", 0) == nullptr);
    QCOMPARE(m_errors.count(), 7);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeWorkbooksTest::xlsxWorkbookHasTheFullGrid()
{
    const QString path = m_files.filePath("grid.xlsx");
    QVERIFY(WorkbookFiles::create(
        path, QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Sheet1"}, {"cells", QJsonObject{{"A1", 1}}}}}}}));
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = firstSheet(workbook);
    QVERIFY(sheet->querySubObject("Rows(int)", 1048576));
    QVERIFY(sheet->querySubObject("Columns(int)", 16384));
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "$B$2"));
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "b2:d2"));
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "1:9"));
    QCOMPARE(m_errors.count(), 0);
    QVERIFY(sheet->querySubObject("Rows(int)", 1048577) == nullptr);
    QVERIFY(sheet->querySubObject("Columns(int)", 16385) == nullptr);
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "A1、B2") == nullptr);
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "") == nullptr);
    QVERIFY(sheet->querySubObject("Range(const QVariant&)", "Sheet1!A1") == nullptr);
    QVERIFY(sheet->querySubObject("NoSuchMember") == nullptr);
    QCOMPARE(m_errors.count(), 6);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeWorkbooksTest::insertRefusedWhenItWouldPushCellsOffTheXlsGrid()
{
    REQUIRE_CORPUS_COPY(path, "apache-poi/3dFormulas.xls");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = firstSheet(workbook);
    sheet->querySubObject("Cells(int,int)", 65536, 1)->dynamicCall("SetFormula(const QVariant&)", "last row");
    sheet->querySubObject("Cells(int,int)", 1, 256)->dynamicCall("SetFormula(const QVariant&)", "last column");
    const QVariant firstCell = sheet->querySubObject("Cells(int,int)", 1, 1)->dynamicCall("Value()");
    QCOMPARE(m_errors.count(), 0);

    AxObject *row = sheet->querySubObject("Rows(int)", 1);
    m_errors.watch(row);
    row->dynamicCall("Insert()");
    AxObject *column = sheet->querySubObject("Columns(int)", 1);
    m_errors.watch(column);
    column->dynamicCall("Insert()");
    QCOMPARE(m_errors.count(), 2);
    QCOMPARE(sheet->querySubObject("Cells(int,int)", 65536, 1)->dynamicCall("Value()").toString(), QStringLiteral("last row"));
    QCOMPARE(sheet->querySubObject("Cells(int,int)", 1, 256)->dynamicCall("Value()").toString(), QStringLiteral("last column"));
    QCOMPARE(sheet->querySubObject("Cells(int,int)", 1, 1)->dynamicCall("Value()"), firstCell);

    // Once the edge is free again the insertion goes through.
    sheet->querySubObject("Cells(int,int)", 65536, 1)->dynamicCall("SetFormula(const QVariant&)", "");
    row->dynamicCall("Insert()");
    QCOMPARE(m_errors.count(), 2);
    QCOMPARE(sheet->querySubObject("Cells(int,int)", 2, 1)->dynamicCall("Value()"), firstCell);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeWorkbooksTest::rowsAndColumnsMoveFormulasMergesAndHyperlinks()
{
    const QString path = m_files.filePath("lines.xlsx");
    const QJsonObject description{
        {"sheets",
         QJsonArray{QJsonObject{{"name", "Sheet1"},
                                {"cells", QJsonObject{{"A1", "head"}, {"A2", 1}, {"A3", 2}, {"B3", "=A3*2"}, {"C5", "merged"}}},
                                {"merged", QJsonArray{"C5:D6"}}},
                    QJsonObject{{"name", "Sheet2"},
                                {"cells", QJsonObject{{"A1", "=Sheet1!A3"}, {"B1", "=SUM(Sheet1!A2:A3)"}}}}}}};
    QVERIFY(WorkbookFiles::create(path, description));
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = firstSheet(workbook);
    AxObject *hyperlinks = sheet->querySubObject("Hyperlinks()");
    hyperlinks->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)",
                            sheet->querySubObject("Range(const QVariant&)", "A1")->asVariant(), "", "Sheet2!A1");

    sheet->querySubObject("Rows(int)", 2)->dynamicCall("Insert()");
    sheet->querySubObject("Columns(int)", 1)->dynamicCall("Insert()");
    workbook->dynamicCall("Save()");
    QCOMPARE(m_errors.count(), 0);

    QJsonObject saved = WorkbookFiles::read(path);
    QJsonObject savedSheet1 = WorkbookFiles::sheet(saved, "Sheet1");
    QJsonObject first = savedSheet1["cells"].toObject();
    QJsonObject second = WorkbookFiles::sheet(saved, "Sheet2")["cells"].toObject();
    QCOMPARE(first["B4"].toObject()["value"].toInt(), 2);
    QCOMPARE(first["C4"].toObject()["formula"].toString(), QStringLiteral("=B4*2"));
    QCOMPARE(second["A1"].toObject()["formula"].toString(), QStringLiteral("=Sheet1!B4"));
    QCOMPARE(second["B1"].toObject()["formula"].toString(), QStringLiteral("=SUM(Sheet1!B3:B4)"));
    QCOMPARE(savedSheet1["merged"].toArray(), QJsonArray{"D6:E7"});
    QCOMPARE(savedSheet1["links"].toObject()["B1"].toObject()["location"].toString(), QStringLiteral("Sheet2!A1"));

    sheet->querySubObject("Rows(int)", 2)->dynamicCall("Delete(int)", -4162);
    sheet->querySubObject("Columns(int)", 1)->dynamicCall("Delete(int)", -4159);
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    saved = WorkbookFiles::read(path);
    savedSheet1 = WorkbookFiles::sheet(saved, "Sheet1");
    first = savedSheet1["cells"].toObject();
    second = WorkbookFiles::sheet(saved, "Sheet2")["cells"].toObject();
    QCOMPARE(first["B3"].toObject()["formula"].toString(), QStringLiteral("=A3*2"));
    QCOMPARE(second["A1"].toObject()["formula"].toString(), QStringLiteral("=Sheet1!A3"));
    QCOMPARE(second["B1"].toObject()["value"].toInt(), 3);
    QCOMPARE(savedSheet1["merged"].toArray(), QJsonArray{"C5:D6"});
    QCOMPARE(savedSheet1["links"].toObject()["A1"].toObject()["location"].toString(), QStringLiteral("Sheet2!A1"));
}

void LibreOfficeWorkbooksTest::usedRangeReportsItsPlace()
{
    const QString path = m_files.filePath("used.xlsx");
    QVERIFY(WorkbookFiles::create(
        path, QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Sheet1"}, {"cells", QJsonObject{{"B3", 1}, {"D7", "x"}}}}}}}));
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *used = firstSheet(workbook)->querySubObject("UsedRange");
    QCOMPARE(used->property("Row").toInt(), 3);
    QCOMPARE(used->property("Column").toInt(), 2);
    QCOMPARE(used->querySubObject("Rows")->property("Count").toInt(), 5);
    QCOMPARE(used->querySubObject("Columns")->property("Count").toInt(), 3);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeWorkbooksTest::addedSheetGoesFirstWithAFreeName()
{
    const QString path = m_files.filePath("sheets.xlsx");
    const QJsonObject description{{"sheets", QJsonArray{QJsonObject{{"name", "Data"}, {"cells", QJsonObject{{"A1", 1}}}},
                                                         QJsonObject{{"name", "More"}},
                                                         QJsonObject{{"name", "sheet4"}}}}};
    QVERIFY(WorkbookFiles::create(path, description));
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheets = workbook->querySubObject("Sheets");
    m_errors.watch(sheets);
    sheets->dynamicCall("Add(const QVariant&)", sheets->querySubObject("Item(int)", 1)->asVariant());
    QCOMPARE(sheets->property("Count").toInt(), 4);
    // "Sheet4" is taken (names compare without case), so the next free one.
    QCOMPARE(sheets->querySubObject("Item(int)", 1)->property("Name").toString(), QStringLiteral("Sheet5"));
    QCOMPARE(sheets->querySubObject("Item(int)", 2)->property("Name").toString(), QStringLiteral("Data"));
    sheets->dynamicCall("Add(const QVariant&)", sheets->querySubObject("Item(int)", 3)->asVariant());
    QCOMPARE(sheets->querySubObject("Item(int)", 3)->property("Name").toString(), QStringLiteral("Sheet6"));
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);
    QStringList savedNames;
    for (const QJsonValue &savedSheet : WorkbookFiles::read(path)["sheets"].toArray())
        savedNames << savedSheet.toObject()["name"].toString();
    QCOMPARE(savedNames, (QStringList{"Sheet5", "Data", "Sheet6", "More", "sheet4"}));
}

void LibreOfficeWorkbooksTest::csvRoundTripKeepsEveryField_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<bool>("byteOrderMark");
    QTest::newRow("GBK") << QByteArray("GBK") << false;
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << false;
    QTest::newRow("UTF-8 with BOM") << QByteArray("UTF-8") << true;
}

void LibreOfficeWorkbooksTest::csvRoundTripKeepsEveryField()
{
    QFETCH(QByteArray, codec);
    QFETCH(bool, byteOrderMark);
    const QStringList lines = {
        QStringLiteral("编号,名称,金额,数量,日期,备注"),
        QStringLiteral("00123,\"3,000\",12.50,1e3,03/05/2024,中文"),
        QStringLiteral("007,\"say \"\"hi\"\"\",-0,TRUE,2024-03-05,=1+2"),
    };
    QTextCodec *textCodec = QTextCodec::codecForName(codec);
    QByteArray content = byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    content += textCodec->fromUnicode(lines.join("\r\n") + "\r\n");
    const QString path = m_files.filePath(QStringLiteral("data-%1%2.csv").arg(QString(codec)).arg(byteOrderMark));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = firstSheet(workbook);
    sheet->querySubObject("Rows(int)", 2)->dynamicCall("Insert()");
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    QByteArray saved = fileBytes(path);
    QCOMPARE(saved.startsWith("\xEF\xBB\xBF"), byteOrderMark);
    if (byteOrderMark)
        saved.remove(0, 3);
    QTextCodec::ConverterState state;
    const QString text = textCodec->toUnicode(saved.constData(), saved.size(), &state);
    QCOMPARE(state.invalidChars, 0);
    const QStringList savedLines = text.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    QCOMPARE(savedLines.size(), lines.size() + 1);
    QCOMPARE(savedLines.at(0), lines.at(0));
    QVERIFY2(savedLines.at(1).count(',') == savedLines.at(1).size(), qPrintable(savedLines.at(1)));
    QCOMPARE(savedLines.mid(2), lines.mid(1));
}

QTEST_GUILESS_MAIN(LibreOfficeWorkbooksTest)
#include "LibreOfficeWorkbooksTest.moc"
