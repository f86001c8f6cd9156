// SPDX-License-Identifier: GPL-3.0-or-later
// The four row and column edits on real files, edited by LibreOffice and read
// back by openpyxl.

#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/edits/RealJob.h"
#include "tests/support/WorkbookFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QTest>

namespace {

QJsonObject cell(const QJsonObject &sheet, const QString &ref)
{
    return sheet.value("cells").toObject().value(ref).toObject();
}

// Data holds values, a merged block and a link; Other refers to Data.
QJsonObject linkedWorkbook()
{
    return QJsonObject{
        {"sheets",
         QJsonArray{
             QJsonObject{{"name", "Data"},
                         {"cells", QJsonObject{{"A1", "head"}, {"A2", 2}, {"A3", 3}, {"B3", "=A3*10"},
                                               {"C3", "merged"}, {"A5", "=SUM(A2:A3)"}}},
                         {"merged", QJsonArray{"C3:D3"}},
                         {"links", QJsonObject{{"A3", QJsonObject{{"location", "Other!A1"}}}}}},
             QJsonObject{{"name", "Other"},
                         {"cells", QJsonObject{{"A1", "=Data!A3+Data!B3"}, {"C3", "other"}}}}}}};
}

} // namespace

class RowColumnRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerLibreOfficeServer(); }

    void insertRowMovesDataFormulasMergesAndLinks();
    void insertColumnAdjustsReferencesAcrossSheets();
    void deleteRowTwiceDeletesTheNextRowToo();
    void deleteColumnMakesReferencesToItBroken();
    void sheetOptionsChooseTheSheets();
    void xlsBeyondItsLastRowIsLeftAlone();
    void xlsInsertionThatWouldPushContentOffIsRefused();
    void corpusWorkbooksKeepTheirCrossSheetFormulas();
};

void RowColumnRealTest::insertRowMovesDataFormulasMergesAndLinks()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("book.xlsx"), linkedWorkbook()));
    JobSettings::addRowNumber = 3;
    const QStringList texts = job.run(&MergeObject::AddRow);
    QVERIFY(texts.last().startsWith(QStringLiteral("成功1个文件,")));

    const QJsonObject book = WorkbookFiles::read(job.path("book.xlsx"));
    const QJsonObject data = WorkbookFiles::sheet(book, "Data");
    QVERIFY(cell(data, "A3").isEmpty());
    QCOMPARE(cell(data, "A4").value("value").toInt(), 3);
    QCOMPARE(cell(data, "B4").value("formula").toString(), QStringLiteral("=A4*10"));
    QCOMPARE(cell(data, "A6").value("formula").toString(), QStringLiteral("=SUM(A2:A4)"));
    QCOMPARE(cell(data, "A6").value("value").toInt(), 5);
    QCOMPARE(data.value("merged").toArray(), QJsonArray{"C4:D4"});
    QCOMPARE(data.value("links").toObject().keys(), QStringList{"A4"});
    const QJsonObject other = WorkbookFiles::sheet(book, "Other");
    QCOMPARE(cell(other, "A1").value("formula").toString(), QStringLiteral("=Data!A4+Data!B4"));
    QCOMPARE(cell(other, "A1").value("value").toInt(), 33);
    QCOMPARE(cell(other, "C4").value("value").toString(), QStringLiteral("other"));
}

void RowColumnRealTest::insertColumnAdjustsReferencesAcrossSheets()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("book.xlsx"), linkedWorkbook()));
    JobSettings::addColumnNumber = 1;
    job.run(&MergeObject::AddColumn);
    const QJsonObject book = WorkbookFiles::read(job.path("book.xlsx"));
    const QJsonObject data = WorkbookFiles::sheet(book, "Data");
    QCOMPARE(cell(data, "B1").value("value").toString(), QStringLiteral("head"));
    QCOMPARE(cell(data, "C3").value("formula").toString(), QStringLiteral("=B3*10"));
    QCOMPARE(data.value("merged").toArray(), QJsonArray{"D3:E3"});
    const QJsonObject other = WorkbookFiles::sheet(book, "Other");
    QCOMPARE(cell(other, "B1").value("formula").toString(), QStringLiteral("=Data!B3+Data!C3"));
    QCOMPARE(cell(other, "B1").value("value").toInt(), 33);
}

