// SPDX-License-Identifier: GPL-3.0-or-later
// Formula to value on real workbooks edited by LibreOffice, read back by
// openpyxl, xlrd or byte for byte: formulas turn into the results the file
// shows, and nothing else is written.

#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/edits/RealJob.h"
#include "tests/support/WorkbookFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject cellsOf(const QString &path, const QString &sheet)
{
    return WorkbookFiles::sheet(WorkbookFiles::read(path), sheet).value("cells").toObject();
}

// The number a sheet part stores for a cell, as written.
QString storedNumber(const QString &sheetXml, const QString &cell)
{
    const QRegularExpression stored(QStringLiteral("<c r=\"%1\"[^>]*>(?:<f>[^<]*</f>)?<v>([^<]*)</v>").arg(cell));
    return stored.match(sheetXml).captured(1);
}

} // namespace

class FormulaToValueRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerLibreOfficeServer(); }
    void onlyFormulasAreWrittenAtFullPrecision();
    void protectedSheetIsSkipped();
    void sheetsWithoutFormulasAreDone();
    void xlsResultsAreThoseTheFileStores();
};

void FormulaToValueRealTest::onlyFormulasAreWrittenAtFullPrecision()
{
    RealJob job;
    const QString book = job.path("dates.xlsx");
    const QJsonObject sheet{{"name", "Data"},
                            {"cells", QJsonObject{{"A1", 12345.6789}, {"A2", "=A1+0.25"}, {"A3", "=A1/7"}, {"A4", "0123"},
                                                  {"A5", "=1/0"}, {"B1", "=A1*2"}, {"B3", "=B1"}, {"C1", "1/2"}}},
                            {"number_formats", QJsonObject{{"A1", "yyyy-mm-dd"}, {"A2", "yyyy-mm-dd"}, {"A3", "0"}}}};
    QVERIFY(WorkbookFiles::create(book, QJsonObject{{"sheets", QJsonArray{sheet}}}));
    // A real workbook whose range holds no formula: nothing to write.
    const QString corpus = WorkbookFiles::corpusFolder();
    const QString noFormula = job.path("template.xlsx");
    const bool withCorpus = !corpus.isEmpty() && QFile::copy(corpus + QStringLiteral("/magicodes-ie/数据注解测试模板.xlsx"), noFormula);
    const QByteArray noFormulaBefore = bytesOf(noFormula);

    JobSettings::valueRange = QStringLiteral("A1:H20");
    job.run(&MergeObject::FormulaToValue);
    QCOMPARE(job.outcome().failed, 0);

    const QString xml = WorkbookFiles::part(book, QStringLiteral("xl/worksheets/sheet1.xml"));
    QCOMPARE(storedNumber(xml, "A1").toDouble(), 12345.6789);
    QCOMPARE(storedNumber(xml, "A2").toDouble(), 12345.9289);
    QCOMPARE(storedNumber(xml, "A3").toDouble(), 12345.6789 / 7);
    const QJsonObject cells = cellsOf(book, "Data");
    QCOMPARE(cells.value("A4").toObject().value("value").toString(), QStringLiteral("0123"));
    QCOMPARE(cells.value("C1").toObject().value("value").toString(), QStringLiteral("1/2"));
    // An error result stays that error (LibreOffice keeps an error constant
    // as a formula of the error alone); the empty cell between two formulas
    // stays empty.
    QCOMPARE(cells.value("A5").toObject().value("formula").toString(), QStringLiteral("=#DIV/0!"));
    QCOMPARE(cells.value("A5").toObject().value("value").toString(), QStringLiteral("#DIV/0!"));
    QVERIFY(!cells.contains("B2"));
    QCOMPARE(cells.value("B3").toObject().value("value").toDouble(), 12345.6789 * 2);
    for (const char *cell : {"A2", "A3", "B1", "B3"})
        QVERIFY2(cells.value(cell).toObject().value("type").toString() != QLatin1String("f"), cell);
    if (withCorpus)
        QVERIFY(bytesOf(noFormula) == noFormulaBefore);
}

