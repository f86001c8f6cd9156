// SPDX-License-Identifier: GPL-3.0-or-later
// A user's job from the window, run by the real LibreOffice on real files.

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
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
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

// The tray's undo, its question answered yes. Returns the question asked.
QString undoFromTray()
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
    for (QAction *action : MainWindow::trayIcon->contextMenu()->actions()) {
        if (action->text() == QStringLiteral("撤销上一次修改"))
            action->trigger();
    }
    return question;
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
        QVERIFY2(status->text().contains(QStringLiteral("恢复2个文件")), qPrintable(status->text()));
        QCOMPARE(digest(folder.filePath("a.xlsx")), afterRow);
        undoFromTray();
        QCOMPARE(digest(folder.filePath("a.xlsx")), original);
        QVERIFY(!QFileInfo::exists(folder.filePath(".gridwrighter-backup")));
        qunsetenv("GRIDWRIGHTER_TEXT_VIEWER");
    }
};

QTEST_MAIN(WindowRealJobTest)
#include "WindowRealJobTest.moc"
