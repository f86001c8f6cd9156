// SPDX-License-Identifier: GPL-3.0-or-later
// Backups, undo and dry runs of gridwrighter-batch, on real workbooks: a job
// undone gives back the very bytes it replaced.

#include "engine/backup/BackupHistory.h"
#include "engine/backup/BackupManifest.h"
#include "engine/backup/FolderLock.h"
#include "engine/report/UnopenedList.h"
#include "tests/batch/BatchRun.h"
#include "tests/support/WorkbookFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QMap>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

#include <unistd.h>

class BatchUndoTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyEditUndoneGivesBackTheSameBytes();
    void twoJobsUndoneNewestFirst();
    void workbookChangedSinceIsNotOverwritten();
    void originalThatCannotBeKeptStopsTheSave();
    void dryRunTouchesNothing();
    void oldBackupsBeyondTheKeptNumberGo();
    void undoFindsTheFolderHoweverItIsNamed();
    void undoThatRestoredNothingKeepsTheJob();
    void originalOfAnUnrecordedSaveIsKept();
    void secondJobOnTheFolderIsRefused();
    void nearFullDiskLosesNoWorkbook();

private:
    BatchRun run(const QStringList &arguments) const;
    // Every entry below the folder, hidden ones too, with its content's digest.
    QMap<QString, QByteArray> folderState() const;
    QString backupRoot() const { return m_folder->filePath(".gridwrighter-backup"); }

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_book;
    QString m_second;
};

void BatchUndoTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QDir(m_folder->path()).mkpath("sub");
    m_book = m_folder->filePath("sub/book.xlsx");
    m_second = m_folder->filePath("second.xlsx");
    const QJsonObject cells{{"A1", "name"}, {"A2", 1}, {"A3", 2}, {"B2", "=A2*2"}, {"B3", "=A3*2"}};
    QVERIFY(WorkbookFiles::create(m_book, QJsonObject{{"sheets", QJsonArray{
                                                          QJsonObject{{"name", "Data"}, {"cells", cells}},
                                                          QJsonObject{{"name", "Notes"}, {"cells", QJsonObject{{"A1", "n"}}}}}}}));
    QVERIFY(QFile::copy(m_book, m_second));
}

BatchRun BatchUndoTest::run(const QStringList &arguments) const
{
    return runBatch(QStringList{m_folder->path()} + arguments);
}

QMap<QString, QByteArray> BatchUndoTest::folderState() const
{
    QMap<QString, QByteArray> state;
    QDirIterator entries(m_folder->path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        // Closing any descriptor of a lock file would drop this process's lock on it.
        const bool lockFile = entries.fileName() == FolderLock::fileName();
        state.insert(QDir(m_folder->path()).relativeFilePath(path), lockFile ? QByteArray() : fileDigest(path));
    }
    return state;
}

void BatchUndoTest::everyEditUndoneGivesBackTheSameBytes()
{
    const QMap<QString, QByteArray> before = folderState();
    const QList<QStringList> edits = {
        {"add-row", "2"},
        {"add-column", "1"},
        {"delete-row", "2"},
        {"delete-column", "1"},
        {"fill-formula", "=A2+100", "--start", "2,3", "--auto-end-row", "--sheet", "Data"},
        {"formula-to-value", "B:B"},
        {"index-sheet"},
        {"cell-link", "A1", "--sub-address", "Notes!A1", "--text", "go"},
    };
    for (const QStringList &edit : edits) {
        const BatchRun job = run(edit);
        QVERIFY2(job.status == 0, qPrintable(edit.join(' ') + job.errors));
        QVERIFY2(job.output.contains(QStringLiteral("the originals are kept in ") + QDir::toNativeSeparators(backupRoot())),
                 qPrintable(job.output));
        QVERIFY(fileDigest(m_book) != before.value("sub/book.xlsx"));
        const BatchRun undo = run({"undo"});
        QVERIFY2(undo.status == 0, qPrintable(edit.join(' ') + undo.errors));
        QVERIFY2(undo.output.contains(edit.first()), qPrintable(undo.output));
        // The backup of a job undone in full is gone with it.
        QCOMPARE(folderState(), before);
    }
}

