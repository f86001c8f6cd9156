// SPDX-License-Identifier: GPL-3.0-or-later
// The pre-flight's way with spreadsheet processes on Windows, with stand-ins
// under image names of the test's own: an application showing a window is
// never ended and stops the check; an invisible one is; one started by a run
// that has ended is ended at the next start, one of a run still going is not.

#include "launch/SpreadsheetCloser.h"
#include "platform/ProcessUtilities.h"
#include "platform/StartedApplications.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <memory>

namespace {

// A stand-in running under imageName; its window's handle once it has one.
class Standin
{
public:
    Standin(const QString &executable, bool visible)
    {
        process.start(executable, {visible ? QStringLiteral("visible") : QStringLiteral("hidden")});
        if (process.waitForReadyRead(30000))
            window = process.readLine().trimmed().toLongLong();
    }
    ~Standin()
    {
        process.kill();
        process.waitForFinished();
    }
    bool running() { return !process.waitForFinished(500) && process.state() == QProcess::Running; }

    QProcess process;
    qint64 window = 0;
};

} // namespace

class OwnProcessesTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        imageName = QStringLiteral("gw-dummy-%1.exe").arg(QUuid::createUuid().toString(QUuid::Id128).left(12));
        executable = folder.filePath(imageName);
        QVERIFY(QFile::copy(QString::fromLocal8Bit(qgetenv("GRIDWRIGHTER_STANDIN")), executable));
    }

    void aWindowTheUserSeesIsNeverEnded()
    {
        Standin hidden(executable, false);
        Standin shown(executable, true);
        QVERIFY(hidden.window && shown.window);
        QCOMPARE(countProcesses(imageName), 2);

        // The check stops, naming the program, after ending what it may.
        QCOMPARE(SpreadsheetCloser().closeAll({imageName}), imageName);
        QVERIFY(!hidden.running());
        QVERIFY(shown.running());
        QVERIFY(!terminateFirstProcess(imageName));
        QVERIFY(shown.running());
        QCOMPARE(countProcesses(imageName), 1);
    }

    // The notes of a run live on after it: a child process of this test notes
    // the stand-ins and ends.
    void applicationsOfAnEndedRunAreEndedAtTheNextStart()
    {
        Standin hidden(executable, false);
        Standin shown(executable, true);
        Standin ownHidden(executable, false);
        QVERIFY(hidden.window && shown.window && ownHidden.window);
        QProcess earlierRun;
        earlierRun.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--note"), QString::number(hidden.window), QString::number(shown.window)});
        QVERIFY(earlierRun.waitForFinished(30000));
        StartedApplications::noteByWindow(ownHidden.window);

        QCOMPARE(StartedApplications::endLeftBehind(), 1);
        QVERIFY(!hidden.running());
        QVERIFY(shown.running());
        QVERIFY(ownHidden.running());

        // The console closing: this run's own go at once.
        StartedApplications::endOwn();
        QVERIFY(!ownHidden.running());
        QVERIFY(shown.running());
        QCOMPARE(StartedApplications::endLeftBehind(), 0);
    }

private:
    QTemporaryDir folder;
    QString imageName;
    QString executable;
};

int main(int argc, char *argv[])
{
    // As an earlier run: notes the windows' applications and ends.
    if (argc >= 2 && QByteArray(argv[1]) == "--note") {
        QCoreApplication application(argc, argv);
        for (int i = 2; i < argc; ++i)
            StartedApplications::noteByWindow(QByteArray(argv[i]).toLongLong());
        return 0;
    }
    QCoreApplication application(argc, argv);
    OwnProcessesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "OwnProcessesTest.moc"
