// SPDX-License-Identifier: GPL-3.0-or-later
// SetFormulaR1C1 cell by cell, as the engine fills a formula, against the
// same writes each followed by another member (which makes every write land
// on its own): LibreOffice's server holds runs of writes back and copies them,
// and nothing read, saved or refused may tell the two apart.

#include "automation/AxObject.h"
#include "fileformats/CellErrorValue.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/libreoffice/LibreOfficeTestSupport.h"
#include "tests/support/WorkbookFiles.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace LibreOfficeTestSupport;

namespace {

struct Write
{
    int row;
    int column;
    QString text;
};

// What a cell shows: its R1C1 text and its value, errors by their text.
QString shown(AxObject *sheet, int row, int column)
{
    std::unique_ptr<AxObject> cell(sheet->querySubObject("Cells(int,int)", row, column));
    const QVariant value = cell->dynamicCall("Value()");
    const QString valueText = value.userType() == qMetaTypeId<CellErrorValue>() ? value.value<CellErrorValue>().text
                                                                                  : value.toString();
    return cell->dynamicCall("FormulaR1C1()").toString() + QStringLiteral(" -> ") + valueText;
}

QStringList shownArea(AxObject *sheet, int lastRow, int lastColumn, int firstRow = 1)
{
    QStringList cells;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 1; column <= lastColumn; ++column)
            cells.append(QStringLiteral("R%1C%2 %3").arg(row).arg(column).arg(shown(sheet, row, column)));
    }
    return cells;
}

QJsonObject numberedColumnA(int rows)
{
    QJsonObject cells;
    for (int row = 1; row <= rows; ++row)
        cells.insert(QStringLiteral("A%1").arg(row), row * 3);
    return cells;
}

// Two sheets with the same cells, Held then Settled.
QJsonObject heldAndSettled(const QJsonObject &cells)
{
    return QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Held"}, {"cells", cells}},
                                             QJsonObject{{"name", "Settled"}, {"cells", cells}}}}};
}

} // namespace

Q_DECLARE_METATYPE(Write)

class LibreOfficeFormulaFillTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void readsInTheMiddleOfAFillSeeEveryWrite();
    void interleavedTextsGiveWhatEachCellWasGiven();
    void irregularOrdersGiveWhatEachCellWasGiven_data();
    void irregularOrdersGiveWhatEachCellWasGiven();
    void referencesOffTheTopFailOnlyWhereTheyLeaveTheGrid();
    void fillReachesTheLastRowOfAnXlsSheet();
    void refusedTextInARunFailsThereAndKeepsTheCell();
    void formatsOfTheFilledCellsStay();
    void fillDownAndFillRightCopyTheFirstRowAndColumn();

private:
    // Sheet 1 gets the writes as they come, sheet 2 each one settled at once.
    void writeBoth(const QList<Write> &writes, const std::function<void(AxObject *, int)> &afterWrite = {});
    AxObject *openFixture(const QString &name, int rows);

    std::unique_ptr<AxObject> m_excel;
    AxObject *m_workbooks = nullptr;
    AxObject *m_held = nullptr;
    AxObject *m_settled = nullptr;
    QTemporaryDir m_files;
    ErrorLog m_errors;
};

void LibreOfficeFormulaFillTest::initTestCase()
{
    registerLibreOfficeServer();
    m_excel = std::make_unique<AxObject>(QStringLiteral("Excel.Application"));
    QVERIFY(!m_excel->isNull());
    m_workbooks = m_excel->querySubObject("WorkBooks");
    QVERIFY(m_workbooks);
}

void LibreOfficeFormulaFillTest::cleanupTestCase()
{
    m_excel->dynamicCall("Quit(void)");
    m_excel.reset();
}

AxObject *LibreOfficeFormulaFillTest::openFixture(const QString &name, int rows)
{
    const QString path = m_files.filePath(name);
    const QJsonObject cells = numberedColumnA(rows);
    if (!WorkbookFiles::create(path, heldAndSettled(cells)))
        return nullptr;
    AxObject *workbook = m_workbooks->querySubObject("Open(const QString&)", path);
    if (!workbook)
        return nullptr;
    m_errors.clear();
    m_errors.watch(workbook);
    AxObject *sheets = workbook->querySubObject("Sheets");
    m_held = sheets->querySubObject("Item(int)", 1);
    m_settled = sheets->querySubObject("Item(int)", 2);
    return workbook;
}

