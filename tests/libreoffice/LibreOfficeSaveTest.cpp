// SPDX-License-Identifier: GPL-3.0-or-later
// Saving replaces the workbook whole: stored beside it under a hidden name
// and renamed over it, keeping its format and permissions; a save that cannot
// finish raises an error and leaves the file and its folder as they were.

#include "automation/AxObject.h"
#include "tests/libreoffice/LibreOfficeTestSupport.h"
#include "tests/support/WorkbookFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace LibreOfficeTestSupport;

class LibreOfficeSaveTest : public CalcTestCase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void saveReplacesTheFileKeepingFormatAndPermissions_data();
    void saveReplacesTheFileKeepingFormatAndPermissions();
    void saveThroughALinkReplacesTheFileItLeadsTo();
    void saveWithoutItsFolderFailsAndWritesNothing();
    void saveThatCannotReplaceTheFileRemovesWhatItWrote();

private:
    void writeFirstCell(AxObject *workbook, const QString &text);
    QString firstCell(const QString &path);
    QString workbookIn(const QString &folder, const QString &file);

    std::unique_ptr<QTemporaryDir> m_folder;
};

namespace {

QStringList folderEntries(const QString &folder)
{
    QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

QString lockFileOf(const QString &path)
{
    return QStringLiteral(".~lock.%1#").arg(QFileInfo(path).fileName());
}

struct stat statusOf(const QString &path)
{
    struct stat status = {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

} // namespace

void LibreOfficeSaveTest::initTestCase()
{
    QVERIFY(startCalc());
}

void LibreOfficeSaveTest::cleanupTestCase()
{
    quitCalc();
}

void LibreOfficeSaveTest::init()
{
    m_errors.clear();
    // Each test reads a folder of its own, holding nothing but its workbook.
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void LibreOfficeSaveTest::writeFirstCell(AxObject *workbook, const QString &text)
{
    AxObject *sheet = sheetOf(workbook, 1);
    sheet->querySubObject("Cells(int,int)", 1, 1)->dynamicCall("SetFormula(const QVariant&)", text);
}

QString LibreOfficeSaveTest::firstCell(const QString &path)
{
    AxObject *workbook = open(path);
    if (!workbook)
        return QString();
    AxObject *sheet = sheetOf(workbook, 1);
    const QString value = sheet->querySubObject("Cells(int,int)", 1, 1)->dynamicCall("Value()").toString();
    workbook->dynamicCall("Close (Boolean)", false);
    return value;
}

// A corpus workbook, a new xlsx or a small csv in folder; empty on failure.
QString LibreOfficeSaveTest::workbookIn(const QString &folder, const QString &file)
{
    if (file == "book.xlsx") {
        const QString path = folder + "/book.xlsx";
        const QJsonObject sheet{{"name", "Sheet1"}, {"cells", QJsonObject{{"A1", 1}}}};
        return WorkbookFiles::create(path, QJsonObject{{"sheets", QJsonArray{sheet}}}) ? path : QString();
    }
    if (file == "book.csv") {
        const QString path = folder + "/book.csv";
        QFile csv(path);
        if (!csv.open(QIODevice::WriteOnly) || csv.write("name,amount\r\nfirst,00123\r\n") < 0)
            return QString();
        return path;
    }
    if (WorkbookFiles::corpusFolder().isEmpty())
        return QString();
    return copyFromCorpus(file, folder);
}

void LibreOfficeSaveTest::saveReplacesTheFileKeepingFormatAndPermissions_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("signature");
    QTest::newRow("xlsx") << "book.xlsx" << QByteArray("PK\x03\x04");
    QTest::newRow("xlsm") << "apache-poi/SimpleMacro.xlsm" << QByteArray("PK\x03\x04");
    QTest::newRow("xls") << "apache-poi/3dFormulas.xls" << QByteArray::fromHex("D0CF11E0A1B11AE1");
    QTest::newRow("csv") << "book.csv" << QByteArray("saved,amount\r\nfirst,00123\r\n");
}

void LibreOfficeSaveTest::saveReplacesTheFileKeepingFormatAndPermissions()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, signature);
    const QString path = workbookIn(m_folder->path(), file);
    if (path.isEmpty() && file.startsWith("apache-poi/") && WorkbookFiles::corpusFolder().isEmpty())
        QSKIP("the shared corpus is not there");
    QVERIFY(!path.isEmpty());
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const ino_t inode = statusOf(path).st_ino;

    AxObject *workbook = open(path);
    QVERIFY2(workbook, qPrintable(m_errors.last()));
    writeFirstCell(workbook, "saved");
    workbook->dynamicCall("Save()");
    QCOMPARE(m_errors.count(), 0);
    QCOMPARE(folderEntries(m_folder->path()), (QStringList{lockFileOf(path), QFileInfo(path).fileName()}));
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    QCOMPARE(folderEntries(m_folder->path()), QStringList{QFileInfo(path).fileName()});
    const struct stat saved = statusOf(path);
    QVERIFY(saved.st_ino != inode);
    QCOMPARE(saved.st_mode & 07777, mode_t(0640));
    QVERIFY(fileBytes(path).startsWith(signature));
    QCOMPARE(firstCell(path), QStringLiteral("saved"));
}

void LibreOfficeSaveTest::saveThroughALinkReplacesTheFileItLeadsTo()
{
    const QString path = workbookIn(m_folder->path(), "book.xlsx");
    QVERIFY(!path.isEmpty());
    const QString link = m_folder->filePath("link.xlsx");
    QVERIFY(QFile::link(path, link));

    AxObject *workbook = open(link);
    QVERIFY(workbook);
    writeFirstCell(workbook, "through the link");
    workbook->dynamicCall("Save()");
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(m_errors.count(), 0);

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(firstCell(path), QStringLiteral("through the link"));
    QCOMPARE(folderEntries(m_folder->path()), (QStringList{"book.xlsx", "link.xlsx"}));
}

void LibreOfficeSaveTest::saveWithoutItsFolderFailsAndWritesNothing()
{
    // Permissions do not stop root: a file where the folder was does.
    const QString folder = m_folder->filePath("data");
    QVERIFY(QDir().mkpath(folder));
    const QString path = workbookIn(folder, "book.xlsx");
    QVERIFY(!path.isEmpty());
    const QByteArray before = fileBytes(path);
    const ino_t inode = statusOf(path).st_ino;

    AxObject *workbook = open(path);
    QVERIFY(workbook);
    writeFirstCell(workbook, "never saved");
    const QString movedFolder = m_folder->filePath("moved");
    QVERIFY(QDir().rename(folder, movedFolder));
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    workbook->dynamicCall("Save()");
    QCOMPARE(m_errors.count(), 1);
    QVERIFY2(m_errors.last().contains("book.xlsx"), qPrintable(m_errors.last()));
    QCOMPARE(fileBytes(folder), QByteArray());

    QVERIFY(QFile::remove(folder));
    QVERIFY(QDir().rename(movedFolder, folder));
    QCOMPARE(folderEntries(folder), (QStringList{lockFileOf(path), "book.xlsx"}));
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(folderEntries(folder), QStringList{"book.xlsx"});
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(statusOf(path).st_ino, inode);
    QCOMPARE(firstCell(path), QStringLiteral("1"));
}

void LibreOfficeSaveTest::saveThatCannotReplaceTheFileRemovesWhatItWrote()
{
    const QString path = workbookIn(m_folder->path(), "book.xlsx");
    QVERIFY(!path.isEmpty());
    const QByteArray before = fileBytes(path);

    AxObject *workbook = open(path);
    QVERIFY(workbook);
    writeFirstCell(workbook, "never saved");
    // The workbook set aside, a folder with something in it takes its name:
    // the stored copy is complete, but no rename can put it there.
    const QString aside = m_folder->filePath("aside.xlsx");
    QVERIFY(QFile::rename(path, aside));
    QVERIFY(QDir().mkpath(path + "/inside"));

    workbook->dynamicCall("Save()");
    QCOMPARE(m_errors.count(), 1);
    QCOMPARE(folderEntries(m_folder->path()), (QStringList{lockFileOf(path), "aside.xlsx", "book.xlsx"}));
    QCOMPARE(folderEntries(path), QStringList{"inside"});

    QVERIFY(QDir(path).removeRecursively());
    QVERIFY(QFile::rename(aside, path));
    workbook->dynamicCall("Close (Boolean)", false);
    QCOMPARE(folderEntries(m_folder->path()), QStringList{"book.xlsx"});
    QCOMPARE(fileBytes(path), before);
}

QTEST_GUILESS_MAIN(LibreOfficeSaveTest)
#include "LibreOfficeSaveTest.moc"
