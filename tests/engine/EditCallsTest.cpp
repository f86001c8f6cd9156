// SPDX-License-Identifier: GPL-3.0-or-later
// The eight edits' calls, their order and arguments, through the in-memory
// server; what LibreOffice makes of them is tested on real files elsewhere.

#include "engine/WorkbookRunner.h"
#include "automation/AutomationObject.h"
#include "engine/MergeObject.h"
#include "engine/edits/SheetLinkLocation.h"
#include "launch/JobSettings.h"
#include "tests/support/InMemorySpreadsheetServer.h"
#include "engine/report/UnopenedList.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Server = InMemorySpreadsheetServer;

class EditCallsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowAndColumnEdits_data();
    void rowAndColumnEdits();
    void numberBeyondTheSheetLeavesItAndSaysSoOnce();
    void refusedInsertionMovesNothing();
    void deletingTwiceDeletesTwoRows();

    void formulaFillCallsAndTexts();
    void formulaFillDetectsEndsFromTheUsedRange();
    void formulaFillCountsOnlyOpenedWorkbooks();
    void refusedFormulaLeavesTheRectangleAlone();
    void formulaFillStopsAtTheSheetsEdge();

    void formulaToValueWritesOnlyFormulas();
    void formulaToValueOfOneCellStaysInIt();
    void unresolvableRangeSkipsTheSheet();
    void emptyRangeTouchesNoWorkbook();

    void indexSheetCallsAndContent();
    void indexSheetOnProtectedWorkbookChangesNothing();
    void sheetLinkLocationQuotesWhereNeeded_data();
    void sheetLinkLocationQuotesWhereNeeded();

    void cellLinkCallsAndText();
    void cellLinkTwiceLeavesOneLink();
    void cellLinkInputProblems_data();
    void cellLinkInputProblems();

private:
    QString addWorkbook(const QString &name, const Server::Workbook &book);
    QStringList run(void (MergeObject::*slot)());
    QStringList membersAfterOpen() const;

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Server> m_server;
};

void EditCallsTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<Server>();
    m_server->install();
    JobSettings::sourcePath = QDir::toNativeSeparators(m_folder->path() + QLatin1Char('/'));
    JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
    JobSettings::onlyFirstSheet = false;
    JobSettings::appointedSheet = false;
    // The in-memory server saves no file; backups are tried on real ones.
    JobSettings::keepsBackups = false;
    // A program that ends at once, found on every system.
#ifdef Q_OS_WIN
    qputenv("GRIDWRIGHTER_TEXT_VIEWER", "hostname.exe");
#else
    qputenv("GRIDWRIGHTER_TEXT_VIEWER", "true");
#endif
}

void EditCallsTest::cleanup()
{
    m_server.reset();
}

QString EditCallsTest::addWorkbook(const QString &name, const Server::Workbook &workbook)
{
    QFile file(m_folder->filePath(name));
    file.open(QIODevice::WriteOnly);
    const QString path = QDir::toNativeSeparators(file.fileName());
    m_server->setWorkbook(path, workbook);
    return path;
}

QStringList EditCallsTest::run(void (MergeObject::*slot)())
{
    MergeObject worker;
    QSignalSpy texts(&worker, &MergeObject::ShowDisposingFile);
    (worker.*slot)();
    QStringList shown;
    for (const auto &arguments : texts)
        shown.append(arguments.at(0).toString());
    return shown;
}

// The calls between the frame's "Open" and "Save()", without the frame's own
// but for its sheet selection ("Count", "Item(int)", "Name").
QStringList EditCallsTest::membersAfterOpen() const
{
    QStringList members = m_server->members();
    members = members.mid(members.indexOf(WorkbookRunner::openMember) + 1);
    members = members.mid(0, members.indexOf("Save()"));
    members.removeAll("Sheets");
    members.removeAll("Saved");
    return members;
}

