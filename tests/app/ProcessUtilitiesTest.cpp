// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProcessUtilities.h"

#include "DummyProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtTest>

class ProcessUtilitiesTest : public QObject
{
    Q_OBJECT

private slots:
    void countsAndEndsProcessByImageName();
    void matchesNamesLongerThanFifteenCharacters();
    void namesCompareCaseSensitivelyAndWhole();
    void endsTheLowestProcessIdFirst();
    void findsProcessWhoseExecutableWasDeleted();
    void neverEndsTheCallingProcess();
    void nothingToEndReportsFalse();
    void otherCopiesAreAskedToEnd();
    void etOutsideWpsOfficeIsLeftAlone();
};

void ProcessUtilitiesTest::countsAndEndsProcessByImageName()
{
    const QString name = DummyProcess::uniqueImageName();
    DummyProcess dummy(name);
    QVERIFY(dummy.isRunning());
    QCOMPARE(countProcesses(name), 1);

    QVERIFY(terminateFirstProcess(name));
    QVERIFY(dummy.waitUntilEnded());
    QCOMPARE(countProcesses(name), 0);
}

void ProcessUtilitiesTest::matchesNamesLongerThanFifteenCharacters()
{
    const QString name = DummyProcess::uniqueImageName() + QStringLiteral("-with-a-long-tail");
    QVERIFY(name.size() > 15);
    DummyProcess dummy(name);
    QVERIFY(dummy.isRunning());
    QCOMPARE(countProcesses(name), 1);
    QCOMPARE(countProcesses(name.left(15)), 0);
}

void ProcessUtilitiesTest::namesCompareCaseSensitivelyAndWhole()
{
    const QString name = DummyProcess::uniqueImageName();
    DummyProcess dummy(name);
    QVERIFY(dummy.isRunning());
    QCOMPARE(countProcesses(name.toUpper()), 0);
    QCOMPARE(countProcesses(name.chopped(1)), 0);
    QCOMPARE(countProcesses(name + QLatin1Char('x')), 0);
    QVERIFY(!terminateFirstProcess(name.toUpper()));
    QVERIFY(dummy.isRunning());
    QCOMPARE(countProcesses(name), 1);
}

void ProcessUtilitiesTest::endsTheLowestProcessIdFirst()
{
    const QString name = DummyProcess::uniqueImageName();
    DummyProcess first(name);
    DummyProcess second(name);
    QVERIFY(first.isRunning() && second.isRunning());
    QCOMPARE(countProcesses(name), 2);

    DummyProcess &lower = first.processId() < second.processId() ? first : second;
    DummyProcess &higher = first.processId() < second.processId() ? second : first;
    QVERIFY(terminateFirstProcess(name));
    QVERIFY(lower.waitUntilEnded());
    QVERIFY(higher.isRunning());
    QCOMPARE(countProcesses(name), 1);
}

void ProcessUtilitiesTest::findsProcessWhoseExecutableWasDeleted()
{
    const QString name = DummyProcess::uniqueImageName();
    DummyProcess dummy(name);
    QVERIFY(dummy.isRunning());
    QVERIFY(dummy.removeExecutable());
    QCOMPARE(countProcesses(name), 1);
    QVERIFY(terminateFirstProcess(name));
    QVERIFY(dummy.waitUntilEnded());
}

void ProcessUtilitiesTest::neverEndsTheCallingProcess()
{
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QCOMPARE(countProcesses(ownName), 1);
    QVERIFY(!terminateFirstProcess(ownName));
    QCOMPARE(countProcesses(ownName), 1);
}

void ProcessUtilitiesTest::nothingToEndReportsFalse()
{
    const QString name = DummyProcess::uniqueImageName();
    QCOMPARE(countProcesses(name), 0);
    QVERIFY(!terminateFirstProcess(name));
}

// Asked with SIGTERM, as the window's copies are, and waited for.
void ProcessUtilitiesTest::otherCopiesAreAskedToEnd()
{
    const QString name = DummyProcess::uniqueImageName();
    DummyProcess dummy(name);
    QVERIFY(dummy.isRunning());
    QVERIFY(endOtherCopies(name, 5000));
    QVERIFY(dummy.waitUntilEnded());
}

// Only WPS Office's own "et" is WPS Spreadsheets.
void ProcessUtilitiesTest::etOutsideWpsOfficeIsLeftAlone()
{
    DummyProcess dummy(QStringLiteral("et"));
    QVERIFY(dummy.isRunning());
    QCOMPARE(countProcesses(QStringLiteral("et")), 0);
    QVERIFY(!terminateFirstProcess(QStringLiteral("et")));
    QVERIFY(dummy.isRunning());
}

QTEST_GUILESS_MAIN(ProcessUtilitiesTest)
#include "ProcessUtilitiesTest.moc"
