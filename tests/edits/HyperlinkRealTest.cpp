// SPDX-License-Identifier: GPL-3.0-or-later
// The index sheet and the cell link on real files, edited by LibreOffice and
// read back by openpyxl.

#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/edits/RealJob.h"
#include "tests/support/WorkbookFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QTest>

namespace {

QJsonObject link(const QJsonObject &sheet, const QString &ref)
{
    return sheet.value("links").toObject().value(ref).toObject();
}

QJsonValue value(const QJsonObject &sheet, const QString &ref)
{
    return sheet.value("cells").toObject().value(ref).toObject().value("value");
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QJsonObject namedSheets(const QStringList &names)
{
    QJsonArray sheets;
    for (const QString &name : names)
        sheets.append(QJsonObject{{"name", name}, {"cells", QJsonObject{{"A1", name + " data"}, {"B2", 42}}}});
    return QJsonObject{{"sheets", sheets}};
}

} // namespace

class HyperlinkRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerLibreOfficeServer(); }

    void indexSheetListsAndLinksEverySheet();
    void indexSheetOnAProtectedWorkbookChangesNothing();
    void indexSheetOnCorpusWorkbooks();
    void cellLinkToTheWebAndIntoTheWorkbook();
    void cellLinkTwiceLeavesOneLinkAndKeepsValues();
    void malformedCellIsRefusedUpFront();
};

void HyperlinkRealTest::indexSheetListsAndLinksEverySheet()
{
    RealJob job;
    const QStringList names = {"Data", "My Sheet", QStringLiteral("汇总"), "a-b"};
    QVERIFY(WorkbookFiles::create(job.path("i.xlsx"), namedSheets(names)));
    JobSettings::onlyFirstSheet = true; // plays no part in this edit
    const QStringList texts = job.run(&MergeObject::InsertHyperLinks);
    QVERIFY(texts.last().startsWith(QStringLiteral("成功1个文件,")));

    const QJsonObject book = WorkbookFiles::read(job.path("i.xlsx"));
    const QJsonArray sheets = book.value("sheets").toArray();
    QCOMPARE(sheets.size(), 5);
    const QJsonObject index = sheets.at(0).toObject();
    const QString indexName = index.value("name").toString();
    QCOMPARE(indexName, QStringLiteral("Sheet5"));
    const QStringList locations = {"Sheet5!A1", "Data!A1", "'My Sheet'!A1", QStringLiteral("'汇总'!A1"), "'a-b'!A1"};
    for (int i = 0; i < 5; ++i) {
        const QString ref = QStringLiteral("A%1").arg(i + 1);
        QCOMPARE(value(index, ref).toString(), sheets.at(i).toObject().value("name").toString());
        QCOMPARE(link(index, ref).value("location").toString(), locations.at(i));
    }
    // The sheets listed are untouched.
    QCOMPARE(value(WorkbookFiles::sheet(book, QStringLiteral("汇总")), "B2").toInt(), 42);

    // A second run lists the first index sheet too.
    job.run(&MergeObject::InsertHyperLinks);
    const QJsonObject again = WorkbookFiles::read(job.path("i.xlsx"));
    QCOMPARE(again.value("sheets").toArray().size(), 6);
    QCOMPARE(value(WorkbookFiles::sheetAt(again, 0), "A2").toString(), indexName);
}

void HyperlinkRealTest::indexSheetOnAProtectedWorkbookChangesNothing()
{
    RealJob job;
    QJsonObject locked = namedSheets({"Data"});
    locked.insert("protect_structure", true);
    QVERIFY(WorkbookFiles::create(job.path("locked.xlsx"), locked));
    QVERIFY(WorkbookFiles::create(job.path("open.xlsx"), namedSheets({"Data"})));
    const QByteArray before = digest(job.path("locked.xlsx"));
    const QStringList texts = job.run(&MergeObject::InsertHyperLinks);
    QVERIFY(texts.join('\n').contains(QStringLiteral("protected")));
    // Not even rewritten: LibreOffice would drop the lock on saving.
    QCOMPARE(digest(job.path("locked.xlsx")), before);
    const QJsonObject kept = WorkbookFiles::read(job.path("locked.xlsx"));
    QCOMPARE(kept.value("sheets").toArray().size(), 1);
    QCOMPARE(value(WorkbookFiles::sheetAt(kept, 0), "A1").toString(), QStringLiteral("Data data"));
    QCOMPARE(WorkbookFiles::read(job.path("open.xlsx")).value("sheets").toArray().size(), 2);
}

