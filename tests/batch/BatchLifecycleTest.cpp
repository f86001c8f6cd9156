// SPDX-License-Identifier: GPL-3.0-or-later
// The batch command and its office killed, crashed or stopped in the middle
// of a real job: no workbook half written or edited twice, no process, lock
// or temporary file left behind, only the workbook in hand listed.

#include "engine/report/UnopenedList.h"
#include "fileformats/ZipArchive.h"
#include "platform/linux/ProcessList.h"
#include "tests/batch/BatchRun.h"
#include "tests/support/WorkbookFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace {

const int workbookCount = 8;

QList<pid_t> descendants(pid_t pid)
{
    QList<pid_t> found;
    QList<pid_t> below = ProcessList::children(pid);
    while (!below.isEmpty()) {
        const pid_t child = below.takeFirst();
        found.append(child);
        below.append(ProcessList::children(child));
    }
    return found;
}

bool allGone(const QList<pid_t> &processes, int withinMs)
{
    QDeadlineTimer deadline(withinMs);
    for (;;) {
        bool alive = false;
        for (const pid_t pid : processes) {
            ProcessList::Stat stat;
            alive = alive || (ProcessList::stat(pid, &stat) && stat.state != 'Z');
        }
        if (!alive)
            return true;
        if (deadline.hasExpired())
            return false;
        QTest::qWait(100);
    }
}

} // namespace

class BatchLifecycleTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void killedJobLeavesNothingBehind();
    void killedWhileStoringLeavesNoTemporaryFile();
    void crashedOfficeListsOnlyTheWorkbookInHand();
    void stopSignalEndsAfterTheWorkbookInHand();
    void interruptTwiceStillWritesTheReport();
    void staleLocksAreClearedAndLiveOnesRespected();

private:
    QString book(int index) const { return m_folder->filePath(QStringLiteral("book%1.xlsx").arg(index)); }
    // Starts the job and waits until it reports its given workbook.
    void startJob(QProcess &batch, int untilWorkbook, const QStringList &options = {});
    // Each workbook is as it was, or edited exactly once; the listed ones
    // are as they were. Returns how many were edited.
    int checkWorkbooks(const QStringList &listed);
    void checkNothingLeftInFolder();

    std::unique_ptr<QTemporaryDir> m_folder;
    QByteArray m_original;
};

void BatchLifecycleTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QJsonObject cells{{"A1", "name"}};
    for (int row = 2; row <= 400; ++row)
        cells.insert(QStringLiteral("B%1").arg(row), row);
    QVERIFY(WorkbookFiles::create(book(0), QJsonObject{{"sheets", QJsonArray{QJsonObject{{"name", "Data"}, {"cells", cells}}}}}));
    for (int i = 1; i < workbookCount; ++i)
        QVERIFY(QFile::copy(book(0), book(i)));
    m_original = fileDigest(book(0));
}

void BatchLifecycleTest::startJob(QProcess &batch, int untilWorkbook, const QStringList &options)
{
    batch.start(QStringLiteral(GRIDWRIGHTER_BATCH), QStringList{m_folder->path(), "add-row", "1"} + options);
    QVERIFY(batch.waitForStarted());
    QByteArray seen;
    QDeadlineTimer deadline(120000);
    while (!seen.contains(QByteArray::number(untilWorkbook) + "  ") && !deadline.hasExpired()) {
        batch.waitForReadyRead(200);
        seen += batch.readAllStandardOutput();
    }
    QVERIFY2(!deadline.hasExpired(), seen.constData());
}

int BatchLifecycleTest::checkWorkbooks(const QStringList &listed)
{
    int edited = 0;
    for (int i = 0; i < workbookCount; ++i) {
        if (fileDigest(book(i)) == m_original)
            continue;
        // Not as it was: then whole, and edited once.
        const QJsonObject data = WorkbookFiles::sheet(WorkbookFiles::read(book(i)), "Data");
        const QJsonObject cells = data.value("cells").toObject();
        if (cells.value("A2").toObject().value("value").toString() != QLatin1String("name")
            || listed.contains(QDir::toNativeSeparators(book(i))))
            return -1;
        ++edited;
    }
    return edited;
}

