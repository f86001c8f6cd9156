// SPDX-License-Identifier: GPL-3.0-or-later
// The batch frame through the in-memory server and a core of the test's own.

#include "engine/WorkbookRunner.h"
#include "engine/candidates/JobCandidates.h"
#include "engine/JobContext.h"
#include "engine/JobOptions.h"
#include "engine/MergeObject.h"
#include "engine/WorkbookEdit.h"
#include "engine/WorkbookResult.h"
#include "automation/AxObject.h"
#include "launch/JobSettings.h"
#include "tests/support/InMemorySpreadsheetServer.h"
#include "engine/report/UnopenedList.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// Remembers which sheet of which workbook it was given.
class RecordingEdit : public WorkbookEdit
{
public:
    QStringList description() const override { return {QStringLiteral("test")}; }
    void editSheet(AxObject *sheet, JobContext &job) override
    {
        visits.append(QDir::fromNativeSeparators(job.workbookPath()).section(QLatin1Char('/'), -1)
                      + QLatin1Char(':') + sheet->property("Name").toString());
    }
    QStringList visits;
};

// Asks the job to stop while it edits the first workbook.
class StoppingEdit : public WorkbookEdit
{
public:
    explicit StoppingEdit(MergeObject &worker)
        : m_worker(worker)
    {
    }
    QStringList description() const override { return {QStringLiteral("test")}; }
    void editSheet(AxObject *, JobContext &) override { m_worker.requestStop(); }

private:
    MergeObject &m_worker;
};

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class FrameTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyFolderGivesTheThreeTexts();
    void candidatesAreChosenByExtensionAndLockMarker();
    void walkListsAFoldersFilesBeforeItsSubfolders();
    void shardsCoverTheWalkOnceInItsOrder();
    void callsFollowTheFrameOrder();
    void unopenableWorkbookIsCountedListedAndShown();
    void unsavedWorkbookIsListedNotPassedAsDone();
    void listNotShownIsNamedInTheStatusLine();
    void listFileLandsBesideAFolderTypedWithoutSeparator();
    void noApplicationEndsTheJobWithoutCount();
    void sheetSelection_data();
    void sheetSelection();
    void inputProblemStopsBeforeTheApplicationStarts();
    void settingsWrittenDuringTheJobChangeNothingOfIt();
    void deferredSavesAreReportedInOrderOnceEnded();
    void aSaveIsRecordedOnceEndedBehindALongerOne();
    void stopWhileASaveGoesOnStillReportsItsWorkbook();

private:
    QStringList runJob(WorkbookEdit &edit, int *buttonSignals = nullptr);
    QString nativeFolder() const { return QDir::toNativeSeparators(m_folder->path() + QLatin1Char('/')); }
    QString native(const QString &relative) const
    {
        return QDir::toNativeSeparators(m_folder->path() + QLatin1Char('/') + relative);
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<InMemorySpreadsheetServer> m_server;
    QString m_viewer;
    QString m_viewerLog;
};

void FrameTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_scratch = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<InMemorySpreadsheetServer>();
    m_server->install();
    JobSettings::sourcePath = nativeFolder();
    JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
    JobSettings::onlyFirstSheet = false;
    JobSettings::appointedSheet = false;
    // The in-memory server saves no file; backups are tried on real ones.
    JobSettings::keepsBackups = false;

    // A viewer that writes down how it was started.
    m_viewerLog = m_scratch->filePath(QStringLiteral("viewer.log"));
#ifdef Q_OS_WIN
    m_viewer = QDir::toNativeSeparators(m_scratch->filePath(QStringLiteral("viewer.cmd")));
    QFile script(m_viewer);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("@echo %*>> \"%1\"\r\n").arg(QDir::toNativeSeparators(m_viewerLog)).toLocal8Bit());
#else
    m_viewer = m_scratch->filePath(QStringLiteral("viewer.sh"));
    QFile script(m_viewer);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '%1'\n").arg(m_viewerLog).toUtf8());
#endif
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("GRIDWRIGHTER_TEXT_VIEWER", m_viewer.toLocal8Bit());
}

