// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/JobUndo.h"

#include "engine/backup/BackupHistory.h"
#include "engine/backup/FileChecksum.h"
#include "engine/backup/FileLinks.h"
#include "engine/backup/FolderLock.h"
#include "engine/report/EditInWords.h"
#include "engine/report/StatusTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace {

// Empty when the workbook was restored or already held its original.
QString restore(const QString &workbook, const QString &original, const BackupManifest::Workbook &entry)
{
    const QString current = fileChecksum(workbook);
    if (current == entry.original)
        return QString();
    if (current.isEmpty())
        return QCoreApplication::translate("Engine", "the file is no longer there or cannot be read");
    if (current != entry.written)
        return QCoreApplication::translate("Engine", "the file was changed again after this job, so it was not overwritten");
    if (fileChecksum(original) != entry.original)
        return QCoreApplication::translate("Engine", "its original in the backup is missing or damaged");
    const QString failure = replaceFileWith(workbook, original);
    return failure.isEmpty() ? QString() : QCoreApplication::translate("Engine", "cannot be restored (%1)").arg(failure);
}

// The originals the job kept that its manifest does not name, relative to
// the job's folder: a job stopped between keeping an original and recording
// the save leaves one, and the workbook may hold the edit or not.
QStringList unrecordedOriginals(const UndoableJob &job)
{
    QSet<QString> recorded{BackupManifest::fileName()};
    for (const BackupManifest::Workbook &entry : job.manifest.workbooks)
        recorded.insert(entry.path);
    const QDir backup(job.folder);
    QStringList unrecorded;
    QDirIterator files(job.folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString kept = backup.relativeFilePath(files.next());
        if (!recorded.contains(kept))
            unrecorded.append(kept);
    }
    return unrecorded;
}

} // namespace

QVector<UndoableJob> undoableJobs(const QString &chosenFolder)
{
    const QString folder = BackupHistory::absoluteFolder(chosenFolder);
    QVector<UndoableJob> jobs;
    const QStringList folders = BackupHistory::jobFolders(folder);
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        UndoableJob job;
        job.folder = *it;
        if (job.manifest.read(job.folder) && !job.manifest.undone)
            jobs.append(job);
    }
    return jobs;
}

UndoOutcome undoLastJob(const QString &chosenFolder, const QString &onlyJob)
{
    UndoOutcome outcome;
    // Made absolute and clean once: the manifest names workbooks below it.
    const QString folder = BackupHistory::absoluteFolder(chosenFolder);
    const FolderLock lock(folder);
    if (!lock.isHeld()) {
        outcome.refusal = lock.refusal();
        outcome.holder = lock.holder();
        return outcome;
    }
    const QVector<UndoableJob> jobs = undoableJobs(folder);
    if (jobs.isEmpty() || (!onlyJob.isEmpty() && jobs.first().folder != onlyJob))
        return outcome;
    outcome.found = true;
    outcome.job = jobs.first();
    const QDir chosen(folder);
    const QDir backup(outcome.job.folder);
    for (const BackupManifest::Workbook &entry : outcome.job.manifest.workbooks) {
        const QString workbook = QDir::toNativeSeparators(chosen.filePath(entry.path));
        const QString original = QDir::toNativeSeparators(backup.filePath(entry.path));
        const QString reason = restore(workbook, original, entry);
        if (reason.isEmpty())
            outcome.restored.append(workbook);
        else
            outcome.notRestored.append({workbook, reason, original});
    }
    // Whether the save went through is unknown, and so is whether the user
    // changed the file since: it is not overwritten, and its original stays.
    for (const QString &kept : unrecordedOriginals(outcome.job)) {
        const QString workbook = QDir::toNativeSeparators(chosen.filePath(kept));
        const QString original = QDir::toNativeSeparators(backup.filePath(kept));
        if (fileChecksum(workbook) != fileChecksum(original))
            outcome.notRestored.append(
                {workbook,
                 QCoreApplication::translate("Engine", "the job was stopped while saving it, so whether it holds the edit "
                                                       "is not known; it was not overwritten"),
                 original});
    }
    if (outcome.notRestored.isEmpty()) {
        BackupHistory::removeJob(folder, outcome.job.folder);
    } else if (!outcome.restored.isEmpty()) {
        outcome.job.manifest.undone = true;
        outcome.job.manifest.write(outcome.job.folder);
    }
    return outcome;
}

QString undoSummary(const UndoOutcome &outcome)
{
    if (!outcome.refusal.isEmpty())
        return StatusTexts::folderTaken(outcome.holder.isEmpty() ? outcome.refusal : outcome.holder);
    if (!outcome.found)
        return QCoreApplication::translate("Engine", "There is no job to undo");
    QString summary = QCoreApplication::translate("Engine", "Undid the job of %1 (%2): %3 workbooks restored")
                          .arg(outcome.job.manifest.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                               editInWords(outcome.job.manifest.edit))
                          .arg(outcome.restored.size());
    if (!outcome.notRestored.isEmpty())
        summary += QCoreApplication::translate("Engine", "; %1 workbooks not restored (%2), their originals are kept in %3")
                       .arg(outcome.notRestored.size())
                       .arg(outcome.notRestored.first().reason, QDir::toNativeSeparators(outcome.job.folder));
    return summary;
}
