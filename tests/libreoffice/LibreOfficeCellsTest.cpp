// SPDX-License-Identifier: GPL-3.0-or-later
// Cells on real xlsx files: formulas in Excel's A1 and R1C1 language, values
// in and out, and hyperlinks, each saved by LibreOffice and read back with
// openpyxl and by reopening.

#include "automation/AxObject.h"
#include "fileformats/CellErrorValue.h"
#include "tests/libreoffice/LibreOfficeTestSupport.h"
#include "tests/support/WorkbookFiles.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace LibreOfficeTestSupport;

class LibreOfficeCellsTest : public CalcTestCase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void formulasInExcelLanguageComputeAndSave();
    void refusedFormulaLeavesTheCellAlone();
    void constantsThroughSetFormula();
    void valuesRoundTripAsConstants();
    void singleValueFillsTheRange();
    void wholeColumnValuesAreClippedToTheUsedRows();
    void hyperlinksSaveAsExcelLinks();
    void deletedHyperlinksLeaveValuesAndAddAgainGivesOne();

private:
    AxObject *range(AxObject *sheet, const QString &reference);
    QString fixture(const QString &name);

    QTemporaryDir m_files;
};

void LibreOfficeCellsTest::initTestCase()
{
    QVERIFY(startCalc());
}

void LibreOfficeCellsTest::cleanupTestCase()
{
    quitCalc();
}

void LibreOfficeCellsTest::init()
{
    m_errors.clear();
}

AxObject *LibreOfficeCellsTest::range(AxObject *sheet, const QString &reference)
{
    AxObject *found = sheet->querySubObject("Range(const QVariant&)", reference);
    if (found)
        m_errors.watch(found);
    return found;
}

// The same workbook for every test: numbers and texts on Sheet1, a lookup
// table on Sheet2, and sheets whose names need quoting.
QString LibreOfficeCellsTest::fixture(const QString &name)
{
    const QString path = m_files.filePath(name);
    const QJsonObject description{
        {"sheets",
         QJsonArray{QJsonObject{{"name", "Sheet1"},
                                {"cells", QJsonObject{{"A1", "label"}, {"A2", 5}, {"A3", 7}, {"A4", -2}, {"B1", 12.5},
                                                      {"D1", true}, {"E1", "=1/0"}, {"G1", "=1+1"}, {"A6", "=B1*2"}}},
                                {"dates", QJsonObject{{"C1", "2024-03-05"}}}},
                    QJsonObject{{"name", "Sheet2"},
                                {"cells", QJsonObject{{"A1", 10}, {"A2", 5}, {"B2", "five"}, {"A3", 7}, {"B3", "seven"}}}},
                    QJsonObject{{"name", "My Sheet"}, {"cells", QJsonObject{{"A1", "target"}}}},
                    QJsonObject{{"name", "数据 表"}, {"cells", QJsonObject{{"A1", "中文"}}}}}}};
    return WorkbookFiles::create(path, description) ? path : QString();
}