void EditCallsTest::rowAndColumnEdits_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QVariantList>("callArguments");
    QTest::addColumn<QList<int>>("cellAfter"); // row, column of the value first at C3
    QTest::newRow("insert row") << 0 << "Rows(int)" << "Insert()" << QVariantList() << QList<int>{4, 3};
    QTest::newRow("insert column") << 1 << "Columns(int)" << "Insert()" << QVariantList() << QList<int>{3, 4};
    QTest::newRow("delete row") << 2 << "Rows(int)" << "Delete(int)" << QVariantList{-4162} << QList<int>{2, 3};
    QTest::newRow("delete column") << 3 << "Columns(int)" << "Delete(int)" << QVariantList{-4159} << QList<int>{3, 2};
}

void EditCallsTest::rowAndColumnEdits()
{
    QFETCH(int, edit);
    QFETCH(QString, query);
    QFETCH(QString, call);
    QFETCH(QVariantList, callArguments);
    QFETCH(QList<int>, cellAfter);
    Server::Workbook workbook = Server::Workbook::withSheets({"S1", "S2"});
    workbook.sheets[0].cells.insert({3, 3}, QStringLiteral("kept"));
    const QString path = addWorkbook("w.xlsx", workbook);
    // Each edit has its own number; only the one of the edit run may count.
    JobSettings::addRowNumber = 3;
    JobSettings::addColumnNumber = 3;
    JobSettings::deleteRowNumber = 2;
    JobSettings::deleteColumnNumber = 2;
    void (MergeObject::*jobs[])() = {&MergeObject::AddRow, &MergeObject::AddColumn,
                                     &MergeObject::DeleteRow, &MergeObject::DeleteColumn};
    run(jobs[edit]);

    QCOMPARE(membersAfterOpen(), QStringList({"Count", "Item(int)", "Name", query, call, "Item(int)", "Name", query, call}));
    const int expectedNumber = edit < 2 ? 3 : 2;
    for (const auto &recorded : m_server->calls()) {
        if (recorded.member == query)
            QCOMPARE(recorded.arguments, QVariantList({expectedNumber}));
        if (recorded.member == call)
            QCOMPARE(recorded.arguments, callArguments);
    }
    const auto after = m_server->workbook(path).sheets.at(0).cells;
    QCOMPARE(after.value({cellAfter.at(0), cellAfter.at(1)}).toString(), QStringLiteral("kept"));
    QCOMPARE(after.size(), 1);
}

void EditCallsTest::numberBeyondTheSheetLeavesItAndSaysSoOnce()
{
    Server::Workbook old = Server::Workbook::withSheets({"A", "B"});
    old.sheets[0].rowLimit = old.sheets[1].rowLimit = 65536;
    old.sheets[0].cells.insert({1, 1}, 1);
    addWorkbook("one.xls", old);
    const QString second = addWorkbook("two.xls", old);
    JobSettings::addRowNumber = 70000;
    const QStringList texts = run(&MergeObject::AddRow);
    QCOMPARE(m_server->count("Insert()"), 0);
    QCOMPARE(texts.filter(QStringLiteral("row 70000 lies beyond the sheet's rows")).size(), 2); // once, and in the closing text
    QVERIFY(texts.last().startsWith(QStringLiteral("成功2个文件,")));
    QVERIFY(texts.last().contains(QStringLiteral("4处未修改")));
    QCOMPARE(m_server->workbook(second).sheets.at(0).cells.value({1, 1}).toInt(), 1);
}

void EditCallsTest::refusedInsertionMovesNothing()
{
    Server::Workbook full = Server::Workbook::withSheets({"S"});
    full.sheets[0].rowLimit = 65536;
    full.sheets[0].cells.insert({65536, 1}, QStringLiteral("last"));
    const QString path = addWorkbook("full.xls", full);
    JobSettings::addRowNumber = 2;
    const QStringList texts = run(&MergeObject::AddRow);
    QCOMPARE(m_server->workbook(path).sheets.at(0).cells.value({65536, 1}).toString(), QStringLiteral("last"));
    QVERIFY(texts.join('\n').contains(QStringLiteral("nothing was inserted")));
}

void EditCallsTest::deletingTwiceDeletesTwoRows()
{
    Server::Workbook rows = Server::Workbook::withSheets({"S"});
    for (int r = 1; r <= 5; ++r)
        rows.sheets[0].cells.insert({r, 1}, r);
    const QString path = addWorkbook("rows.xlsx", rows);
    JobSettings::deleteRowNumber = 3;
    run(&MergeObject::DeleteRow);
    run(&MergeObject::DeleteRow);
    const auto cells = m_server->workbook(path).sheets.at(0).cells;
    QCOMPARE(cells.value({3, 1}).toInt(), 5);
    QCOMPARE(cells.size(), 3);
}

