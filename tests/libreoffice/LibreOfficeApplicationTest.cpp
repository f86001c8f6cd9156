// SPDX-License-Identifier: GPL-3.0-or-later
// The application object's life: starting its own soffice, quitting, being
// dropped without Quit, a soffice that cannot start, crashes or hangs.

#include "automation/AutomationRegistry.h"
#include "automation/AxObject.h"
#include "platform/libreoffice/LibreOfficeServer.h"
#include "tests/libreoffice/LibreOfficeTestSupport.h"
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <thread>
#include <memory>

using namespace LibreOfficeTestSupport;

class LibreOfficeApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsItsOwnSofficeAndQuitRemovesIt();
    void droppingTheApplicationWithoutQuitRemovesSoffice();
    void missingSofficeGivesNoApplication_data();
    void missingSofficeGivesNoApplication();
    void crashedSofficeLosesTheWorkbookAndNextOpenStartsAfresh();
    void hungSofficeIsKilledByTheWatchdog();
    void callsFromAnotherThreadAreRefused();

private:
    QString makeWorkbook(const QString &name, const QString &text);

    QTemporaryDir m_files;
};

void LibreOfficeApplicationTest::init()
{
    registerLibreOfficeServer();
}

void LibreOfficeApplicationTest::cleanup()
{
    qunsetenv("GRIDWRIGHTER_SOFFICE");
}

QString LibreOfficeApplicationTest::makeWorkbook(const QString &name, const QString &text)
{
    const QString path = m_files.filePath(name);
    const QJsonObject description{{"sheets", QJsonArray{QJsonObject{{"name", "Sheet1"}, {"cells", QJsonObject{{"A1", text}}}}}}};
    return WorkbookFiles::create(path, description) ? path : QString();
}

void LibreOfficeApplicationTest::startsItsOwnSofficeAndQuitRemovesIt()
{
    AxObject excel;
    QVERIFY(excel.setControl(QStringLiteral("Excel.Application")));
    const pid_t pid = pid_t(excel.property("ProcessId").toLongLong());
    const QString profile = excel.property("ProfilePath").toString();
    QVERIFY(processGroupAlive(pid));
    QVERIFY(QFileInfo(profile).isDir());

    ErrorLog errors;
    errors.watch(&excel);
    excel.dynamicCall("SetVisible (bool Visible)", QStringLiteral("false"));
    QVERIFY(excel.setProperty("DisplayAlerts", false));
    QVERIFY(excel.querySubObject("WorkBooks") != nullptr);
    QCOMPARE(errors.count(), 0);

    // A second application is a second soffice with a profile of its own.
    AxObject other(QStringLiteral("Excel.Application"));
    QVERIFY(!other.isNull());
    QVERIFY(other.property("ProcessId").toLongLong() != pid);
    QVERIFY(other.property("ProfilePath").toString() != profile);

    excel.dynamicCall("Quit(void)");
    QVERIFY(!processGroupAlive(pid));
    QVERIFY(!QFileInfo::exists(profile));
    QVERIFY(processGroupAlive(pid_t(other.property("ProcessId").toLongLong())));

    QVERIFY(excel.querySubObject("WorkBooks") == nullptr);
    QCOMPARE(errors.count(), 1);
}

void LibreOfficeApplicationTest::droppingTheApplicationWithoutQuitRemovesSoffice()
{
    const QString path = makeWorkbook(QStringLiteral("dropped.xlsx"), QStringLiteral("kept"));
    QVERIFY(!path.isEmpty());
    const QByteArray before = fileBytes(path);
    auto excel = std::make_unique<AxObject>(QStringLiteral("Excel.Application"));
    const pid_t pid = pid_t(excel->property("ProcessId").toLongLong());
    const QString profile = excel->property("ProfilePath").toString();
    AxObject *workbook = excel->querySubObject("WorkBooks")->querySubObject("Open(const QString&)", path);
    QVERIFY(workbook);
    QVERIFY(QFileInfo::exists(m_files.filePath(QStringLiteral(".~lock.dropped.xlsx#"))));

    excel.reset();

    QVERIFY(!processGroupAlive(pid));
    QVERIFY(!QFileInfo::exists(profile));
    QVERIFY(!QFileInfo::exists(m_files.filePath(QStringLiteral(".~lock.dropped.xlsx#"))));
    QCOMPARE(fileBytes(path), before);
}

void LibreOfficeApplicationTest::missingSofficeGivesNoApplication_data()
{
    QTest::addColumn<bool>("throughEnvironment");
    QTest::newRow("option") << false;
    QTest::newRow("GRIDWRIGHTER_SOFFICE") << true;
}

