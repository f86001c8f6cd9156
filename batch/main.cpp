// SPDX-License-Identifier: GPL-3.0-or-later
// gridwrighter-batch: the window's eight edits from a terminal or a script.

#include "batch/BatchJob.h"
#include "batch/BatchOptionHelp.h"
#include "batch/BatchRequest.h"
#include "batch/BatchUndo.h"
#include "engine/translations/EngineTexts.h"
#include "platform/Console.h"
#include "platform/ProcessUtilities.h"

#include "platform/StartedApplications.h"

#ifndef Q_OS_WIN
#include "platform/libreoffice/LibreOfficeServer.h"
#endif

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    // Why a workbook was not edited, in the user's language.
    installEngineTexts(application);
    markProgramRunning();
    QTextStream out(stdout);
    QTextStream err(stderr);

    const BatchParse parse = parseBatchArguments(application.arguments().mid(1));
    if (parse.result == BatchParse::Help) {
        out << batchUsage();
        return 0;
    }
    if (parse.result == BatchParse::Version) {
        out << batchVersion() << '\n';
        return 0;
    }
    if (parse.result == BatchParse::Invalid) {
        err << "gridwrighter-batch: " << parse.error << "\n"
            << "Try 'gridwrighter-batch --help' for more information.\n";
        return 2;
    }
    if (parse.request.undo)
        return runBatchUndo(parse.request, out, err);
    // An application an earlier run left behind, dead, holds workbooks open.
    StartedApplications::endLeftBehind();
    // A report on standard output keeps it for the report alone.
    const bool reportToOutput = parse.request.reportPath == QLatin1String("-");
    QTextStream &statusStream = reportToOutput ? err : out;
    const bool statusOnConsole = reportToOutput ? standardErrorIsConsole() : standardOutputIsConsole();
#ifndef Q_OS_WIN
    registerLibreOfficeServer();
    return runBatchJob(parse.request, statusStream, err, statusOnConsole, endStartedOffices);
#else
    return runBatchJob(parse.request, statusStream, err, statusOnConsole, StartedApplications::endOwn);
#endif
}
