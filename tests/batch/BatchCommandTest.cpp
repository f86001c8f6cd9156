// SPDX-License-Identifier: GPL-3.0-or-later
// gridwrighter-batch run as a user runs it, on real workbooks.

#include "launch/JobSettings.h"
#include "tests/batch/BatchRun.h"
#include "tests/support/WorkbookFiles.h"
#include "engine/report/UnopenedList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject cell(const QJsonObject &sheet, const QString &ref)
{
    return sheet.value("cells").toObject().value(ref).toObject();
}

} // namespace

class BatchCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyEditFromTheCommandLine();
    void unopenableWorkbookGivesStatusOneAndTheList();
    void badArgumentsTouchNothing_data();
    void badArgumentsTouchNothing();
    void versionIsAnswered();
    void noSpreadsheetApplication();
    void linkedFoldersAreNotWalked();
    void workbooksNotFullyEditedAreNamedWithStatusOne();
    void unwritableListNamesItsWorkbooks();
    void quietJobWritesItsReport();
    void progressOnATerminalIsOneUpdatingLine();
    void sideBySideJobGivesWhatOneAtATimeGives();
    void refusalsNameWhatHappened();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_book;
};

void BatchCommandTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QDir(m_folder->path()).mkpath("sub");
    m_book = m_folder->filePath("sub/book.xlsx");
    const QJsonObject cells{{"A1", "name"}, {"A2", 1}, {"A3", 2}, {"B2", "=A2*2"}, {"B3", "=A3*2"}};
    QVERIFY(WorkbookFiles::create(m_book, QJsonObject{{"sheets", QJsonArray{
                                                          QJsonObject{{"name", "Data"}, {"cells", cells}},
                                                          QJsonObject{{"name", "Notes"}, {"cells", QJsonObject{{"A1", "n"}}}}}}}));
}

void BatchCommandTest::everyEditFromTheCommandLine()
{
    const QString folder = m_folder->path();
    const QString native = QDir::toNativeSeparators(m_book);
    auto read = [&](const QString &name) { return WorkbookFiles::sheet(WorkbookFiles::read(m_book), name); };
    auto runOk = [&](const QStringList &arguments) {
        const BatchRun result = runBatch(QStringList{folder} + arguments);
        const QStringList lines = result.lines();
        const bool ok = result.status == 0 && lines.value(0) == QLatin1String("excel OK!")
            && lines.value(2) == "1  " + native && lines.value(lines.size() - 2).startsWith(QStringLiteral("Done with 1 workbooks, "))
            && lines.last() == QLatin1String("1 workbook: 1 edited, 0 skipped, 0 untouched, 0 not opened, 0 not saved; 0 sheets skipped");
        if (!ok)
            qWarning() << arguments << result.status << lines << result.errors;
        return ok;
    };

    QVERIFY(runOk({"add-row", "2", "--sheet", "Data"}));
    QCOMPARE(cell(read("Data"), "A3").value("value").toInt(), 1);
    QCOMPARE(cell(read("Notes"), "A1").value("value").toString(), QStringLiteral("n"));

    QVERIFY(runOk({"delete-row", "2", "--first-sheet-only"}));
    QCOMPARE(cell(read("Data"), "A2").value("value").toInt(), 1);

    QVERIFY(runOk({"add-column", "1", "--sheet", "Data"}));
    QCOMPARE(cell(read("Data"), "B2").value("value").toInt(), 1);
    QCOMPARE(cell(read("Data"), "C2").value("formula").toString(), QStringLiteral("=B2*2"));

    QVERIFY(runOk({"delete-column", "1", "--sheet", "Data"}));
    QCOMPARE(cell(read("Data"), "A2").value("value").toInt(), 1);

    QVERIFY(runOk({"fill-formula", "=A2+100", "--start", "2,3", "--auto-end-row", "--sheet", "Data"}));
    QCOMPARE(cell(read("Data"), "C3").value("formula").toString(), QStringLiteral("=A3+100"));
    QCOMPARE(cell(read("Data"), "C3").value("value").toInt(), 102);

    QVERIFY(runOk({"formula-to-value", QStringLiteral("B：C"), "--sheet", "Data"}));
    QCOMPARE(cell(read("Data"), "B2").value("formula").toInt(), 2);
    QCOMPARE(cell(read("Data"), "C3").value("formula").toInt(), 102);

    QVERIFY(runOk({"cell-link", "A1", "--sub-address", "Notes!A1", "--text", "go", "--sheet", "Data"}));
    QCOMPARE(cell(read("Data"), "A1").value("value").toString(), QStringLiteral("go"));
    QCOMPARE(read("Data").value("links").toObject().value("A1").toObject().value("location").toString(),
             QStringLiteral("Notes!A1"));

    QVERIFY(runOk({"index-sheet"}));
    const QJsonObject index = WorkbookFiles::sheetAt(WorkbookFiles::read(m_book), 0);
    QCOMPARE(cell(index, "A2").value("value").toString(), QStringLiteral("Data"));
    QCOMPARE(index.value("links").toObject().value("A3").toObject().value("location").toString(),
             QStringLiteral("Notes!A1"));
    QVERIFY(!QFile::exists(m_folder->filePath(unopenedListFileName())));
}

