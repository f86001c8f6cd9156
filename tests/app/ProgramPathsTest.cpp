#include "app/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtTest>

class ProgramPathsTest : public QObject
{
    Q_OBJECT

private slots:
    void directoryFromArgv0_data();
    void directoryFromArgv0();
    void argv0WithoutDirectoryGivesRunningExecutableDirectory();
    void settingsFileBesideProgram();
};

void ProgramPathsTest::directoryFromArgv0_data()
{
    QTest::addColumn<QByteArray>("argv0");
    QTest::addColumn<QString>("expected");

    QTest::newRow("absolute") << QByteArray("/opt/gridwrighter/bin/Gridwrighter")
                              << QStringLiteral("/opt/gridwrighter/bin/");
    QTest::newRow("relative") << QByteArray("./Gridwrighter") << QStringLiteral("./");
    QTest::newRow("root") << QByteArray("/Gridwrighter") << QStringLiteral("/");
    QTest::newRow("non-ASCII directory") << QStringLiteral("/home/用户/工具/Gridwrighter").toLocal8Bit()
                                         << QStringLiteral("/home/用户/工具/");
    const QString longDirectory = QStringLiteral("/") + QString(300, QLatin1Char('d')) + QStringLiteral("/")
        + QString(300, QLatin1Char('e')) + QStringLiteral("/");
    QTest::newRow("longer than any fixed buffer")
        << (longDirectory + QStringLiteral("Gridwrighter")).toLocal8Bit() << longDirectory;
}

void ProgramPathsTest::directoryFromArgv0()
{
    QFETCH(QByteArray, argv0);
    QFETCH(QString, expected);
    QCOMPARE(programDirectoryFromArgv0(argv0), expected);
}

void ProgramPathsTest::argv0WithoutDirectoryGivesRunningExecutableDirectory()
{
    const QString expected = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QCOMPARE(programDirectoryFromArgv0("Gridwrighter"), expected);
}

void ProgramPathsTest::settingsFileBesideProgram()
{
    QCOMPARE(settingsFilePathIn(QStringLiteral("/opt/gw/")), QStringLiteral("/opt/gw/Gridwrighter.vrq"));
}

QTEST_GUILESS_MAIN(ProgramPathsTest)
#include "ProgramPathsTest.moc"
