// SPDX-License-Identifier: GPL-3.0-or-later
// A user's job from the window, run by the real LibreOffice on real files.

#include "app/widgets/JobResultsDialog.h"
#include "app/MainWindow.h"
#include "app/ProgramPaths.h"
#include "app/SystemTray.h"
#include "launch/JobSettings.h"
#include "launch/SpreadsheetImageNames.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/support/WorkbookFiles.h"

#include "LaunchButtons.h"
#include "engine/report/UnopenedList.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QSpinBox>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

template <typename T>
T *childOf(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

QJsonObject cell(const QJsonObject &sheet, const QString &ref)
{
    return sheet.value("cells").toObject().value(ref).toObject();
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
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

// The tray's undo, its question answered yes. Returns the question asked.
QString undoFromTray()
{
    return answeringYes([]() {
        for (QAction *action : MainWindow::trayIcon->contextMenu()->actions()) {
            if (action->text() == QStringLiteral("撤销上一次修改"))
                action->trigger();
        }
    });
}

QMap<QString, QByteArray> digests(const QString &folder)
{
    QMap<QString, QByteArray> all;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        all.insert(path, digest(path));
    }
    return all;
}

// With GRIDWRIGHTER_SCREENSHOTS set, the window (and the results) as the user
// sees them, for a look at the layout on small or scaled screens.
void screenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("GRIDWRIGHTER_SCREENSHOTS");
    if (folder.isEmpty() || !widget)
        return;
    QDir().mkpath(folder);
    widget->grab().save(folder + '/' + name + ".png");
}

} // namespace

class WindowRealJobTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Ends no spreadsheet program on the machine: other tests' and the
        // user's LibreOffice keep running.
        replaceSpreadsheetImageNames({});
        registerLibreOfficeServer();
    }

    void insertRowThenFillFromTheForm()
    {
        QTemporaryDir folder;
        QTemporaryDir scratch;
        QDir(folder.path()).mkpath("2024");
        const QJsonObject book{{"sheets", QJsonArray{QJsonObject{
                                             {"name", QStringLiteral("销售")},
                                             {"cells", QJsonObject{{"A1", "月份"}, {"A2", 10}, {"A3", 20}, {"A4", 30}}}}}}};
        QVERIFY(WorkbookFiles::create(folder.filePath("a.xlsx"), book));
        QVERIFY(WorkbookFiles::create(folder.filePath("2024/b.xlsx"), book));
        const QByteArray original = digest(folder.filePath("a.xlsx"));
        QFile broken(folder.filePath("2024/broken.xls"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a workbook");
        broken.close();

        const QString viewerLog = scratch.filePath("viewer.log");
        const QString viewer = scratch.filePath("viewer.sh");
        QFile script(viewer);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(viewerLog).toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("GRIDWRIGHTER_TEXT_VIEWER", viewer.toLocal8Bit());

        ProgramPaths::settingsFilePath = scratch.filePath("absent.vrq");
        MainWindow window(nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        childOf<QLineEdit>(&window, "lEdt_SourcePath")->setText(folder.path() + '/');
        childOf<QSpinBox>(&window, "sBox_AddRow")->setValue(2);
        const QList<QPushButton *> buttons = launchButtonsOf(&window);
        auto *status = childOf<QLabel>(&window, "lb_ShowDisposing");

        QTest::mouseClick(childOf<QPushButton>(&window, "pBtn_AddRow"), Qt::LeftButton);
        QCOMPARE(enabledCount(buttons), 0);
        QTRY_VERIFY_WITH_TIMEOUT(enabledCount(buttons) == 8, 120000);
        QVERIFY2(status->text().startsWith(QStringLiteral("成功3个文件,")), qPrintable(status->text()));
        QVERIFY2(status->text().contains(QStringLiteral("原文件已备份到") + folder.filePath(".gridwrighter-backup/")),
                 qPrintable(status->text()));
        const QByteArray afterRow = digest(folder.filePath("a.xlsx"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(viewerLog), 10000);
        QFile log(viewerLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(log.readAll()), folder.filePath(unopenedListFileName()) + '\n');

        // Fill column B down to each sheet's last row, found by the program.
        childOf<QLineEdit>(&window, "lEdt_FirstFormula")->setText(QStringLiteral("=A3*2"));
        childOf<QSpinBox>(&window, "sBox_CopyFormulaStartRow")->setValue(3);
        childOf<QSpinBox>(&window, "sBox_CopyFormulaStartColumn")->setValue(2);
        QTest::mouseClick(childOf<QCheckBox>(&window, "cBox_CopyFormulaEndRow"), Qt::LeftButton);
        QTest::mouseClick(childOf<QPushButton>(&window, "pBtn_CopyFormula"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(enabledCount(buttons) == 8, 120000);
        QVERIFY2(status->text().startsWith(QStringLiteral("成功2个文件,")), qPrintable(status->text()));

        for (const QString &name : {QStringLiteral("a.xlsx"), QStringLiteral("2024/b.xlsx")}) {
            const QJsonObject sheet = WorkbookFiles::sheetAt(WorkbookFiles::read(folder.filePath(name)), 0);
            QCOMPARE(cell(sheet, "A1").value("value").toString(), QStringLiteral("月份"));
            QVERIFY(cell(sheet, "A2").isEmpty());
            QCOMPARE(cell(sheet, "A5").value("value").toInt(), 30);
            QCOMPARE(cell(sheet, "B3").value("formula").toString(), QStringLiteral("=A3*2"));
            QCOMPARE(cell(sheet, "B5").value("formula").toString(), QStringLiteral("=A5*2"));
            QCOMPARE(cell(sheet, "B5").value("value").toInt(), 60);
            QVERIFY(cell(sheet, "B6").isEmpty());
        }

        // Each undo from the tray asks, then takes back one job, the newest first.
        QVERIFY(undoFromTray().contains("2"));
        QVERIFY2(status->text().contains(QStringLiteral("2 workbooks restored")), qPrintable(status->text()));
        QCOMPARE(digest(folder.filePath("a.xlsx")), afterRow);
        undoFromTray();
        QCOMPARE(digest(folder.filePath("a.xlsx")), original);
        QVERIFY(!QFileInfo::exists(folder.filePath(".gridwrighter-backup")));
        qunsetenv("GRIDWRIGHTER_TEXT_VIEWER");
    }

    // A job as a user with a small screen sees it: the window stays within
    // the screen, the progress counts to the total, a dry run first, then
    // the job, its damaged workbook listed with the reason, undone from the
    // window; the form comes back at the next start.
    void dryRunJobResultsAndUndoInTheWindow()
    {
        QTemporaryDir folder;
        QTemporaryDir scratch;
        QDir(folder.path()).mkpath("2024");
        const QJsonObject book{{"sheets", QJsonArray{QJsonObject{
                                             {"name", QStringLiteral("表一")},
                                             {"cells", QJsonObject{{"A1", "月份"}, {"A2", 10}}}}}}};
        for (const char *name : {"a.xlsx", "b.xlsx", "2024/c.xlsx"})
            QVERIFY(WorkbookFiles::create(folder.filePath(name), book));
        QFile damaged(folder.filePath("2024/damaged.xlsx"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("PK\x03\x04", 4) + QByteArray(300, 'x'));
        damaged.close();
        const QMap<QString, QByteArray> original = digests(folder.path());
        // The list file is not shown: no viewer pops up in a test.
        qputenv("GRIDWRIGHTER_TEXT_VIEWER", "true");

        ProgramPaths::settingsFilePath = scratch.filePath("Gridwrighter.vrq");
        QFile settings(ProgramPaths::settingsFilePath);
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.close();
        auto window = std::make_unique<MainWindow>(nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect screen = window->screen()->availableGeometry();
        QVERIFY2(window->frameGeometry().width() <= screen.width(), qPrintable(QString::number(window->width())));

        auto *status = childOf<QLabel>(window.get(), "lb_ShowDisposing");
        const QString longText = QString(300, QChar(0x6587));
        QMetaObject::invokeMethod(window.get(), "on_ShowDisposingFile", Q_ARG(QString, longText));
        QTest::qWait(50);
        QVERIFY2(window->frameGeometry().width() <= screen.width(), qPrintable(QString::number(window->width())));
        QCOMPARE(status->text(), longText);
        QCOMPARE(status->toolTip(), longText);

        childOf<QLineEdit>(window.get(), "lEdt_SourcePath")->setText(folder.path() + '/');
        childOf<QLineEdit>(window.get(), "lEdt_FormulaToValue")->setText("B2:D2");
        childOf<QCheckBox>(window.get(), "cBox_OnlyFirstSheet")->setChecked(true);
        auto *dryRun = childOf<QCheckBox>(window.get(), "cBox_DryRun");
        dryRun->setChecked(true);
        auto *row = childOf<QSpinBox>(window.get(), "sBox_AddRow");
        row->setValue(2);
        auto *progress = childOf<QProgressBar>(window.get(), "pBar_Progress");
        const QList<QPushButton *> buttons = launchButtonsOf(window.get());
        const QString size = QStringLiteral("%1x%2").arg(window->screen()->size().width()).arg(window->screen()->size().height());
        connect(progress, &QProgressBar::valueChanged, window.get(), [&](int value) {
            if (value == 1 && progress->maximum() == 4)
                screenshot(window.get(), size + "-during-job");
        });

        // Enter in the row's field starts the edit, as its button does.
        row->setFocus();
        QTest::keyClick(row, Qt::Key_Return);
        QCOMPARE(enabledCount(buttons), 0);
        // While LibreOffice starts, the bar is busy and says so, not 0 of 4.
        auto *time = childOf<QLabel>(window.get(), "lb_Time");
        QTRY_VERIFY_WITH_TIMEOUT(time->text().contains(QStringLiteral("正在启动表格程序")), 30000);
        QCOMPARE(progress->maximum(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(enabledCount(buttons) == 8, 120000);
        QCOMPARE(digests(folder.path()), original);
        QVERIFY2(status->text().contains(QStringLiteral("试运行")), qPrintable(status->text()));
        JobResultsDialog *results = window->resultsDialog();
        QVERIFY(results && results->isVisible());
        auto *listed = results->findChild<QTreeWidget *>("tw_Results");
        QCOMPARE(listed->topLevelItemCount(), 4);

        dryRun->setChecked(false);
        QTest::mouseClick(childOf<QPushButton>(window.get(), "pBtn_AddRow"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(enabledCount(buttons) == 8, 120000);
        QCOMPARE(progress->maximum(), 4);
        QCOMPARE(progress->value(), 4);
        QVERIFY2(status->text().startsWith(QStringLiteral("成功4个文件,")), qPrintable(status->text()));
        QVERIFY(results->isVisible());
        QCOMPARE(listed->topLevelItemCount(), 1);
        const QTreeWidgetItem *failed = listed->topLevelItem(0);
        QCOMPARE(failed->text(0), QDir::toNativeSeparators(folder.filePath("2024/damaged.xlsx")));
        QCOMPARE(failed->text(1), QStringLiteral("未能打开"));
        QVERIFY(!failed->text(2).isEmpty());
        QVERIFY(digest(folder.filePath("a.xlsx")) != original.value(folder.filePath("a.xlsx")));
        screenshot(window.get(), size + "-job-end");
        screenshot(results, size + "-results");

        answeringYes([&]() { QTest::mouseClick(childOf<QPushButton>(window.get(), "pBtn_UndoLastJob"), Qt::LeftButton); });
        QMap<QString, QByteArray> restored = digests(folder.path());
        restored.remove(folder.filePath(unopenedListFileName()));
        QCOMPARE(restored, original);

        // The next start brings the form back.
        window.reset();
        window = std::make_unique<MainWindow>(nullptr);
        QCOMPARE(childOf<QSpinBox>(window.get(), "sBox_AddRow")->value(), 2);
        QCOMPARE(childOf<QLineEdit>(window.get(), "lEdt_FormulaToValue")->text(), QStringLiteral("B2:D2"));
        QVERIFY(childOf<QCheckBox>(window.get(), "cBox_OnlyFirstSheet")->isChecked());
        QVERIFY(!childOf<QCheckBox>(window.get(), "cBox_DryRun")->isChecked());
        qunsetenv("GRIDWRIGHTER_TEXT_VIEWER");
    }
};

QTEST_MAIN(WindowRealJobTest)
#include "WindowRealJobTest.moc"