void BatchLifecycleTest::checkNothingLeftInFolder()
{
    const QStringList hidden = QDir(m_folder->path())
                                   .entryList(QDir::Files | QDir::Hidden)
                                   .filter(QRegularExpression("^\\.|^lu.*\\.tmp$"));
    QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(' ')));
}

void BatchLifecycleTest::killedJobLeavesNothingBehind()
{
    QProcess batch;
    startJob(batch, 2);
    const QList<pid_t> office = descendants(pid_t(batch.processId()));
    QVERIFY(!office.isEmpty());
    ::kill(pid_t(batch.processId()), SIGKILL);
    batch.waitForFinished();
    QVERIFY(allGone(office, 10000));
    checkNothingLeftInFolder();
    QVERIFY(checkWorkbooks({}) >= 1);
}

// LibreOffice stores into a temporary lu*.tmp beside the workbook, which
// grows as it writes: killed then, the job must leave none of its own (and
// keep one of someone else's).
void BatchLifecycleTest::killedWhileStoringLeavesNoTemporaryFile()
{
    const QString folder = m_folder->filePath(QStringLiteral("large"));
    QVERIFY(QDir().mkpath(folder));
    const QString large = QDir(folder).filePath(QStringLiteral("large.xlsx"));
    QVERIFY(QFile::copy(book(0), large));
    // Large enough for the store to take a while: too large to describe to
    // the workbook tool, so its sheet is written here.
    QByteArray sheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    for (int row = 1; row <= 40000; ++row)
        sheet += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"inlineStr\"><is><t>text of row %1</t></is></c>"
                                "<c r=\"B%1\"><v>%2</v></c></row>").arg(row).arg(row * 1.5).toUtf8();
    sheet += "</sheetData></worksheet>";
    ZipArchive archive;
    QFile file(large);
    QVERIFY(file.open(QIODevice::ReadWrite) && archive.read(file.readAll()));
    archive.replace(QStringLiteral("xl/worksheets/sheet1.xml"), sheet);
    QVERIFY(file.resize(0) && file.write(archive.bytes()) > 0);
    file.close();
    const QByteArray original = fileDigest(large);
    const QString foreign = QDir(folder).filePath(QStringLiteral("lu4242abc.tmp"));
    QFile other(foreign);
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("someone else's") > 0);
    other.close();

    QProcess batch;
    batch.start(QStringLiteral(GRIDWRIGHTER_BATCH), {folder, "add-row", "1", "--jobs", "1", "--no-backup"});
    QVERIFY(batch.waitForStarted());
    QString storing;
    QDeadlineTimer deadline(180000);
    while (storing.isEmpty() && !deadline.hasExpired() && batch.state() == QProcess::Running) {
        for (const QFileInfo &file : QDir(folder).entryInfoList({"lu*.tmp"}, QDir::Files)) {
            if (file.filePath() != foreign && file.size() > 0)
                storing = file.filePath();
        }
        QThread::msleep(2);
    }
    QVERIFY2(!storing.isEmpty(), "the job stored no temporary file beside the workbook");
    const QList<pid_t> office = descendants(pid_t(batch.processId()));
    ::kill(pid_t(batch.processId()), SIGKILL);
    batch.waitForFinished();
    QVERIFY(allGone(office, 10000));
    QDeadlineTimer cleaned(10000);
    while (QFile::exists(storing) && !cleaned.hasExpired())
        QTest::qWait(100);
    QVERIFY2(!QFile::exists(storing), qPrintable(storing));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"large.xlsx", "lu4242abc.tmp"}));
    if (fileDigest(large) != original) // stored and moved into place just before the kill
        QCOMPARE(WorkbookFiles::sheet(WorkbookFiles::read(large), "Data").value("cells").toObject().value("A2").toObject().value("value").toString(),
                 QStringLiteral("text of row 1"));
}

