#include "batch/BatchJob.h"

#include "engine/MergeObject.h"
#include "launch/JobSettings.h"
#include "launch/SpreadsheetCloser.h"
#include "launch/SpreadsheetImageNames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

namespace {

const char *slotFor(BatchRequest::Edit edit)
{
    switch (edit) {
    case BatchRequest::AddRow:
        return "AddRow";
    case BatchRequest::AddColumn:
        return "AddColumn";
    case BatchRequest::DeleteRow:
        return "DeleteRow";
    case BatchRequest::DeleteColumn:
        return "DeleteColumn";
    case BatchRequest::FillFormula:
        return "CopyFormula";
    case BatchRequest::FormulaToValue:
        return "FormulaToValue";
    case BatchRequest::IndexSheet:
        return "InsertHyperLinks";
    case BatchRequest::CellLink:
        return "InsertHyperlinksCell";
    }
    return "";
}

enum ExitStatus { AllDone = 0, SomeFailed = 1, NoApplication = 3 };

} // namespace

int runBatchJob(const BatchRequest &request, QTextStream &out, QTextStream &err)
{
    if (request.closeSpreadsheetApps) {
        const QString survivor = SpreadsheetCloser().closeAll(spreadsheetImageNames());
        if (!survivor.isEmpty()) {
            err << "could not end " << survivor << "; close it and run again\n";
            err.flush();
            return SomeFailed;
        }
    }
    applyToJobSettings(request);

    QThread thread;
    thread.start();
    auto *worker = new MergeObject;
    worker->setShowsUnopenedListInViewer(false);
    worker->moveToThread(&thread);

    // Printed from the worker's thread as each text comes, so that none is
    // lost after the end signal and the order is the job's.
    QMutex printing;
    QObject::connect(worker, &MergeObject::ShowDisposingFile, worker,
                     [&](const QString &text) {
                         QMutexLocker locker(&printing);
                         out << text << '\n';
                         out.flush();
                     },
                     Qt::DirectConnection);
    QEventLoop loop;
    QObject::connect(worker, &MergeObject::Signal_SetButtonEnable, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QMetaObject::invokeMethod(worker, slotFor(request.edit), Qt::QueuedConnection);
    loop.exec();

    // The job writes the list file after its end signal: wait for the slot to
    // return before looking at the outcome.
    thread.quit();
    thread.wait();
    const MergeObject::Outcome outcome = worker->lastOutcome();
    delete worker;

    if (!outcome.applicationStarted)
        return NoApplication;
    if (outcome.failed > 0) {
        if (QFile::exists(JobSettings::unopenedListPath))
            out << "List of workbooks not opened or not saved: " << JobSettings::unopenedListPath << '\n';
        out.flush();
        return SomeFailed;
    }
    return AllDone;
}
