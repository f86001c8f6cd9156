// SPDX-License-Identifier: GPL-3.0-or-later
// The batch command's arguments and the job settings they give.

#include "batch/BatchEdits.h"
#include "batch/BatchOptionHelp.h"
#include "batch/BatchRequest.h"
#include "launch/JobSettings.h"
#include "engine/report/UnopenedList.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class BatchArgumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void refused_data();
    void refused();
    void helpIsAnswered();
    void manualPageCompletionAndHelpNameTheSameOptions();
    void pathsAreAbsolute();
    void fillFormulaEnds();
    void settingsAreThoseTheWindowWouldWrite();

private:
    QTemporaryDir m_folder;
};

void BatchArgumentsTest::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    const QString dir = m_folder.path();
    QTest::newRow("nothing") << QStringList() << "FOLDER and EDIT are required";
    QTest::newRow("no edit") << QStringList{dir} << "FOLDER and EDIT are required";
    QTest::newRow("missing folder") << QStringList{dir + "/nope", "add-row", "1"} << "does not exist";
    QTest::newRow("unknown edit") << QStringList{dir, "add-rows", "1"} << "unknown edit";
    QTest::newRow("row 0") << QStringList{dir, "add-row", "0"} << "1 to 1048576";
    QTest::newRow("row past the sheet") << QStringList{dir, "delete-row", "1048577"} << "1 to 1048576";
    QTest::newRow("column past the sheet") << QStringList{dir, "add-column", "16385"} << "1 to 16384";
    QTest::newRow("not a number") << QStringList{dir, "delete-column", "C"} << "1 to 16384";
    QTest::newRow("no number") << QStringList{dir, "add-row"} << "needs one value";
    QTest::newRow("index takes none") << QStringList{dir, "index-sheet", "x"} << "takes no value";
    QTest::newRow("unknown option") << QStringList{dir, "index-sheet", "--all"} << "unknown option";
    QTest::newRow("fill without start") << QStringList{dir, "fill-formula", "=A1", "--end", "2,2"} << "--start";
    QTest::newRow("fill without end") << QStringList{dir, "fill-formula", "=A1", "--start", "2,2"} << "--end";
    QTest::newRow("fill start past the sheet") << QStringList{dir, "fill-formula", "=1", "--start", "1,16385", "--end", "2,2"} << "--start";
    QTest::newRow("both automatic ends") << QStringList{dir, "fill-formula", "=1", "--start", "1,1", "--auto-end-row", "--auto-end-column"} << "exclude";
    QTest::newRow("empty range") << QStringList{dir, "formula-to-value", " "} << "needs a range";
    QTest::newRow("link without target") << QStringList{dir, "cell-link", "A1"} << "--address or --sub-address";
    QTest::newRow("sheet without name") << QStringList{dir, "index-sheet", "--sheet"} << "--sheet needs";
    QTest::newRow("keep no backups") << QStringList{dir, "add-row", "1", "--keep-backups", "0"} << "--keep-backups needs";
    QTest::newRow("list without undo") << QStringList{dir, "add-row", "1", "--list"} << "--list goes with undo";
    QTest::newRow("undo with a value") << QStringList{dir, "undo", "2"} << "undo takes no value";
    QTest::newRow("dry-run undo") << QStringList{dir, "undo", "--dry-run"} << "--dry-run does not go with undo";
    QTest::newRow("report without file") << QStringList{dir, "index-sheet", "--report"} << "--report needs";
    QTest::newRow("report into a folder") << QStringList{dir, "index-sheet", "--report", dir} << "--report needs";
    QTest::newRow("no jobs") << QStringList{dir, "add-row", "1", "--jobs", "0"} << "--jobs needs";
    QTest::newRow("shard past the count") << QStringList{dir, "add-row", "1", "--shard", "3/2"} << "--shard needs";
    QTest::newRow("shard without count") << QStringList{dir, "add-row", "1", "--shard", "1"} << "--shard needs";
    // A listed file must be one the walk of the folder could find.
    QDir(dir).mkpath("in/.hidden");
    QTemporaryDir outside;
    for (const QString &book : {dir + "/in/a.xlsx", dir + "/in/.hidden/b.xlsx", outside.filePath("c.xlsx")}) {
        QFile file(book);
        file.open(QIODevice::WriteOnly);
    }
    QFile::link(dir + "/in", dir + "/linked");
    const QList<QPair<QString, QString>> lists = {{"missing", "does not exist"},
                                                  {outside.filePath("c.xlsx"), "is not below the folder"},
                                                  {dir + "/linked/a.xlsx", "linked folder"},
                                                  {dir + "/in/.hidden/b.xlsx", "hidden folder"}};
    for (const auto &listed : lists) {
        const QString list = dir + "/list-" + listed.second.section(' ', -1) + ".txt";
        QFile file(list);
        file.open(QIODevice::WriteOnly);
        file.write((dir + "/in/a.xlsx\n\n" + listed.first + "\n").toLocal8Bit());
        file.close();
        QTest::newRow(qPrintable("listed file " + listed.second))
            << QStringList{dir, "add-row", "1", "--files-from", list} << "line 3 of " + list;
    }
}

