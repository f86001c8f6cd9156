// SPDX-License-Identifier: GPL-3.0-or-later
// What LibreOffice would drop on saving, kept by an edit of real workbooks:
// stored row heights (fitted or rounded by LibreOffice's import), workbook
// protection, very hidden sheets; links to other workbooks, which cannot be
// kept, leave the file unsaved; what cannot be put back is left out and said.

#include "fileformats/ZipArchive.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/edits/RealJob.h"
#include "tests/support/WorkbookFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

namespace {

bool copyCorpusFile(const QString &relative, const QString &target)
{
    const QString corpus = WorkbookFiles::corpusFolder();
    return !corpus.isEmpty() && QFile::copy(corpus + QLatin1Char('/') + relative, target);
}

QString rowElement(const QString &sheetXml, int row)
{
    const QRegularExpression element(QStringLiteral("<row [^>]*\\br=\"%1\"[^>]*>").arg(row));
    return element.match(sheetXml).captured(0);
}

QString sheetElement(const QString &workbookXml, const QString &name)
{
    const QRegularExpression element(QStringLiteral("<sheet [^>]*name=\"%1\"[^>]*>").arg(name));
    return element.match(workbookXml).captured(0);
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

} // namespace

class KeptFeaturesRealTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerLibreOfficeServer(); }
    void storedRowHeightsAndProtectionSurviveAnEdit();
    void rowHeightsOffThePixelGridStayExactAndMoveWithTheirRows();
    void veryHiddenSheetsStayVeryHidden();
    void workbookThatWouldLoseExternalLinksIsNotSaved();
    void putBackThatFailsItsCheckIsLeftOutAndReported();
};

void KeptFeaturesRealTest::storedRowHeightsAndProtectionSurviveAnEdit()
{
    RealJob job;
    const QString kyc = job.path("kyc.xlsx");
    const QString form = job.path("form.xlsm");
    if (!copyCorpusFile("apache-poi/CVLKRA-KYC_Download_File_Structure_V3.1.xlsx", kyc)
        || !copyCorpusFile("phpspreadsheet/form_pass_print.xlsm", form))
        QSKIP("the shared corpus is not here");
    const QString protection = WorkbookFiles::part(kyc, "xl/workbook.xml")
                                   .section(QStringLiteral("<workbookProtection "), 1)
                                   .section(QLatin1Char('>'), 0, 0);
    QVERIFY(protection.contains("workbookHashValue"));

    JobSettings::addRowNumber = 100;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);

    // Heights fitted by the application that wrote the file, kept as stored.
    const QString sheet = WorkbookFiles::part(kyc, "xl/worksheets/sheet1.xml");
    QVERIFY2(rowElement(sheet, 1).contains("ht=\"45.75\""), qPrintable(rowElement(sheet, 1)));
    QVERIFY2(rowElement(sheet, 4).contains("ht=\"30\""), qPrintable(rowElement(sheet, 4)));
    // The password hash comes back exactly as the file had it.
    QVERIFY(WorkbookFiles::part(kyc, "xl/workbook.xml").contains("<workbookProtection " + protection + ">"));
    const QString formWorkbook = WorkbookFiles::part(form, "xl/workbook.xml");
    QVERIFY2(formWorkbook.contains(QRegularExpression("<workbookProtection [^>]*lockStructure=\"1\"")),
             qPrintable(formWorkbook));
    QVERIFY(WorkbookFiles::part(form, "[Content_Types].xml").contains("macroEnabled"));
}

