// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "platform/ProcessUtilities.h"
#include "platform/StartedApplications.h"
#include "app/ProgramPaths.h"
#include "app/QtChineseTexts.h"
#include "app/TerminationRequest.h"
#include "engine/translations/EngineTexts.h"

#include <QApplication>
#include <QTimer>
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
    const bool otherCopies = countProcesses(ownImageName) > 1;
    if (otherCopies)
        endOtherCopies(ownImageName, 5000);
    // An application an earlier run left behind, dead, holds workbooks open.
    StartedApplications::endLeftBehind();

    ProgramPaths::settingsFilePath = settingsFilePathFor(ProgramPaths::programDirectory);

    QApplication application(argc, argv);
    // The Chinese texts are the program's own; other locales get English,
    // the engine's reasons too.
    QTranslator english;
    if (userReadsChinese())
        installQtChineseTexts(application);
    else if (english.load(QStringLiteral(":/translations/Gridwrighter_en.qm")))
        QCoreApplication::installTranslator(&english);
    installEngineTexts(application);
#ifndef Q_OS_WIN
    registerLibreOfficeServer();
#endif
    MainWindow window(nullptr);
    onTerminationRequest(&window, [&window]() { window.quitForNewerCopy(); });
    window.show();
    // The job an older copy stopped is told once that copy has ended; a
    // workbook in hand may take it longer than the wait above.
    QTimer stoppedCopy;
    QObject::connect(&stoppedCopy, &QTimer::timeout, &window, [&]() {
        if (countProcesses(ownImageName) > 1)
            return;
        stoppedCopy.stop();
        window.offerStoppedJob();
    });
    if (otherCopies)
        stoppedCopy.start(500);
    return application.exec();
}