void LibreOfficeFormulaFillTest::writeBoth(const QList<Write> &writes,
                                           const std::function<void(AxObject *, int)> &afterWrite)
{
    for (AxObject *sheet : {m_held, m_settled}) {
        for (int index = 0; index < writes.size(); ++index) {
            const Write &write = writes.at(index);
            std::unique_ptr<AxObject> cell(sheet->querySubObject("Cells(int,int)", write.row, write.column));
            m_errors.watch(cell.get());
            cell->dynamicCall("SetFormulaR1C1(const QVariant&)", write.text);
            if (sheet == m_settled)
                cell->property("Row"); // any other member lands the write
            if (afterWrite)
                afterWrite(sheet, index);
        }
    }
}

QList<Write> rectangle(int firstRow, int lastRow, int firstColumn, int lastColumn, const QString &text)
{
    QList<Write> writes;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column)
            writes.append({row, column, text});
    }
    return writes;
}

void LibreOfficeFormulaFillTest::readsInTheMiddleOfAFillSeeEveryWrite()
{
    QVERIFY(openFixture("midway.xlsx", 12));
    const QList<Write> writes = rectangle(1, 10, 2, 4, "=RC[-1]*2");
    QHash<AxObject *, QStringList> midway;
    writeBoth(writes, [&](AxObject *sheet, int index) {
        if (index == 13 || index == 20)
            midway[sheet] += shownArea(sheet, 8, 4);
    });
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(midway.value(m_held), midway.value(m_settled));
    QCOMPARE(shownArea(m_held, 12, 5), shownArea(m_settled, 12, 5));
    // The fill reached its last cell, and reading did not stop it there.
    QVERIFY(shown(m_held, 10, 4).startsWith("=RC[-1]*2 -> "));
}

void LibreOfficeFormulaFillTest::interleavedTextsGiveWhatEachCellWasGiven()
{
    QVERIFY(openFixture("interleaved.xlsx", 8));
    QList<Write> writes;
    for (int row = 1; row <= 8; ++row) {
        writes.append({row, 2, "=RC[-1]*2"});
        writes.append({row, 3, row % 3 ? "=RC[-1]+1" : "=R1C1+RC[-2]"});
        writes.append({row, 4, "=RC[-1]*2"});
    }
    writeBoth(writes);
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(shownArea(m_held, 8, 4), shownArea(m_settled, 8, 4));
}

void LibreOfficeFormulaFillTest::irregularOrdersGiveWhatEachCellWasGiven_data()
{
    QTest::addColumn<QList<Write>>("writes");
    QList<Write> leftward;
    for (int row = 1; row <= 4; ++row) {
        for (int column = 5; column >= 2; --column)
            leftward.append({row, column, "=RC[-1]+R[1]C"});
    }
    QTest::newRow("end column below start column") << leftward;
    QList<Write> gaps = rectangle(1, 6, 2, 4, "=RC[-1]*2");
    gaps.removeAt(7);
    gaps.removeAt(3);
    QTest::newRow("cells skipped") << gaps;
    QList<Write> narrowing = rectangle(1, 1, 2, 5, "=RC[-1]-1") + rectangle(2, 5, 2, 3, "=RC[-1]-1");
    QTest::newRow("second row narrower") << narrowing;
    QList<Write> again = rectangle(1, 3, 2, 3, "=RC[-1]*3");
    again.append({2, 3, "=RC[-1]*3"});
    again += rectangle(4, 5, 2, 3, "=RC[-1]*3");
    QTest::newRow("a cell written twice") << again;
    QTest::newRow("down a column") << rectangle(1, 9, 3, 3, "=RC[-2]+R[-1]C");
}

void LibreOfficeFormulaFillTest::irregularOrdersGiveWhatEachCellWasGiven()
{
    QFETCH(QList<Write>, writes);
    QVERIFY(openFixture("irregular.xlsx", 10));
    writeBoth(writes);
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(shownArea(m_held, 10, 6), shownArea(m_settled, 10, 6));
}

void LibreOfficeFormulaFillTest::referencesOffTheTopFailOnlyWhereTheyLeaveTheGrid()
{
    QVERIFY(openFixture("offtop.xlsx", 12));
    writeBoth(rectangle(2, 12, 2, 3, "=R[-5]C[-1]"));
    QCOMPARE(m_errors.count(), 0);
    const QStringList held = shownArea(m_held, 12, 3);
    QCOMPARE(held, shownArea(m_settled, 12, 3));
    // Row 2 reaches row -3: an error; row 7 reaches row 2.
    QVERIFY(shown(m_held, 2, 2).contains(" -> #"));
    QCOMPARE(shown(m_held, 7, 2), shown(m_settled, 7, 2));
    QVERIFY(!shown(m_held, 7, 2).contains(" -> #"));
}

