// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's texts in the user's language, from the translations built
// into the programs: Chinese for a Chinese locale, English for any other.

#include "engine/backup/JobUndo.h"
#include "engine/report/EditInWords.h"
#include "engine/report/StatusTexts.h"
#include "engine/translations/EngineTexts.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

class EngineTextsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    void chineseForAChineseLocale()
    {
        QVERIFY(installEngineTexts(*qApp, QLocale::Chinese));
        QCOMPARE(undoSummary(UndoOutcome()), QStringLiteral("没有可以撤销的修改"));
        QCOMPARE(editInWords({"add-row", "2"}), QStringLiteral("插入行：在第2行前"));
        QCOMPARE(editInWords({"fill-formula", "=A2*2", "--start", "2,3", "--end", "9,3", "--sheet", "Data"}),
                 QStringLiteral("设置公式：=A2*2，从第2行第3列到第9行第3列，只修改名为“Data”的工作表"));
        QCOMPARE(QCoreApplication::translate("Engine", "%1 is held open by another program (%2)").arg("a.xlsx", "bob"),
                 QStringLiteral("a.xlsx 正被另一个程序打开（bob）"));
        // The texts the window has always shown stay as they are.
        QCOMPARE(StatusTexts::finished(3), QStringLiteral("成功3个文件,"));
        QCOMPARE(StatusTexts::applicationCreated(), QStringLiteral("excel OK!"));
    }

    void englishForAnyOtherLocale()
    {
        QVERIFY(installEngineTexts(*qApp, QLocale::English));
        const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
        for (const QString &text : {StatusTexts::finished(3), StatusTexts::noApplication(), StatusTexts::stopped(),
                                    StatusTexts::dryRun(), StatusTexts::backupKept("/b"), undoSummary(UndoOutcome()),
                                    editInWords({"delete-column", "4", "--first-sheet-only"})})
            QVERIFY2(!text.contains(chinese), qPrintable(text));
        QCOMPARE(editInWords({"delete-column", "4", "--first-sheet-only"}),
                 QStringLiteral("delete column 4, only in the first sheet"));
    }
};

QTEST_GUILESS_MAIN(EngineTextsTest)
#include "EngineTextsTest.moc"
