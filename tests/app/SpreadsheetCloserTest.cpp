// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/SpreadsheetCloser.h"

#include <QtTest>

#include <map>

class SpreadsheetCloserTest : public QObject
{
    Q_OBJECT

private slots:
    void endsEveryCopyOfEachNameInOrder();
    void givesUpAfterBoundedRoundsWhenKillsDoNotTake();
    void givesUpAtOnceWhenKillIsRefused();
    void countsProcessThatEndedOnItsOwnAsClosed();
};

void SpreadsheetCloserTest::endsEveryCopyOfEachNameInOrder()
{
    std::map<QString, int> running = { { "calc", 3 }, { "sheet", 1 } };
    QStringList ended;
    SpreadsheetCloser closer;
    closer.setProcessFunctions([&](const QString &name) { return running[name]; },
                               [&](const QString &name) {
                                   ended += name;
                                   --running[name];
                                   return true;
                               });

    QCOMPARE(closer.closeAll({ "calc", "sheet" }), QString());
    QCOMPARE(ended, (QStringList{ "calc", "calc", "calc", "sheet" }));
}

void SpreadsheetCloserTest::givesUpAfterBoundedRoundsWhenKillsDoNotTake()
{
    int kills = 0;
    bool laterNameTouched = false;
    SpreadsheetCloser closer;
    closer.setProcessFunctions(
        [&](const QString &name) {
            laterNameTouched |= name == QLatin1String("later");
            return 1;
        },
        [&](const QString &) {
            ++kills;
            return true;
        });

    QCOMPARE(closer.closeAll({ "undying", "later" }), QStringLiteral("undying"));
    QVERIFY(kills >= 1);
    QVERIFY(kills <= SpreadsheetCloser::maximumRounds);
    QVERIFY(!laterNameTouched);
}

void SpreadsheetCloserTest::givesUpAtOnceWhenKillIsRefused()
{
    int kills = 0;
    SpreadsheetCloser closer;
    closer.setProcessFunctions([](const QString &) { return 2; },
                               [&](const QString &) {
                                   ++kills;
                                   return false;
                               });

    QCOMPARE(closer.closeAll({ "protected" }), QStringLiteral("protected"));
    QCOMPARE(kills, 1);
}

void SpreadsheetCloserTest::countsProcessThatEndedOnItsOwnAsClosed()
{
    int counts = 0;
    SpreadsheetCloser closer;
    // Counted once as running, gone by the time the kill is sent.
    closer.setProcessFunctions([&](const QString &) { return counts++ == 0 ? 1 : 0; },
                               [](const QString &) { return false; });

    QCOMPARE(closer.closeAll({ "quitting" }), QString());
}

QTEST_GUILESS_MAIN(SpreadsheetCloserTest)
#include "SpreadsheetCloserTest.moc"