void BatchCommandTest::unopenableWorkbookGivesStatusOneAndTheList()
{
    QFile broken(m_folder->filePath("broken.xlsx"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("this is not a workbook");
    broken.close();
    const BatchRun result = runBatch({m_folder->path(), "add-row", "1"});
    QCOMPARE(result.status, 1);
    const QString list = m_folder->filePath(unopenedListFileName());
    QVERIFY(result.lines().contains("List of workbooks not opened or not saved: " + QDir::toNativeSeparators(list)));
    QFile written(list);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(written.readAll()), QDir::toNativeSeparators(broken.fileName()) + '\n');
    QCOMPARE(cell(WorkbookFiles::sheet(WorkbookFiles::read(m_book), "Data"), "A2").value("value").toString(),
             QStringLiteral("name"));
}

void BatchCommandTest::badArgumentsTouchNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("row past the sheet") << QStringList{"add-row", "1048577"} << "row";
    QTest::newRow("unknown edit") << QStringList{"insert-row", "2"} << "insert-row";
    QTest::newRow("fill without end") << QStringList{"fill-formula", "=1", "--start", "1,1"} << "--end";
    QTest::newRow("missing folder") << QStringList{"--", "add-row", "1"} << "missing";
    QTest::newRow("empty formula") << QStringList{"fill-formula", "", "--start", "1,1", "--end", "9,1"} << "formula";
    QTest::newRow("blank formula") << QStringList{"fill-formula", "  ", "--start", "1,1", "--end", "9,1"} << "formula";
    QTest::newRow("formula without =") << QStringList{"fill-formula", "A2*2", "--start", "2,1", "--end", "9,1"}
                                       << "--text \"A2*2\"";
    QTest::newRow("formula and --text") << QStringList{"fill-formula", "=1", "--text", "1", "--start", "1,1", "--end", "9,1"}
                                        << "not both";
    QTest::newRow("end before start") << QStringList{"fill-formula", "=1", "--start", "5,2", "--end", "3,2"}
                                      << "--end 3,2";
    QTest::newRow("empty sheet name") << QStringList{"add-row", "1", "--sheet", ""} << "--sheet";
    for (const char *range : {"B2:", "garbage", "A0", "XFE1", "1:B", "C3:"})
        QTest::newRow(range) << QStringList{"formula-to-value", range} << QString::fromLatin1(range);
    QTest::newRow("cell beyond the grid") << QStringList{"cell-link", "A1048577", "--address", "https://example.org"}
                                          << "A1048577";
}