void EditCallsTest::formulaFillCallsAndTexts()
{
    const QString path = addWorkbook("f.xlsx", Server::Workbook::withSheets({"S"}));
    JobSettings::firstFormula = QStringLiteral("=A2*2");
    JobSettings::copyFormulaStartRow = 2;
    JobSettings::copyFormulaStartColumn = 2;
    JobSettings::copyFormulaEndRow = 4;
    JobSettings::copyFormulaEndColumn = 3;
    JobSettings::autoEndRow = false;
    JobSettings::autoEndColumn = false;
    const QStringList texts = run(&MergeObject::CopyFormula);

    QStringList expected = {"Count", "Item(int)", "Name", "UsedRange", "Row", "Column", "Rows", "Columns",
                            "Count", "Count", "Cells(int,int)", "SetFormula(const QVariant&)"};
    for (int cell = 0; cell < 6; ++cell)
        expected << "Cells(int,int)" << "FormulaR1C1()" << "SetFormulaR1C1(const QVariant&)";
    QCOMPARE(membersAfterOpen(), expected);

    QList<QVariantList> targets;
    for (const auto &call : m_server->calls())
        if (call.member == QLatin1String("Cells(int,int)"))
            targets.append(call.arguments);
    QCOMPARE(targets, QList<QVariantList>({{2, 2}, {2, 2}, {2, 3}, {3, 2}, {3, 3}, {4, 2}, {4, 3}}));

    QCOMPARE(texts, QStringList({"excel OK!", "WorkBooks OK!", "1  " + path, "1  " + path + "  2",
                                 "1  " + path + "  3", "1  " + path + "  4", QStringLiteral("成功1个文件,")}));
    const auto cells = m_server->workbook(path).sheets.at(0).cells;
    QCOMPARE(cells.value({4, 3}).toString(), QStringLiteral("R1C1:=A2*2"));
}

void EditCallsTest::formulaFillDetectsEndsFromTheUsedRange()
{
    Server::Workbook used = Server::Workbook::withSheets({"Short", "Long"});
    used.sheets[0].cells.insert({3, 2}, 1);
    used.sheets[0].cells.insert({5, 4}, 1);
    used.sheets[1].cells.insert({3, 2}, 1);
    used.sheets[1].cells.insert({10, 4}, 1);
    const QString path = addWorkbook("u.xlsx", used);
    JobSettings::firstFormula = QStringLiteral("=B2");
    JobSettings::copyFormulaStartRow = 2;
    JobSettings::copyFormulaStartColumn = 5;
    JobSettings::copyFormulaEndColumn = 5;
    JobSettings::copyFormulaEndRow = 1;
    JobSettings::autoEndRow = true;
    JobSettings::autoEndColumn = false;
    const QStringList texts = run(&MergeObject::CopyFormula);
    const auto result = m_server->workbook(path);
    // Each sheet to its own last row: 3 + 3 - 1 and 3 + 8 - 1.
    QVERIFY(result.sheets.at(0).cells.contains({5, 5}));
    QVERIFY(!result.sheets.at(0).cells.contains({6, 5}));
    QVERIFY(result.sheets.at(1).cells.contains({10, 5}));
    QVERIFY(!result.sheets.at(1).cells.contains({11, 5}));
    QCOMPARE(texts.filter(QRegularExpression("  \\d+$")).size(), 4 + 9);

    // Detecting the last column of a used range starting at A1.
    Server::Workbook wide = Server::Workbook::withSheets({"S"});
    wide.sheets[0].cells.insert({1, 1}, 1);
    wide.sheets[0].cells.insert({20, 8}, 1);
    const QString widePath = addWorkbook("wide.xlsx", wide);
    QFile::remove(m_folder->filePath("u.xlsx"));
    JobSettings::copyFormulaStartRow = 1;
    JobSettings::copyFormulaStartColumn = 1;
    JobSettings::copyFormulaEndRow = 1;
    JobSettings::autoEndRow = false;
    JobSettings::autoEndColumn = true;
    run(&MergeObject::CopyFormula);
    const auto cells = m_server->workbook(widePath).sheets.at(0).cells;
    QVERIFY(cells.value({1, 8}).toString().startsWith(QStringLiteral("R1C1:")));
    QVERIFY(!cells.contains({1, 9}));
    QVERIFY(!cells.value({2, 1}).toString().startsWith(QStringLiteral("R1C1:")));
}

