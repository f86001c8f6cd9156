// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/WorkbookRunner.h"
#include "app/MainWindow.h"
#include "app/ProgramPaths.h"
#include "launch/JobSettings.h"
#include "launch/SpreadsheetImageNames.h"
#include "tests/support/InMemorySpreadsheetServer.h"

#include "DummyProcess.h"
#include "LaunchButtons.h"
#include "ModalMessageCatcher.h"
#include "engine/report/UnopenedList.h"

#include "app/SettingsFile.h"
#include "app/SystemTray.h"
#include "app/widgets/JobResultsDialog.h"

#include <QCheckBox>
#include <QMenu>
#include <QMessageBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const char *const launchSignals[] = {
    SIGNAL(pBtn_AddColumn_HasClicked()),   SIGNAL(pBtn_AddRow_HasClicked()),
    SIGNAL(pBtn_DeleteRow_HasClicked()),   SIGNAL(pBtn_DeleteColumn_HasClicked()),
    SIGNAL(pBtn_CopyFormula_HasClicked()), SIGNAL(pBtn_FormulaToValue_HasClicked()),
    SIGNAL(pBtn_HyperLinks_HasClicked()),  SIGNAL(pBtn_HyperlinksCell_HasClicked()),
};

using FormFiller = std::function<void(QWidget *window)>;
using SettingsCheck = std::function<bool()>;

template <typename T>
T *childOf(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// Answers yes to the question the action asks; returns the question.
QString answeringYes(const std::function<void()> &action)
{
    QString question;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&]() {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
        }
    });
    answer.start(10);
    action();
    return question;
}

