// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "platform/ProcessUtilities.h"
#include "app/ProgramPaths.h"
#include "launch/JobSettings.h"
#include "launch/SpreadsheetImageNames.h"

#include "DummyProcess.h"
#include "LaunchButtons.h"
#include "ModalMessageCatcher.h"
#include "WindowTestCase.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class PreflightCheckTest : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusesWithoutFolder_data();
    void refusesWithoutFolder();
    void acceptsFolderAndDisablesLaunchButtons();
    void sheetChoice_data();
    void sheetChoice();
    void endsRunningSpreadsheetProgramsOnly();
    void stopsInOrderWhenProgramCannotBeEnded();
};

// No test may end real spreadsheet programs: the list names nothing running
// unless a test starts its own processes under the names it lists.
void PreflightCheckTest::init()
{
    replaceSpreadsheetImageNames({ DummyProcess::uniqueImageName() });
    openWindow();
}

void PreflightCheckTest::cleanup()
{
    window.reset();
}

void PreflightCheckTest::refusesWithoutFolder_data()
{
    QTest::addColumn<QString>("typed");

    QTest::newRow("nothing typed") << QString();
    QTest::newRow("missing folder") << directory.filePath(QStringLiteral("missing/"));
    QFile file(directory.filePath(QStringLiteral("book.xlsx")));
    file.open(QIODevice::WriteOnly);
    QTest::newRow("path to a file") << file.fileName();
}

void PreflightCheckTest::refusesWithoutFolder()
{
    QFETCH(QString, typed);
    child<QLineEdit>("lEdt_SourcePath")->setText(typed);
    const QString statusBefore = child<QLabel>("lb_ShowDisposing")->text();
    JobSettings::sourcePath = QStringLiteral("earlier");

    ModalMessageCatcher catcher;
    QCOMPARE(window->preflightCheck(), -1);

    QCOMPARE(catcher.count(), 1);
    QCOMPARE(catcher.title(), QStringLiteral("Message:"));
    QCOMPARE(catcher.text(), QStringLiteral("文件夹不存在!"));
    QCOMPARE(JobSettings::sourcePath, QDir::toNativeSeparators(typed));
    QCOMPARE(child<QLabel>("lb_ShowDisposing")->text(), statusBefore);
    QCOMPARE(enabledCount(launchButtonsOf(window.get())), 8);
}

void PreflightCheckTest::acceptsFolderAndDisablesLaunchButtons()
{
    const QString folder = directory.path() + QLatin1Char('/');
    child<QLineEdit>("lEdt_SourcePath")->setText(folder);

    ModalMessageCatcher catcher;
    QCOMPARE(window->preflightCheck(), 0);

    QCOMPARE(catcher.count(), 0);
    QCOMPARE(JobSettings::sourcePath, QDir::toNativeSeparators(folder));
    QVERIFY(child<QLabel>("lb_ShowDisposing")->text().isEmpty());
    QCOMPARE(enabledCount(launchButtonsOf(window.get())), 0);
    QVERIFY(child<QPushButton>("pBtn_SourcePath")->isEnabled());
    QVERIFY(child<QLineEdit>("lEdt_SourcePath")->isEnabled());
    QVERIFY(child<QCheckBox>("cBox_OnlyFirstSheet")->isEnabled());
}

void PreflightCheckTest::sheetChoice_data()
{
    QTest::addColumn<bool>("onlyFirst");
    QTest::addColumn<bool>("appointed");
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<QString>("expectedName");

    QTest::newRow("all sheets") << false << false << QString() << QStringLiteral("earlier");
    QTest::newRow("first sheet only") << true << false << QString() << QStringLiteral("earlier");
    QTest::newRow("named sheet, kept as typed") << false << true << QStringLiteral(" 汇总 表1 ")
                                                << QStringLiteral(" 汇总 表1 ");
    QTest::newRow("name typed but not chosen") << false << false << QStringLiteral("Sheet2")
                                               << QStringLiteral("earlier");
}

void PreflightCheckTest::sheetChoice()
{
    QFETCH(bool, onlyFirst);
    QFETCH(bool, appointed);
    QFETCH(QString, typedName);
    QFETCH(QString, expectedName);

    child<QLineEdit>("lEdt_SourcePath")->setText(directory.path());
    if (onlyFirst)
        child<QCheckBox>("cBox_OnlyFirstSheet")->click();
    if (appointed)
        child<QCheckBox>("cBox_AppointedSheet")->click();
    child<QLineEdit>("lEdt_AppointedSheetName")->setText(typedName);
    JobSettings::onlyFirstSheet = !onlyFirst;
    JobSettings::appointedSheet = !appointed;
    JobSettings::sheetName = QStringLiteral("earlier");

    QCOMPARE(window->preflightCheck(), 0);
    QCOMPARE(JobSettings::onlyFirstSheet, onlyFirst);
    QCOMPARE(JobSettings::appointedSheet, appointed);
    QCOMPARE(JobSettings::sheetName, expectedName);
}

void PreflightCheckTest::endsRunningSpreadsheetProgramsOnly()
{
    const QString firstName = DummyProcess::uniqueImageName();
    const QString secondName = DummyProcess::uniqueImageName();
    DummyProcess first(firstName);
    DummyProcess firstAgain(firstName);
    DummyProcess second(secondName);
    DummyProcess bystander(DummyProcess::uniqueImageName());
    QVERIFY(first.isRunning() && firstAgain.isRunning() && second.isRunning() && bystander.isRunning());
    replaceSpreadsheetImageNames({ firstName, secondName });
    child<QLineEdit>("lEdt_SourcePath")->setText(directory.path());

    QCOMPARE(window->preflightCheck(), 0);

    QVERIFY(first.waitUntilEnded());
    QVERIFY(firstAgain.waitUntilEnded());
    QVERIFY(second.waitUntilEnded());
    QVERIFY(bystander.isRunning());
    QCOMPARE(countProcesses(firstName), 0);
    QCOMPARE(countProcesses(secondName), 0);
}

void PreflightCheckTest::stopsInOrderWhenProgramCannotBeEnded()
{
    const QString stubbornName = DummyProcess::uniqueImageName();
    const QString laterName = DummyProcess::uniqueImageName();
    DummyProcess stubborn(stubbornName);
    DummyProcess later(laterName);
    QVERIFY(stubborn.isRunning() && later.isRunning());
    replaceSpreadsheetImageNames({ stubbornName, laterName });
    window->spreadsheetCloser().setProcessFunctions(countProcesses, [&](const QString &imageName) {
        return imageName == stubbornName ? false : terminateFirstProcess(imageName);
    });
    child<QLineEdit>("lEdt_SourcePath")->setText(directory.path());

    ModalMessageCatcher catcher;
    QCOMPARE(window->preflightCheck(), -1);

    QCOMPARE(catcher.count(), 0);
    const QString status = child<QLabel>("lb_ShowDisposing")->text();
    QVERIFY2(status.contains(stubbornName), qPrintable(status));
    QVERIFY(stubborn.isRunning());
    QVERIFY(later.isRunning());
    QCOMPARE(enabledCount(launchButtonsOf(window.get())), 8);
}

QTEST_MAIN(PreflightCheckTest)
#include "PreflightCheckTest.moc"
