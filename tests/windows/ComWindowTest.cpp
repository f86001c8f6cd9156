// SPDX-License-Identifier: GPL-3.0-or-later
// The window's job through COM: with the test server registered as
// "Excel.Application" (com_window_test.sh), a row inserted from the window
// reaches the workbook the folder holds; com_cases.py checks the file.

#include "app/MainWindow.h"
#include "app/ProgramPaths.h"
#include "launch/SpreadsheetImageNames.h"
#include "tests/app/LaunchButtons.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

class ComWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void windowInsertsARowThroughCom()
    {
        // No test may end real spreadsheet programs.
        replaceSpreadsheetImageNames({QStringLiteral("gridwrighter-no-such-image.exe")});
        const QString folder = qEnvironmentVariable("GRIDWRIGHTER_WINDOW_FOLDER");
        QVERIFY(!folder.isEmpty());
        QTemporaryDir scratch;
        ProgramPaths::settingsFilePath = scratch.filePath(QStringLiteral("absent.vrq"));
        MainWindow window(nullptr);
        window.show();
        window.findChild<QLineEdit *>(QStringLiteral("lEdt_SourcePath"))->setText(folder + QLatin1Char('/'));
        window.findChild<QSpinBox *>(QStringLiteral("sBox_AddRow"))->setValue(2);
        const QList<QPushButton *> buttons = launchButtonsOf(&window);

        window.findChild<QPushButton *>(QStringLiteral("pBtn_AddRow"))->click();

        QTRY_VERIFY_WITH_TIMEOUT(enabledCount(buttons) == 8, 120000);
        const QLabel *status = window.findChild<QLabel *>(QStringLiteral("lb_ShowDisposing"));
        QVERIFY2(status->text().startsWith(QStringLiteral("成功1个文件,")), qPrintable(status->text()));
    }
};

QTEST_MAIN(ComWindowTest)
#include "ComWindowTest.moc"
