// SPDX-License-Identifier: GPL-3.0-or-later
// Formula fill and formulas to values on real files, edited by LibreOffice
// and read back by openpyxl.

#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/edits/RealJob.h"
#include "tests/support/WorkbookFiles.h"

#include <QJsonArray>
#include <QTest>

namespace {

QJsonObject cell(const QJsonObject &sheet, const QString &ref)
{
    return sheet.value("cells").toObject().value(ref).toObject();
}

QString formula(const QJsonObject &sheet, const QString &ref)
{
    return cell(sheet, ref).value("formula").toString();
}

void setFill(const QString &text, int startRow, int startColumn, int endRow, int endColumn)
{
    JobSettings::firstFormula = text;
    JobSettings::copyFormulaStartRow = startRow;
    JobSettings::copyFormulaStartColumn = startColumn;
    JobSettings::copyFormulaEndRow = endRow;
    JobSettings::copyFormulaEndColumn = endColumn;
    JobSettings::autoEndRow = false;
    JobSettings::autoEndColumn = false;
}

QJsonObject numbers()
{
    QJsonObject cells;
    for (int r = 1; r <= 5; ++r) {
        cells.insert(QStringLiteral("A%1").arg(r), r);
        cells.insert(QStringLiteral("B%1").arg(r), r * 10);
    }
    return cells;
}

QJsonObject twoSheets(const QJsonObject &first)
{
    return QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Sheet1"}, {"cells", first}},
                                            QJsonObject{{"name", "Sheet2"},
                                                        {"cells", QJsonObject{{"A1", 7}, {"A2", 8}, {"A3", 3},
                                                                              {"B1", "one"}, {"B2", "two"}, {"B3", "three"}}}}}}};
}

} // namespace

class FormulaRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerLibreOfficeServer(); }

    void fillGivesWhatCopyingWouldGive();
    void fillAdjustsOtherSheetsAndKeepsAbsoluteReferences_data();
    void fillAdjustsOtherSheetsAndKeepsAbsoluteReferences();
    void fillDetectsTheLastRowAndColumn();
    void refusedFormulaLeavesTheSheetAsItWas();
    void fillOnXlsStopsAtItsLastRow();
    void fillOverStripedFormatsKeepsEachCellsOwn_data();
    void fillOverStripedFormatsKeepsEachCellsOwn();

    void valuesReplaceFormulasAndKeepEverythingElse();
    void wholeColumnsAndRows_data();
    void wholeColumnsAndRows();
    void malformedRangeIsRefusedUpFront();
    void sheetOptionsChooseTheSheetsConverted();
};

void FormulaRealTest::fillGivesWhatCopyingWouldGive()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("f.xlsx"), twoSheets(numbers())));
    setFill("=A2*2", 2, 2, 4, 3);
    const QStringList texts = job.run(&MergeObject::CopyFormula);
    const QString path = QDir::toNativeSeparators(job.path("f.xlsx"));
    QCOMPARE(texts.mid(2, 7), QStringList({"1  " + path, "1  " + path + "  2", "1  " + path + "  3",
                                           "1  " + path + "  4", "1  " + path + "  2", "1  " + path + "  3",
                                           "1  " + path + "  4"}));
    QVERIFY(texts.last().startsWith(QStringLiteral("成功1个文件,")));
    const QJsonObject sheet = WorkbookFiles::sheet(WorkbookFiles::read(job.path("f.xlsx")), "Sheet1");
    QCOMPARE(formula(sheet, "B2"), QStringLiteral("=A2*2"));
    QCOMPARE(formula(sheet, "C2"), QStringLiteral("=B2*2"));
    QCOMPARE(formula(sheet, "B3"), QStringLiteral("=A3*2"));
    QCOMPARE(formula(sheet, "C4"), QStringLiteral("=B4*2"));
    QCOMPARE(cell(sheet, "B3").value("value").toInt(), 6);
    QCOMPARE(cell(sheet, "C4").value("value").toInt(), 16); // B4 is 4*2
    QVERIFY(cell(sheet, "B5").value("formula").toInt() == 50);
    QVERIFY(cell(sheet, "D2").isEmpty());
}

void FormulaRealTest::fillAdjustsOtherSheetsAndKeepsAbsoluteReferences_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("inC3");
    QTest::addColumn<QJsonValue>("valueInC3");
    QTest::newRow("absolute") << "=A2+$A$1" << "=A3+$A$1" << QJsonValue(4);
    QTest::newRow("other sheet") << "=Sheet2!A1" << "=Sheet2!A2" << QJsonValue(8);
    QTest::newRow("sum with two arguments") << "=SUM(A2:B2,1)" << "=SUM(A3:B3,1)" << QJsonValue(34);
    QTest::newRow("if with texts") << "=IF(A2>2,\"yes\",\"no\")" << "=IF(A3>2,\"yes\",\"no\")" << QJsonValue("yes");
    QTest::newRow("vlookup on whole columns") << "=VLOOKUP(A2,Sheet2!A:B,2,0)" << "=VLOOKUP(A3,Sheet2!A:B,2,0)" << QJsonValue("three");
}