void LibreOfficeCellsTest::formulasInExcelLanguageComputeAndSave()
{
    const QString path = fixture("formulas.xlsx");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    const QList<QPair<QString, QString>> formulas = {
        {"B2", "=A2*2"},
        {"D2", "=$A$1"},
        {"E2", "=Sheet2!A1"},
        {"F2", "=SUM(A2:B2,1)"},
        {"G2", "=IF(A2>0,\"yes\",\"no\")"},
        {"H2", "=VLOOKUP(A2,Sheet2!A:B,2,0)"},
        {"I2", "='My Sheet'!A1"},
        {"J2", "='数据 表'!A1"},
    };
    for (const auto &formula : formulas)
        range(sheet, formula.first)->dynamicCall("SetFormula(const QVariant&)", formula.second);

    const QString relative = range(sheet, "B2")->dynamicCall("FormulaR1C1()").toString();
    QCOMPARE(relative, QStringLiteral("=RC[-1]*2"));
    range(sheet, "C2:C4")->dynamicCall("SetFormulaR1C1(const QVariant&)", relative);
    range(sheet, "D3")->dynamicCall("SetFormulaR1C1(const QVariant&)", range(sheet, "D2")->dynamicCall("FormulaR1C1()"));
    range(sheet, "E3")->dynamicCall("SetFormulaR1C1(const QVariant&)", range(sheet, "E2")->dynamicCall("FormulaR1C1()"));
    QCOMPARE(range(sheet, "D2")->dynamicCall("FormulaR1C1()").toString(), QStringLiteral("=R1C1"));
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    const QJsonObject cells = WorkbookFiles::sheet(WorkbookFiles::read(path), "Sheet1")["cells"].toObject();
    auto formulaAt = [&](const char *cell) { return cells[cell].toObject()["formula"].toString(); };
    auto valueAt = [&](const char *cell) { return cells[cell].toObject()["value"].toVariant(); };
    for (const auto &formula : formulas)
        QCOMPARE(formulaAt(formula.first.toLatin1()), formula.second);
    QCOMPARE(formulaAt("C2"), QStringLiteral("=B2*2"));
    QCOMPARE(formulaAt("C3"), QStringLiteral("=B3*2"));
    QCOMPARE(formulaAt("C4"), QStringLiteral("=B4*2"));
    QCOMPARE(formulaAt("D3"), QStringLiteral("=$A$1"));
    QCOMPARE(formulaAt("E3"), QStringLiteral("=Sheet2!A2"));
    QCOMPARE(valueAt("B2").toDouble(), 10.0);
    QCOMPARE(valueAt("C2").toDouble(), 20.0);
    QCOMPARE(valueAt("E3").toDouble(), 5.0);
    QCOMPARE(valueAt("F2").toDouble(), 16.0);
    QCOMPARE(valueAt("G2").toString(), QStringLiteral("yes"));
    QCOMPARE(valueAt("H2").toString(), QStringLiteral("five"));
    QCOMPARE(valueAt("I2").toString(), QStringLiteral("target"));
    QCOMPARE(valueAt("J2").toString(), QStringLiteral("中文"));

    AxObject *reopened = open(path);
    QVERIFY(reopened);
    AxObject *reopenedSheet = sheetOf(reopened, 1);
    QCOMPARE(range(reopenedSheet, "C3")->dynamicCall("FormulaR1C1()").toString(), QStringLiteral("=RC[-1]*2"));
    QCOMPARE(range(reopenedSheet, "H2")->dynamicCall("Value()").toString(), QStringLiteral("five"));
    reopened->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);
}