// LibreOffice ignores writes into a protected sheet without a word.
void FormulaToValueRealTest::protectedSheetIsSkipped()
{
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not here");
    RealJob job;
    const QString book = job.path("sheets.xlsx");
    QVERIFY(QFile::copy(corpus + "/exceldatareader/Test_LotsOfSheets.xlsx", book));
    // The second sheet, protected, as LibreOffice writes it back too.
    const auto formulasOfSecondSheet = [&]() {
        return WorkbookFiles::part(book, QStringLiteral("xl/worksheets/sheet2.xml")).count(QRegularExpression("<f[ >]"));
    };
    QCOMPARE(formulasOfSecondSheet(), 200);
    JobSettings::valueRange = QStringLiteral("A:Z");
    const QStringList texts = job.run(&MergeObject::FormulaToValue);

    const QVector<WorkbookResult> &results = job.outcome().workbooks;
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().skippedSheets.filter(QStringLiteral("protected")).size(), 12);
    QVERIFY(!job.outcome().complete());
    QVERIFY(texts.join('\n').contains(QStringLiteral("protected")));
    QCOMPARE(formulasOfSecondSheet(), 200);
}

// An empty sheet, or one whose range holds no formula, has nothing to turn
// into values: it is done, not skipped as if it were protected.
void FormulaToValueRealTest::sheetsWithoutFormulasAreDone()
{
    RealJob job;
    const QString book = job.path("sheets.xlsx");
    const QJsonArray sheets{QJsonObject{{"name", "Empty"}},
                            QJsonObject{{"name", "Constants"}, {"cells", QJsonObject{{"C3", 7}, {"D4", "text"}}}},
                            QJsonObject{{"name", "Formulas"}, {"cells", QJsonObject{{"A1", 2}, {"B1", "=A1*3"}}}}};
    QVERIFY(WorkbookFiles::create(book, QJsonObject{{"sheets", sheets}}));
    // Then nothing is left to convert: the workbook is left as it is.
    for (const char *range : {"A:Z", "1:1", "A1", "B1"}) {
        JobSettings::valueRange = QString::fromLatin1(range);
        job.run(&MergeObject::FormulaToValue);
        QCOMPARE(job.outcome().workbooks.size(), 1);
        const WorkbookResult &result = job.outcome().workbooks.first();
        QVERIFY2(result.kind == (qstrcmp(range, "A:Z") == 0 ? WorkbookResult::Edited : WorkbookResult::Untouched), range);
        QVERIFY2(result.skippedSheets.isEmpty(), qPrintable(result.skippedSheets.join('\n')));
    }
    const QJsonObject converted = cellsOf(book, "Formulas").value("B1").toObject();
    QVERIFY(converted.value("type").toString() != QLatin1String("f"));
    QCOMPARE(converted.value("value").toDouble(), 6.0);
}

// LibreOffice computes namesdemo's A7 into #VALUE! (the file holds 9876),
// and loads the logical results of an .xls as numbers.
void FormulaToValueRealTest::xlsResultsAreThoseTheFileStores()
{
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not here");
    RealJob job;
    const QString names = job.path("namesdemo.xls");
    const QString example = job.path("example1.xls");
    QVERIFY(QFile::copy(corpus + "/xlrd/namesdemo.xls", names));
    QVERIFY(QFile::copy(corpus + "/phpspreadsheet/example1.xls", example));
    JobSettings::valueRange = QStringLiteral("A1:F12");
    job.run(&MergeObject::FormulaToValue);
    QCOMPARE(job.outcome().failed, 0);

    QCOMPARE(cellsOf(names, "Sheet3").value("A7").toObject().value("value").toDouble(), 9876.0);
    const QJsonObject logical = cellsOf(example, "Data Sheet #1");
    QCOMPARE(logical.value("B4").toObject().value("type").toString(), QStringLiteral("b"));
    QCOMPARE(logical.value("B4").toObject().value("value"), QJsonValue(true));
    QCOMPARE(logical.value("C4").toObject().value("value"), QJsonValue(false));
}

QTEST_GUILESS_MAIN(FormulaToValueRealTest)
#include "FormulaToValueRealTest.moc"
