// SPDX-License-Identifier: GPL-3.0-or-later
// gridwrighter-batch: the window's eight edits from a terminal or a script.

#include "batch/BatchJob.h"
#include "batch/BatchRequest.h"
#include "batch/BatchUndo.h"

#ifndef Q_OS_WIN
#include "platform/libreoffice/LibreOfficeServer.h"
#endif

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const BatchParse parse = parseBatchArguments(application.arguments().mid(1));
    if (parse.result == BatchParse::Help) {
        out << batchUsage();
        return 0;
    }
    if (parse.result == BatchParse::Invalid) {
        err << "gridwrighter-batch: " << parse.error << "\n\n" << batchUsage();
        return 2;
    }
    if (parse.request.undo)
        return runBatchUndo(parse.request, out, err);
#ifndef Q_OS_WIN
    registerLibreOfficeServer();
    return runBatchJob(parse.request, out, err, isatty(STDOUT_FILENO), endStartedOffices);
#else
    return runBatchJob(parse.request, out, err, isatty(STDOUT_FILENO));
#endif
}