void FormulaRealTest::fillAdjustsOtherSheetsAndKeepsAbsoluteReferences()
{
    QFETCH(QString, typed);
    QFETCH(QString, inC3);
    QFETCH(QJsonValue, valueInC3);
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("f.xlsx"), twoSheets(numbers())));
    // Down column C from row 2: C3 holds what C2 holds, one row on.
    setFill(typed, 2, 3, 3, 3);
    job.run(&MergeObject::CopyFormula);
    const QJsonObject sheet = WorkbookFiles::sheet(WorkbookFiles::read(job.path("f.xlsx")), "Sheet1");
    QCOMPARE(formula(sheet, "C2"), typed);
    QCOMPARE(formula(sheet, "C3"), inC3);
    QCOMPARE(cell(sheet, "C3").value("value"), valueInC3);
}

void FormulaRealTest::fillDetectsTheLastRowAndColumn()
{
    RealJob job;
    QJsonObject used;
    used.insert("B3", 1);
    used.insert("D10", 2);
    QJsonObject wide{{"A1", 1}, {"H20", 2}};
    QVERIFY(WorkbookFiles::create(job.path("d.xlsx"),
                                  QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Down"}, {"cells", used}},
                                                                   QJsonObject{{"name", "Across"}, {"cells", wide}}}}}));
    setFill("=1", 2, 5, 1, 5);
    JobSettings::autoEndRow = true;
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("Down");
    job.run(&MergeObject::CopyFormula);
    setFill("=2", 1, 1, 1, 1);
    JobSettings::autoEndColumn = true;
    JobSettings::sheetName = QStringLiteral("Across");
    job.run(&MergeObject::CopyFormula);

    const QJsonObject book = WorkbookFiles::read(job.path("d.xlsx"));
    const QJsonObject down = WorkbookFiles::sheet(book, "Down");
    QCOMPARE(formula(down, "E2"), QStringLiteral("=1"));
    QCOMPARE(formula(down, "E10"), QStringLiteral("=1"));
    QVERIFY(cell(down, "E11").isEmpty());
    const QJsonObject across = WorkbookFiles::sheet(book, "Across");
    QCOMPARE(formula(across, "H1"), QStringLiteral("=2"));
    QVERIFY(cell(across, "I1").isEmpty());
    QVERIFY(cell(across, "A2").isEmpty());
}

void FormulaRealTest::refusedFormulaLeavesTheSheetAsItWas()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("r.xlsx"), twoSheets(numbers())));
    setFill("=SUM(A1", 1, 1, 3, 2);
    const QStringList texts = job.run(&MergeObject::CopyFormula);
    QVERIFY(texts.join('\n').contains(QStringLiteral("does not accept the formula")));
    const QJsonObject sheet = WorkbookFiles::sheet(WorkbookFiles::read(job.path("r.xlsx")), "Sheet1");
    QCOMPARE(cell(sheet, "A1").value("value").toInt(), 1);
    QCOMPARE(cell(sheet, "B3").value("value").toInt(), 30);
}

void FormulaRealTest::fillOnXlsStopsAtItsLastRow()
{
    RealJob job;
    QTemporaryDir scratch;
    QVERIFY(WorkbookFiles::create(scratch.filePath("old.xlsx"), twoSheets(numbers())));
    const QString xls = WorkbookFiles::convert(scratch.filePath("old.xlsx"), "xls", job.path(""));
    QVERIFY(!xls.isEmpty());
    setFill("=A1+1", 65535, 3, 65540, 3);
    JobSettings::onlyFirstSheet = true;
    const QStringList texts = job.run(&MergeObject::CopyFormula);
    QCOMPARE(job.outcome().failed, 0);
    QVERIFY(texts.join('\n').contains(QStringLiteral("runs past the edge of the sheet")));
    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(WorkbookFiles::convert(xls, "xlsx", scratch.path())), 0);
    QCOMPARE(formula(sheet, "C65535"), QStringLiteral("=A1+1"));
    QCOMPARE(formula(sheet, "C65536"), QStringLiteral("=A2+1"));
    QCOMPARE(cell(sheet, "B5").value("value").toInt(), 50);
}