void LibreOfficeCellsTest::refusedFormulaLeavesTheCellAlone()
{
    AxObject *workbook = open(fixture("refused.xlsx"));
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    AxObject *label = range(sheet, "A1");
    AxObject *formula = range(sheet, "A6");
    label->dynamicCall("SetFormula(const QVariant&)", "=SUM(A2");
    formula->dynamicCall("SetFormula(const QVariant&)", "=IF(A2>0,\"yes)");
    formula->dynamicCall("SetFormula(const QVariant&)", "=A2*");
    QCOMPARE(m_errors.count(), 3);
    QCOMPARE(label->dynamicCall("Value()").toString(), QStringLiteral("label"));
    QCOMPARE(formula->dynamicCall("FormulaR1C1()").toString(), QStringLiteral("=R[-5]C[1]*2"));
    QCOMPARE(formula->dynamicCall("Value()").toDouble(), 25.0);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeCellsTest::constantsThroughSetFormula()
{
    AxObject *workbook = open(fixture("constants.xlsx"));
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    AxObject *cell = range(sheet, "K1");
    cell->dynamicCall("SetFormula(const QVariant&)", "12.5");
    QCOMPARE(cell->dynamicCall("Value()"), QVariant(12.5));
    QCOMPARE(cell->dynamicCall("FormulaR1C1()").toString(), QStringLiteral("12.5"));
    cell->dynamicCall("SetFormula(const QVariant&)", "plain text");
    QCOMPARE(cell->dynamicCall("Value()"), QVariant(QStringLiteral("plain text")));
    cell->dynamicCall("SetFormula(const QVariant&)", "");
    QVERIFY(!cell->dynamicCall("Value()").isValid());
    QCOMPARE(cell->dynamicCall("FormulaR1C1()").toString(), QString());
    QCOMPARE(m_errors.count(), 0);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeCellsTest::valuesRoundTripAsConstants()
{
    const QString path = fixture("values.xlsx");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    AxObject *row = range(sheet, "A1:G1");
    const QVariant values = row->dynamicCall("Value()");
    const QVariantList cells = values.toList().value(0).toList();
    QCOMPARE(values.toList().size(), 1);
    QCOMPARE(cells.size(), 7);
    QCOMPARE(cells.at(0), QVariant(QStringLiteral("label")));
    QCOMPARE(cells.at(1), QVariant(12.5));
    QCOMPARE(cells.at(2).toDate(), QDate(2024, 3, 5));
    QCOMPARE(cells.at(3), QVariant(true));
    QCOMPARE(cells.at(4).value<CellErrorValue>().text, QStringLiteral("#DIV/0!"));
    QVERIFY(!cells.at(5).isValid());
    QCOMPARE(cells.at(6), QVariant(2.0));

    row->dynamicCall("SetValue(const QVariant&)", values);
    range(sheet, "A3")->dynamicCall("SetValue(const QVariant&)", "=A2");
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    const QJsonObject savedSheet = WorkbookFiles::sheet(WorkbookFiles::read(path), "Sheet1");
    const QJsonObject saved = savedSheet["cells"].toObject();
    QVERIFY(saved["G1"].toObject()["type"].toString() != "f");
    QCOMPARE(saved["G1"].toObject()["value"].toDouble(), 2.0);
    QCOMPARE(savedSheet["number_formats"].toObject()["C1"].toString().remove('\\'), QStringLiteral("yyyy-mm-dd"));
    QVERIFY(saved["C1"].toObject()["value"].toString().startsWith("2024-03-05"));
    QCOMPARE(saved["E1"].toObject()["value"].toString(), QStringLiteral("#DIV/0!"));
    QVERIFY(!saved.contains("F1"));
    QCOMPARE(saved["A6"].toObject()["formula"].toString(), QStringLiteral("=B1*2"));
    QVERIFY(saved["A3"].toObject()["type"].toString() != "f");
    QCOMPARE(saved["A3"].toObject()["value"].toString(), QStringLiteral("=A2"));

    AxObject *reopened = open(path);
    QVERIFY(reopened);
    AxObject *reopenedSheet = sheetOf(reopened, 1);
    QCOMPARE(range(reopenedSheet, "A1:G1")->dynamicCall("Value()"), values);
    reopened->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeCellsTest::singleValueFillsTheRange()
{
    AxObject *workbook = open(fixture("fill.xlsx"));
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    range(sheet, "B8:C9")->dynamicCall("SetValue(const QVariant&)", 7);
    const QVariantList sevens{7.0, 7.0};
    QCOMPARE(range(sheet, "B8:C9")->dynamicCall("Value()"), QVariant(QVariantList{QVariant(sevens), QVariant(sevens)}));
    QVERIFY(!range(sheet, "D8")->dynamicCall("Value()").isValid());
    QCOMPARE(m_errors.count(), 0);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeCellsTest::wholeColumnValuesAreClippedToTheUsedRows()
{
    AxObject *workbook = open(fixture("column.xlsx"));
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    const int usedRows = sheet->querySubObject("UsedRange")->querySubObject("Rows")->property("Count").toInt();
    AxObject *column = range(sheet, "A:A");
    const QVariant values = column->dynamicCall("Value()");
    QCOMPARE(values.toList().size(), usedRows);
    QCOMPARE(values.toList().at(1).toList(), QVariantList{5.0});
    column->dynamicCall("SetValue(const QVariant&)", values);
    QCOMPARE(column->dynamicCall("Value()"), values);
    QCOMPARE(range(sheet, "A6")->dynamicCall("Value()"), QVariant(25.0));
    QCOMPARE(m_errors.count(), 0);
    workbook->dynamicCall("Close (Boolean)", false);
}

void LibreOfficeCellsTest::hyperlinksSaveAsExcelLinks()
{
    const QString path = fixture("links.xlsx");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    AxObject *links = sheet->querySubObject("Hyperlinks()");
    m_errors.watch(links);
    auto add = [&](const char *cell, const QString &address, const QString &subAddress) {
        links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range(sheet, cell)->asVariant(),
                           address, subAddress);
    };
    add("A1", "", "Sheet2!A1");                    // text
    add("A2", "", "'My Sheet'!A1");                // number
    add("A8", "", "'数据 表'!B2");                 // empty
    add("G1", "", "Sheet2!C3");                    // formula
    add("B1", "https://example.com/page", "");     // web, on a number
    QCOMPARE(links->property("Count").toInt(), 5);
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    const QJsonObject savedSheet = WorkbookFiles::sheet(WorkbookFiles::read(path), "Sheet1");
    const QJsonObject saved = savedSheet["cells"].toObject();
    const QJsonObject savedLinks = savedSheet["links"].toObject();
    QCOMPARE(savedLinks["A1"].toObject()["location"].toString(), QStringLiteral("Sheet2!A1"));
    QCOMPARE(saved["A1"].toObject()["value"].toString(), QStringLiteral("label"));
    QCOMPARE(savedLinks["A2"].toObject()["location"].toString(), QStringLiteral("'My Sheet'!A1"));
    QCOMPARE(saved["A2"].toObject()["value"].toInt(), 5);
    QCOMPARE(savedLinks["A8"].toObject()["location"].toString(), QStringLiteral("'数据 表'!B2"));
    QCOMPARE(saved["A8"].toObject()["value"].toString(), QStringLiteral("'数据 表'!B2"));
    QCOMPARE(savedLinks["G1"].toObject()["location"].toString(), QStringLiteral("Sheet2!C3"));
    QCOMPARE(saved["G1"].toObject()["formula"].toString(), QStringLiteral("=1+1"));
    QCOMPARE(savedLinks["B1"].toObject()["target"].toString(), QStringLiteral("https://example.com/page"));
}

void LibreOfficeCellsTest::deletedHyperlinksLeaveValuesAndAddAgainGivesOne()
{
    const QString path = fixture("relink.xlsx");
    AxObject *workbook = open(path);
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    AxObject *links = sheet->querySubObject("Hyperlinks()");
    m_errors.watch(links);
    for (const char *cell : {"A1", "A2", "A3"})
        links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range(sheet, cell)->asVariant(),
                           "", "Sheet2!A1");
    AxObject *firstTwo = range(sheet, "A1:A2")->querySubObject("Hyperlinks()");
    m_errors.watch(firstTwo);
    QCOMPARE(firstTwo->property("Count").toInt(), 2);
    firstTwo->dynamicCall("Delete()");
    QCOMPARE(firstTwo->property("Count").toInt(), 0);
    QCOMPARE(links->property("Count").toInt(), 1);
    links->dynamicCall("Add(const QVariant&,const QVariant&,const QVariant&)", range(sheet, "A1")->asVariant(), "",
                       "Sheet2!B1");
    QCOMPARE(range(sheet, "A1")->querySubObject("Hyperlinks()")->property("Count").toInt(), 1);
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    const QJsonObject savedSheet = WorkbookFiles::sheet(WorkbookFiles::read(path), "Sheet1");
    const QJsonObject saved = savedSheet["cells"].toObject();
    const QJsonObject savedLinks = savedSheet["links"].toObject();
    QCOMPARE(savedLinks["A1"].toObject()["location"].toString(), QStringLiteral("Sheet2!B1"));
    QCOMPARE(saved["A1"].toObject()["value"].toString(), QStringLiteral("label"));
    QVERIFY(savedLinks["A2"].toObject()["location"].isNull());
    QCOMPARE(saved["A2"].toObject()["value"].toInt(), 5);
    QCOMPARE(savedLinks["A3"].toObject()["location"].toString(), QStringLiteral("Sheet2!A1"));
}

QTEST_GUILESS_MAIN(LibreOfficeCellsTest)
#include "LibreOfficeCellsTest.moc"