void BatchLifecycleTest::crashedOfficeListsOnlyTheWorkbookInHand()
{
    QProcess batch;
    startJob(batch, 3);
    pid_t officeBinary = 0;
    for (const pid_t pid : descendants(pid_t(batch.processId()))) {
        if (ProcessList::executable(pid).endsWith("/soffice.bin"))
            officeBinary = pid;
    }
    QVERIFY(officeBinary > 0);
    ::kill(officeBinary, SIGKILL);
    QVERIFY(batch.waitForFinished(180000));
    QVERIFY(batch.exitCode() == 0 || batch.exitCode() == 1);
    QFile list(m_folder->filePath(unopenedListFileName()));
    QStringList listed;
    if (list.open(QIODevice::ReadOnly))
        listed = QString::fromLocal8Bit(list.readAll()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(listed.size() <= 1, batch.readAllStandardError().constData());
    QCOMPARE(checkWorkbooks(listed), workbookCount - int(listed.size()));
    QFile::remove(list.fileName());
    checkNothingLeftInFolder();
}

void BatchLifecycleTest::stopSignalEndsAfterTheWorkbookInHand()
{
    QProcess batch;
    startJob(batch, 1);
    const QList<pid_t> office = descendants(pid_t(batch.processId()));
    ::kill(pid_t(batch.processId()), SIGTERM);
    QVERIFY(batch.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(batch.readAllStandardOutput());
    const int edited = checkWorkbooks({});
    QVERIFY(edited >= 1);
    if (edited < workbookCount) {
        QCOMPARE(batch.exitCode(), 128 + SIGTERM);
        QVERIFY(output.contains(QStringLiteral("job stopped")));
    }
    QVERIFY(allGone(office, 10000));
    checkNothingLeftInFolder();
}

// One Ctrl-C under make or xargs reaches the job twice at once: it counts as
// one, and the job still ends after the workbook in hand with its report.
void BatchLifecycleTest::interruptTwiceStillWritesTheReport()
{
    const QString report = QDir(QDir::tempPath()).filePath(QStringLiteral("interrupted-%1.jsonl").arg(QCoreApplication::applicationPid()));
    QProcess batch;
    startJob(batch, 1, {"--report", report, "--jobs", "1"});
    const QList<pid_t> office = descendants(pid_t(batch.processId()));
    ::kill(pid_t(batch.processId()), SIGINT);
    ::kill(pid_t(batch.processId()), SIGINT);
    QVERIFY(batch.waitForFinished(60000));
    const int edited = checkWorkbooks({});
    QVERIFY(edited >= 1);
    if (edited < workbookCount)
        QCOMPARE(batch.exitCode(), 128 + SIGINT);
    QFile lines(report);
    QVERIFY(lines.open(QIODevice::ReadOnly));
    QVERIFY2(lines.readAll().count("\"outcome\":\"edited\"") == edited, qPrintable(report));
    lines.remove();
    QVERIFY(allGone(office, 10000));
    checkNothingLeftInFolder();
}

void BatchLifecycleTest::staleLocksAreClearedAndLiveOnesRespected()
{
    auto lockOf = [](const QString &path) {
        return QFileInfo(path).dir().filePath(QStringLiteral(".~lock.%1#").arg(QFileInfo(path).fileName()));
    };
    auto writeLock = [](const QString &path, const QByteArray &record) {
        QFile lock(path);
        return lock.open(QIODevice::WriteOnly) && lock.write(record) == record.size();
    };
    for (int i = 2; i < workbookCount; ++i)
        QFile::remove(book(i));
    // Left by a run of this program that ended without cleaning up.
    QVERIFY(writeLock(lockOf(book(0)), ",me," + QSysInfo::machineHostName().toUtf8() + ",08.12.2026 10:00,file://"
                                           + QDir::tempPath().toUtf8() + "/gridwrighter-lo-ended;"));
    // Held by someone's LibreOffice elsewhere.
    QVERIFY(writeLock(lockOf(book(1)), ",colleague,their-pc,08.12.2026 10:00,file:///home/colleague/.config/libreoffice/4;"));
    QProcess batch;
    batch.start(QStringLiteral(GRIDWRIGHTER_BATCH), {m_folder->path(), "add-row", "1"});
    QVERIFY(batch.waitForFinished(120000));
    QCOMPARE(batch.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(batch.readAllStandardError()).contains(
        QDir::toNativeSeparators(book(1)) + ": not opened: "));
    QCOMPARE(fileDigest(book(1)), m_original);
    QVERIFY(QFile::exists(lockOf(book(1))));
    QVERIFY(!QFile::exists(lockOf(book(0))));
    QCOMPARE(WorkbookFiles::sheet(WorkbookFiles::read(book(0)), "Data").value("cells").toObject().value("A2").toObject().value("value").toString(),
             QStringLiteral("name"));
}

QTEST_GUILESS_MAIN(BatchLifecycleTest)
#include "BatchLifecycleTest.moc"
