// SPDX-License-Identifier: GPL-3.0-or-later
// The window and its results as a user sees them on this screen, in Chinese
// and in English: both within the screen, every button in reach, and saved
// as pictures for a person to look at (screenshots/ in the build folder).

#include "app/MainWindow.h"
#include "app/ProgramPaths.h"
#include "app/widgets/JobCounts.h"
#include "app/widgets/JobResultsDialog.h"
#include "engine/translations/EngineTexts.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

// What a job over a folder of real workbooks may leave, in the texts of the
// language installed.
QVector<WorkbookResult> sampleResults(const QString &folder)
{
    const auto result = [&](const char *name, WorkbookResult::Kind kind, const QString &reason) {
        WorkbookResult workbook;
        workbook.path = QDir::toNativeSeparators(folder + QStringLiteral("/2024年/财务报表/季度汇总/") + QString::fromUtf8(name));
        workbook.kind = kind;
        workbook.reason = reason;
        return workbook;
    };
    QVector<WorkbookResult> results;
    results << result("加密的工资表.xlsx", WorkbookResult::NotOpened,
                      QCoreApplication::translate("Engine", "%1 is encrypted: it opens only with its password").arg("加密的工资表.xlsx"));
    results << result("一月.xlsx", WorkbookResult::NotOpened,
                      QCoreApplication::translate("Engine", "%1 is held open by another program (%2)")
                          .arg("一月.xlsx", QCoreApplication::translate("Engine", "%1 on %2").arg("zhang", "PC-07")));
    results << result("二月.csv", WorkbookResult::Untouched,
                      QCoreApplication::translate("Engine", "a CSV file holds the text of one sheet only and cannot keep this edit"));
    WorkbookResult skipped = result("三月.xls", WorkbookResult::Edited, QString());
    skipped.skippedSheets << QStringLiteral("图表: ") + QCoreApplication::translate("Engine", "the sheet has no cells (a chart sheet, for example)");
    results << skipped;
    results << result("四月.xlsx", WorkbookResult::NotSaved,
                      QCoreApplication::translate("Engine", "%1: the disk is full (%2 bytes free)").arg("四月.xlsx").arg(4096));
    return results;
}

} // namespace

class ScreenshotTest : public QObject
{
    Q_OBJECT

private slots:
    void windowAndResults_data();
    void windowAndResults();
};

void ScreenshotTest::windowAndResults_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("zh") << false;
    QTest::newRow("en") << true;
}

void ScreenshotTest::windowAndResults()
{
    QFETCH(bool, english);
    QTranslator window;
    if (english) {
        QVERIFY(window.load(QStringLiteral(GRIDWRIGHTER_ENGLISH_QM)));
        QCoreApplication::installTranslator(&window);
    }
    QVERIFY(installEngineTexts(*qApp, english ? QLocale::English : QLocale::Chinese));
    QTemporaryDir folder;
    ProgramPaths::settingsFilePath = folder.filePath(QStringLiteral("absent.vrq"));
    MainWindow mainWindow(nullptr);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    const QRect screen = mainWindow.screen()->availableGeometry();
    const QString size = QStringLiteral("%1x%2").arg(mainWindow.screen()->size().width()).arg(mainWindow.screen()->size().height());
    const QString language = english ? QStringLiteral("en") : QStringLiteral("zh");
    const QString pictures = QStringLiteral(SCREENSHOT_FOLDER);
    QDir().mkpath(pictures);
    QTest::qWait(200);
    QVERIFY2(screen.contains(mainWindow.frameGeometry()), qPrintable(size));
    QVERIFY(mainWindow.grab().save(QStringLiteral("%1/%2-%3-window.png").arg(pictures, size, language)));

    JobResultsDialog results(&mainWindow);
    const QVector<WorkbookResult> sample = sampleResults(folder.path());
    QVector<WorkbookResult> all = sample;
    all << WorkbookResult() << WorkbookResult();
    results.showResults(sample, JobCounts::of(all), folder.filePath(QStringLiteral("list.txt")), false);
    QVERIFY(QTest::qWaitForWindowExposed(&results));
    QTest::qWait(200);
    QVERIFY2(screen.contains(results.frameGeometry()), qPrintable(size));
    // Every button, 关闭 last, in reach on the screen.
    for (const QPushButton *button : results.findChildren<QPushButton *>()) {
        const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
        QVERIFY2(screen.contains(place), qPrintable(button->text()));
    }
    QVERIFY(results.grab().save(QStringLiteral("%1/%2-%3-results.png").arg(pictures, size, language)));
    QCoreApplication::removeTranslator(&window);
    for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