void KeptFeaturesRealTest::rowHeightsOffThePixelGridStayExactAndMoveWithTheirRows()
{
    RealJob job;
    const QString book = job.path("book.xlsx");
    // Heights as Excel stores them on screens of 120 dpi, and others: none a
    // multiple of 0.75 pt, which LibreOffice rounds down to. Row 3 takes the
    // sheet's default, set by hand.
    const QJsonObject sheet{{"name", "S"},
                            {"cells", QJsonObject{{"A1", 1}, {"A2", 2}, {"A3", 3}, {"A4", 4}}},
                            {"row_heights", QJsonObject{{"1", 16}, {"2", 15.6}, {"4", 134.4}}},
                            {"default_row_height", 16.95}};
    QVERIFY(WorkbookFiles::create(book, QJsonObject{{"sheets", QJsonArray{sheet}}}));
    const QByteArray before = digest(book);

    // Heights set again on loading do not make a workbook changed.
    JobSettings::appointedSheet = true;
    JobSettings::sheetName = QStringLiteral("NoSuchSheet");
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    JobSettings::appointedSheet = false;
    QCOMPARE(digest(book), before);

    JobSettings::addRowNumber = 2;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);
    const QJsonObject edited = WorkbookFiles::sheet(WorkbookFiles::read(book), "S");
    QCOMPARE(edited["cells"].toObject()["A5"].toObject()["value"].toDouble(), 4.0);
    const QJsonObject heights = edited["row_heights"].toObject();
    QCOMPARE(heights["1"].toDouble(), 16.0);
    QCOMPARE(heights["3"].toDouble(), 15.6);
    QCOMPARE(heights["4"].toDouble(), 16.95);
    QCOMPARE(heights["5"].toDouble(), 134.4);
}

void KeptFeaturesRealTest::veryHiddenSheetsStayVeryHidden()
{
    RealJob job;
    const QString book = job.path("sheets.xlsx");
    if (!copyCorpusFile("calamine/any_sheets.xlsx", book))
        QSKIP("the shared corpus is not here");
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);
    const QString workbook = WorkbookFiles::part(book, "xl/workbook.xml");
    QVERIFY2(sheetElement(workbook, "VeryHidden").contains("state=\"veryHidden\""), qPrintable(workbook));
    QVERIFY(sheetElement(workbook, "Hidden").contains("state=\"hidden\""));
    QVERIFY(sheetElement(workbook, "Visible").contains("state=\"visible\""));
}

void KeptFeaturesRealTest::workbookThatWouldLoseExternalLinksIsNotSaved()
{
    RealJob job;
    const QString linked = job.path("linked.xlsx");
    if (!copyCorpusFile("apache-poi/56502.xlsx", linked))
        QSKIP("the shared corpus is not here");
    const QByteArray before = digest(linked);
    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 1);
    QCOMPARE(digest(linked), before);
    QVERIFY(QDir(job.path(".")).entryList(QDir::Hidden | QDir::Files).filter("linked").size() == 1);
}

// A VBA project without a content type cannot be put back whole: the
// workbook is saved with the rest put back, and its report says what not.
void KeptFeaturesRealTest::putBackThatFailsItsCheckIsLeftOutAndReported()
{
    RealJob job;
    const QString book = job.path("macros.xlsx");
    const QJsonObject sheet{{"name", "S"}, {"cells", QJsonObject{{"A1", 1}, {"A2", 2}}}};
    QVERIFY(WorkbookFiles::create(book, QJsonObject{{"sheets", QJsonArray{sheet}}}));
    ZipArchive archive;
    QFile file(book);
    QVERIFY(file.open(QIODevice::ReadOnly) && archive.read(file.readAll()));
    file.close();
    const QString relationships = QStringLiteral("xl/_rels/workbook.xml.rels");
    archive.replace(relationships, archive.member(relationships).replace(
        "</Relationships>", "<Relationship Id=\"rIdMacros\" Type=\"http://schemas.microsoft.com/office/2006/"
                            "relationships/vbaProject\" Target=\"vbaProject.bin\"/></Relationships>"));
    archive.replace(QStringLiteral("xl/vbaProject.bin"), "not a project");
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(archive.bytes()) > 0);
    file.close();

    JobSettings::addRowNumber = 1;
    job.run(&MergeObject::AddRow);
    QCOMPARE(job.outcome().failed, 0);
    QCOMPARE(job.outcome().workbooks.size(), 1);
    const WorkbookResult result = job.outcome().workbooks.first();
    QCOMPARE(result.kind, WorkbookResult::Edited);
    QVERIFY2(result.detail.contains(QLatin1String("VBA project")), qPrintable(result.detail));
    const QJsonObject edited = WorkbookFiles::sheet(WorkbookFiles::read(book), "S");
    QCOMPARE(edited["cells"].toObject()["A3"].toObject()["value"].toDouble(), 2.0);
}

QTEST_GUILESS_MAIN(KeptFeaturesRealTest)
#include "KeptFeaturesRealTest.moc"