void BatchArgumentsTest::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const BatchParse parse = parseBatchArguments(arguments);
    QCOMPARE(parse.result, BatchParse::Invalid);
    QVERIFY2(parse.error.contains(error), qPrintable(parse.error));
}

void BatchArgumentsTest::helpIsAnswered()
{
    QCOMPARE(parseBatchArguments({"--help"}).result, BatchParse::Help);
    QCOMPARE(parseBatchArguments({m_folder.path(), "add-row", "2", "-h"}).result, BatchParse::Help);
    QCOMPARE(parseBatchArguments({"--version"}).result, BatchParse::Version);
    QCOMPARE(parseBatchArguments({"-V"}).result, BatchParse::Version);
    QVERIFY(batchVersion().startsWith("gridwrighter-batch " GRIDWRIGHTER_VERSION));
    for (const QString &edit : {"add-row", "add-column", "delete-row", "delete-column", "fill-formula",
                                "formula-to-value", "index-sheet", "cell-link", "--close-spreadsheet-apps",
                                "undo [--list]", "--dry-run", "--no-backup", "--keep-backups N", "4 no job to undo", "--quiet", "--report"})
        QVERIFY2(batchUsage().contains(edit), qPrintable(edit));
}

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QSet<QString> longOptions(const QString &text)
{
    QSet<QString> names;
    QRegularExpressionMatchIterator match =
        QRegularExpression(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*[a-z]")).globalMatch(text);
    while (match.hasNext())
        names.insert(match.next().captured());
    return names;
}

} // namespace

// The manual page and the completion are made at build time from the tables
// --help is made from: all three name the same options, short ones too, and
// every edit.
void BatchArgumentsTest::manualPageCompletionAndHelpNameTheSameOptions()
{
    const QString help = batchUsage();
    // Roff spells a dash \- and switches fonts with \fB, \fI and \fR.
    const QString manual = readText(QStringLiteral(BATCH_MANUAL))
                               .replace(QLatin1String("\\-"), QLatin1String("-"))
                               .remove(QRegularExpression(QStringLiteral("\\\\f[BIR]")));
    const QString completion = readText(QStringLiteral(BATCH_COMPLETION));
    QVERIFY(!manual.isEmpty() && !completion.isEmpty());
    const QString completed = QRegularExpression(QStringLiteral("local options=\"([^\"]*)\"")).match(completion).captured(1);

    QSet<QString> tabled;
    for (const BatchOptionHelp &option : batchOptionHelp())
        tabled.insert("--" + option.name);
    QCOMPARE(longOptions(help), tabled);
    QCOMPARE(longOptions(manual), tabled);
    QCOMPARE(longOptions(completed), tabled);
    for (const QString &shortOption : {"-h", "-V"}) {
        QVERIFY(help.contains(shortOption + QLatin1Char(',')));
        QVERIFY(manual.contains(shortOption + QLatin1Char(',')));
        QVERIFY(completed.split(' ').contains(shortOption));
    }
    QStringList edits{"undo"};
    for (const BatchEdit &edit : batchEdits())
        edits << QString::fromUtf8(edit.name);
    for (const QString &edit : edits) {
        const QRegularExpression word("(?<![\\w-])" + edit + "(?![\\w-])");
        QVERIFY2(help.contains(word) && manual.contains(word) && completion.contains(word), qPrintable(edit));
    }
    // Quoted for an interactive shell: no word of the examples is open to
    // history expansion.
    const QString examples = manual.section(QStringLiteral(".SH EXAMPLES"), 1).section(QStringLiteral(".SH "), 0, 0);
    QVERIFY(examples.contains(QStringLiteral("\\(aqNotes!A1\\(aq")));
    QVERIFY(!examples.contains(QRegularExpression(QStringLiteral("\\s[^\\s\\\\']*!"))));
}

