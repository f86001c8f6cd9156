// SPDX-License-Identifier: GPL-3.0-or-later
// Backups, undo and dry runs of gridwrighter-batch, on real workbooks: a job
// undone gives back the very bytes it replaced.

#include "engine/report/UnopenedList.h"
#include "tests/batch/BatchRun.h"
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

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
        state.insert(QDir(m_folder->path()).relativeFilePath(path), fileDigest(path));
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
        QVERIFY2(job.output.contains(QStringLiteral("原文件已备份到") + QDir::toNativeSeparators(backupRoot())),
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
    // A file in the backup folder's place: no original can be kept.
    QFile blocker(backupRoot());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QMap<QString, QByteArray> before = folderState();
    const BatchRun job = run({"add-row", "1"});
    QCOMPARE(job.status, 1);
    for (const QString &path : {m_book, m_second})
        QVERIFY2(job.errors.contains(QDir::toNativeSeparators(path) + ": not saved: "), qPrintable(job.errors));
    QMap<QString, QByteArray> after = folderState();
    // The list of workbooks not saved is the only new file.
    QVERIFY(after.remove(unopenedListFileName()) == 1);
    QCOMPARE(after, before);

    // Without backups the same job saves.
    QCOMPARE(run({"add-row", "1", "--no-backup"}).status, 0);
    QVERIFY(fileDigest(m_book) != before.value("sub/book.xlsx"));
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

QTEST_GUILESS_MAIN(BatchUndoTest)
#include "BatchUndoTest.moc"