void FrameTest::cleanup()
{
    // A viewer started by the job reads its script from the scratch folder.
    if (QFile::exists(JobSettings::unopenedListPath) && qgetenv("GRIDWRIGHTER_TEXT_VIEWER") == m_viewer.toLocal8Bit())
        QTRY_VERIFY(QFile::exists(m_viewerLog));
    m_server.reset();
    qunsetenv("GRIDWRIGHTER_TEXT_VIEWER");
}

QStringList FrameTest::runJob(WorkbookEdit &edit, int *buttonSignals)
{
    MergeObject worker;
    QSignalSpy texts(&worker, &MergeObject::ShowDisposingFile);
    QSignalSpy done(&worker, &MergeObject::Signal_SetButtonEnable);
    worker.runJob(edit);
    if (buttonSignals)
        *buttonSignals = done.count();
    QStringList shown;
    for (const QList<QVariant> &arguments : texts)
        shown.append(arguments.at(0).toString());
    return shown;
}

void FrameTest::emptyFolderGivesTheThreeTexts()
{
    RecordingEdit edit;
    int ended = 0;
    const QStringList texts = runJob(edit, &ended);
    QCOMPARE(texts, QStringList({QStringLiteral("excel OK!"), QStringLiteral("WorkBooks OK!"),
                                 QStringLiteral("成功0个文件,")}));
    QCOMPARE(ended, 1);
    QCOMPARE(m_server->applicationsQuit(), 1);
    QVERIFY(!QFile::exists(JobSettings::unopenedListPath));
    QVERIFY(!QFile::exists(m_viewerLog));
}

void FrameTest::candidatesAreChosenByExtensionAndLockMarker()
{
    const QStringList files = {"a.xlsx", "~$a.xlsx", "C.XLSX", "B.Csv", "m.xlsm", "old.xls",
                               "c.xlsb", "d.txt", "e.xls.bak", "sub~$dir/f.xlsx", ".g.xlsx",
                               ".hidden/h.xlsx", "deep/er/i.csv"};
    for (const QString &file : files)
        touch(m_folder->filePath(file));
    RecordingEdit edit;
    const QStringList texts = runJob(edit);

    QStringList opened;
    for (const auto &call : m_server->calls())
        if (call.member == QLatin1String(WorkbookRunner::openMember))
            opened.append(QDir::fromNativeSeparators(call.arguments.at(0).toString()).mid(m_folder->path().size() + 1));
    opened.sort();
    QCOMPARE(opened, QStringList({".g.xlsx", "B.Csv", "C.XLSX", "a.xlsx", "deep/er/i.csv", "m.xlsm", "old.xls"}));
    QCOMPARE(texts.last(), QStringLiteral("成功7个文件,"));
}

void FrameTest::walkListsAFoldersFilesBeforeItsSubfolders()
{
    touch(m_folder->filePath("sub/inner/x.xlsx"));
    touch(m_folder->filePath("sub/y.xlsx"));
    touch(m_folder->filePath("z.xlsx"));
    MergeObject worker;
    QStringList names;
    for (const QFileInfo &info : worker.ListAllFiles(m_folder->path()))
        names.append(info.fileName());
    QCOMPARE(names, QStringList({"z.xlsx", "y.xlsx", "x.xlsx"}));
}

void FrameTest::shardsCoverTheWalkOnceInItsOrder()
{
    for (int i = 0; i < 40; ++i)
        touch(m_folder->filePath(QStringLiteral("d%1/book%2.xlsx").arg(i % 4).arg(i)));
    touch(m_folder->filePath("notes.txt"));
    MergeObject worker;
    const QStringList whole = jobCandidates(worker, JobOptions::fromJobSettings());
    QCOMPARE(whole.size(), 40);
    for (const QStringList &listed : QList<QStringList>{QStringList(), whole.mid(5, 20)}) {
        JobSettings::filesListed = !listed.isEmpty();
        JobSettings::listedFiles = listed;
        const QStringList expected = listed.isEmpty() ? whole : listed;
        QStringList covered;
        JobSettings::shardCount = 3;
        for (JobSettings::shardNumber = 1; JobSettings::shardNumber <= 3; ++JobSettings::shardNumber) {
            const QStringList shard = jobCandidates(worker, JobOptions::fromJobSettings());
            QVERIFY(!shard.isEmpty());
            // Each slice keeps the walk's order.
            QStringList inOrder = expected;
            inOrder.erase(std::remove_if(inOrder.begin(), inOrder.end(),
                                         [&](const QString &path) { return !shard.contains(path); }),
                          inOrder.end());
            QCOMPARE(shard, inOrder);
            covered += shard;
        }
        covered.sort();
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(covered, sorted);
    }
    JobSettings::filesListed = false;
    JobSettings::listedFiles.clear();
    JobSettings::shardNumber = JobSettings::shardCount = 1;
}