void HyperlinkRealTest::indexSheetOnCorpusWorkbooks()
{
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not beside the checkout");
    RealJob job;
    // Links already in place, and a chart sheet among the sheets.
    QVERIFY(QFile::copy(corpus + "/calamine/hyperlinks.xlsx", job.path("hyperlinks.xlsx")));
    QVERIFY(QFile::copy(corpus + "/apache-poi/chart_sheet.xlsx", job.path("charts.xlsx")));
    const QJsonObject before = WorkbookFiles::read(job.path("hyperlinks.xlsx"));
    job.run(&MergeObject::InsertHyperLinks);
    QCOMPARE(job.outcome().failed, 0);

    const QJsonObject after = WorkbookFiles::read(job.path("hyperlinks.xlsx"));
    const int sheetCount = before.value("sheets").toArray().size();
    QCOMPARE(after.value("sheets").toArray().size(), sheetCount + 1);
    for (int i = 0; i < sheetCount; ++i) {
        const QJsonObject old = WorkbookFiles::sheetAt(before, i);
        const QJsonObject kept = WorkbookFiles::sheetAt(after, i + 1);
        QCOMPARE(kept.value("name"), old.value("name"));
        QCOMPARE(kept.value("links").toObject().keys(), old.value("links").toObject().keys());
        QCOMPARE(value(WorkbookFiles::sheetAt(after, 0), QStringLiteral("A%1").arg(i + 2)), old.value("name"));
    }
    const QJsonObject charts = WorkbookFiles::read(job.path("charts.xlsx"));
    // Sheet1, Sheet2, the chart sheet Chart1, Sheet3: the chart sheet is listed too.
    const QJsonObject chartIndex = WorkbookFiles::sheetAt(charts, 0);
    QCOMPARE(value(chartIndex, "A4").toString(), QStringLiteral("Chart1"));
    QCOMPARE(link(chartIndex, "A4").value("location").toString(), QStringLiteral("Chart1!A1"));
    QCOMPARE(link(chartIndex, "A5").value("location").toString(), QStringLiteral("Sheet3!A1"));
}

void HyperlinkRealTest::cellLinkToTheWebAndIntoTheWorkbook()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("c.xlsx"), namedSheets({"Data", "My Sheet"})));
    JobSettings::linkCell = QStringLiteral("B2");
    JobSettings::linkAddress = QStringLiteral("https://www.example.com/report?id=7");
    JobSettings::linkSubAddress = QString();
    JobSettings::linkText = QStringLiteral("报告");
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("Data");
    job.run(&MergeObject::InsertHyperlinksCell);

    JobSettings::linkCell = QStringLiteral("A1");
    JobSettings::linkAddress = QString();
    JobSettings::linkSubAddress = QStringLiteral("'My Sheet'!B2");
    JobSettings::linkText = QString();
    job.run(&MergeObject::InsertHyperlinksCell);

    const QJsonObject book = WorkbookFiles::read(job.path("c.xlsx"));
    const QJsonObject data = WorkbookFiles::sheet(book, "Data");
    QCOMPARE(value(data, "B2").toString(), QStringLiteral("报告"));
    QCOMPARE(link(data, "B2").value("target").toString(), QStringLiteral("https://www.example.com/report?id=7"));
    QCOMPARE(value(data, "A1").toString(), QStringLiteral("Data data"));
    QCOMPARE(link(data, "A1").value("location").toString(), QStringLiteral("'My Sheet'!B2"));
    QVERIFY(WorkbookFiles::sheet(book, "My Sheet").value("links").toObject().isEmpty());
}

void HyperlinkRealTest::cellLinkTwiceLeavesOneLinkAndKeepsValues()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("t.xlsx"), namedSheets({"S1", "S2"})));
    JobSettings::linkCell = QStringLiteral("A1:B2");
    JobSettings::linkAddress = QStringLiteral("https://example.org/first");
    JobSettings::linkSubAddress = QString();
    JobSettings::linkText = QString();
    job.run(&MergeObject::InsertHyperlinksCell);
    JobSettings::linkAddress = QStringLiteral("https://example.org/second");
    job.run(&MergeObject::InsertHyperlinksCell);
    const QJsonObject book = WorkbookFiles::read(job.path("t.xlsx"));
    for (const QString &name : {QStringLiteral("S1"), QStringLiteral("S2")}) {
        const QJsonObject sheet = WorkbookFiles::sheet(book, name);
        QCOMPARE(value(sheet, "A1").toString(), name + " data");
        QCOMPARE(value(sheet, "B2").toInt(), 42);
        QCOMPARE(link(sheet, "A1").value("target").toString(), QStringLiteral("https://example.org/second"));
        QCOMPARE(link(sheet, "B2").value("target").toString(), QStringLiteral("https://example.org/second"));
    }
}

void HyperlinkRealTest::malformedCellIsRefusedUpFront()
{
    RealJob job;
    QVERIFY(WorkbookFiles::create(job.path("m.xlsx"), namedSheets({"S1"})));
    JobSettings::linkCell = QStringLiteral("A1、B2");
    JobSettings::linkAddress = QStringLiteral("https://example.org/");
    JobSettings::linkSubAddress = QString();
    JobSettings::linkText = QStringLiteral("x");
    const QStringList texts = job.run(&MergeObject::InsertHyperlinksCell);
    // Refused before the application starts.
    QCOMPARE(texts, QStringList{QStringLiteral("Fill in the cell for the link, such as A1 or B2:D2")});
    const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(job.path("m.xlsx")), 0);
    QCOMPARE(value(sheet, "A1").toString(), QStringLiteral("S1 data"));
    QVERIFY(sheet.value("links").toObject().isEmpty());
}

QTEST_GUILESS_MAIN(HyperlinkRealTest)
#include "HyperlinkRealTest.moc"