void EditCallsTest::formulaFillCountsOnlyOpenedWorkbooks()
{
    addWorkbook("a.xlsx", Server::Workbook::withSheets({"S"}));
    const QString bad = addWorkbook("b.xlsx", Server::Workbook::withSheets({"S"}));
    addWorkbook("c.xlsx", Server::Workbook::withSheets({"S"}));
    m_server->failToOpen(bad);
    JobSettings::firstFormula = QStringLiteral("=1");
    JobSettings::copyFormulaStartRow = JobSettings::copyFormulaStartColumn = 1;
    JobSettings::copyFormulaEndRow = JobSettings::copyFormulaEndColumn = 1;
    JobSettings::autoEndRow = JobSettings::autoEndColumn = false;
    const QStringList texts = run(&MergeObject::CopyFormula);
    // Each opened workbook's own line, without the lines of its rows.
    const QStringList progress = texts.mid(2, texts.size() - 3).filter(QRegularExpression("\\.xlsx$"));
    QCOMPARE(progress.size(), 2);
    QVERIFY(progress.at(0).startsWith("1  "));
    QVERIFY(progress.at(1).startsWith("2  "));
    QVERIFY(!progress.join('\n').contains(bad));
    QVERIFY(texts.last().startsWith(QStringLiteral("成功2个文件,")));
    QFile list(JobSettings::unopenedListPath);
    QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLocal8Bit(list.readAll()), bad + '\n');
}

void EditCallsTest::refusedFormulaLeavesTheRectangleAlone()
{
    Server::Workbook data = Server::Workbook::withSheets({"S"});
    data.sheets[0].cells.insert({1, 1}, QStringLiteral("old"));
    data.sheets[0].cells.insert({2, 1}, QStringLiteral("keep me"));
    const QString path = addWorkbook("r.xlsx", data);
    JobSettings::firstFormula = QStringLiteral("=SUM(A1");
    JobSettings::copyFormulaStartRow = JobSettings::copyFormulaStartColumn = 1;
    JobSettings::copyFormulaEndRow = 3;
    JobSettings::copyFormulaEndColumn = 1;
    JobSettings::autoEndRow = JobSettings::autoEndColumn = false;
    const QStringList texts = run(&MergeObject::CopyFormula);
    QCOMPARE(m_server->count("SetFormulaR1C1(const QVariant&)"), 0);
    const auto cells = m_server->workbook(path).sheets.at(0).cells;
    QCOMPARE(cells.value({2, 1}).toString(), QStringLiteral("keep me"));
    QVERIFY(texts.join('\n').contains(QStringLiteral("does not accept the formula \"=SUM(A1\"")));
}

void EditCallsTest::formulaFillStopsAtTheSheetsEdge()
{
    Server::Workbook old = Server::Workbook::withSheets({"S"});
    old.sheets[0].rowLimit = 65536;
    old.sheets[0].columnLimit = 256;
    const QString path = addWorkbook("old.xls", old);
    JobSettings::firstFormula = QStringLiteral("=1");
    JobSettings::copyFormulaStartRow = 65535;
    JobSettings::copyFormulaStartColumn = 255;
    JobSettings::copyFormulaEndRow = 65540;
    JobSettings::copyFormulaEndColumn = 258;
    JobSettings::autoEndRow = JobSettings::autoEndColumn = false;
    const QStringList texts = run(&MergeObject::CopyFormula);
    const auto cells = m_server->workbook(path).sheets.at(0).cells;
    QCOMPARE(cells.size(), 4); // 65535..65536 x 255..256
    QVERIFY(cells.contains({65536, 256}));
    QCOMPARE(texts.filter(QStringLiteral("runs past the edge of the sheet")).size(), 2);
}