void FormulaRealTest::fillOverStripedFormatsKeepsEachCellsOwn_data()
{
    QTest::addColumn<bool>("structureLocked");
    QTest::newRow("sheets may be added") << false;
    // No scratch sheet may be added: the cells are written one by one.
    QTest::newRow("workbook structure locked") << true;
}

// A report's look: fills alternate, the number format (text among them)
// changes every third row, a note and hidden rows in the filled columns.
void FormulaRealTest::fillOverStripedFormatsKeepsEachCellsOwn()
{
    QFETCH(bool, structureLocked);
    const int rows = 1200;
    const QStringList fills{"FFDDEBF7", "FFFFF2CC"};
    const QStringList numberFormats{"0.00", "@", "0.0%"};
    QJsonObject numbered;
    for (int r = 1; r <= rows; ++r)
        numbered.insert(QStringLiteral("A%1").arg(r), r);
    QJsonObject striped{{"name", "Sheet1"},
                        {"cells", numbered},
                        {"stripes", QJsonObject{{"area", QStringLiteral("A1:C%1").arg(rows)},
                                                {"fills", QJsonArray::fromStringList(fills)},
                                                {"number_formats", QJsonArray::fromStringList(numberFormats)},
                                                {"format_rows", 3}}},
                        {"notes", QJsonObject{{"B7", "checked"}}},
                        {"hidden_rows", QJsonArray{10, 11}}};
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("s.xlsx"),
                                  QJsonObject{{"sheets", QJsonArray{striped, QJsonObject{{"name", "Sheet2"}}}},
                                              {"protect_structure", structureLocked}}));
    setFill("=A1*2", 1, 2, rows, 3);
    job.run(&MergeObject::CopyFormula);
    QCOMPARE(job.outcome().failed, 0);

    const QJsonObject book = WorkbookFiles::read(job.path("s.xlsx"));
    QCOMPARE(book.value("active").toString(), QStringLiteral("Sheet1"));
    QCOMPARE(book.value("sheets").toArray().size(), 2);
    const QJsonObject sheet = WorkbookFiles::sheet(book, "Sheet1");
    const QJsonObject formats = sheet.value("number_formats").toObject();
    const QJsonObject fillsRead = sheet.value("fills").toObject();
    for (int r = 1; r <= rows; ++r) {
        for (const QString &column : {QStringLiteral("B"), QStringLiteral("C")}) {
            const QString ref = column + QString::number(r);
            const QString left = column == QLatin1String("B") ? QStringLiteral("A") : QStringLiteral("B");
            QCOMPARE(formula(sheet, ref), QStringLiteral("=%1%2*2").arg(left).arg(r));
            QCOMPARE(formats.value(ref).toString(), numberFormats.at((r - 1) / 3 % 3));
            QCOMPARE(fillsRead.value(ref).toString(), fills.at((r - 1) % 2));
        }
    }
    QCOMPARE(cell(sheet, QStringLiteral("C%1").arg(rows)).value("value").toInt(), rows * 4);
    QVERIFY(sheet.value("notes").toObject().value("B7").toString().contains("checked"));
}

void FormulaRealTest::valuesReplaceFormulasAndKeepEverythingElse()
{
    RealJob job;
    const QJsonObject cells{{"A1", "=1+1"},       {"A2", 5},           {"B2", "=A2*3"}, {"C2", "x"},
                            {"F2", "=1/0"},       {"G2", true},        {"H2", "=B2&\"!\""},
                            {"B3", "=A2"},        {"A4", "=A1+A2"}};
    QJsonObject sheetSpec{{"name", "S"}, {"cells", cells}, {"dates", QJsonObject{{"E2", "2024-03-05"}}},
                          {"number_formats", QJsonObject{{"B2", "0.00%"}}}};
    QVERIFY(WorkbookFiles::create(job.path("v.xlsx"), QJsonObject{{"sheets", QJsonArray{sheetSpec}}}));
    JobSettings::valueRange = QStringLiteral("A1");
    job.run(&MergeObject::FormulaToValue);
    JobSettings::valueRange = QStringLiteral("B2:H2");
    job.run(&MergeObject::FormulaToValue);

    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(job.path("v.xlsx")), 0);
    QCOMPARE(cell(sheet, "A1").value("formula").toInt(), 2);
    QCOMPARE(cell(sheet, "B2").value("formula").toInt(), 15);
    QCOMPARE(sheet.value("number_formats").toObject().value("B2").toString(), QStringLiteral("0.00%"));
    QCOMPARE(cell(sheet, "C2").value("formula").toString(), QStringLiteral("x"));
    QVERIFY(cell(sheet, "D2").isEmpty());
    QCOMPARE(cell(sheet, "E2").value("formula").toString(), QStringLiteral("2024-03-05T00:00:00"));
    QCOMPARE(cell(sheet, "F2").value("value").toString(), QStringLiteral("#DIV/0!"));
    QCOMPARE(cell(sheet, "G2").value("formula").toBool(), true);
    QCOMPARE(cell(sheet, "H2").value("formula").toString(), QStringLiteral("15!"));
    // Outside the ranges the formulas stay.
    QCOMPARE(formula(sheet, "B3"), QStringLiteral("=A2"));
    QCOMPARE(formula(sheet, "A4"), QStringLiteral("=A1+A2"));
}