void FrameTest::callsFollowTheFrameOrder()
{
    touch(m_folder->filePath("one.xlsx"));
    m_server->setWorkbook(native("one.xlsx"), InMemorySpreadsheetServer::Workbook::withSheets({"A", "B"}));
    RecordingEdit edit;
    const QStringList texts = runJob(edit);
    QCOMPARE(m_server->members(),
             QStringList({"Excel.Application", "SetVisible (bool Visible)", "DisplayAlerts", "AutomationSecurity",
                          "EnableEvents", "AskToUpdateLinks", "WorkBooks", WorkbookRunner::openMember, "Sheets", "Count", "Item(int)", "Name",
                          "Name", "Item(int)", "Name", "Name", "Saved", "Save()", "Close (Boolean)", "Quit(void)"}));
    const auto calls = m_server->calls();
    QCOMPARE(calls.at(1).arguments, QVariantList({QStringLiteral("false")}));
    QCOMPARE(calls.at(1).arguments.at(0).type(), QVariant::String);
    QCOMPARE(calls.at(2).arguments, QVariantList({false}));
    // Nothing can ask: macros forced off, events off, links never updated,
    // and a workbook needing a password fails at once.
    QCOMPARE(calls.at(3).arguments, QVariantList({3}));
    QCOMPARE(calls.at(4).arguments, QVariantList({false}));
    QCOMPARE(calls.at(5).arguments, QVariantList({false}));
    const QVariantList open = calls.at(7).arguments;
    QCOMPARE(open.size(), 13);
    QCOMPARE(open.at(0), QVariant(native("one.xlsx")));
    QCOMPARE(open.at(1), QVariant(0));          // UpdateLinks
    QCOMPARE(open.at(2), QVariant(false));      // ReadOnly
    QVERIFY(!open.at(4).toString().isEmpty());  // Password
    QVERIFY(!open.at(5).toString().isEmpty());  // WriteResPassword
    QCOMPARE(open.at(6), QVariant(true));       // IgnoreReadOnlyRecommended
    QCOMPARE(open.at(10), QVariant(false));     // Notify
    QCOMPARE(open.at(12), QVariant(false));     // AddToMru
    QCOMPARE(calls.at(18).arguments, QVariantList({false}));
    QCOMPARE(edit.visits, QStringList({"one.xlsx:A", "one.xlsx:B"}));
    QCOMPARE(texts, QStringList({"excel OK!", "WorkBooks OK!", "1  " + native("one.xlsx"), "成功1个文件,"}));
    QCOMPARE(m_server->workbook(native("one.xlsx")).saves, 1);
}

void FrameTest::unopenableWorkbookIsCountedListedAndShown()
{
    touch(m_folder->filePath("good.xlsx"));
    touch(m_folder->filePath("bad.xlsx"));
    touch(m_folder->filePath("worse.xls"));
    m_server->failToOpen(native("bad.xlsx"));
    m_server->failToOpen(native("worse.xls"));
    RecordingEdit edit;
    const QStringList texts = runJob(edit);

    QCOMPARE(texts.size(), 6);
    QStringList progressed;
    for (int i = 0; i < 3; ++i) {
        const QString prefix = QString::number(i + 1) + QStringLiteral("  ");
        QVERIFY2(texts.at(2 + i).startsWith(prefix), qPrintable(texts.at(2 + i)));
        progressed.append(texts.at(2 + i).mid(prefix.size()));
    }
    progressed.sort();
    QCOMPARE(progressed, QStringList({native("bad.xlsx"), native("good.xlsx"), native("worse.xls")}));
    QVERIFY(texts.last().startsWith(QStringLiteral("成功3个文件,")));
    QFile list(JobSettings::unopenedListPath);
    QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList lines = QString::fromLocal8Bit(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines, QStringList({native("bad.xlsx"), native("worse.xls")}));
    const auto logged = [this]() {
        QFile log(m_viewerLog);
        return log.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromLocal8Bit(log.readAll()) : QString();
    };
    // The viewer may still be writing.
    QTRY_COMPARE(logged(), JobSettings::unopenedListPath + QLatin1Char('\n'));
}