// The window quit the application; without the event loop the tests run
// outside, every later dialog would return at once.
void goOnAfterQuit()
{
    QTimer::singleShot(0, qApp, []() { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void triggerTrayEntry(const QString &text)
{
    for (QAction *action : MainWindow::trayIcon->contextMenu()->actions()) {
        if (action->text() == text)
            action->trigger();
    }
}

} // namespace

Q_DECLARE_METATYPE(FormFiller)
Q_DECLARE_METATYPE(SettingsCheck)

class LaunchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void eachButtonStartsItsOwnJob_data();
    void eachButtonStartsItsOwnJob();
    void buttonsDisabledWhileJobRuns();
    void twoLaunchesInARow();
    void earlierListFileRemovedAtLaunch();
    void refusedLaunchStartsNoJob();
    void badInputIsRefusedBeforeThePreflight();
    void launchChecksTheFolderFirstAndAsksAboutText();
    void windowClosedDuringJobWaitsForIt();
    void undoAndResultsActOnTheirOwnJob();
    void jobFolderAndFormKeptAtStartAndTrayQuit();
    void dryRunSaysWhatItFoundAndResultsCountAll();
    void stoppedJobToldToTheNextStart();

private:
    void addWorkbooks(int count);
    void waitForJobEnd();
    QString statusText() const;
    QString settings() const;

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<InMemorySpreadsheetServer> server;
    std::unique_ptr<MainWindow> window;
};

// No test may end real spreadsheet programs.
void LaunchTest::initTestCase()
{
    replaceSpreadsheetImageNames({ DummyProcess::uniqueImageName() });
}

void LaunchTest::init()
{
    folder = std::make_unique<QTemporaryDir>();
    server = std::make_unique<InMemorySpreadsheetServer>();
    server->install();
    ProgramPaths::settingsFilePath = folder->filePath(QStringLiteral("absent.vrq"));
    window = std::make_unique<MainWindow>(nullptr);
    childOf<QLineEdit>(window.get(), "lEdt_SourcePath")->setText(folder->path() + QLatin1Char('/'));
}

void LaunchTest::cleanup()
{
    window.reset();
    server->uninstall();
    server.reset();
    folder.reset();
}

void LaunchTest::eachButtonStartsItsOwnJob_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("signalIndex");
    QTest::addColumn<FormFiller>("fill");
    QTest::addColumn<SettingsCheck>("settingsTaken");

    QTest::newRow("add column") << "pBtn_AddColumn" << 0
        << FormFiller([](QWidget *w) { childOf<QSpinBox>(w, "sBox_AddColumn")->setValue(16384); })
        << SettingsCheck([] { return JobSettings::addColumnNumber == 16384; });
    QTest::newRow("add row") << "pBtn_AddRow" << 1
        << FormFiller([](QWidget *w) { childOf<QSpinBox>(w, "sBox_AddRow")->setValue(1048576); })
        << SettingsCheck([] { return JobSettings::addRowNumber == 1048576; });
    QTest::newRow("delete row") << "pBtn_DeleteRow" << 2
        << FormFiller([](QWidget *w) { childOf<QSpinBox>(w, "sBox_DeleteRow")->setValue(7); })
        << SettingsCheck([] { return JobSettings::deleteRowNumber == 7; });
    QTest::newRow("delete column") << "pBtn_DeleteColumn" << 3
        << FormFiller([](QWidget *w) { childOf<QSpinBox>(w, "sBox_DeleteColumn")->setValue(9); })
        << SettingsCheck([] { return JobSettings::deleteColumnNumber == 9; });
    QTest::newRow("copy formula") << "pBtn_CopyFormula" << 4
        << FormFiller([](QWidget *w) {
               childOf<QLineEdit>(w, "lEdt_FirstFormula")->setText(QStringLiteral("=A1*2"));
               childOf<QSpinBox>(w, "sBox_CopyFormulaStartRow")->setValue(2);
               childOf<QSpinBox>(w, "sBox_CopyFormulaStartColumn")->setValue(3);
               childOf<QSpinBox>(w, "sBox_CopyFormulaEndRow")->setValue(10);
               childOf<QCheckBox>(w, "cBox_CopyFormulaEndRow")->click();
           })
        << SettingsCheck([] {
               return JobSettings::firstFormula == QLatin1String("=A1*2") && JobSettings::copyFormulaStartRow == 2
                   && JobSettings::copyFormulaStartColumn == 3 && JobSettings::copyFormulaEndRow == 10
                   && JobSettings::copyFormulaEndColumn == 3 && JobSettings::autoEndRow && !JobSettings::autoEndColumn;
           });
    QTest::newRow("formula to value") << "pBtn_FormulaToValue" << 5
        << FormFiller([](QWidget *w) {
               childOf<QLineEdit>(w, "lEdt_FormulaToValue")->setText(QStringLiteral("B2：D2"));
           })
        << SettingsCheck([] { return JobSettings::valueRange == QLatin1String("B2:D2"); });
    QTest::newRow("link index") << "pBtn_HyperLinks" << 6
        << FormFiller([](QWidget *) {}) << SettingsCheck([] { return true; });
    QTest::newRow("cell link") << "pBtn_HyperlinksCell" << 7
        << FormFiller([](QWidget *w) {
               childOf<QLineEdit>(w, "lEdt_HyperlinksCell")->setText(QStringLiteral("B：B"));
               childOf<QLineEdit>(w, "lEdt_HyperlinksLink")->setText(QStringLiteral("https：//www.example.com"));
               childOf<QLineEdit>(w, "lEdt_HyperlinksLinkLocal")->setText(QStringLiteral("Sheet1：A1"));
               childOf<QLineEdit>(w, "lEdt_HyperlinksText")->setText(QStringLiteral("说明：见表"));
           })
        << SettingsCheck([] {
               return JobSettings::linkCell == QLatin1String("B:B")
                   && JobSettings::linkAddress == QStringLiteral("https：//www.example.com")
                   && JobSettings::linkSubAddress == QStringLiteral("Sheet1：A1")
                   && JobSettings::linkText == QStringLiteral("说明：见表");
           });
}

void LaunchTest::eachButtonStartsItsOwnJob()
{
    QFETCH(QString, button);
    QFETCH(int, signalIndex);
    QFETCH(FormFiller, fill);
    QFETCH(SettingsCheck, settingsTaken);

    addWorkbooks(2);
    fill(window.get());
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const char *signal : launchSignals)
        spies.push_back(std::make_unique<QSignalSpy>(window.get(), signal));

    window->findChild<QPushButton *>(button)->click();
    waitForJobEnd();

    QVERIFY(settingsTaken());
    for (int index = 0; index < int(spies.size()); ++index)
        QCOMPARE(spies[index]->count(), index == signalIndex ? 1 : 0);
    QCOMPARE(server->count(QString::fromLatin1(WorkbookRunner::openMember)), 2);
    QCOMPARE(server->applicationsStarted(), 1);
}