void LibreOfficeFormulaFillTest::fillReachesTheLastRowOfAnXlsSheet()
{
    const QString xlsx = m_files.filePath("edge.xlsx");
    const QJsonObject cells{{"A65530", 1}, {"A65536", 7}};
    QVERIFY(WorkbookFiles::create(xlsx, heldAndSettled(cells)));
    const QString xls = WorkbookFiles::convert(xlsx, "xls", m_files.path());
    QVERIFY(!xls.isEmpty());
    AxObject *workbook = m_workbooks->querySubObject("Open(const QString&)", xls);
    QVERIFY(workbook);
    m_errors.clear();
    m_errors.watch(workbook);
    m_held = sheetOf(workbook, 1);
    m_settled = sheetOf(workbook, 2);
    // One reference past the .xls grid's last row, one above.
    writeBoth(rectangle(65528, 65536, 2, 3, "=R[1]C[-1]+R[-2]C[-1]"));
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(shownArea(m_held, 65536, 3, 65526), shownArea(m_settled, 65536, 3, 65526));
    QVERIFY(m_held->querySubObject("Cells(int,int)", 65537, 2) == nullptr);
}

void LibreOfficeFormulaFillTest::refusedTextInARunFailsThereAndKeepsTheCell()
{
    AxObject *workbook = openFixture("refused.xlsx", 6);
    QVERIFY(workbook);
    for (AxObject *sheet : {m_held, m_settled})
        sheet->querySubObject("Cells(int,int)", 4, 2)->dynamicCall("SetValue(const QVariant&)", 99);
    QList<Write> writes = rectangle(1, 3, 2, 2, "=RC[-1]*2");
    writes.append({4, 2, "=SUM(RC[-1]"});
    writes.append({5, 2, "=RC[-1]*2"});
    writeBoth(writes);
    QCOMPARE(m_errors.count(), 2); // the refused text, once on each sheet
    QCOMPARE(shownArea(m_held, 6, 2), shownArea(m_settled, 6, 2));
    QCOMPARE(m_held->querySubObject("Cells(int,int)", 4, 2)->dynamicCall("Value()").toInt(), 99);
}

// A copy carries its source's format; cells written one by one keep theirs.
void LibreOfficeFormulaFillTest::formatsOfTheFilledCellsStay()
{
    const QString path = m_files.filePath("formats.xlsx");
    const QJsonObject cells = numberedColumnA(6);
    const QJsonObject formats{{"B1", "0.00%"}, {"C3", "0.000"}, {"D2", "#,##0"}};
    QVERIFY(WorkbookFiles::create(
        path, QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Held"}, {"cells", cells}, {"number_formats", formats}}}}}));
    AxObject *workbook = m_workbooks->querySubObject("Open(const QString&)", path);
    QVERIFY(workbook);
    m_errors.clear();
    m_errors.watch(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    for (const Write &write : rectangle(1, 6, 2, 4, "=RC1*2")) {
        std::unique_ptr<AxObject> cell(sheet->querySubObject("Cells(int,int)", write.row, write.column));
        cell->dynamicCall("SetFormulaR1C1(const QVariant&)", write.text);
    }
    workbook->dynamicCall("Save()");
    QCOMPARE(m_errors.count(), 0);
    const QJsonObject saved = WorkbookFiles::sheet(WorkbookFiles::read(path), "Held");
    for (const Write &write : rectangle(1, 6, 2, 4, QString())) {
        const QString name = QStringLiteral("%1%2").arg(QChar('A' + write.column - 1)).arg(write.row);
        const QJsonObject cell = saved.value("cells").toObject().value(name).toObject();
        // Only formats other than General are listed.
        QCOMPARE(saved.value("number_formats").toObject().value(name).toString(QStringLiteral("General")),
                 formats.value(name).toString(QStringLiteral("General")));
        QCOMPARE(cell.value("formula").toString(), QStringLiteral("=$A%1*2").arg(write.row));
    }
}

void LibreOfficeFormulaFillTest::fillDownAndFillRightCopyTheFirstRowAndColumn()
{
    QVERIFY(openFixture("filldown.xlsx", 5));
    m_held->querySubObject("Range(const QVariant&)", "B1")->dynamicCall("SetFormula(const QVariant&)", "=A1*2");
    m_held->querySubObject("Range(const QVariant&)", "B1:D1")->dynamicCall("FillRight()");
    m_held->querySubObject("Range(const QVariant&)", "B1:D5")->dynamicCall("FillDown()");
    for (const Write &write : rectangle(1, 5, 2, 4, "=RC[-1]*2")) {
        m_settled->querySubObject("Cells(int,int)", write.row, write.column)
            ->dynamicCall("SetFormula(const QVariant&)", QStringLiteral("=%1%2*2").arg(QChar('A' + write.column - 2)).arg(write.row));
    }
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(shownArea(m_held, 5, 4), shownArea(m_settled, 5, 4));
}

QTEST_GUILESS_MAIN(LibreOfficeFormulaFillTest)
#include "LibreOfficeFormulaFillTest.moc"
