// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/backup/JobUndo.h"

#include "engine/backup/BackupHistory.h"
#include "engine/backup/FileChecksum.h"
#include "engine/backup/FileLinks.h"
#include "engine/backup/FolderLock.h"
#include "engine/report/StatusTexts.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Empty when the workbook was restored or already held its original.
QString restore(const QString &workbook, const QString &original, const BackupManifest::Workbook &entry)
{
    const QString current = fileChecksum(workbook);
    if (current == entry.original)
        return QString();
    if (current.isEmpty())
        return QStringLiteral("文件已不在原处或无法读取");
    if (current != entry.written)
        return QStringLiteral("文件在这次修改之后又被改动过，未覆盖");
    if (fileChecksum(original) != entry.original)
        return QStringLiteral("备份中的原文件缺失或已损坏");
    const QString failure = replaceFileWith(workbook, original);
    return failure.isEmpty() ? QString() : QStringLiteral("无法恢复（%1）").arg(failure);
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

UndoOutcome undoLastJob(const QString &chosenFolder)
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
    if (jobs.isEmpty())
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
        return QStringLiteral("没有可以撤销的修改");
    QString summary = QStringLiteral("已撤销%1的修改（%2），恢复%3个文件")
                          .arg(outcome.job.manifest.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                               outcome.job.manifest.edit.join(QLatin1Char(' ')))
                          .arg(outcome.restored.size());
    if (!outcome.notRestored.isEmpty())
        summary += QStringLiteral("；%1个文件未恢复（%2），原文件保留在%3")
                       .arg(outcome.notRestored.size())
                       .arg(outcome.notRestored.first().reason, QDir::toNativeSeparators(outcome.job.folder));
    return summary;
}
