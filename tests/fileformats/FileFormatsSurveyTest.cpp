// SPDX-License-Identifier: GPL-3.0-or-later
// What opening reads of an .xlsx/.xlsm before loading it, in one pass over
// each part: the same answers as the soundness check and the cell count
// give reading the parts on their own, on the corpus's workbooks and on
// damaged copies of one; the row heights a sheet part stores; and the
// sheets' outlines, which let the put-backs read an original sheet without
// its cells and still do what they do reading it whole.

#include "DamagedFiles.h"
#include "fileformats/AutomationFailure.h"
#include "fileformats/LoadSoundness.h"
#include "fileformats/SheetCellCounts.h"
#include "fileformats/StoredRowRuns.h"
#include "fileformats/WorkbookSurvey.h"
#include "fileformats/ZipArchive.h"
#include "fileformats/putback/Namespaces.h"
#include "fileformats/putback/OriginalParts.h"
#include "fileformats/putback/StoredPackage.h"
#include "fileformats/putback/WorkbookEdits.h"

#include <QDirIterator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// Empty when the survey answers as the checks alone do.
QString difference(const ZipArchive &archive)
{
    const QString problem = LoadSoundness::ooxmlProblem(archive);
    const WorkbookSurvey survey(archive);
    if (survey.problem() != problem)
        return QStringLiteral("problem \"%1\" instead of \"%2\"").arg(survey.problem(), problem);
    if (!problem.isEmpty())
        return QString(); // the counts are not to be used then
    const std::optional<QVector<SheetCellCount>> counts = SheetCellCounts::ofOoxml(archive);
    const std::optional<QVector<SheetCellCount>> surveyed = survey.cellCounts();
    if (bool(counts) != bool(surveyed) || (counts && counts->size() != surveyed->size()))
        return QStringLiteral("other sheets counted");
    for (int i = 0; counts && i < counts->size(); ++i) {
        const SheetCellCount &expected = counts->at(i);
        const SheetCellCount &found = surveyed->at(i);
        bool same = found.sheet == expected.sheet && found.cells == expected.cells
                    && found.uncounted.size() == expected.uncounted.size();
        for (int b = 0; same && b < expected.uncounted.size(); ++b) {
            const SheetCellCount::Block &x = expected.uncounted.at(b);
            const SheetCellCount::Block &y = found.uncounted.at(b);
            same = x.firstRow == y.firstRow && x.lastRow == y.lastRow && x.firstColumn == y.firstColumn
                   && x.lastColumn == y.lastColumn;
        }
        if (!same)
            return QStringLiteral("sheet \"%1\": %2 cells instead of %3").arg(expected.sheet).arg(found.cells).arg(expected.cells);
    }
    return QString();
}

} // namespace

class FileFormatsSurveyTest : public QObject
{
    Q_OBJECT

private slots:
    void surveyAnswersAsEachCheckAlone();
    void damagedPartsNamedInThePackagesOrder();
    void storedRowRunsOfASheet();
    void outlinedSheetsReadAsWhole();
};

void FileFormatsSurveyTest::surveyAnswersAsEachCheckAlone()
{
    int workbooks = 0;
    QDirIterator walk(DamagedFiles::corpusPath(QString()), {"*.xlsx", "*.xlsm"}, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        QFile file(walk.next());
        ZipArchive archive;
        if (!file.open(QIODevice::ReadOnly) || !archive.read(file.readAll()))
            continue;
        ++workbooks;
        const QString found = difference(archive);
        QVERIFY2(found.isEmpty(), qPrintable(file.fileName() + QStringLiteral(": ") + found));
    }
    QVERIFY(workbooks > 100);
}

// The count reads the shared strings before the sheets, but the first part
// refused in the package's order is named, as the soundness check alone
// names it.
void FileFormatsSurveyTest::damagedPartsNamedInThePackagesOrder()
{
    // Its sheet1.xml comes before sharedStrings.xml in the package.
    ZipArchive original;
    QVERIFY(original.read(DamagedFiles::corpusFile(QStringLiteral("apache-poi/56737.xlsx"))));
    const QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
    const QString strings = QStringLiteral("xl/sharedStrings.xml");
    QVERIFY(original.names().indexOf(sheet) < original.names().indexOf(strings));
    const QByteArray beyond = original.member(sheet).replace("<c r=\"C5\"", "<c r=\"XFE5\"");
    QVERIFY(beyond != original.member(sheet));
    const QByteArray broken = original.member(strings).replace("</sst>", "");

    const struct
    {
        QByteArray sheet;
        QByteArray strings;
        QString named;
    } cases[] = {
        {beyond, broken, sheet},
        {original.member(sheet), broken, strings},
        {beyond, original.member(strings), sheet},
    };
    for (const auto &damage : cases) {
        ZipArchive archive = original;
        archive.replace(sheet, damage.sheet);
        archive.replace(strings, damage.strings);
        const QString problem = WorkbookSurvey(archive).problem();
        QVERIFY2(problem.contains(damage.named), qPrintable(problem));
        QCOMPARE(difference(archive), QString());
    }
}