void EditCallsTest::formulaToValueWritesOnlyFormulas()
{
    Server::Workbook data = Server::Workbook::withSheets({"S1", "S2", "S3"});
    Server::Sheet &first = data.sheets[0];
    first.cells.insert({2, 2}, QStringLiteral("=A2"));
    first.results.insert({2, 2}, 5.0);
    first.cells.insert({2, 3}, QStringLiteral("00123"));
    first.cells.insert({2, 5}, QStringLiteral("=1/0"));
    first.results.insert({2, 5}, QStringLiteral("#DIV/0!"));
    first.cells.insert({2, 6}, QStringLiteral("=A2"));
    first.results.insert({2, 6}, 6.0);
    data.sheets[1].cells.insert({2, 2}, QStringLiteral("1/2")); // constants only
    data.sheets[2].cells.insert({2, 2}, QStringLiteral("=A1"));
    data.sheets[2].results.insert({2, 2}, QVariant::fromValue(UnreadableValue{10}));
    const QString path = addWorkbook("v.xlsx", data);
    JobSettings::valueRange = QStringLiteral("B2:F2");
    const QStringList texts = run(&MergeObject::FormulaToValue);

    // One read and one write for each block of formulas: B2, and E2:F2.
    QCOMPARE(m_server->count("SpecialCells(int)"), 2);
    QCOMPARE(m_server->count("SetValue2(const QVariant&)"), 2);
    const Server::Workbook after = m_server->workbook(path);
    QCOMPARE(after.sheets.at(0).cells.value({2, 2}), QVariant(5.0));
    QCOMPARE(after.sheets.at(0).cells.value({2, 3}), QVariant(QStringLiteral("00123")));
    QVERIFY(!after.sheets.at(0).cells.contains({2, 4}));
    QCOMPARE(after.sheets.at(0).cells.value({2, 5}), QVariant(QStringLiteral("#DIV/0!")));
    QCOMPARE(after.sheets.at(0).cells.value({2, 6}), QVariant(6.0));
    QCOMPARE(after.sheets.at(1).cells.value({2, 2}), QVariant(QStringLiteral("1/2")));
    // A result that cannot be read is never written: the formula stays.
    QCOMPARE(after.sheets.at(2).cells.value({2, 2}), QVariant(QStringLiteral("=A1")));
    QVERIFY(texts.last().contains(QStringLiteral("could not be read")));
}

void EditCallsTest::formulaToValueOfOneCellStaysInIt()
{
    Server::Workbook data = Server::Workbook::withSheets({"S1"});
    data.sheets[0].cells.insert({1, 1}, QStringLiteral("=1+1"));
    data.sheets[0].results.insert({1, 1}, 2.0);
    // Excel's SpecialCells of one cell would reach this one too.
    data.sheets[0].cells.insert({5, 5}, QStringLiteral("=A1"));
    const QString path = addWorkbook("one.xlsx", data);
    JobSettings::valueRange = QStringLiteral("A1");
    run(&MergeObject::FormulaToValue);
    QCOMPARE(m_server->count("SpecialCells(int)"), 0);
    const Server::Sheet after = m_server->workbook(path).sheets.at(0);
    QCOMPARE(after.cells.value({1, 1}), QVariant(2.0));
    QCOMPARE(after.cells.value({5, 5}), QVariant(QStringLiteral("=A1")));
}

void EditCallsTest::unresolvableRangeSkipsTheSheet()
{
    // Well formed, but beyond the columns of these sheets (an .xls has 256).
    Server::Workbook narrow = Server::Workbook::withSheets({"S1", "S2"});
    for (Server::Sheet &sheet : narrow.sheets)
        sheet.columnLimit = 256;
    addWorkbook("a.xls", narrow);
    narrow.sheets.removeLast();
    addWorkbook("b.xls", narrow);
    JobSettings::valueRange = QStringLiteral("IW1:IW2");
    const QStringList texts = run(&MergeObject::FormulaToValue);
    QCOMPARE(m_server->count("Value2()"), 0);
    QCOMPARE(texts.filter(QStringLiteral("the range \"IW1:IW2\" is not understood")).size(), 2);
    QVERIFY(texts.last().startsWith(QStringLiteral("成功2个文件,")));
}