void BatchArgumentsTest::pathsAreAbsolute()
{
    QDir(m_folder.path()).mkpath("rel");
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder.path()));
    const BatchParse parse = parseBatchArguments({"rel/../rel/", "index-sheet", "--report", "r.jsonl"});
    const BatchParse toOutput = parseBatchArguments({"rel", "index-sheet", "--report", "-"});
    QDir::setCurrent(before);
    QCOMPARE(parse.result, BatchParse::Run);
    QCOMPARE(parse.request.folder, m_folder.filePath("rel"));
    QCOMPARE(parse.request.reportPath, m_folder.filePath("r.jsonl"));
    QCOMPARE(toOutput.request.reportPath, QStringLiteral("-"));
}

void BatchArgumentsTest::fillFormulaEnds()
{
    BatchParse parse = parseBatchArguments({m_folder.path(), "fill-formula", "=A2*2", "--start", "2,3", "--auto-end-row"});
    QCOMPARE(parse.result, BatchParse::Run);
    // As the form couples them: the fill runs down the start column.
    QCOMPARE(parse.request.endColumn, 3);
    QVERIFY(parse.request.autoEndRow);
    parse = parseBatchArguments({m_folder.path(), "fill-formula", "=A2*2", "--start", "2,3", "--end", "9,4"});
    QCOMPARE(parse.result, BatchParse::Run);
    QCOMPARE(parse.request.endRow, 9);
    QCOMPARE(parse.request.endColumn, 4);
    // A text that starts with a dash goes after "--"; without "=" it is a
    // constant, which only --text may give.
    parse = parseBatchArguments({m_folder.path(), "fill-formula", "--start", "1,1", "--end", "1,1", "--", "-A2"});
    QCOMPARE(parse.result, BatchParse::Invalid);
    QVERIFY2(parse.error.contains(QStringLiteral("--text \"-A2\"")), qPrintable(parse.error));
    parse = parseBatchArguments({m_folder.path(), "fill-formula", "--start", "1,1", "--end", "1,1", "--text", "-A2"});
    QCOMPARE(parse.result, BatchParse::Run);
    QCOMPARE(parse.request.text, QStringLiteral("-A2"));
}