void LibreOfficeApplicationTest::missingSofficeGivesNoApplication()
{
    QFETCH(bool, throughEnvironment);
    const QString missing = m_files.filePath(QStringLiteral("no-such-dir/soffice"));
    LibreOfficeOptions options;
    if (throughEnvironment)
        qputenv("GRIDWRIGHTER_SOFFICE", missing.toLocal8Bit());
    else
        options.sofficePath = missing;
    registerLibreOfficeServer(options);

    AxObject excel;
    ErrorLog errors;
    errors.watch(&excel);
    QVERIFY(!excel.setControl(QStringLiteral("Excel.Application")));
    QCOMPARE(errors.count(), 1);
    QVERIFY2(errors.last().contains(QStringLiteral("no-such-dir")), qPrintable(errors.last()));
    QVERIFY(excel.querySubObject("WorkBooks") == nullptr);
}

void LibreOfficeApplicationTest::crashedSofficeLosesTheWorkbookAndNextOpenStartsAfresh()
{
    const QString first = makeWorkbook(QStringLiteral("first.xlsx"), QStringLiteral("first"));
    const QString second = makeWorkbook(QStringLiteral("second.xlsx"), QStringLiteral("second"));
    QVERIFY(!first.isEmpty() && !second.isEmpty());
    const QByteArray firstBefore = fileBytes(first);

    AxObject excel(QStringLiteral("Excel.Application"));
    const pid_t crashed = pid_t(excel.property("ProcessId").toLongLong());
    const QString crashedProfile = excel.property("ProfilePath").toString();
    AxObject *workbooks = excel.querySubObject("WorkBooks");
    AxObject *workbook = workbooks->querySubObject("Open(const QString&)", first);
    QVERIFY(workbook);
    AxObject *sheet = sheetOf(workbook, 1);
    sheet->querySubObject("Rows(int)", 1)->dynamicCall("Insert()");

    ::kill(-crashed, SIGKILL);
    QTRY_VERIFY(!processGroupAlive(crashed));

    ErrorLog errors;
    errors.watch(workbook);
    workbook->dynamicCall("Save()");
    QCOMPARE(errors.count(), 1);
    QCOMPARE(fileBytes(first), firstBefore);

    AxObject *next = workbooks->querySubObject("Open(const QString&)", second);
    QVERIFY(next);
    const pid_t fresh = pid_t(excel.property("ProcessId").toLongLong());
    QVERIFY(fresh != crashed);
    QVERIFY(processGroupAlive(fresh));
    QVERIFY(!QFileInfo::exists(crashedProfile));
    AxObject *cell = sheetOf(next, 1)->querySubObject("Cells(int,int)", 1, 1);
    QCOMPARE(cell->dynamicCall("Value()").toString(), QStringLiteral("second"));
    next->dynamicCall("Close (Boolean)", false);
    excel.dynamicCall("Quit(void)");
    QVERIFY(!processGroupAlive(fresh));
}

void LibreOfficeApplicationTest::hungSofficeIsKilledByTheWatchdog()
{
    const QString path = makeWorkbook(QStringLiteral("hung.xlsx"), QStringLiteral("hung"));
    QVERIFY(!path.isEmpty());
    const QByteArray before = fileBytes(path);
    LibreOfficeOptions options;
    options.callTimeoutMs = 3000;
    registerLibreOfficeServer(options);

    AxObject excel(QStringLiteral("Excel.Application"));
    const pid_t hung = pid_t(excel.property("ProcessId").toLongLong());
    AxObject *workbooks = excel.querySubObject("WorkBooks");
    AxObject *workbook = workbooks->querySubObject("Open(const QString&)", path);
    QVERIFY(workbook);

    ::kill(-hung, SIGSTOP);
    ErrorLog errors;
    errors.watch(workbook);
    workbook->dynamicCall("Save()");
    QCOMPARE(errors.count(), 1);
    // Killed by the watchdog; the group's last members may take a moment to go.
    QTRY_VERIFY(!processGroupAlive(hung));
    QCOMPARE(fileBytes(path), before);

    QVERIFY(workbooks->querySubObject("Open(const QString&)", path) != nullptr);
    excel.dynamicCall("Quit(void)");
}

void LibreOfficeApplicationTest::callsFromAnotherThreadAreRefused()
{
    AxObject excel(QStringLiteral("Excel.Application"));
    AxObject *workbooks = excel.querySubObject("WorkBooks");
    QVERIFY(workbooks);
    ErrorLog errors;
    errors.watch(workbooks);
    AxObject *fromElsewhere = reinterpret_cast<AxObject *>(1);
    std::thread([&] {
        fromElsewhere = workbooks->querySubObject("Open(const QString&)", makeWorkbook(QStringLiteral("t.xlsx"), QStringLiteral("x")));
    }).join();
    QCOMPARE(fromElsewhere, nullptr);
    // The error was signalled from the other thread: delivered queued.
    QTRY_COMPARE(errors.count(), 1);
    QVERIFY(errors.last().contains(QStringLiteral("thread")));
    // The application still answers on its own thread.
    QVERIFY(workbooks->querySubObject("Open(const QString&)", m_files.filePath(QStringLiteral("t.xlsx"))));
    excel.dynamicCall("Quit(void)");
}

QTEST_GUILESS_MAIN(LibreOfficeApplicationTest)
#include "LibreOfficeApplicationTest.moc"
