// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class ProgramPathsTest : public QObject
{
    Q_OBJECT

private slots:
    void directoryFromArgv0_data();
    void directoryFromArgv0();
    void argv0WithoutDirectoryGivesRunningExecutableDirectory();
    void settingsFileBesideProgram();
    void settingsFileInTheUserFolderWhenTheProgramsIsNotWritable();
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

void ProgramPathsTest::settingsFileInTheUserFolderWhenTheProgramsIsNotWritable()
{
    QTemporaryDir programs;
    const QString writable = QDir::toNativeSeparators(programs.path() + QLatin1Char('/'));
    QCOMPARE(settingsFilePathFor(writable), writable + QStringLiteral("Gridwrighter.vrq"));

    // Tests run as root, who may write anywhere: a directory below a plain
    // file cannot be written by anyone.
    QFile plainFile(programs.filePath(QStringLiteral("bin")));
    QVERIFY(plainFile.open(QIODevice::WriteOnly));
    plainFile.close();
    const QString unwritable = plainFile.fileName() + QStringLiteral("/usr/bin/");
    QStandardPaths::setTestModeEnabled(true);
    const QString userFile = QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                                      + QStringLiteral("/Gridwrighter/Gridwrighter.vrq"));
    QFile::remove(userFile);
    QCOMPARE(settingsFilePathFor(unwritable), userFile);
    // Created, so that the folder choice can be written into it, and kept as
    // it is at the next start.
    QCOMPARE(writeSetting(userFile, "SourcePath", "/data/"), 0);
    QCOMPARE(settingsFilePathFor(unwritable), userFile);
    QFile settings(userFile);
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(readSetting(settings.readAll(), "SourcePath"), QByteArray("/data/"));
    settings.remove();
}

QTEST_GUILESS_MAIN(ProgramPathsTest)
#include "ProgramPathsTest.moc"
