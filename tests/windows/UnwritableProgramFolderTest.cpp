// SPDX-License-Identifier: GPL-3.0-or-later
// An installed copy in a folder it cannot write (GRIDWRIGHTER_PROGRAM_FOLDER,
// made read-only by the calling script) keeps its settings in the user's own
// folder, creates the file there and remembers the folder chosen.

#include "app/MainWindow.h"
#include "app/ProgramPaths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class UnwritableProgramFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void chosenFolderIsRememberedInTheUserFolder()
    {
        const QString programFolder = QString::fromLocal8Bit(qgetenv("GRIDWRIGHTER_PROGRAM_FOLDER"));
        QVERIFY(!programFolder.isEmpty());
        QFile probe(QDir(programFolder).filePath(QStringLiteral("probe.txt")));
        QVERIFY2(!probe.open(QIODevice::WriteOnly), "the program's folder can be written: nothing to test");
        QVERIFY(QFileInfo::exists(programFolder + QStringLiteral("Gridwrighter.exe")));

        const QString settings = settingsFilePathFor(programFolder);
        const QString expected = QDir::toNativeSeparators(
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/Gridwrighter/Gridwrighter.vrq"));
        QCOMPARE(settings, expected);
        QVERIFY(QFile::exists(settings));
        ProgramPaths::settingsFilePath = settings;

        QTemporaryDir chosen;
        const QString chosenFolder = QDir::toNativeSeparators(chosen.path() + QLatin1Char('/'));
        {
            MainWindow window(nullptr);
            window.show();
            // The folder dialog is answered as the user would.
            QTimer::singleShot(500, [&chosen]() {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                dialog->setDirectory(chosen.path());
                dialog->selectFile(chosen.path());
                QMetaObject::invokeMethod(dialog, "accept");
            });
            window.findChild<QPushButton *>(QStringLiteral("pBtn_SourcePath"))->click();
            QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("lEdt_SourcePath"))->text(), chosenFolder);
        }
        MainWindow restarted(nullptr);
        QCOMPARE(restarted.findChild<QLineEdit *>(QStringLiteral("lEdt_SourcePath"))->text(), chosenFolder);
        QVERIFY(!QFile::exists(programFolder + QStringLiteral("Gridwrighter.vrq")));
    }
};

QTEST_MAIN(UnwritableProgramFolderTest)
#include "UnwritableProgramFolderTest.moc"