void FrameTest::unsavedWorkbookIsListedNotPassedAsDone()
{
    touch(m_folder->filePath("locked.xlsx"));
    m_server->failToSave(native("locked.xlsx"));
    RecordingEdit edit;
    const QStringList texts = runJob(edit);
    QVERIFY(texts.last().startsWith(QStringLiteral("成功1个文件,")));
    QVERIFY(texts.last().contains(QStringLiteral("无法打开或保存")));
    QFile list(JobSettings::unopenedListPath);
    QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLocal8Bit(list.readAll()), native("locked.xlsx") + QLatin1Char('\n'));
}

void FrameTest::listNotShownIsNamedInTheStatusLine()
{
    touch(m_folder->filePath("bad.xlsx"));
    m_server->failToOpen(native("bad.xlsx"));
    qputenv("GRIDWRIGHTER_TEXT_VIEWER", m_scratch->filePath(QStringLiteral("no-such-viewer")).toLocal8Bit());
    RecordingEdit edit;
    const QStringList texts = runJob(edit);
    QVERIFY(QFile::exists(JobSettings::unopenedListPath));
    // The count and the notes stay, the list's path added to them.
    QVERIFY(texts.last().startsWith(QStringLiteral("成功1个文件,")));
    QVERIFY(texts.last().endsWith(QStringLiteral("；无法打开列表文件，请手动查看：") + JobSettings::unopenedListPath));
}

void FrameTest::listFileLandsBesideAFolderTypedWithoutSeparator()
{
    QDir(m_folder->path()).mkpath("books");
    touch(m_folder->filePath("books/x.xlsx"));
    const QString typed = native("books");
    m_server->failToOpen(native("books/x.xlsx"));
    JobSettings::sourcePath = typed;
    JobSettings::unopenedListPath = typed + unopenedListFileName();
    RecordingEdit edit;
    runJob(edit);
    QVERIFY(QFile::exists(m_folder->filePath("books" + unopenedListFileName())));
    QVERIFY(!QFile::exists(m_folder->filePath("books/" + unopenedListFileName())));
}

void FrameTest::noApplicationEndsTheJobWithoutCount()
{
    touch(m_folder->filePath("a.xlsx"));
    m_server->uninstall();
    RecordingEdit edit;
    int ended = 0;
    const QStringList texts = runJob(edit, &ended);
    QCOMPARE(texts, QStringList({"excel OK!", "WorkBooks OK!",
                                 QStringLiteral("本功能需要电脑中装有微软office或金山wps专业版(注意是专业版,不是个人版)!")}));
    QCOMPARE(ended, 1);
    QVERIFY(edit.visits.isEmpty());
}

