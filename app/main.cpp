// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "platform/ProcessUtilities.h"
#include "platform/StartedApplications.h"
#include "app/ProgramPaths.h"
#include "app/QtChineseTexts.h"
#include "app/TerminationRequest.h"

#include <QApplication>
#include <QLocale>
#include <QTranslator>

#ifndef Q_OS_WIN
#include "platform/libreoffice/LibreOfficeServer.h"
#endif

namespace {

#ifdef Q_OS_WIN
const QString ownImageName = QStringLiteral("Gridwrighter.exe");
#else
const QString ownImageName = QStringLiteral("Gridwrighter");
#endif

} // namespace

int main(int argc, char *argv[])
{
    ProgramPaths::programDirectory = programDirectoryFromArgv0(argv[0]);
    markProgramRunning();

    // One copy at a time: the newest start replaces an older copy of the same
    // user, which finishes the workbook in hand and writes its list first.
    if (countProcesses(ownImageName) > 1)
        endOtherCopies(ownImageName, 5000);
    // An application an earlier run left behind, dead, holds workbooks open.
    StartedApplications::endLeftBehind();

    ProgramPaths::settingsFilePath = settingsFilePathFor(ProgramPaths::programDirectory);

    QApplication application(argc, argv);
    // The Chinese texts are the program's own; other locales get English.
    QTranslator english;
    if (QLocale().language() == QLocale::Chinese)
        installQtChineseTexts(application);
    else if (english.load(QStringLiteral(":/translations/Gridwrighter_en.qm")))
        QCoreApplication::installTranslator(&english);
#ifndef Q_OS_WIN
    registerLibreOfficeServer();
#endif
    MainWindow window(nullptr);
    onTerminationRequest(&window, [&window]() { window.quitForNewerCopy(); });
    window.show();
    return application.exec();
}
