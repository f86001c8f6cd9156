// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a Windows with no spreadsheet application: COM finds no
// "Excel.Application", and a launch ends with the text that says so.

#include "app/MainWindow.h"
#include "app/ProgramPaths.h"
#include "engine/report/StatusTexts.h"
#include "launch/SpreadsheetImageNames.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class NoApplicationWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void launchSaysNoApplicationIsInstalled()
    {
        // No test may end real spreadsheet programs.
        replaceSpreadsheetImageNames({QStringLiteral("gridwrighter-no-such-image.exe")});
        QTemporaryDir folder;
        QFile workbook(folder.filePath(QStringLiteral("a.xlsx")));
        QVERIFY(workbook.open(QIODevice::WriteOnly));
        workbook.close();
        ProgramPaths::settingsFilePath = folder.filePath(QStringLiteral("absent.vrq"));
        MainWindow window(nullptr);
        window.show();
        window.findChild<QLineEdit *>(QStringLiteral("lEdt_SourcePath"))->setText(folder.path() + QLatin1Char('/'));

        window.findChild<QPushButton *>(QStringLiteral("pBtn_AddRow"))->click();

        const QLabel *status = window.findChild<QLabel *>(QStringLiteral("lb_ShowDisposing"));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), StatusTexts::noApplication(), 60000);
        QCOMPARE(workbook.size(), 0);
    }
};

QTEST_MAIN(NoApplicationWindowTest)
#include "NoApplicationWindowTest.moc"
