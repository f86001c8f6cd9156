// SPDX-License-Identifier: GPL-3.0-or-later
// The command tells why a workbook was not edited in the user's language:
// Chinese in a Chinese locale, English in any other, never the other script.

#include "tests/batch/BatchRun.h"
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
const QRegularExpression latinWords(QStringLiteral("[A-Za-z]{3,} [A-Za-z]{2,} [A-Za-z]{2,}"));

} // namespace

class BatchLanguageTest : public QObject
{
    Q_OBJECT

private slots:
    void reasonsInTheUsersLanguage_data();
    void reasonsInTheUsersLanguage();
};

void BatchLanguageTest::reasonsInTheUsersLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("chineseReasons");
    QTest::newRow("Chinese") << "zh_CN.UTF-8" << true;
    QTest::newRow("English") << "en_US.UTF-8" << false;
}

// A damaged workbook, one held open by someone on another machine, and an
// empty file: each reason line in the locale's script, and no reason in the
// other one. The paths and the file names are left out of the judgement.
void BatchLanguageTest::reasonsInTheUsersLanguage()
{
    QFETCH(QString, language);
    QFETCH(bool, chineseReasons);
    QTemporaryDir folder;
    const QString book = folder.filePath("book.xlsx");
    QVERIFY(WorkbookFiles::create(book, QJsonObject{{"sheets", QJsonArray{QJsonObject{
                                                        {"name", "Data"}, {"cells", QJsonObject{{"A1", 1}}}}}}}));
    QVERIFY(QFile::copy(book, folder.filePath("held.xlsx")));
    QFile lock(folder.filePath(".~lock.held.xlsx#"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(",bob,elsewhere-pc,01.06.2026 09:00,file:///home/bob/.config/libreoffice/4;");
    lock.close();
    QFile damaged(folder.filePath("damaged.xlsx"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("PK\x03\x04", 4) + QByteArray(300, 'x'));
    damaged.close();
    QFile empty(folder.filePath("empty.xls"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LC_ALL");
    environment.remove("LC_MESSAGES");
    environment.insert("LANG", language);
    const BatchRun job = runBatch({folder.path(), "add-row", "1"}, environment);
    QCOMPARE(job.status, 1);

    const QString root = QDir::toNativeSeparators(folder.path());
    int reasons = 0;
    for (const QString &line : job.errors.split('\n')) {
        const int at = line.indexOf(": not opened: ");
        if (at < 0)
            continue;
        ++reasons;
        QString reason = line.mid(at + QStringLiteral(": not opened: ").size());
        reason.remove(QRegularExpression(QRegularExpression::escape(root) + QStringLiteral("\\S*")));
        QVERIFY2(reason.contains(chinese) == chineseReasons, qPrintable(line));
        if (chineseReasons)
            QVERIFY2(!reason.contains(latinWords), qPrintable(line));
        if (line.contains("held.xlsx"))
            QVERIFY2(reason.contains("bob") && reason.contains("elsewhere-pc"), qPrintable(line));
    }
    QCOMPARE(reasons, 3);
}

QTEST_GUILESS_MAIN(BatchLanguageTest)
#include "BatchLanguageTest.moc"
