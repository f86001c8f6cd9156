// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class SettingsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void readSetting_data();
    void readSetting();

    void writeSetting_data();
    void writeSetting();

    void writeSettingCreatesAMissingFile();
    void writeSettingHandlesLongValuesAndFiles();
    void writtenValueReadsBack();

private:
    QByteArray contentAfterWriting(const QByteArray &before, const QByteArray &value);
    QTemporaryDir directory;
};

void SettingsFileTest::readSetting_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("CR LF line") << QByteArray("SourcePath=D:\\data\\\r\n") << QByteArray("D:\\data\\");
    QTest::newRow("spaces and tabs around the value")
        << QByteArray("SourcePath= \t/srv/books/ \t\r\nOther=1\r\n") << QByteArray("/srv/books/");
    QTest::newRow("blanks around the whole text")
        << QByteArray(" \t SourcePath=/a/ \t ") << QByteArray("/a/");
    QTest::newRow("among other keys")
        << QByteArray("Width=3\r\nSourcePath=/b/\r\nHeight=4\r\n") << QByteArray("/b/");
    QTest::newRow("key twice: first wins")
        << QByteArray("SourcePath=/first/\r\nSourcePath=/second/\r\n") << QByteArray("/first/");
    QTest::newRow("bare LF lines")
        << QByteArray("Other=x\nSourcePath=/lf/\nLast=y\n") << QByteArray("/lf/");
    QTest::newRow("value at the end without line end")
        << QByteArray("Other=x\r\nSourcePath=/eof/") << QByteArray("/eof/");
    QTest::newRow("value holding '='") << QByteArray("SourcePath=/a=b/\r\n") << QByteArray("/a=b/");
    QTest::newRow("empty value") << QByteArray("SourcePath=\r\nOther=1\r\n") << QByteArray();
    QTest::newRow("key missing") << QByteArray("Other=1\r\n") << QByteArray();
    QTest::newRow("key without '='") << QByteArray("SourcePath\r\n") << QByteArray();
    QTest::newRow("empty text") << QByteArray() << QByteArray();
}

void SettingsFileTest::readSetting()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(::readSetting(text, "SourcePath"), expected);
}

void SettingsFileTest::writeSetting_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty file: no line end in front")
        << QByteArray() << QByteArray("SourcePath=/new/\r\n");
    QTest::newRow("appended after a CR LF line")
        << QByteArray("Other=1\r\n") << QByteArray("Other=1\r\nSourcePath=/new/\r\n");
    QTest::newRow("appended after a last line without line end")
        << QByteArray("Other=1") << QByteArray("Other=1\r\nSourcePath=/new/\r\n");
    QTest::newRow("appended after a bare LF line")
        << QByteArray("Other=1\n") << QByteArray("Other=1\nSourcePath=/new/\r\n");
    QTest::newRow("replaced between other lines")
        << QByteArray("A=1\r\nSourcePath=/old/\r\nB=2\r\n") << QByteArray("A=1\r\nSourcePath=/new/\r\nB=2\r\n");
    QTest::newRow("replaced in a bare LF file, following lines kept")
        << QByteArray("A=1\nSourcePath=/old/\nB=2\nC=3\n") << QByteArray("A=1\nSourcePath=/new/\r\nB=2\nC=3\n");
    QTest::newRow("replaced at the end without line end")
        << QByteArray("A=1\r\nSourcePath=/old/") << QByteArray("A=1\r\nSourcePath=/new/\r\n");
    QTest::newRow("key twice: only the first replaced")
        << QByteArray("SourcePath=/one/\r\nSourcePath=/two/\r\n")
        << QByteArray("SourcePath=/new/\r\nSourcePath=/two/\r\n");
}

void SettingsFileTest::writeSetting()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(contentAfterWriting(before, "/new/"), after);
}

void SettingsFileTest::writeSettingCreatesAMissingFile()
{
    const QString path = directory.filePath(QStringLiteral("missing.vrq"));
    QCOMPARE(::writeSetting(path, "SourcePath", "/x/"), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("SourcePath=/x/\r\n"));
    // A file in a folder that does not exist is not made.
    QCOMPARE(::writeSetting(directory.filePath(QStringLiteral("no/such.vrq")), "SourcePath", "/x/"), -1);
}

void SettingsFileTest::writeSettingHandlesLongValuesAndFiles()
{
    const QByteArray longValue = "/" + QByteArray(20000, 'v') + "/";
    QByteArray before;
    for (int line = 0; line < 1000; ++line)
        before += "Key" + QByteArray::number(line) + "=" + QByteArray(20, 'x') + "\r\n";
    QVERIFY(before.size() > 10240);
    const QByteArray middle = "Key500=" + QByteArray(20, 'x') + "\r\n";

    const QByteArray appended = contentAfterWriting(before, longValue);
    QCOMPARE(appended, before + "SourcePath=" + longValue + "\r\n");
    QCOMPARE(::readSetting(appended, "SourcePath"), longValue);

    QByteArray withKeyInMiddle = before;
    withKeyInMiddle.replace(middle, "SourcePath=/old/\r\n");
    QByteArray expected = before;
    expected.replace(middle, "SourcePath=" + longValue + "\r\n");
    QCOMPARE(contentAfterWriting(withKeyInMiddle, longValue), expected);
}

void SettingsFileTest::writtenValueReadsBack()
{
    const QByteArray value = QStringLiteral("/数据/表格/").toLocal8Bit();
    const QByteArray content = contentAfterWriting("A=1\r\nSourcePath=/old/\r\n", value);
    QCOMPARE(::readSetting(content, "SourcePath"), value);
    QCOMPARE(::readSetting(content, "A"), QByteArray("1"));
}

QByteArray SettingsFileTest::contentAfterWriting(const QByteArray &before, const QByteArray &value)
{
    const QString path = directory.filePath(QStringLiteral("Gridwrighter.vrq"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return "cannot prepare the file";
    file.write(before);
    file.close();
    if (::writeSetting(path, "SourcePath", value) != 0)
        return "writeSetting failed";
    if (!file.open(QIODevice::ReadOnly))
        return "cannot read the file back";
    return file.readAll();
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "SettingsFileTest.moc"