void FrameTest::sheetSelection_data()
{
    QTest::addColumn<bool>("onlyFirst");
    QTest::addColumn<bool>("appointed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("visits");
    QTest::newRow("every sheet") << false << false << "" << QStringList({"w.xlsx:Data", "w.xlsx:Sums", "w.xlsx:data"});
    QTest::newRow("first only") << true << false << "" << QStringList({"w.xlsx:Data"});
    QTest::newRow("named, case-sensitive") << false << true << "data" << QStringList({"w.xlsx:data"});
    QTest::newRow("both, first matches") << true << true << "Data" << QStringList({"w.xlsx:Data"});
    QTest::newRow("both, first differs") << true << true << "Sums" << QStringList();
    QTest::newRow("no such name") << false << true << "Nope" << QStringList();
}

void FrameTest::sheetSelection()
{
    QFETCH(bool, onlyFirst);
    QFETCH(bool, appointed);
    QFETCH(QString, name);
    QFETCH(QStringList, visits);
    touch(m_folder->filePath("w.xlsx"));
    m_server->setWorkbook(native("w.xlsx"), InMemorySpreadsheetServer::Workbook::withSheets({"Data", "Sums", "data"}));
    JobSettings::onlyFirstSheet = onlyFirst;
    JobSettings::appointedSheet = appointed;
    JobSettings::sheetName = name;
    RecordingEdit edit;
    const QStringList texts = runJob(edit);
    QCOMPARE(edit.visits, visits);
    // Saved and counted also when no sheet was selected.
    QCOMPARE(m_server->workbook(native("w.xlsx")).saves, 1);
    QCOMPARE(texts.last(), QStringLiteral("成功1个文件,"));
}

void FrameTest::inputProblemStopsBeforeTheApplicationStarts()
{
    class Refusing : public RecordingEdit
    {
    public:
        QString inputProblem() const override { return QStringLiteral("请填写区域"); }
    } edit;
    touch(m_folder->filePath("a.xlsx"));
    int ended = 0;
    const QStringList texts = runJob(edit, &ended);
    QCOMPARE(texts, QStringList({QStringLiteral("请填写区域")}));
    QCOMPARE(ended, 1);
    QCOMPARE(m_server->applicationsStarted(), 0);
}

// The front end may write the settings for its next job while this one
// runs; the job goes on with what it was started with, and its end signal
// comes once its list file is written.
void FrameTest::settingsWrittenDuringTheJobChangeNothingOfIt()
{
    class Meddling : public RecordingEdit
    {
    public:
        void editSheet(AxObject *sheet, JobContext &job) override
        {
            RecordingEdit::editSheet(sheet, job);
            JobSettings::dryRun = true;
            JobSettings::onlyFirstSheet = true;
            JobSettings::unopenedListPath = QStringLiteral("elsewhere.txt");
        }
    } edit;
    touch(m_folder->filePath("a.xlsx"));
    touch(m_folder->filePath("bad.xlsx"));
    m_server->setWorkbook(native("a.xlsx"), InMemorySpreadsheetServer::Workbook::withSheets({"One", "Two"}));
    m_server->failToOpen(native("bad.xlsx"));
    const QString listPath = JobSettings::unopenedListPath;
    MergeObject worker;
    bool listedAtEnd = false;
    connect(&worker, &MergeObject::Signal_SetButtonEnable, this,
            [&]() { listedAtEnd = QFile::exists(listPath); }, Qt::DirectConnection);
    worker.runJob(edit);
    QCOMPARE(edit.visits, QStringList({"a.xlsx:One", "a.xlsx:Two"}));
    QCOMPARE(m_server->workbook(native("a.xlsx")).saves, 1);
    QVERIFY(listedAtEnd);
    QVERIFY(!QFile::exists(QStringLiteral("elsewhere.txt")));
    JobSettings::dryRun = false;
    JobSettings::unopenedListPath = listPath;
}

// The saves of workbooks go on while the next ones are opened, edited and
// saved: each workbook, and every text of it, is reported in the walk's
// order, only once its save and those before ended; one whose save failed in
// the background is listed, not passed as edited.
void FrameTest::deferredSavesAreReportedInOrderOnceEnded()
{
    const QStringList names{"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"};
    for (const QString &name : names)
        touch(m_folder->filePath(name));
    m_server->deferSaves(300);
    m_server->failToSave(native("b.xlsx"));
    // Leaves c.xlsx, with a text of its own, noting whether the save of
    // b.xlsx still goes on meanwhile.
    class SkippingEdit : public RecordingEdit
    {
    public:
        void editSheet(AxObject *, JobContext &job) override
        {
            if (!job.workbookPath().endsWith(QLatin1String("c.xlsx")))
                return;
            job.skipWorkbook(QStringLiteral("left on purpose"));
            savedBefore = server->saveEnded(QDir::toNativeSeparators(QFileInfo(job.workbookPath()).path() + "/b.xlsx"));
        }
        InMemorySpreadsheetServer *server = nullptr;
        bool savedBefore = true;
    } edit;
    edit.server = m_server.get();
    MergeObject worker;
    QStringList texts;
    QStringList reportedEarly;
    connect(&worker, &MergeObject::ShowDisposingFile, &worker, [&](const QString &text) {
        const QString path = text.section(QStringLiteral("  "), 1);
        if (text.contains(QLatin1String("left on purpose")) && text.contains(QLatin1String("c.xlsx")))
            texts.append(QStringLiteral("skip"));
        if (text.section(QStringLiteral("  "), 0, 0).toInt() == 0)
            return;
        texts.append(QFileInfo(path).fileName());
        if (!m_server->saveEnded(path) && !path.endsWith(QLatin1String("c.xlsx")))
            reportedEarly.append(path);
    }, Qt::DirectConnection);
    QList<WorkbookResult> finished;
    connect(&worker, &MergeObject::workbookFinished, &worker,
            [&](const WorkbookResult &result) { finished.append(result); }, Qt::DirectConnection);
    worker.runJob(edit);

    QVERIFY(!edit.savedBefore);
    QCOMPARE(texts, QStringList({"a.xlsx", "b.xlsx", "skip", "c.xlsx", "d.xlsx"}));
    QVERIFY2(reportedEarly.isEmpty(), qPrintable(reportedEarly.join(' ')));
    QCOMPARE(finished.size(), 4);
    QCOMPARE(finished.at(0).kind, WorkbookResult::Edited);
    QCOMPARE(finished.at(1).kind, WorkbookResult::NotSaved);
    QCOMPARE(finished.at(1).reason, QStringLiteral("the disk is full"));
    QCOMPARE(finished.at(2).kind, WorkbookResult::Untouched);
    QCOMPARE(finished.at(3).kind, WorkbookResult::Edited);
    QFile list(JobSettings::unopenedListPath);
    QVERIFY(list.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromLocal8Bit(list.readAll()), native("b.xlsx") + QLatin1Char('\n'));
}

// A save that ends while the runner waits for an earlier, longer one is in
// the backup's manifest before that one ends: killed then, the job can be
// undone for it.
void FrameTest::aSaveIsRecordedOnceEndedBehindALongerOne()
{
    touch(m_folder->filePath("a.xlsx"));
    touch(m_folder->filePath("b.xlsx"));
    QByteArray manifestWhenAEnded;
    m_server->deferSaves(100, {{native("a.xlsx"), 800}}, [&](const QString &path) {
        if (path != native("a.xlsx"))
            return;
        QDirIterator manifests(m_folder->filePath(".gridwrighter-backup"), {"manifest.json"}, QDir::Files,
                               QDirIterator::Subdirectories);
        QFile manifest(manifests.next());
        if (manifest.open(QIODevice::ReadOnly))
            manifestWhenAEnded = manifest.readAll();
    });
    JobSettings::keepsBackups = true;
    RecordingEdit edit;
    MergeObject worker;
    worker.runJob(edit);
    JobSettings::keepsBackups = false;

    QVERIFY2(manifestWhenAEnded.contains("b.xlsx"), manifestWhenAEnded.constData());
    QVERIFY(!manifestWhenAEnded.contains("a.xlsx"));
}

// A stop while a save goes on ends the job after that save: its workbook is
// saved once, reported and recorded in the backup, the next one not touched.
void FrameTest::stopWhileASaveGoesOnStillReportsItsWorkbook()
{
    touch(m_folder->filePath("a.xlsx"));
    touch(m_folder->filePath("b.xlsx"));
    m_server->deferSaves(300);
    JobSettings::keepsBackups = true;
    MergeObject worker;
    StoppingEdit edit(worker);
    QList<WorkbookResult> finished;
    connect(&worker, &MergeObject::workbookFinished, &worker,
            [&](const WorkbookResult &result) { finished.append(result); }, Qt::DirectConnection);
    worker.runJob(edit);
    JobSettings::keepsBackups = false;

    QVERIFY(worker.lastOutcome().stopped);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).path, native("a.xlsx"));
    QCOMPARE(finished.at(0).kind, WorkbookResult::Edited);
    QCOMPARE(m_server->workbook(native("a.xlsx")).saves, 1);
    QCOMPARE(m_server->count(WorkbookRunner::openMember), 1);
    QDir backups(m_folder->filePath(".gridwrighter-backup"));
    const QStringList jobs = backups.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(jobs.size(), 1);
    QFile manifest(backups.filePath(jobs.first() + "/manifest.json"));
    QVERIFY(manifest.open(QIODevice::ReadOnly));
    QVERIFY(manifest.readAll().contains("a.xlsx"));
}

QTEST_GUILESS_MAIN(FrameTest)
#include "FrameTest.moc"