void BatchArgumentsTest::settingsAreThoseTheWindowWouldWrite()
{
    const QString list = m_folder.filePath(unopenedListFileName());
    QFile old(list);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    JobSettings::sheetName = QStringLiteral("kept");
    BatchParse parse = parseBatchArguments({m_folder.path(), "formula-to-value", QStringLiteral("B2：D2")});
    QCOMPARE(parse.result, BatchParse::Run);
    applyToJobSettings(parse.request);
    QCOMPARE(JobSettings::valueRange, QStringLiteral("B2:D2"));
    QCOMPARE(JobSettings::sourcePath, m_folder.path() + '/');
    QCOMPARE(JobSettings::unopenedListPath, list);
    // Removed by the job once it holds the folder, not before.
    QVERIFY(QFile::exists(list));
    QVERIFY(!JobSettings::appointedSheet);
    QCOMPARE(JobSettings::sheetName, QStringLiteral("kept"));

    parse = parseBatchArguments({m_folder.path() + '/', "cell-link", QStringLiteral("A1：B2"), "--address",
                                 QStringLiteral("http://a：b"), "--text", QStringLiteral("x：y"), "--sheet",
                                 "Data", "--first-sheet-only"});
    QCOMPARE(parse.result, BatchParse::Run);
    applyToJobSettings(parse.request);
    QCOMPARE(JobSettings::linkCell, QStringLiteral("A1:B2"));
    QCOMPARE(JobSettings::linkAddress, QStringLiteral("http://a：b"));
    QCOMPARE(JobSettings::linkText, QStringLiteral("x：y"));
    QCOMPARE(JobSettings::sourcePath, m_folder.path() + '/');
    QVERIFY(JobSettings::appointedSheet);
    QVERIFY(JobSettings::onlyFirstSheet);
    QCOMPARE(JobSettings::sheetName, QStringLiteral("Data"));
    QVERIFY(JobSettings::keepsBackups);
    QVERIFY(!JobSettings::dryRun);

    parse = parseBatchArguments({m_folder.path(), "index-sheet", "--dry-run", "--no-backup", "--keep-backups", "3"});
    QCOMPARE(parse.result, BatchParse::Run);
    applyToJobSettings(parse.request);
    QVERIFY(JobSettings::dryRun);
    QVERIFY(!JobSettings::keepsBackups);
    QCOMPARE(JobSettings::keptBackupJobs, 3);

    // Listed files are kept once each, as paths below the folder as given.
    QVERIFY(QDir(m_folder.path()).mkpath("in"));
    QFile book(m_folder.filePath("in/a.xlsx"));
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.close();
    QFile listed(m_folder.filePath("listed.txt"));
    QVERIFY(listed.open(QIODevice::WriteOnly));
    listed.write((m_folder.filePath("in/a.xlsx") + "\n" + m_folder.filePath("in/../in/a.xlsx") + "\r\n").toLocal8Bit());
    listed.close();
    parse = parseBatchArguments({m_folder.path(), "add-row", "1", "--files-from", listed.fileName(), "--shard",
                                 "2/5", "--jobs", "3"});
    QCOMPARE(parse.result, BatchParse::Run);
    applyToJobSettings(parse.request);
    QVERIFY(JobSettings::filesListed);
    QCOMPARE(JobSettings::listedFiles, QStringList{QDir::toNativeSeparators(m_folder.filePath("in/a.xlsx"))});
    // A UTF-8 list with its byte order mark, as Notepad writes one.
    QFile chinese(m_folder.filePath("in/报表.xlsx"));
    QVERIFY(chinese.open(QIODevice::WriteOnly));
    chinese.close();
    QVERIFY(listed.open(QIODevice::WriteOnly | QIODevice::Truncate));
    listed.write("\xEF\xBB\xBF" + m_folder.filePath("in/报表.xlsx").toUtf8() + "\r\n");
    listed.close();
    parse = parseBatchArguments({m_folder.path(), "add-row", "1", "--files-from", listed.fileName()});
    QCOMPARE(parse.result, BatchParse::Run);
    QCOMPARE(parse.request.listedFiles, QStringList{QDir::toNativeSeparators(m_folder.filePath("in/报表.xlsx"))});
    QCOMPARE(JobSettings::parallelJobs, 3);
    QCOMPARE(JobSettings::unopenedListPath, m_folder.path() + "/" + unopenedListFileName());
    QVERIFY(unopenedListFileName().contains("shard2of5"));
    JobSettings::shardNumber = JobSettings::shardCount = 1;
}

QTEST_GUILESS_MAIN(BatchArgumentsTest)
#include "BatchArgumentsTest.moc"
