// SPDX-License-Identifier: GPL-3.0-or-later
// A job whose core edits nothing, run over a copy of the shared corpus of real
// workbooks: since saving passes a workbook through LibreOffice's load and
// store, which drops things, a workbook nothing changed in must not be saved,
// whatever its format, and must come out byte-identical.

#include "automation/AxObject.h"
#include "engine/candidates/CandidateWorkbook.h"
#include "engine/JobContext.h"
#include "engine/MergeObject.h"
#include "engine/WorkbookEdit.h"
#include "engine/WorkbookResult.h"
#include "launch/JobSettings.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/corpus/SpawnedOffices.h"
#include "tests/support/WorkbookFiles.h"
#include "engine/report/UnopenedList.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>

namespace {

class NothingEdit : public WorkbookEdit
{
public:
    QStringList description() const override { return {QStringLiteral("test")}; }
    void editSheet(AxObject *sheet, JobContext &job) override
    {
        Q_UNUSED(sheet)
        Q_UNUSED(job)
    }
};

// The corpus's own descriptions are not part of it.
bool isCorpusDescription(const QString &relativePath)
{
    return relativePath == QLatin1String("INDEX.tsv") || relativePath == QLatin1String("SOURCES.md");
}

bool copyCorpus(const QString &corpus, const QString &target)
{
    const QDir from(corpus);
    QDirIterator files(corpus, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString relative = from.relativeFilePath(source);
        if (isCorpusDescription(relative))
            continue;
        const QString copy = target + QLatin1Char('/') + relative;
        if (!QDir().mkpath(QFileInfo(copy).path()) || !QFile::copy(source, copy))
            return false;
    }
    return true;
}

// Relative paths of the workbooks a job opens, in a stable order.
QStringList candidatesBelow(const QString &folder)
{
    QStringList found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (isCandidateWorkbook(QDir::toNativeSeparators(path)))
            found.append(QDir(folder).relativeFilePath(path));
    }
    found.sort();
    return found;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Relative paths of the list file's lines (native paths of the copies).
QSet<QString> listedWorkbooks(const QString &listPath, const QString &folder)
{
    QSet<QString> listed;
    const QString text = QString::fromLocal8Bit(contentOf(listPath));
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        listed.insert(QDir(folder).relativeFilePath(QDir::fromNativeSeparators(line.trimmed())));
    return listed;
}

bool groupGone(qint64 pid)
{
    return ::kill(pid_t(-pid), 0) == -1 && errno == ESRCH;
}

} // namespace

class CorpusRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aJobThatEditsNothingKeepsEveryWorkbook();

};

void CorpusRoundTripTest::initTestCase()
{
    registerLibreOfficeServer();
}

void CorpusRoundTripTest::aJobThatEditsNothingKeepsEveryWorkbook()
{
    const QString corpus = WorkbookFiles::corpusFolder();
    if (corpus.isEmpty())
        QSKIP("the shared corpus is not there");
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString folder = work.filePath(QStringLiteral("job"));
    QVERIFY(copyCorpus(corpus, folder));
    const QStringList workbooks = candidatesBelow(folder);
    QVERIFY(!workbooks.isEmpty());

    SpawnedOffices offices;
    JobSettings::sourcePath = QDir::toNativeSeparators(folder + QLatin1Char('/'));
    JobSettings::unopenedListPath = JobSettings::sourcePath + unopenedListFileName();
    JobSettings::onlyFirstSheet = false;
    JobSettings::appointedSheet = false;
    MergeObject worker;
    worker.setShowsUnopenedListInViewer(false);
    NothingEdit edit;
    QElapsedTimer job;
    job.start();
    worker.runJob(edit);
    qInfo("the job took %.0f s", job.elapsed() / 1000.0);
    QVERIFY(worker.lastOutcome().applicationStarted);
    QCOMPARE(worker.lastOutcome().candidates, workbooks.size());

    const QList<SpawnedOffices::Office> jobOffices = offices.seen();
    QVERIFY2(!jobOffices.isEmpty(), "the job's soffice was not seen");
    for (const SpawnedOffices::Office &office : jobOffices) {
        QVERIFY2(groupGone(office.pid), qPrintable(QStringLiteral("soffice group %1 is left").arg(office.pid)));
        QVERIFY2(office.profileFolder.startsWith(QDir::tempPath() + QStringLiteral("/gridwrighter-lo-")),
                 qPrintable(office.profileFolder));
        QVERIFY2(!QFileInfo::exists(office.profileFolder), qPrintable(office.profileFolder + " is left"));
    }

    // Listed: exactly what did not open, or what the application refused to
    // save; nothing was edited.
    const QSet<QString> listed = listedWorkbooks(JobSettings::unopenedListPath, folder);
    QStringList problems;
    int opened = 0;
    for (const WorkbookResult &result : worker.lastOutcome().workbooks) {
        const QString workbook = QDir(folder).relativeFilePath(QDir::fromNativeSeparators(result.path));
        const bool failed = result.kind == WorkbookResult::NotOpened || result.kind == WorkbookResult::NotSaved;
        opened += result.kind == WorkbookResult::NotOpened ? 0 : 1;
        if (failed != listed.contains(workbook))
            problems.append(workbook + (failed ? QStringLiteral(": failed, yet not listed") : QStringLiteral(": listed, yet not failed")));
        if (result.kind == WorkbookResult::Edited)
            problems.append(workbook + QStringLiteral(": saved, yet nothing changed in it"));
    }
    for (const QString &workbook : workbooks) {
        if (contentOf(folder + QLatin1Char('/') + workbook) != contentOf(corpus + QLatin1Char('/') + workbook))
            problems.append(workbook + QStringLiteral(": not byte-identical"));
    }
    qInfo("%d workbooks, %d opened, %d listed", int(workbooks.size()), opened, int(listed.size()));
    // A failure message is cut short; every line is wanted.
    for (const QString &problem : qAsConst(problems))
        qWarning("%s", qPrintable(problem));
    QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 problems, listed above").arg(problems.size())));
}

QTEST_GUILESS_MAIN(CorpusRoundTripTest)
#include "CorpusRoundTripTest.moc"