void BatchCommandTest::badArgumentsTouchNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    const QByteArray before = fileDigest(m_book);
    const QString folder = arguments.first() == QLatin1String("--") ? m_folder->filePath("missing") : m_folder->path();
    if (arguments.first() == QLatin1String("--"))
        arguments.removeFirst();
    const BatchRun result = runBatch(QStringList{folder} + arguments);
    QCOMPARE(result.status, 2);
    QVERIFY(result.lines().isEmpty());
    // What is wrong, and where to read more: not the whole usage.
    const QStringList errors = result.errors.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(errors.size(), 2);
    QVERIFY2(errors.at(0).startsWith("gridwrighter-batch: ") && errors.at(0).contains(named), qPrintable(errors.at(0)));
    QVERIFY(errors.at(1).contains("gridwrighter-batch --help"));
    QCOMPARE(fileDigest(m_book), before);
}

void BatchCommandTest::versionIsAnswered()
{
    for (const QString &option : {"--version", "-V"}) {
        const BatchRun result = runBatch({option});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.lines(), QStringList{"gridwrighter-batch " GRIDWRIGHTER_VERSION});
    }
}

void BatchCommandTest::noSpreadsheetApplication()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("GRIDWRIGHTER_SOFFICE", m_folder->filePath("no-such-office"));
    const QByteArray before = fileDigest(m_book);
    const BatchRun result = runBatch({m_folder->path(), "add-row", "1"}, environment);
    QCOMPARE(result.status, 3);
    QCOMPARE(result.lines().last(),
             QStringLiteral("This needs a spreadsheet application: Microsoft Office, WPS Professional or LibreOffice!"));
    // Standard error says what failed and why.
    QVERIFY2(result.errors.contains("LibreOffice could not be started: cannot start " + m_folder->filePath("no-such-office")),
             qPrintable(result.errors));
    QCOMPARE(fileDigest(m_book), before);
}

void BatchCommandTest::linkedFoldersAreNotWalked()
{
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("outside.xlsx");
    QVERIFY(QFile::copy(m_book, outside));
    const QByteArray outsideBefore = fileDigest(outside);
    // A link back up would have the folder walked again and again; one out
    // would reach workbooks the user did not choose.
    QVERIFY(QFile::link(m_folder->path(), m_folder->filePath("sub/up")));
    QVERIFY(QFile::link(elsewhere.path(), m_folder->filePath("out")));
    const BatchRun result = runBatch({m_folder->path(), "add-row", "1", "--sheet", "Data"});
    QCOMPARE(result.status, 0);
    QVERIFY(result.lines().last().startsWith(QStringLiteral("1 workbook: 1 edited,")));
    const QJsonObject data = WorkbookFiles::sheet(WorkbookFiles::read(m_book), "Data");
    QCOMPARE(cell(data, "A2").value("value").toString(), QStringLiteral("name"));
    QCOMPARE(fileDigest(outside), outsideBefore);
}

void BatchCommandTest::workbooksNotFullyEditedAreNamedWithStatusOne()
{
    QFile csv(m_folder->filePath("table.csv"));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("a,b\n1,2\n");
    csv.close();
    const QByteArray bookBefore = fileDigest(m_book);
    const QByteArray csvBefore = fileDigest(csv.fileName());

    const BatchRun none = runBatch({m_folder->path(), "add-row", "1", "--sheet", "NoSuchSheet"});
    QCOMPARE(none.status, 1);
    QVERIFY2(none.errors.contains(QDir::toNativeSeparators(m_book) + ": untouched: "), qPrintable(none.errors));
    QCOMPARE(fileDigest(m_book), bookBefore);

    // A CSV holds one sheet of text: an index sheet would replace its data.
    const BatchRun index = runBatch({m_folder->path(), "index-sheet"});
    QCOMPARE(index.status, 1);
    QVERIFY2(index.errors.contains(QDir::toNativeSeparators(csv.fileName()) + ": untouched: "), qPrintable(index.errors));
    QVERIFY(!index.errors.contains(QDir::toNativeSeparators(m_book)));
    QCOMPARE(fileDigest(csv.fileName()), csvBefore);
    QVERIFY(WorkbookFiles::sheetAt(WorkbookFiles::read(m_book), 0).value("name").toString() != QLatin1String("Data"));
}

