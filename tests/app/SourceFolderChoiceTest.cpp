// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "app/ProgramPaths.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Answers the folder dialog the moment it opens, as a user would: picks the
// folder, or cancels when none is given.
class FolderDialogAnswer : public QObject
{
public:
    explicit FolderDialogAnswer(const QString &folder)
        : chosen(folder)
    {
        connect(&poll, &QTimer::timeout, this, &FolderDialogAnswer::answer);
        poll.start(10);
    }

    QString title;

private:
    void answer()
    {
        auto dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        if (chosen.isEmpty()) {
            dialog->reject();
            return;
        }
        // With nothing selected inside it, the folder being shown is the answer.
        dialog->setDirectory(chosen);
        QMetaObject::invokeMethod(dialog, "accept");
    }

    QString chosen;
    QTimer poll;
};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

class SourceFolderChoiceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void chosenFolderShownAndRemembered();
    void cancelChangesNothing();
    void missingSettingsFileIsCreated();

private:
    void clickFolderButton();
    QLineEdit *sourcePathEdit() const;

    std::unique_ptr<QTemporaryDir> directory;
    std::unique_ptr<MainWindow> window;
};

void SourceFolderChoiceTest::init()
{
    directory = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(directory->path()).mkpath(QStringLiteral("表格 folder")));
    ProgramPaths::settingsFilePath = directory->filePath(QStringLiteral("Gridwrighter.vrq"));
    QVERIFY(writeFile(ProgramPaths::settingsFilePath, "Other=1\r\nSourcePath=/before/\r\nLast=2\r\n"));
    window = std::make_unique<MainWindow>(nullptr);
}

void SourceFolderChoiceTest::cleanup()
{
    window.reset();
    directory.reset();
}

void SourceFolderChoiceTest::chosenFolderShownAndRemembered()
{
    const QString folder = directory->filePath(QStringLiteral("表格 folder"));
    FolderDialogAnswer answer(folder);
    clickFolderButton();

    QCOMPARE(answer.title, QStringLiteral("选择文件夹"));
    const QString expected = QDir::toNativeSeparators(folder) + QDir::separator();
    QCOMPARE(sourcePathEdit()->text(), expected);
    QCOMPARE(contentOf(ProgramPaths::settingsFilePath),
             "Other=1\r\nSourcePath=" + expected.toLocal8Bit() + "\r\nLast=2\r\n");
}

void SourceFolderChoiceTest::cancelChangesNothing()
{
    FolderDialogAnswer answer{ QString() };
    clickFolderButton();

    QCOMPARE(answer.title, QStringLiteral("选择文件夹"));
    QCOMPARE(sourcePathEdit()->text(), QStringLiteral("/before/"));
    QCOMPARE(contentOf(ProgramPaths::settingsFilePath), QByteArray("Other=1\r\nSourcePath=/before/\r\nLast=2\r\n"));
}

// A settings file that is not there yet is made, so that the folder is
// remembered at the next start.
void SourceFolderChoiceTest::missingSettingsFileIsCreated()
{
    QVERIFY(QFile::remove(ProgramPaths::settingsFilePath));
    const QString folder = directory->filePath(QStringLiteral("表格 folder"));
    FolderDialogAnswer answer(folder);
    clickFolderButton();

    const QString chosen = QDir::toNativeSeparators(folder) + QDir::separator();
    QCOMPARE(sourcePathEdit()->text(), chosen);
    QCOMPARE(contentOf(ProgramPaths::settingsFilePath), "SourcePath=" + chosen.toLocal8Bit() + "\r\n");
}

void SourceFolderChoiceTest::clickFolderButton()
{
    window->findChild<QPushButton *>(QStringLiteral("pBtn_SourcePath"))->click();
}

QLineEdit *SourceFolderChoiceTest::sourcePathEdit() const
{
    return window->findChild<QLineEdit *>(QStringLiteral("lEdt_SourcePath"));
}

QTEST_MAIN(SourceFolderChoiceTest)
#include "SourceFolderChoiceTest.moc"
