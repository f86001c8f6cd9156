// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchJob.h"

#include "batch/BatchEdits.h"
#include "batch/StatusPrinter.h"
#include "batch/WorkbookReport.h"
#include "engine/candidates/JobCandidates.h"
#include "engine/JobOptions.h"
#include "engine/MergeObject.h"
#include "launch/JobSettings.h"
#include "engine/WorkbookEdit.h"
#include "launch/SpreadsheetCloser.h"
#include "launch/SpreadsheetImageNames.h"
#include "platform/Console.h"
#include "platform/SpreadsheetApplication.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

enum ExitStatus { AllDone = 0, SomeFailed = 1, Refused = 2, NoApplication = 3 };

const char *const program = "gridwrighter-batch: ";

std::atomic<MergeObject *> runningWorker{nullptr};
volatile sig_atomic_t stopSignal = 0;
timespec firstSignalTime = {};

// Seconds since the first stop signal (clock_gettime is safe in a handler).
double secondsSinceFirstSignal()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec - firstSignalTime.tv_sec) + double(now.tv_nsec - firstSignalTime.tv_nsec) / 1e9;
}

void (*endApplications)() = nullptr;

// The first SIGINT or SIGTERM stops the job after the workbook in hand; a
// second SIGINT ends the applications at once, so that the workbook in hand is
// left as it was, and the job still writes its list and report. One Ctrl-C
// reaches a job run under timeout, xargs or make twice: a signal within 2 s of
// the first is the same one. Either way no workbook is half written: saves are
// renamed into place whole, and the office's guard removes what is left.
void stopOnSignal(int signal)
{
    if (stopSignal != 0 && secondsSinceFirstSignal() < 2.0)
        return;
    if (stopSignal == SIGINT && signal == SIGINT) {
        if (!endApplications)
            std::_Exit(128 + SIGINT);
        endApplications();
        return;
    }
    stopSignal = signal;
    clock_gettime(CLOCK_MONOTONIC, &firstSignalTime);
    if (MergeObject *worker = runningWorker.load())
        worker->requestStop();
}

// One line on standard error for every workbook not fully edited, so that a
// script learns which and why without reading the status texts.
void reportUnfinishedWorkbooks(const MergeObject::Outcome &outcome, QTextStream &err)
{
    if (!outcome.listWritten)
        err << program << "could not write the list file " << JobSettings::unopenedListPath
            << "; the workbooks not opened or not saved are listed below\n";
    for (const WorkbookResult &workbook : outcome.workbooks) {
        if (workbook.kind != WorkbookResult::Edited)
            err << program << workbook.path << ": " << workbookOutcome(workbook) << ": " << workbook.reason << '\n';
        for (const QString &sheet : workbook.skippedSheets)
            err << program << workbook.path << ": sheet skipped: " << sheet << '\n';
    }
    err.flush();
}

// What a dry run found, one line a workbook on standard output.
void reportDryRun(const MergeObject::Outcome &outcome, QTextStream &out)
{
    for (const WorkbookResult &workbook : outcome.workbooks) {
        out << workbook.path << ": ";
        switch (workbook.kind) {
        case WorkbookResult::Edited:
            out << "would be edited";
            if (!workbook.editedSheets.isEmpty())
                out << " (sheets: " << workbook.editedSheets.join(QStringLiteral(", ")) << ')';
            break;
        case WorkbookResult::Untouched:
            out << "would be left untouched: " << workbook.reason;
            break;
        case WorkbookResult::NotOpened:
        case WorkbookResult::NotSaved:
            out << "cannot be opened: " << workbook.reason;
            break;
        }
        out << '\n';
        for (const QString &sheet : workbook.skippedSheets)
            out << workbook.path << ": sheet would be skipped: " << sheet << '\n';
    }
}


} // namespace