void LaunchTest::buttonsDisabledWhileJobRuns()
{
    addWorkbooks(3);
    const QList<QPushButton *> buttons = launchButtonsOf(window.get());

    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    QCOMPARE(enabledCount(buttons), 0);

    waitForJobEnd();
    // The originals are kept, and the closing text says where.
    QVERIFY(statusText().startsWith(QStringLiteral("成功3个文件,原文件已备份到")
                                    + QDir::toNativeSeparators(folder->path() + "/.gridwrighter-backup/")));
    QCOMPARE(server->count(QString::fromLatin1(WorkbookRunner::openMember)), 3);
}

void LaunchTest::twoLaunchesInARow()
{
    addWorkbooks(2);
    childOf<QPushButton>(window.get(), "pBtn_AddColumn")->click();
    waitForJobEnd();
    childOf<QPushButton>(window.get(), "pBtn_DeleteColumn")->click();
    waitForJobEnd();

    QVERIFY(statusText().startsWith(QStringLiteral("成功2个文件,")));
    QCOMPARE(server->count(QString::fromLatin1(WorkbookRunner::openMember)), 4);
    QCOMPARE(server->applicationsStarted(), 2);
}

void LaunchTest::earlierListFileRemovedAtLaunch()
{
    addWorkbooks(1);
    const QString listPath = folder->path() + QLatin1Char('/') + unopenedListFileName();
    QFile list(listPath);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("/old/unopened.xlsx\n");
    list.close();

    childOf<QPushButton>(window.get(), "pBtn_HyperLinks")->click();
    QCOMPARE(JobSettings::unopenedListPath, QDir::toNativeSeparators(listPath));
    waitForJobEnd();

    QVERIFY(!QFile::exists(listPath));
    QVERIFY(statusText().startsWith(QStringLiteral("成功1个文件,")));
}

void LaunchTest::refusedLaunchStartsNoJob()
{
    addWorkbooks(1);
    childOf<QLineEdit>(window.get(), "lEdt_SourcePath")->setText(folder->filePath(QStringLiteral("missing")));
    QSignalSpy launched(window.get(), &MainWindow::pBtn_AddRow_HasClicked);

    ModalMessageCatcher catcher;
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();

    QCOMPARE(catcher.count(), 1);
    QCOMPARE(launched.count(), 0);
    QCOMPARE(enabledCount(launchButtonsOf(window.get())), 8);
    QCOMPARE(server->applicationsStarted(), 0);
}

void LaunchTest::launchChecksTheFolderFirstAndAsksAboutText()
{
    addWorkbooks(1);
    childOf<QCheckBox>(window.get(), "cBox_AppointedSheet")->setChecked(true);
    childOf<QLineEdit>(window.get(), "lEdt_SourcePath")->setText(folder->filePath(QStringLiteral("missing")));
    {
        ModalMessageCatcher catcher;
        childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
        QCOMPARE(catcher.text(), QStringLiteral("文件夹不存在!"));
    }
    QVERIFY(statusText() != QStringLiteral("Fill in the sheet name"));

    // A formula without "=" would be written as text: asked first, No
    // (the default) starts nothing.
    childOf<QLineEdit>(window.get(), "lEdt_SourcePath")->setText(folder->path() + QLatin1Char('/'));
    childOf<QCheckBox>(window.get(), "cBox_AppointedSheet")->setChecked(false);
    childOf<QLineEdit>(window.get(), "lEdt_FirstFormula")->setText(QStringLiteral("A1*2"));
    QSignalSpy filled(window.get(), &MainWindow::pBtn_CopyFormula_HasClicked);
    {
        ModalMessageCatcher catcher;
        childOf<QPushButton>(window.get(), "pBtn_CopyFormula")->click();
        QCOMPARE(catcher.text(), QStringLiteral("内容不以=开头，将作为文本写入所有目标单元格，是否继续？"));
    }
    QCOMPARE(filled.count(), 0);
    QCOMPARE(server->applicationsStarted(), 0);

    // The index sheet lists every sheet: an empty sheet name is no reason to refuse it.
    childOf<QCheckBox>(window.get(), "cBox_AppointedSheet")->setChecked(true);
    QSignalSpy indexed(window.get(), &MainWindow::pBtn_HyperLinks_HasClicked);
    childOf<QPushButton>(window.get(), "pBtn_HyperLinks")->click();
    QCOMPARE(indexed.count(), 1);
    waitForJobEnd();
    QVERIFY(statusText().startsWith(QStringLiteral("成功1个文件,")));
}