void FileFormatsSurveyTest::storedRowRunsOfASheet()
{
    // Rows 1 and 2 of 16 pt (the second without its number), 3 without a
    // height of its own, 4 of none that can be set, 5 of 134.4 pt; a row
    // of another namespace and one after the sheet's data are no rows.
    QXmlStreamReader xml(
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:o=\"urn:other\">"
        "<x:sheetFormatPr defaultRowHeight=\"16.95\" customHeight=\"1\"/><x:sheetData>"
        "<x:row r=\"1\" ht=\"16\" customHeight=\"1\"/><x:row ht=\"16\"/><x:row r=\"3\"/><x:row r=\"4\" ht=\"0\"/>"
        "<o:row r=\"5\" ht=\"20\"/><x:row r=\"5\" ht=\"134.4\"/></x:sheetData><x:row r=\"7\" ht=\"30\"/></x:worksheet>");
    StoredRowRuns rows;
    while (!xml.atEnd()) {
        xml.readNext();
        rows.take(xml);
    }
    QVERIFY(!xml.hasError());
    const QVector<StoredRowRuns::Run> runs = rows.runs();
    // In 1/100 mm: 16 pt is 564, 16.95 pt 598, 134.4 pt 4741.
    const QVector<QVector<int>> expected{{0, 1, 564}, {2, 3, 598}, {4, 4, 4741}, {5, 1048575, 598}};
    QCOMPARE(runs.size(), expected.size());
    for (int i = 0; i < runs.size(); ++i)
        QCOMPARE((QVector<int>{runs.at(i).first, runs.at(i).last, runs.at(i).height}), expected.at(i));
}

// Outside its cells an outlined sheet reads as the whole part does, its rows
// are the same, and the put-backs write the same package with or without
// the outlines, on the corpus's workbooks (each stored as it is, a row
// inserted above every sheet's first) and on a sheet of characters that
// take more than one byte, or two UTF-16 units.
void FileFormatsSurveyTest::outlinedSheetsReadAsWhole()
{
    QVector<QPair<QString, ZipArchive>> archives;
    QDirIterator walk(DamagedFiles::corpusPath(QString()), {"*.xlsx", "*.xlsm"}, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        QFile file(walk.next());
        ZipArchive archive;
        if (file.open(QIODevice::ReadOnly) && archive.read(file.readAll()))
            archives.append({file.fileName(), archive});
    }
    ZipArchive wide;
    QVERIFY(wide.read(DamagedFiles::corpusFile(QStringLiteral("apache-poi/56737.xlsx"))));
    const QString sheetPart = QStringLiteral("xl/worksheets/sheet1.xml");
    QByteArray sheet = wide.member(sheetPart);
    sheet.replace("<sheetData>", QStringLiteral("<sheetData><row r=\"1\" ht=\"30\" customHeight=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>"
                                               "表格 \U0001F600 é</t></is></c></row><!-- 注 \U0001F600 -->").toUtf8());
    sheet.replace("</worksheet>", QStringLiteral("<extLst><ext uri=\"x\"><t>尾 \U0001F600</t></ext></extLst></worksheet>").toUtf8());
    wide.replace(sheetPart, sheet);
    archives.append({QStringLiteral("wide"), wide});

    int outlined = 0;
    QSet<QString> outlinedIn;
    for (const auto &[path, archive] : qAsConst(archives)) {
        const WorkbookSurvey survey(archive);
        if (!survey.problem().isEmpty())
            continue;
        const StoredPackage whole(archive, archive);
        const StoredPackage outlines(archive, archive, survey.sheetOutlines());
        WorkbookEdits edits;
        for (const QString &name : whole.sheetNames()) {
            const XmlPart &full = whole.originalSheet(name);
            const XmlPart &outline = outlines.originalSheet(name);
            if (outline.text().size() == full.text().size())
                continue;
            ++outlined;
            outlinedIn.insert(path);
            edits.noteInserted(name, true, 0, 1);
            // sheetData's descendants, a run of the elements, are left out.
            const int cells = full.child(full.root(), Namespaces::spreadsheet, QStringLiteral("sheetData"));
            const int left = full.element(cells).last - cells;
            QCOMPARE(outline.elements().size(), full.elements().size() - left);
            for (int i = 0; i < outline.elements().size(); ++i) {
                const XmlPart::Element &a = outline.element(i);
                const XmlPart::Element &b = full.element(i > cells ? i + left : i);
                QVERIFY2(a.qualifiedName == b.qualifiedName && a.attributes.size() == b.attributes.size()
                             && outline.text().mid(a.start, a.tagEnd - a.start) == full.text().mid(b.start, b.tagEnd - b.start),
                         qPrintable(path + QStringLiteral(": ") + a.qualifiedName));
            }
            QVector<SheetOutline::Row> rows;
            for (const XmlPart::Row &row : full.rows())
                rows.append({row.number, row.sized, row.height, row.byHand});
            const QVector<SheetOutline::Row> read = outlines.originalRows(name);
            QVERIFY2(read.size() == rows.size() && std::equal(read.begin(), read.end(), rows.begin(), [](const auto &x, const auto &y) {
                         return x.number == y.number && x.sized == y.sized && x.height == y.height && x.byHand == y.byHand;
                     }), qPrintable(path));
            const QVector<SheetOutline::Cell> cellsRead = outlines.originalCells(name);
            QVERIFY2(cellsRead.size() == full.cells().size()
                         && std::equal(cellsRead.begin(), cellsRead.end(), full.cells().begin(), [](const auto &x, const auto &y) {
                                return x.row == y.row && x.column == y.column && x.style == y.style;
                            }), qPrintable(path));
        }
        const auto putBack = [&](const QHash<QString, SheetOutline> &given) {
            try {
                const OriginalParts::Outcome outcome = OriginalParts::restore(archive, archive, edits, path, given);
                return outcome.archive.bytes() + outcome.leftOut.join(QLatin1Char('\n')).toUtf8();
            } catch (const AutomationFailure &failure) {
                return failure.description.toUtf8();
            }
        };
        QVERIFY2(putBack({}) == putBack(survey.sheetOutlines()), qPrintable(path));
    }
    QVERIFY(outlined > 100);
    QVERIFY(outlinedIn.contains(QStringLiteral("wide")));
}

QTEST_GUILESS_MAIN(FileFormatsSurveyTest)
#include "FileFormatsSurveyTest.moc"