int runBatchJob(const BatchRequest &request, QTextStream &out, QTextStream &err, bool outIsTerminal,
                void (*endApplicationsNow)())
{
    endApplications = endApplicationsNow;
    // Opened before anything is touched, so that a report that cannot be
    // written refuses the job as bad arguments do.
    const bool reportToOutput = request.reportPath == QLatin1String("-");
    QSaveFile report(request.reportPath);
    if (!request.reportPath.isEmpty() && !reportToOutput && !report.open(QIODevice::WriteOnly)) {
        err << program << "could not write the report " << request.reportPath << ": " << report.errorString() << '\n';
        err.flush();
        return Refused;
    }

    if (request.closeSpreadsheetApps) {
        const QString survivor = SpreadsheetCloser().closeAll(spreadsheetImageNames());
        if (!survivor.isEmpty()) {
            err << program << "could not end " << survivor << "; close it and run again\n";
            err.flush();
            return SomeFailed;
        }
    }
    applyToJobSettings(request);

    QThread thread;
    thread.start();
    auto worker = std::make_unique<MergeObject>();
    worker->setShowsUnopenedListInViewer(false);
    worker->moveToThread(&thread);
    const std::unique_ptr<WorkbookEdit> edit = request.edit->makeEdit();
    runningWorker = worker.get();
    onConsoleStop(stopOnSignal);
    if (endApplications)
        onConsoleClose(endApplications);

    // Printed from the worker's thread as each text comes, so that none is
    // lost after the end signal and the order is the job's.
    const StatusPrinter::Mode mode = request.quiet ? StatusPrinter::Quiet
                                     : outIsTerminal ? StatusPrinter::Terminal
                                                     : StatusPrinter::Lines;
    StatusPrinter printer(out, mode, mode == StatusPrinter::Terminal ? int(jobCandidates(*worker, JobOptions::fromJobSettings()).size()) : 0);
    QObject::connect(worker.get(), &MergeObject::ShowDisposingFile, worker.get(),
                     [&printer](const QString &text) { printer.text(text); }, Qt::DirectConnection);
    QObject::connect(worker.get(), &MergeObject::workbookStarted, worker.get(),
                     [&printer](const QString &path) { printer.workbookStarted(path); }, Qt::DirectConnection);
    QObject::connect(worker.get(), &MergeObject::Signal_SetButtonEnable, worker.get(),
                     [&printer]() { printer.jobEnded(); }, Qt::DirectConnection);
    QEventLoop loop;
    QObject::connect(worker.get(), &MergeObject::Signal_SetButtonEnable, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer clock;
    if (mode == StatusPrinter::Terminal) {
        QObject::connect(&clock, &QTimer::timeout, [&printer]() { printer.refresh(); });
        clock.start(1000);
    }
    QMetaObject::invokeMethod(worker.get(), [&worker, &edit]() { worker->runJob(*edit); }, Qt::QueuedConnection);
    loop.exec();
    clock.stop();

    // The job writes the list file after its end signal: wait for the slot to
    // return before looking at the outcome.
    thread.quit();
    thread.wait();
    const MergeObject::Outcome outcome = worker->lastOutcome();
    runningWorker = nullptr;
    worker.reset();

    // Refused before anything was touched: the report is not written either.
    if (!outcome.folderRefusal.isEmpty()) {
        err << program << outcome.folderRefusal << '\n';
        err.flush();
        return Refused;
    }
    if (reportToOutput) {
        QFile output;
        if (!output.open(stdout, QIODevice::WriteOnly) || output.write(workbookReport(outcome.workbooks)) < 0
            || !output.flush())
            err << program << "could not write the report to standard output: " << output.errorString() << '\n';
    } else if (!request.reportPath.isEmpty()) {
        report.write(workbookReport(outcome.workbooks));
        if (!report.commit())
            err << program << "could not write the report " << request.reportPath << ": " << report.errorString() << '\n';
    }
    if (!outcome.applicationStarted) {
        err << program << SpreadsheetApplication::name() << " could not be started: " << outcome.applicationFailure << '\n';
        err.flush();
        return NoApplication;
    }
    reportUnfinishedWorkbooks(outcome, err);
    if (JobSettings::dryRun)
        reportDryRun(outcome, out);
    else if (outcome.failed > 0 && outcome.listWritten && QFile::exists(JobSettings::unopenedListPath))
        out << "List of workbooks not opened or not saved: " << JobSettings::unopenedListPath << '\n';
    // Counted as the report counts, which the window's closing text does not:
    // its count takes in the workbooks that could not be opened.
    out << workbookSummary(outcome.workbooks) << (JobSettings::dryRun ? " (dry run: nothing saved)" : "") << '\n';
    out.flush();
    if (outcome.stopped)
        return 128 + stopSignal;
    return outcome.complete() ? AllDone : SomeFailed;
}