void LaunchTest::badInputIsRefusedBeforeThePreflight()
{
    addWorkbooks(1);
    childOf<QCheckBox>(window.get(), "cBox_AppointedSheet")->setChecked(true);
    childOf<QLineEdit>(window.get(), "lEdt_AppointedSheetName")->setText(QStringLiteral(" "));
    QSignalSpy launched(window.get(), &MainWindow::pBtn_AddRow_HasClicked);
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    QCOMPARE(statusText(), QStringLiteral("Fill in the sheet name"));
    QCOMPARE(launched.count(), 0);
    QCOMPARE(enabledCount(launchButtonsOf(window.get())), 8);
    QCOMPARE(server->applicationsStarted(), 0);
}

// Closing the window joins the worker: a job that has begun is finished, not
// cut off, and nothing is left running to report to a window that is gone.
void LaunchTest::windowClosedDuringJobWaitsForIt()
{
    addWorkbooks(5);
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    QTRY_COMPARE(server->applicationsStarted(), 1);
    window.reset();

    QCOMPARE(server->applicationsQuit(), 1);
    QCOMPARE(server->count(QString::fromLatin1(WorkbookRunner::openMember)), 5);
    QCOMPARE(server->count(QStringLiteral("Save()")), 5);
}

void LaunchTest::addWorkbooks(int count)
{
    for (int index = 1; index <= count; ++index) {
        QFile file(folder->filePath(QStringLiteral("book%1.xlsx").arg(index)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

void LaunchTest::waitForJobEnd()
{
    // Generous: under Wine a job takes seconds.
    QTRY_COMPARE_WITH_TIMEOUT(enabledCount(launchButtonsOf(window.get())), 8, 60000);
}

QString LaunchTest::statusText() const
{
    return childOf<QLabel>(window.get(), "lb_ShowDisposing")->text();
}

QString LaunchTest::settings() const
{
    QFile file(ProgramPaths::settingsFilePath);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

// Every undo entry names the job it undoes and undoes that one: the window's
// last job in its folder, whatever the field holds since; the results' undo
// only their own job, not once a later job has run. Enter on the focused
// undo button presses it.
void LaunchTest::undoAndResultsActOnTheirOwnJob()
{
    qputenv("GRIDWRIGHTER_TEXT_VIEWER", "true");
    addWorkbooks(2);
    server->failToSave(QDir::toNativeSeparators(folder->filePath(QStringLiteral("book2.xlsx"))));
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    waitForJobEnd();
    JobResultsDialog *results = window->resultsDialog();
    QVERIFY(results && results->isVisible());
    QPushButton *resultsUndo = nullptr;
    for (QPushButton *button : results->findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("撤销本次修改"))
            resultsUndo = button;
    }
    QVERIFY(resultsUndo->isEnabled());
    results->hide();

    // A later, clean job: the results of the first stay, their undo goes.
    QVERIFY(QFile::remove(folder->filePath(QStringLiteral("book2.xlsx"))));
    childOf<QPushButton>(window.get(), "pBtn_AddColumn")->click();
    waitForJobEnd();
    QVERIFY(!results->isVisible());
    QVERIFY(!resultsUndo->isEnabled());

    QTemporaryDir elsewhere;
    childOf<QLineEdit>(window.get(), "lEdt_SourcePath")->setText(elsewhere.path());
    auto *undo = childOf<QPushButton>(window.get(), "pBtn_UndoLastJob");
    undo->setFocus();
    const QString question = answeringYes([&]() { QTest::keyClick(undo, Qt::Key_Return); });
    QVERIFY2(question.contains(QStringLiteral("insert a column before column 1")), qPrintable(question));
    QVERIFY2(question.contains(QDir::toNativeSeparators(folder->path())), qPrintable(question));
    QVERIFY2(statusText().contains(QStringLiteral("insert a column before column 1")), qPrintable(statusText()));
    // The insertion of the row is the folder's newest job now, but not the results' to undo.
    QVERIFY(!resultsUndo->isEnabled());
    qunsetenv("GRIDWRIGHTER_TEXT_VIEWER");
}

// A typed folder is kept as a job starts, so that the next start and the
// tray's undo find it; the tray's quit keeps the form as closing does.
void LaunchTest::jobFolderAndFormKeptAtStartAndTrayQuit()
{
    QFile file(ProgramPaths::settingsFilePath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    addWorkbooks(1);
    childOf<QPushButton>(window.get(), "pBtn_HyperLinks")->click();
    waitForJobEnd();
    QVERIFY2(settings().contains(QStringLiteral("SourcePath=") + QDir::toNativeSeparators(folder->path() + '/') + "\r\n"),
             qPrintable(settings()));

    childOf<QLineEdit>(window.get(), "lEdt_FirstFormula")->setText(QStringLiteral("=A1*3"));
    triggerTrayEntry(QStringLiteral("退出程序"));
    goOnAfterQuit();
    QVERIFY2(settings().contains(QStringLiteral("lEdt_FirstFormula==A1*3\r\n")), qPrintable(settings()));
}

// A dry run writes no list file and says so by what it found; the results
// count every workbook by its outcome.
void LaunchTest::dryRunSaysWhatItFoundAndResultsCountAll()
{
    qputenv("GRIDWRIGHTER_TEXT_VIEWER", "true");
    addWorkbooks(3);
    server->failToOpen(QDir::toNativeSeparators(folder->filePath(QStringLiteral("book3.xlsx"))));
    childOf<QCheckBox>(window.get(), "cBox_DryRun")->setChecked(true);
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    waitForJobEnd();
    QVERIFY2(statusText().startsWith(QStringLiteral("试运行：共3个文件：将修改2个，部分工作表跳过0个，不会修改0个，无法打开1个")),
             qPrintable(statusText()));
    QVERIFY(!statusText().contains(QStringLiteral("列表文件")));

    childOf<QCheckBox>(window.get(), "cBox_DryRun")->setChecked(false);
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    waitForJobEnd();
    // The closing text counts every workbook handled, as it always did.
    QVERIFY2(statusText().startsWith(QStringLiteral("成功3个文件,其中1个文件无法打开或保存")), qPrintable(statusText()));
    const QString heading = window->resultsDialog()->findChild<QLabel *>()->text();
    QVERIFY2(heading.startsWith(QStringLiteral("共3个文件：已修改2个，部分工作表跳过0个，未修改0个，未能打开1个，未能保存0个")),
             qPrintable(heading));
    qunsetenv("GRIDWRIGHTER_TEXT_VIEWER");
}

// A newer copy ends this one: the job stops after the workbook in hand, and
// the next window tells how far it came and offers its undo.
void LaunchTest::stoppedJobToldToTheNextStart()
{
    QFile file(ProgramPaths::settingsFilePath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    addWorkbooks(300);
    childOf<QPushButton>(window.get(), "pBtn_AddRow")->click();
    QTRY_VERIFY(server->count(QStringLiteral("Save()")) > 0);
    window->quitForNewerCopy();
    goOnAfterQuit();
    const int total = 300;
    window.reset();

    window = std::make_unique<MainWindow>(nullptr);
    window->offerStoppedJob();
    auto *notice = window->findChild<QMessageBox *>(QStringLiteral("StoppedJobNotice"));
    QVERIFY(notice);
    QVERIFY2(notice->text().contains(QStringLiteral("（共%1个）").arg(total)), qPrintable(notice->text()));
    QVERIFY2(notice->text().contains(QDir::toNativeSeparators(folder->path())), qPrintable(notice->text()));
    QPushButton *undo = nullptr;
    for (QAbstractButton *button : notice->buttons()) {
        if (button->text() == QStringLiteral("撤销这次修改"))
            undo = qobject_cast<QPushButton *>(button);
    }
    QVERIFY(undo);
    QVERIFY(answeringYes([&]() { undo->click(); }).contains(QDir::toNativeSeparators(folder->path())));
    QVERIFY2(statusText().startsWith(QStringLiteral("Undid the job of")), qPrintable(statusText()));
    // Told once.
    QTRY_VERIFY(!window->findChild<QMessageBox *>(QStringLiteral("StoppedJobNotice")));
    window->offerStoppedJob();
    QVERIFY(!window->findChild<QMessageBox *>(QStringLiteral("StoppedJobNotice")));
}

QTEST_MAIN(LaunchTest)
#include "LaunchTest.moc"