void BatchUndoTest::twoJobsUndoneNewestFirst()
{
    const QMap<QString, QByteArray> before = folderState();
    QCOMPARE(run({"add-row", "1"}).status, 0);
    const QByteArray afterFirst = fileDigest(m_book);
    QCOMPARE(run({"add-column", "1", "--sheet", "Notes"}).status, 0);

    const QStringList listed = run({"undo", "--list"}).output.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(listed.size(), 2);
    QVERIFY2(listed.at(0).contains("add-column 1 --sheet Notes  2 workbooks"), qPrintable(listed.at(0)));
    QVERIFY2(listed.at(1).contains("add-row 1  2 workbooks"), qPrintable(listed.at(1)));

    QCOMPARE(run({"undo"}).status, 0);
    QCOMPARE(fileDigest(m_book), afterFirst);
    QCOMPARE(run({"undo"}).status, 0);
    QCOMPARE(folderState(), before);
    const BatchRun nothing = run({"undo"});
    QCOMPARE(nothing.status, 4);
    QVERIFY(nothing.errors.contains("no job to undo"));
}

void BatchUndoTest::workbookChangedSinceIsNotOverwritten()
{
    const QByteArray original = fileDigest(m_book);
    QCOMPARE(run({"add-row", "1"}).status, 0);
    // The user edits one workbook after the job.
    QVERIFY(WorkbookFiles::create(m_book, QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Mine"}}}}}));
    const QByteArray theirs = fileDigest(m_book);

    const BatchRun undo = run({"undo"});
    QCOMPARE(undo.status, 1);
    QVERIFY2(undo.errors.contains(QDir::toNativeSeparators(m_book) + ": not restored: "), qPrintable(undo.errors));
    QCOMPARE(fileDigest(m_book), theirs);
    QCOMPARE(fileDigest(m_second), original);
    // Its original stays in the backup for a restore by hand, and the job is
    // no longer offered.
    const QStringList jobs = QDir(backupRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(fileDigest(QDir(backupRoot()).filePath(jobs.first() + "/sub/book.xlsx")), original);
    QVERIFY(run({"undo", "--list"}).output.isEmpty());
    QCOMPARE(run({"undo"}).status, 4);
}

void BatchUndoTest::originalThatCannotBeKeptStopsTheSave()
{
    // A file in the backup folder's place: neither the folder's lock nor any
    // original can be kept, so the job is refused, with backups or without.
    QFile blocker(backupRoot());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QMap<QString, QByteArray> before = folderState();
    for (const QStringList &edit : {QStringList{"add-row", "1"}, QStringList{"add-row", "1", "--no-backup"}}) {
        const BatchRun job = run(edit);
        QCOMPARE(job.status, 2);
        QVERIFY2(job.errors.contains(QDir::toNativeSeparators(backupRoot())), qPrintable(job.errors));
        QCOMPARE(folderState(), before);
    }
}

void BatchUndoTest::dryRunTouchesNothing()
{
    QFile broken(m_folder->filePath("broken.xlsx"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a workbook");
    broken.close();
    const QMap<QString, QByteArray> before = folderState();
    const BatchRun dry = run({"add-row", "1", "--sheet", "Data", "--dry-run"});
    QCOMPARE(dry.status, 1);
    QVERIFY2(dry.output.contains(QDir::toNativeSeparators(m_book) + ": would be edited (sheets: Data)"),
             qPrintable(dry.output));
    QVERIFY(dry.output.contains(QDir::toNativeSeparators(broken.fileName()) + ": cannot be opened: "));
    QCOMPARE(folderState(), before);

    const BatchRun untouched = run({"add-row", "1", "--sheet", "None", "--dry-run"});
    QVERIFY2(untouched.output.contains(QDir::toNativeSeparators(m_book) + ": would be left untouched: "),
             qPrintable(untouched.output));
    QCOMPARE(folderState(), before);
}

void BatchUndoTest::oldBackupsBeyondTheKeptNumberGo()
{
    QCOMPARE(run({"add-row", "1"}).status, 0);
    QCOMPARE(run({"add-row", "2"}).status, 0);
    QCOMPARE(run({"add-row", "3", "--keep-backups", "2"}).status, 0);
    const QStringList listed = run({"undo", "--list"}).output.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(listed.size(), 2);
    QVERIFY(listed.at(1).contains("add-row 2"));
}

// The folder as typed relative to the working folder, in four spellings: the
// job's backup names its workbooks below the folder, so undo finds them.
void BatchUndoTest::undoFindsTheFolderHoweverItIsNamed()
{
    QDir(m_folder->path()).mkpath("x/rel");
    const QString book = m_folder->filePath("x/rel/w.xlsx");
    QVERIFY(QFile::copy(m_second, book));
    const QByteArray original = fileDigest(book);
    const QString inside = m_folder->filePath("x");
    const QString beside = m_folder->filePath("sub");
    const QList<QPair<QString, QString>> spellings = {
        {"rel", inside}, {"./rel", inside}, {"rel/", inside}, {"../x/rel", beside}};
    for (const auto &[folder, workingDirectory] : spellings) {
        const auto batch = [&](const QStringList &arguments) {
            return runBatch(QStringList{folder} + arguments, QProcessEnvironment::systemEnvironment(), workingDirectory);
        };
        const BatchRun job = batch({"delete-row", "1"});
        QVERIFY2(job.status == 0, qPrintable(folder + ": " + job.errors));
        QVERIFY(fileDigest(book) != original);
        const BatchRun undo = batch({"undo"});
        QVERIFY2(undo.status == 0, qPrintable(folder + ": " + undo.errors));
        QCOMPARE(fileDigest(book), original);
        QCOMPARE(batch({"undo"}).status, 4);
    }
}

// Every workbook changed since the job: nothing is restored, and the job
// stays to be undone, not marked done.
void BatchUndoTest::undoThatRestoredNothingKeepsTheJob()
{
    QCOMPARE(run({"add-row", "1"}).status, 0);
    for (const QString &book : {m_book, m_second})
        QVERIFY(WorkbookFiles::create(book, QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Mine"}}}}}));
    QCOMPARE(run({"undo"}).status, 1);
    QVERIFY(run({"undo", "--list"}).output.contains("add-row 1  2 workbooks"));
    QCOMPARE(run({"undo"}).status, 1);
}

// A job stopped after saving a workbook but before recording it: undo
// cannot tell the job's edit from the user's, so it leaves the workbook and
// keeps its original, saying so, while restoring the rest.
void BatchUndoTest::originalOfAnUnrecordedSaveIsKept()
{
    const QByteArray original = fileDigest(m_book);
    const QByteArray secondOriginal = fileDigest(m_second);
    QCOMPARE(run({"add-row", "1"}).status, 0);
    const QString job = BackupHistory::jobFolders(m_folder->path()).value(0);
    BackupManifest manifest;
    QVERIFY(manifest.read(job));
    QCOMPARE(manifest.workbooks.size(), 2);
    manifest.workbooks.erase(std::remove_if(manifest.workbooks.begin(), manifest.workbooks.end(),
                                            [](const BackupManifest::Workbook &entry) { return entry.path == "sub/book.xlsx"; }),
                             manifest.workbooks.end());
    QVERIFY(manifest.write(job));
    const QByteArray edited = fileDigest(m_book);

    const BatchRun undo = run({"undo"});
    QCOMPARE(undo.status, 1);
    QVERIFY2((undo.output + undo.errors).contains("1 workbooks not restored"), qPrintable(undo.output + undo.errors));
    QCOMPARE(fileDigest(m_second), secondOriginal);
    QCOMPARE(fileDigest(m_book), edited);
    QCOMPARE(fileDigest(QDir(job).filePath("sub/book.xlsx")), original);
}

// Another job holding the folder (here this test's own process) keeps every
// job and undo off it, above it and below it, before anything is touched,
// even the list an earlier job left; once it ends, the folder is free again.
void BatchUndoTest::secondJobOnTheFolderIsRefused()
{
    const QString held = m_folder->filePath("sub");
    QDir(held).mkpath("inner");
    QVERIFY(QFile::copy(m_second, m_folder->filePath("sub/inner/w.xlsx")));
    QCOMPARE(runBatch({held, "add-row", "1"}).status, 0);
    const QString process = QStringLiteral("process %1").arg(QCoreApplication::applicationPid());
    {
        const FolderLock running(held);
        QVERIFY(running.isHeld());
        QFile earlierList(QDir(held).filePath(unopenedListFileName()));
        QVERIFY(earlierList.open(QIODevice::WriteOnly) && earlierList.write("x.xlsx\n") == 7);
        earlierList.close();
        const QMap<QString, QByteArray> before = folderState();
        for (const QStringList &arguments :
             {QStringList{held, "delete-row", "1"}, QStringList{held, "undo"},
              QStringList{m_folder->filePath("sub/inner"), "add-row", "1", "--report", m_folder->filePath("r.jsonl")},
              QStringList{m_folder->path(), "add-row", "1"}}) {
            const BatchRun refused = runBatch(arguments);
            QVERIFY2(refused.status == 2, qPrintable(arguments.join(" ") + refused.errors + refused.output));
            QVERIFY2(refused.errors.contains("is being edited by another job, " + process), qPrintable(refused.errors));
            QCOMPARE(folderState(), before);
        }
    }
    QCOMPARE(runBatch({held, "undo"}).status, 0);
}

// Near a full disk LibreOffice can store an empty CSV and report success:
// whatever room is left, each workbook is edited whole or left as it was
// (and listed saying the disk is full), and a job's manifest is whole, so
// that undo gives back every original.
void BatchUndoTest::nearFullDiskLosesNoWorkbook()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to mount a small file system");
    const QString mountPoint = m_folder->filePath("disk");
    QDir().mkpath(mountPoint);
    // Like the corpus's hutool/test_lines_crlf.csv and csvkit/test_utf16_big.csv.
    const QString utf16Text = QStringLiteral("a,b\n1,2\n3,4\n");
    const QList<QPair<QString, QByteArray>> csvFiles = {
        {"crlf.csv", "id,name\r\n1,\"a\r\nb\"\r\n2,c\r\n"},
        {"utf16.csv", QByteArray("\xFF\xFE", 2)
                          + QByteArray(reinterpret_cast<const char *>(utf16Text.utf16()), int(utf16Text.size() * 2))}};
    for (const auto &[name, content] : csvFiles) {
        QFile file(m_folder->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    const QString xls = WorkbookFiles::convert(m_second, "xls", m_folder->filePath("sub"));
    QVERIFY(!xls.isEmpty());
    const QStringList books = {m_folder->filePath("crlf.csv"), m_folder->filePath("utf16.csv"), m_second, xls};
    for (int free = 8; free <= 28; free += 4) {
        QCOMPARE(QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", mountPoint}), 0);
        // Unmounted however the round ends, so that a failed check leaves no mount behind.
        const std::unique_ptr<const QString, void (*)(const QString *)> mounted(
            &mountPoint, [](const QString *point) { QProcess::execute("umount", {*point}); });
        QMap<QString, QByteArray> originals;
        for (const QString &book : books) {
            const QString copy = QDir(mountPoint).filePath(QFileInfo(book).fileName());
            QVERIFY(QFile::copy(book, copy));
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
            originals.insert(copy, fileDigest(copy));
        }
        QFile filler(QDir(mountPoint).filePath(".filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const qint64 room = QStorageInfo(mountPoint).bytesAvailable() - free * 1024;
        QVERIFY(filler.write(QByteArray(int(room), 'x')) == room && filler.flush());
        filler.close();

        const BatchRun job = runBatch({mountPoint, "add-row", "1", "--jobs", "1"});
        QVERIFY2(job.status == 0 || job.status == 1, qPrintable(job.errors));
        for (auto it = originals.cbegin(); it != originals.cend(); ++it) {
            const bool edited = fileDigest(it.key()) != it.value();
            const bool listed = job.errors.contains(it.key() + ": not saved: ");
            QVERIFY2(edited != listed, qPrintable(QStringLiteral("%1 KB free: %2\n%3").arg(free).arg(it.key(), job.errors)));
            // Said in plain words, not as LibreOffice's error code.
            const QString reason = job.errors.mid(job.errors.indexOf(it.key() + ": not saved: ")).section('\n', 0, 0);
            QVERIFY2(!listed || !reason.contains("Error Area"), qPrintable(reason));
            if (edited && it.key().endsWith(".csv"))
                QVERIFY2(QFileInfo(it.key()).size() > 3, qPrintable(it.key()));
            if (edited && it.key().endsWith(".xlsx"))
                QCOMPARE(WorkbookFiles::sheetAt(WorkbookFiles::read(it.key()), 0).value("cells").toObject().value("A3").toObject().value("value").toInt(), 1);
        }
        const BatchRun undo = runBatch({mountPoint, "undo"});
        QVERIFY2(undo.status == 0 || undo.status == 4, qPrintable(undo.errors));
        for (auto it = originals.cbegin(); it != originals.cend(); ++it)
            QVERIFY2(fileDigest(it.key()) == it.value(), qPrintable(QStringLiteral("%1 KB free: %2").arg(free).arg(it.key())));
    }
}

QTEST_GUILESS_MAIN(BatchUndoTest)
#include "BatchUndoTest.moc"