void RowColumnRealTest::deleteRowTwiceDeletesTheNextRowToo()
{
    RealJob job;
    QJsonObject cells;
    for (int r = 1; r <= 6; ++r)
        cells.insert(QStringLiteral("A%1").arg(r), r * 100);
    cells.insert("B1", "=A6");
    QVERIFY(WorkbookFiles::create(job.path("rows.xlsx"),
                                  QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "S"}, {"cells", cells}}}}}));
    JobSettings::deleteRowNumber = 3;
    job.run(&MergeObject::DeleteRow);
    QCOMPARE(cell(WorkbookFiles::sheetAt(WorkbookFiles::read(job.path("rows.xlsx")), 0), "A3").value("value").toInt(), 400);
    job.run(&MergeObject::DeleteRow);
    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(job.path("rows.xlsx")), 0);
    QCOMPARE(cell(sheet, "A3").value("value").toInt(), 500);
    QCOMPARE(cell(sheet, "A4").value("value").toInt(), 600);
    QVERIFY(cell(sheet, "A5").isEmpty());
    QCOMPARE(cell(sheet, "B1").value("formula").toString(), QStringLiteral("=A4"));
}

void RowColumnRealTest::deleteColumnMakesReferencesToItBroken()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("book.xlsx"), linkedWorkbook()));
    JobSettings::deleteColumnNumber = 1;
    job.run(&MergeObject::DeleteColumn);
    const QJsonObject book = WorkbookFiles::read(job.path("book.xlsx"));
    const QJsonObject data = WorkbookFiles::sheet(book, "Data");
    QVERIFY(cell(data, "A1").isEmpty());
    QCOMPARE(cell(data, "B3").value("value").toString(), QStringLiteral("merged"));
    QCOMPARE(data.value("merged").toArray(), QJsonArray{"B3:C3"});
    // Other's own column A went too; its formula referred to a deleted cell.
    const QJsonObject other = WorkbookFiles::sheet(book, "Other");
    QVERIFY(cell(other, "A1").isEmpty());
    QCOMPARE(cell(other, "B3").value("value").toString(), QStringLiteral("other"));
}

void RowColumnRealTest::sheetOptionsChooseTheSheets()
{
    RealJob job;
    const QJsonObject three{{"sheets", QJsonArray{QJsonObject{{"name", "One"}, {"cells", QJsonObject{{"A1", 1}}}},
                                                 QJsonObject{{"name", "Two"}, {"cells", QJsonObject{{"A1", 2}}}},
                                                 QJsonObject{{"name", "Three"}, {"cells", QJsonObject{{"A1", 3}}}}}}};
    QVERIFY(WorkbookFiles::create(job.path("a.xlsx"), three));
    JobSettings::addRowNumber = 1;
    JobSettings::onlyFirstSheet = true;
    job.run(&MergeObject::AddRow);
    QJsonObject book = WorkbookFiles::read(job.path("a.xlsx"));
    QCOMPARE(cell(WorkbookFiles::sheet(book, "One"), "A2").value("value").toInt(), 1);
    QCOMPARE(cell(WorkbookFiles::sheet(book, "Two"), "A1").value("value").toInt(), 2);

    JobSettings::onlyFirstSheet = false;
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("Two");
    job.run(&MergeObject::AddRow);
    book = WorkbookFiles::read(job.path("a.xlsx"));
    QCOMPARE(cell(WorkbookFiles::sheet(book, "One"), "A2").value("value").toInt(), 1);
    QCOMPARE(cell(WorkbookFiles::sheet(book, "Two"), "A2").value("value").toInt(), 2);
    QCOMPARE(cell(WorkbookFiles::sheet(book, "Three"), "A1").value("value").toInt(), 3);
}

