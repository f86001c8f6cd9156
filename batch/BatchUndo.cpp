// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchUndo.h"

#include "engine/backup/JobUndo.h"

#include <QDir>

namespace {

enum ExitStatus { AllRestored = 0, SomeNotRestored = 1, FolderTaken = 2, NothingToUndo = 4 };

QString jobTime(const BackupManifest &manifest)
{
    return manifest.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

int listUndoableJobs(const QString &folder, QTextStream &out)
{
    for (const UndoableJob &job : undoableJobs(folder)) {
        out << jobTime(job.manifest) << "  " << job.manifest.edit.join(QLatin1Char(' ')) << "  "
            << job.manifest.workbooks.size() << (job.manifest.workbooks.size() == 1 ? " workbook" : " workbooks")
            << '\n';
    }
    return AllRestored;
}

} // namespace

int runBatchUndo(const BatchRequest &request, QTextStream &out, QTextStream &err)
{
    if (request.listUndoable)
        return listUndoableJobs(request.folder, out);
    const UndoOutcome outcome = undoLastJob(request.folder);
    if (!outcome.refusal.isEmpty()) {
        err << "gridwrighter-batch: " << outcome.refusal << '\n';
        return FolderTaken;
    }
    if (!outcome.found) {
        err << "gridwrighter-batch: no job to undo in " << QDir::toNativeSeparators(request.folder) << '\n';
        return NothingToUndo;
    }
    out << "undoing the job of " << jobTime(outcome.job.manifest) << ": "
        << outcome.job.manifest.edit.join(QLatin1Char(' ')) << '\n';
    for (const QString &path : outcome.restored)
        out << "restored " << path << '\n';
    for (const UndoOutcome::NotRestored &workbook : outcome.notRestored)
        err << "gridwrighter-batch: " << workbook.path << ": not restored: " << workbook.reason << "; its original: " << workbook.original
            << '\n';
    out << undoSummary(outcome) << '\n';
    return outcome.notRestored.isEmpty() ? AllRestored : SomeNotRestored;
}