void BatchCommandTest::unwritableListNamesItsWorkbooks()
{
    QFile broken(m_folder->filePath("broken.xlsx"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a workbook");
    broken.close();
    // A folder in the list file's place: the list cannot be written.
    QVERIFY(QDir(m_folder->path()).mkdir(unopenedListFileName()));
    const BatchRun result = runBatch({m_folder->path(), "add-row", "1"});
    QCOMPARE(result.status, 1);
    QVERIFY(result.errors.contains(QStringLiteral("could not write the list file")));
    QVERIFY(result.errors.contains(QDir::toNativeSeparators(broken.fileName()) + ": not opened: "));
}

void BatchCommandTest::quietJobWritesItsReport()
{
    QFile broken(m_folder->filePath("broken.xlsx"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a workbook");
    broken.close();
    QTemporaryDir elsewhere;
    const QString reportPath = elsewhere.filePath("report.jsonl");
    const BatchRun result = runBatch({m_folder->path(), "add-row", "1", "--sheet", "Data", "--quiet", "--report", reportPath});
    QCOMPARE(result.status, 1);
    const QString list = QDir::toNativeSeparators(m_folder->filePath(unopenedListFileName()));
    // Only the closing lines: the window's count (then where the backup is),
    // the list, and the count as the report counts.
    QCOMPARE(result.lines().size(), 3);
    QVERIFY(result.lines().at(0).startsWith(QStringLiteral("Done with 2 workbooks, 1 of them could not be opened or saved (see the list file)")));
    QCOMPARE(result.lines().at(1), "List of workbooks not opened or not saved: " + list);
    QCOMPARE(result.lines().at(2), QStringLiteral("2 workbooks: 1 edited, 0 skipped, 0 untouched, 1 not opened, 0 not saved; 0 sheets skipped"));
    QVERIFY(result.errors.contains("gridwrighter-batch: " + QDir::toNativeSeparators(broken.fileName()) + ": not opened: "));

    // The same report on standard output, the folder given relative to the
    // current one: only the report there, every path absolute.
    QFile reportFile(reportPath);
    QVERIFY(reportFile.open(QIODevice::ReadOnly));
    const QByteArray written = reportFile.readAll();
    const BatchRun toOutput = runBatch({QDir(m_folder->path()).dirName(), "add-row", "1", "--sheet", "Data", "--dry-run",
                                        "--report", "-"},
                                       QProcessEnvironment::systemEnvironment(), QFileInfo(m_folder->path()).path());
    QCOMPARE(toOutput.status, 1);
    const QRegularExpression seconds("\"seconds\":[0-9.e-]+");
    QCOMPARE(QString(toOutput.output).remove(seconds), QString::fromUtf8(written).remove(seconds));
    QVERIFY(toOutput.errors.contains("2 workbooks: 1 edited, 0 skipped, 0 untouched, 1 not opened, 0 not saved; 0 sheets skipped (dry run"));

    QMap<QString, QJsonObject> byPath;
    for (const QByteArray &line : written.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), line.constData());
        byPath.insert(document.object().value("path").toString(), document.object());
    }
    QCOMPARE(byPath.size(), 2);
    const QJsonObject edited = byPath.value(QDir::toNativeSeparators(m_book));
    QCOMPARE(edited.value("outcome").toString(), QStringLiteral("edited"));
    QCOMPARE(edited.value("sheets_edited").toArray(), QJsonArray({"Data"}));
    QVERIFY(edited.value("seconds").toDouble(-1) > 0);
    const QJsonObject unopened = byPath.value(QDir::toNativeSeparators(broken.fileName()));
    QCOMPARE(unopened.value("outcome").toString(), QStringLiteral("not opened"));
    // The reason in words; which member of the application failed apart.
    QVERIFY(!unopened.value("reason").toString().isEmpty());
    QVERIFY2(!unopened.value("reason").toString().contains("QString"), qPrintable(unopened.value("reason").toString()));
    QVERIFY(unopened.value("detail").toString().contains("Open("));
    QCOMPARE(unopened.value("sheets_edited").toArray(), QJsonArray());
}

// On a terminal (here the pseudo-terminal of util-linux's script) the
// workbooks' progress texts become one line rewritten in place.
void BatchCommandTest::progressOnATerminalIsOneUpdatingLine()
{
    QVERIFY(QFile::copy(m_book, m_folder->filePath("second.xlsx")));
    QTemporaryDir elsewhere;
    const QString transcript = elsewhere.filePath("transcript");
    QStringList command{QStringLiteral(GRIDWRIGHTER_BATCH), m_folder->path(), "add-row", "1"};
    for (QString &word : command)
        word = "'" + word + "'";
    QProcess script;
    script.start("script", {"-qec", command.join(' '), transcript});
    QVERIFY(script.waitForFinished(300000));
    QCOMPARE(script.exitCode(), 0);
    QFile written(transcript);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString output = QString::fromLocal8Bit(written.readAll());
    QVERIFY2(output.contains(QStringLiteral("\r\x1b[K[1/2] ")), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("\r\x1b[K[2/2] ")), qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("1  ") + QDir::toNativeSeparators(m_folder->path())), qPrintable(output));
    // The closing text follows the finished progress line.
    QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\\[2/2\\] [0-9:]+ elapsed\r?\nDone with 2 workbooks, "))),
             qPrintable(output));
}