void FormulaRealTest::wholeColumnsAndRows_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QStringList>("converted");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("B:B") << "B:B" << QStringList{"B1", "B3"} << QStringList{"A2", "C1"};
    QTest::newRow("B:C") << "B:C" << QStringList{"B1", "B3", "C1"} << QStringList{"A2"};
    QTest::newRow("1:1") << "1:1" << QStringList{"B1", "C1"} << QStringList{"A2", "B3"};
    QTest::newRow("1:3") << "1:3" << QStringList{"A2", "B1", "B3", "C1"} << QStringList{};
    QTest::newRow("lower case") << "b3:c3" << QStringList{"B3"} << QStringList{"B1", "A2"};
}

void FormulaRealTest::wholeColumnsAndRows()
{
    QFETCH(QString, range);
    QFETCH(QStringList, converted);
    QFETCH(QStringList, kept);
    RealJob job;
    const QJsonObject cells{{"A1", 4}, {"B1", "=A1*2"}, {"C1", "=B1+1"}, {"A2", "=A1"}, {"B3", "=SUM(A1:A2)"}};
    QVERIFY(WorkbookFiles::create(job.path("w.xlsx"),
                                  QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "S"}, {"cells", cells}}}}}));
    JobSettings::valueRange = range;
    job.run(&MergeObject::FormulaToValue);
    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(job.path("w.xlsx")), 0);
    for (const QString &ref : converted)
        QVERIFY2(!formula(sheet, ref).startsWith('='), qPrintable(ref));
    for (const QString &ref : kept)
        QVERIFY2(formula(sheet, ref).startsWith('='), qPrintable(ref));
    QCOMPARE(cell(sheet, "C1").value("value").toInt(), 9);
    QCOMPARE(cell(sheet, "A1").value("value").toInt(), 4);
}

void FormulaRealTest::malformedRangeIsRefusedUpFront()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("m.xlsx"), twoSheets(QJsonObject{{"A1", "=1+1"}})));
    JobSettings::valueRange = QStringLiteral("A1、B2");
    const QStringList texts = job.run(&MergeObject::FormulaToValue);
    // Refused before the application starts.
    QCOMPARE(texts, QStringList{QStringLiteral("Fill in the range to turn into values, such as A1, B2:D2, B:B, B:D, 1:1 or 1:9")});
    QCOMPARE(formula(WorkbookFiles::sheet(WorkbookFiles::read(job.path("m.xlsx")), "Sheet1"), "A1"),
             QStringLiteral("=1+1"));
}

void FormulaRealTest::sheetOptionsChooseTheSheetsConverted()
{
    RealJob job;
    const QJsonObject book{{"sheets", QJsonArray{QJsonObject{{"name", "A"}, {"cells", QJsonObject{{"A1", "=1+1"}}}},
                                                QJsonObject{{"name", "B"}, {"cells", QJsonObject{{"A1", "=2+2"}}}}}}};
    QVERIFY(WorkbookFiles::create(job.path("o.xlsx"), book));
    JobSettings::valueRange = QStringLiteral("A1");
    JobSettings::onlyFirstSheet = true;
    job.run(&MergeObject::FormulaToValue);
    QJsonObject read = WorkbookFiles::read(job.path("o.xlsx"));
    QCOMPARE(cell(WorkbookFiles::sheet(read, "A"), "A1").value("formula").toInt(), 2);
    QCOMPARE(formula(WorkbookFiles::sheet(read, "B"), "A1"), QStringLiteral("=2+2"));

    QVERIFY(WorkbookFiles::create(job.path("o.xlsx"), book));
    JobSettings::onlyFirstSheet = false;
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("B");
    job.run(&MergeObject::FormulaToValue);
    read = WorkbookFiles::read(job.path("o.xlsx"));
    QCOMPARE(formula(WorkbookFiles::sheet(read, "A"), "A1"), QStringLiteral("=1+1"));
    QCOMPARE(cell(WorkbookFiles::sheet(read, "B"), "A1").value("formula").toInt(), 4);
}

QTEST_GUILESS_MAIN(FormulaRealTest)
#include "FormulaRealTest.moc"