void RowColumnRealTest::xlsBeyondItsLastRowIsLeftAlone()
{
    RealJob job;
    QTemporaryDir scratch;
    QVERIFY(WorkbookFiles::create(scratch.filePath("old.xlsx"), linkedWorkbook()));
    const QString xls = WorkbookFiles::convert(scratch.filePath("old.xlsx"), "xls", job.path(""));
    QVERIFY(!xls.isEmpty());
    JobSettings::addRowNumber = 70000;
    const QStringList texts = job.run(&MergeObject::AddRow);
    QVERIFY(texts.join('\n').contains(QStringLiteral("row 70000 lies beyond the sheet's rows")));
    QCOMPARE(job.outcome().failed, 0);
    const QString back = WorkbookFiles::convert(xls, "xlsx", scratch.path());
    const QJsonObject data = WorkbookFiles::sheet(WorkbookFiles::read(back), "Data");
    QCOMPARE(cell(data, "A3").value("value").toInt(), 3);
    QCOMPARE(cell(data, "B3").value("formula").toString(), QStringLiteral("=A3*10"));
}

void RowColumnRealTest::xlsInsertionThatWouldPushContentOffIsRefused()
{
    RealJob job;
    QTemporaryDir scratch;
    const QJsonObject full{{"sheets", QJsonArray{QJsonObject{{"name", "S"},
                                                            {"cells", QJsonObject{{"A1", "top"}, {"A65536", "bottom"}}}}}}};
    QVERIFY(WorkbookFiles::create(scratch.filePath("full.xlsx"), full));
    const QString xls = WorkbookFiles::convert(scratch.filePath("full.xlsx"), "xls", job.path(""));
    QVERIFY(!xls.isEmpty());
    JobSettings::addRowNumber = 1;
    const QStringList texts = job.run(&MergeObject::AddRow);
    QVERIFY(texts.join('\n').contains(QStringLiteral("nothing was inserted")));
    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(WorkbookFiles::convert(xls, "xlsx", scratch.path())), 0);
    QCOMPARE(cell(sheet, "A1").value("value").toString(), QStringLiteral("top"));
    QCOMPARE(cell(sheet, "A65536").value("value").toString(), QStringLiteral("bottom"));
}

void RowColumnRealTest::corpusWorkbooksKeepTheirCrossSheetFormulas()
{
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not beside the checkout");
    RealJob job;
    QTemporaryDir scratch;
    const QString name = QStringLiteral("27349-vlookupAcrossSheets.xls");
    QVERIFY(QFile::copy(corpus + "/apache-poi/" + name, job.path(name)));
    const QJsonObject before = WorkbookFiles::read(WorkbookFiles::convert(job.path(name), "xlsx", scratch.path()));
    JobSettings::addRowNumber = 1;
    JobSettings::onlyFirstSheet = true;
    const QStringList texts = job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);
    QVERIFY(texts.last().startsWith(QStringLiteral("成功1个文件,")));
    QDir(scratch.path()).remove(QFileInfo(name).completeBaseName() + ".xlsx");
    const QJsonObject after = WorkbookFiles::read(WorkbookFiles::convert(job.path(name), "xlsx", scratch.path()));

    // Every cell of the first sheet moved one row down with the same value.
    const QJsonObject first = WorkbookFiles::sheetAt(before, 0).value("cells").toObject();
    const QJsonObject moved = WorkbookFiles::sheetAt(after, 0).value("cells").toObject();
    QVERIFY(!first.isEmpty());
    for (auto it = first.begin(); it != first.end(); ++it) {
        const QString column = it.key().section(QRegularExpression("[0-9]"), 0, 0);
        const int row = it.key().mid(column.size()).toInt();
        QCOMPARE(moved.value(column + QString::number(row + 1)).toObject().value("value"),
                 it.value().toObject().value("value"));
    }
    // The other sheets keep their cells where they were.
    for (int i = 1; i < before.value("sheets").toArray().size(); ++i)
        QCOMPARE(WorkbookFiles::sheetAt(after, i).value("cells").toObject().keys(),
                 WorkbookFiles::sheetAt(before, i).value("cells").toObject().keys());
}

QTEST_GUILESS_MAIN(RowColumnRealTest)
#include "RowColumnRealTest.moc"