// Two applications at once edit, refuse and list the same workbooks as one,
// and report them in the walk's order.
void BatchCommandTest::sideBySideJobGivesWhatOneAtATimeGives()
{
    QFile broken(m_folder->filePath("broken.xlsx"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a workbook");
    broken.close();
    QVERIFY(WorkbookFiles::create(m_folder->filePath("sub/full.xlsx"),
                                  QJsonObject{{"sheets", QJsonArray{QJsonObject{
                                                             {"name", "Full"}, {"cells", QJsonObject{{"A1048576", "last"}}}}}}}));
    for (int i = 0; i < 3; ++i)
        QVERIFY(QFile::copy(m_book, m_folder->filePath(QStringLiteral("book%1.xlsx").arg(i))));
    QFile csv(m_folder->filePath("sub/table.csv"));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("a,b\n1,2\n");
    csv.close();
    QTemporaryDir copy;
    QDir(copy.path()).mkpath("sub");
    for (const QString &name : {"broken.xlsx", "sub/full.xlsx", "book0.xlsx", "book1.xlsx", "book2.xlsx",
                                "sub/book.xlsx", "sub/table.csv"})
        QVERIFY(QFile::copy(m_folder->filePath(name), copy.filePath(name)));

    struct Run
    {
        BatchRun result;
        QString list;
    };
    const auto run = [](const QString &folder, const QString &jobs) {
        Run done{runBatch({folder, "add-row", "1", "--jobs", jobs}), QString()};
        QFile list(QDir(folder).filePath(unopenedListFileName()));
        if (list.open(QIODevice::ReadOnly))
            done.list = QString::fromLocal8Bit(list.readAll()).replace(QDir::toNativeSeparators(folder), "FOLDER");
        done.result.errors.replace(QDir::toNativeSeparators(folder), "FOLDER");
        return done;
    };
    const Run one = run(m_folder->path(), "1");
    const Run two = run(copy.path(), "2");
    QCOMPARE(one.result.status, 1);
    QCOMPARE(two.result.status, one.result.status);
    QVERIFY2(one.result.errors.contains("FOLDER/sub/full.xlsx: sheet skipped: Full: "), qPrintable(one.result.errors));
    QCOMPARE(two.result.errors, one.result.errors);
    QCOMPARE(one.list, QStringLiteral("FOLDER/broken.xlsx\n"));
    QCOMPARE(two.list, one.list);
    const auto closing = [](const Run &run) {
        const int at = run.result.lines().indexOf(QRegularExpression(QStringLiteral("^Done with .*")));
        return run.result.lines().value(at).section(QStringLiteral("; the originals"), 0, 0);
    };
    QVERIFY2(closing(one).startsWith(QStringLiteral("Done with 7 workbooks, 1 of them could not be opened or saved (see the list file); 1 places left unchanged (")),
             qPrintable(closing(one)));
    QCOMPARE(closing(two), closing(one));
    for (const QString &name : {"book0.xlsx", "book2.xlsx", "sub/book.xlsx"}) {
        const QJsonObject data = WorkbookFiles::sheet(WorkbookFiles::read(copy.filePath(name)), "Data");
        QCOMPARE(cell(data, "A3").value("value").toInt(), 1);
    }
}

// Healthy-looking workbooks LibreOffice would not open for editing, or that
// would cost memory or load cut, are listed with what happened, unchanged.
void BatchCommandTest::refusalsNameWhatHappened()
{
    const QString script = QStringLiteral(R"(
import shutil, struct, sys, zipfile
book, folder = sys.argv[1], sys.argv[2]
def rewrite(target, change):
    with zipfile.ZipFile(book) as source, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as out:
        for item in source.infolist():
            out.writestr(item, change(item.filename, source.read(item.filename)))
        if "bomb" in target:
            out.writestr("xl/media/bomb.bin", b"\0" * 1000)
rewrite(folder + "/reserved.xlsx", lambda name, data: data.replace(b"<workbookPr", b'<fileSharing readOnlyRecommended="1" userName="boss"/><workbookPr', 1) if name == "xl/workbook.xml" else data)
rewrite(folder + "/bomb.xlsx", lambda name, data: data)
data = bytearray(open(folder + "/bomb.xlsx", "rb").read())
entry = data.rfind(b"PK\x01\x02", 0, data.rfind(b"xl/media/bomb.bin"))
struct.pack_into("<I", data, entry + 24, 1 << 30)  # declares 1 GB
open(folder + "/bomb.xlsx", "wb").write(data)
shutil.copy(book, folder + "/" + "x" * 245 + ".xlsx")
open(folder + "/wide.csv", "w").write(",".join(map(str, range(20000))) + "\n1,2\n")
)");
    const QString folder = m_folder->filePath("odd");
    QDir().mkpath(folder);
    QCOMPARE(QProcess::execute("/usr/bin/python3", {"-c", script, m_book, folder}), 0);
    QMap<QString, QByteArray> before;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        before.insert(name, fileDigest(QDir(folder).filePath(name)));
    const BatchRun job = runBatch({folder, "add-row", "1"});
    QCOMPARE(job.status, 1);
    const QList<QPair<QString, QString>> reasons = {
        {"reserved.xlsx", "is write-reserved"},
        {"bomb.xlsx", "would inflate to more than 256 MB (a zip bomb?)"},
        {"x", "the name is too long for LibreOffice's lock file"},
        {"wide.csv", "up to 20000 fields), which loading would cut off"}};
    for (const auto &[name, reason] : reasons) {
        const QString path = QDir(folder).filePath(name == "x" ? QString(245, 'x') + ".xlsx" : name);
        QVERIFY2(job.errors.contains(path + ": not opened: ") && job.errors.section(path + ": not opened: ", 1).section('\n', 0, 0).contains(reason),
                 qPrintable(job.errors));
        QCOMPARE(fileDigest(path), before.value(QFileInfo(path).fileName()));
    }
}

QTEST_GUILESS_MAIN(BatchCommandTest)
#include "BatchCommandTest.moc"