void EditCallsTest::emptyRangeTouchesNoWorkbook()
{
    addWorkbook("a.xlsx", Server::Workbook::withSheets({"S1"}));
    JobSettings::valueRange = QStringLiteral("  ");
    const QStringList texts = run(&MergeObject::FormulaToValue);
    QCOMPARE(m_server->count(WorkbookRunner::openMember), 0);
    QCOMPARE(texts.size(), 1);
}

void EditCallsTest::indexSheetCallsAndContent()
{
    const QString path = addWorkbook("i.xlsx", Server::Workbook::withSheets({"Data", "My Sheet"}));
    JobSettings::onlyFirstSheet = true; // plays no part here
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("Nope");
    run(&MergeObject::InsertHyperLinks);

    QStringList expected = {"Item(int)", "Add(const QVariant&)", "Item(int)", "Hyperlinks()", "Count"};
    for (int i = 0; i < 3; ++i)
        expected << "Item(int)" << "Name" << "Range(const QVariant&)" << "SetValue(const QVariant&)"
                 << "Add(const QVariant&,const QVariant&,const QVariant&)";
    QCOMPARE(membersAfterOpen(), expected);

    const auto result = m_server->workbook(path);
    QCOMPARE(result.sheets.size(), 3);
    const auto &index = result.sheets.at(0);
    QCOMPARE(index.name, QStringLiteral("Sheet3"));
    QCOMPARE(index.cells.value({1, 1}).toString(), QStringLiteral("Sheet3"));
    QCOMPARE(index.cells.value({2, 1}).toString(), QStringLiteral("Data"));
    QCOMPARE(index.cells.value({3, 1}).toString(), QStringLiteral("My Sheet"));
    QCOMPARE(index.links.size(), 3);
    QCOMPARE(index.links.at(1).row, 2);
    QCOMPARE(index.links.at(1).address, QString());
    QCOMPARE(index.links.at(1).subAddress, QStringLiteral("Data!A1"));
    QCOMPARE(index.links.at(2).subAddress, QStringLiteral("'My Sheet'!A1"));
}

void EditCallsTest::indexSheetOnProtectedWorkbookChangesNothing()
{
    Server::Workbook locked = Server::Workbook::withSheets({"Data"});
    locked.protectedStructure = true;
    locked.sheets[0].cells.insert({1, 1}, QStringLiteral("precious"));
    const QString path = addWorkbook("p.xlsx", locked);
    const QString other = addWorkbook("q.xlsx", Server::Workbook::withSheets({"Data"}));
    const QStringList texts = run(&MergeObject::InsertHyperLinks);
    const auto result = m_server->workbook(path);
    QCOMPARE(result.sheets.size(), 1);
    QCOMPARE(result.sheets.at(0).cells.value({1, 1}).toString(), QStringLiteral("precious"));
    QVERIFY(result.sheets.at(0).links.isEmpty());
    QCOMPARE(result.saves, 0); // closed unsaved: saving could only change it
    QCOMPARE(m_server->workbook(other).sheets.size(), 2);
    QCOMPARE(m_server->workbook(other).saves, 1);
    QVERIFY(texts.join('\n').contains(QStringLiteral("protected")));
}

void EditCallsTest::sheetLinkLocationQuotesWhereNeeded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("location");
    QTest::newRow("plain") << "Data" << "Data!A1";
    QTest::newRow("underscore and digits") << "Sheet_2" << "Sheet_2!A1";
    QTest::newRow("space") << "My Sheet" << "'My Sheet'!A1";
    QTest::newRow("punctuation") << "a-b" << "'a-b'!A1";
    QTest::newRow("Chinese") << QStringLiteral("汇总") << QStringLiteral("'汇总'!A1");
    QTest::newRow("apostrophe") << "Bob's" << "'Bob''s'!A1";
    QTest::newRow("looks like a cell") << "AB12" << "'AB12'!A1";
    QTest::newRow("looks like R1C1") << "R2C3" << "'R2C3'!A1";
    QTest::newRow("starts with a digit") << "2024" << "'2024'!A1";
}

void EditCallsTest::sheetLinkLocationQuotesWhereNeeded()
{
    QFETCH(QString, name);
    QFETCH(QString, location);
    QCOMPARE(sheetLinkLocation(name), location);
}

void EditCallsTest::cellLinkCallsAndText()
{
    Server::Workbook data = Server::Workbook::withSheets({"S1", "S2"});
    data.sheets[1].cells.insert({2, 2}, QStringLiteral("old"));
    const QString path = addWorkbook("c.xlsx", data);
    JobSettings::linkCell = QStringLiteral("B2:C2");
    JobSettings::linkAddress = QStringLiteral("https://example.org/");
    JobSettings::linkSubAddress = QString();
    JobSettings::linkText = QStringLiteral("看这里");
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("S2");
    run(&MergeObject::InsertHyperlinksCell);
    QCOMPARE(membersAfterOpen(),
             QStringList({"Count", "Item(int)", "Name", "Item(int)", "Name", "Hyperlinks()",
                          "Range(const QVariant&)", "Hyperlinks()", "Delete()", "SetValue(const QVariant&)",
                          "Add(const QVariant&,const QVariant&,const QVariant&)"}));
    const auto result = m_server->workbook(path);
    QCOMPARE(result.sheets.at(1).cells.value({2, 2}).toString(), QStringLiteral("看这里"));
    QCOMPARE(result.sheets.at(1).cells.value({2, 3}).toString(), QStringLiteral("看这里"));
    QCOMPARE(result.sheets.at(1).links.size(), 2);
    QCOMPARE(result.sheets.at(1).links.at(0).address, QStringLiteral("https://example.org/"));
    QVERIFY(result.sheets.at(0).links.isEmpty());

    // An empty display text keeps what the cells hold.
    JobSettings::linkText = QString();
    JobSettings::linkCell = QStringLiteral("B2");
    JobSettings::linkAddress = QString();
    JobSettings::linkSubAddress = QStringLiteral("S1!A1");
    run(&MergeObject::InsertHyperlinksCell);
    const auto again = m_server->workbook(path).sheets.at(1);
    QCOMPARE(again.cells.value({2, 2}).toString(), QStringLiteral("看这里"));
    QCOMPARE(again.links.size(), 2); // B2 replaced, C2 kept
}

void EditCallsTest::cellLinkTwiceLeavesOneLink()
{
    const QString path = addWorkbook("c.xlsx", Server::Workbook::withSheets({"S1"}));
    JobSettings::linkCell = QStringLiteral("A1");
    JobSettings::linkAddress = QString();
    JobSettings::linkSubAddress = QStringLiteral("S1!C3");
    JobSettings::linkText = QString();
    run(&MergeObject::InsertHyperlinksCell);
    run(&MergeObject::InsertHyperlinksCell);
    QCOMPARE(m_server->workbook(path).sheets.at(0).links.size(), 1);
}

void EditCallsTest::cellLinkInputProblems_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("subAddress");
    QTest::addColumn<int>("opened");
    QTest::newRow("empty cell") << "" << "https://example.org" << "" << 0;
    QTest::newRow("no target") << "A1" << "" << "" << 0;
    QTest::newRow("malformed cell") << "A1、B2" << "https://example.org" << "" << 0;
    QTest::newRow("beyond the grid") << "XFE1" << "https://example.org" << "" << 0;
}

void EditCallsTest::cellLinkInputProblems()
{
    QFETCH(QString, cell);
    QFETCH(QString, address);
    QFETCH(QString, subAddress);
    QFETCH(int, opened);
    Server::Workbook data = Server::Workbook::withSheets({"S1"});
    data.sheets[0].links.append({1, 1, QStringLiteral("https://old.example/"), QString()});
    const QString path = addWorkbook("c.xlsx", data);
    JobSettings::linkCell = cell;
    JobSettings::linkAddress = address;
    JobSettings::linkSubAddress = subAddress;
    JobSettings::linkText = QString();
    const QStringList texts = run(&MergeObject::InsertHyperlinksCell);
    QCOMPARE(m_server->count(WorkbookRunner::openMember), opened);
    QCOMPARE(m_server->workbook(path).sheets.at(0).links.size(), 1);
    QVERIFY(!texts.isEmpty());
}

QTEST_GUILESS_MAIN(EditCallsTest)
#include "EditCallsTest.moc"
