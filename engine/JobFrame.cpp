// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobFrame.h"

#include "engine/backup/BackupHistory.h"
#include "engine/backup/FolderLock.h"
#include "engine/backup/JobBackup.h"
#include "engine/candidates/JobCandidates.h"
#include "engine/JobInput.h"
#include "engine/MergeObject.h"
#include "engine/report/SkipTally.h"
#include "engine/report/StatusTexts.h"
#include "engine/report/TextViewer.h"
#include "engine/report/UnopenedList.h"
#include "engine/WorkbookEdit.h"
#include "engine/WorkbookRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

namespace {

// The edit's description with the sheet choice, as the batch command spells it.
QStringList jobDescription(const WorkbookEdit &edit, const JobOptions &options)
{
    QStringList description = edit.description();
    if (edit.selectsSheets() && options.onlyFirstSheet)
        description << QStringLiteral("--first-sheet-only");
    if (edit.selectsSheets() && options.appointedSheet)
        description << QStringLiteral("--sheet") << options.sheetName;
    return description;
}

QString closingText(int count, const SkipTally &skips, int failed, const QString &backupFolder, bool dryRun)
{
    QStringList notes;
    // A dry run writes no list file: the results name them.
    if (failed > 0 && dryRun)
        notes.append(QCoreApplication::translate("StatusTexts", "其中%1个文件无法打开").arg(failed));
    else if (failed > 0)
        notes.append(QCoreApplication::translate("StatusTexts", "其中%1个文件无法打开或保存（见列表文件）").arg(failed));
    if (skips.count() > 0)
        notes.append(QCoreApplication::translate("StatusTexts", "%1处未修改（%2）").arg(skips.count()).arg(skips.firstReason()));
    if (!backupFolder.isEmpty())
        notes.append(StatusTexts::backupKept(backupFolder));
    return StatusTexts::finished(count) + notes.join(QCoreApplication::translate("StatusTexts", "；"));
}

bool isFailure(const WorkbookResult &result)
{
    return result.kind == WorkbookResult::NotOpened || result.kind == WorkbookResult::NotSaved;
}

} // namespace

JobFrame::JobFrame(MergeObject &worker, WorkbookEdit &edit, const JobOptions &options, bool showsUnopenedListInViewer)
    : m_worker(worker)
    , m_edit(edit)
    , m_options(options)
    , m_showsUnopenedListInViewer(showsUnopenedListInViewer)
{
}

JobFrame::~JobFrame() = default;

JobFrame::Outcome JobFrame::run()
{
    const QString problem = jobInputProblem(m_edit, m_options);
    if (!problem.isEmpty()) {
        report(problem);
        emit m_worker.Signal_SetButtonEnable();
        return m_outcome;
    }

    // Made absolute and clean once, so that the backup names each workbook
    // below it as an undo run from anywhere finds it again.
    const QString folder = BackupHistory::absoluteFolder(m_options.sourcePath);
    m_options.sourcePath = QDir::toNativeSeparators(folder) + QDir::separator();
    // A dry run touches nothing and so needs no lock.
    std::unique_ptr<FolderLock> lock;
    if (!m_options.dryRun) {
        lock = std::make_unique<FolderLock>(folder, m_options.shardNumber, m_options.shardCount);
        if (!lock->isHeld()) {
            m_outcome.folderRefusal = lock->refusal();
            report(StatusTexts::folderTaken(lock->holder().isEmpty() ? lock->refusal() : lock->holder()));
            emit m_worker.Signal_SetButtonEnable();
            return m_outcome;
        }
        // A dry run leaves an earlier job's list where it is, as everything else.
        removeEarlierUnopenedList(m_options.unopenedListPath);
    }

    if (m_options.keepsBackups && !m_options.dryRun)
        m_backup = std::make_unique<JobBackup>(m_options.sourcePath, jobDescription(m_edit, m_options));
    SkipTally skips;
    const QStringList candidates = jobCandidates(m_worker, m_options);
    emit m_worker.candidatesFound(candidates.size());
    editAll(candidates, skips);
    finish();
    return m_outcome;
}

// Each runner takes the next workbook until none is left; a runner whose
// application does not start leaves them to the others. Side by side, the
// largest go first, so that no runner is left with a large one at the end
// while the others wait.
void JobFrame::editAll(const QStringList &candidates, SkipTally &skips)
{
    // More applications than workbooks would only cost their start.
    const int runners = qBound(1, m_options.parallelJobs, qMax(1, int(candidates.size())));
    std::vector<int> order(size_t(candidates.size()));
    std::iota(order.begin(), order.end(), 0);
    if (runners > 1) {
        std::vector<qint64> sizes;
        for (const QString &path : candidates)
            sizes.push_back(QFileInfo(path).size());
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sizes[size_t(a)] > sizes[size_t(b)]; });
    }
    std::atomic<int> numbered{0};
    std::atomic<int> next{0};
    std::atomic<bool> started{false};
    std::atomic<bool> stopped{false};
    std::mutex failureMutex;
    QString failure;
    std::vector<std::optional<WorkbookResult>> results(size_t(candidates.size()));
    const WorkbookRunner::Job shared{m_worker, m_edit, m_options, skips, m_backup.get(), numbered};
    std::vector<std::thread> others;
    const auto work = [&](bool closes) {
        WorkbookRunner runner(shared);
        if (!runner.startApplication()) {
            const std::lock_guard<std::mutex> locked(failureMutex);
            failure = runner.startFailure();
        } else {
            started = true;
            for (int taken = next++; taken < candidates.size(); taken = next++) {
                if (m_worker.stopRequested()) {
                    stopped = true;
                    break;
                }
                const int i = order[size_t(taken)];
                runner.editWorkbook(candidates.at(i), [&, i](const WorkbookResult &result) {
                    results[size_t(i)] = result;
                    emit m_worker.workbookFinished(result);
                });
            }
            runner.finishPending();
        }
        if (!closes)
            return;
        // The closing text, like every other text of the job, comes while
        // this application still runs; it quits when the runner goes.
        for (std::thread &other : others)
            other.join();
        m_outcome.applicationStarted = started;
        m_outcome.applicationFailure = started ? QString() : failure;
        m_outcome.stopped = stopped;
        m_numbered = numbered;
        for (const std::optional<WorkbookResult> &result : results) {
            if (!result)
                continue;
            ++m_outcome.candidates;
            m_outcome.failed += isFailure(*result) ? 1 : 0;
            m_outcome.workbooks.append(*result);
        }
        reportClosing(skips);
    };
    for (int i = 1; i < runners; ++i)
        others.emplace_back(work, false);
    work(true);
}

void JobFrame::reportClosing(const SkipTally &skips)
{
    // The slices of a sharded job each keep a backup of their own: keeping
    // fewer jobs than slices would drop the backups of slices just done.
    const int keep = qMax(m_options.keptBackupJobs, m_options.shardCount);
    const QString backupFolder = m_backup ? m_backup->finish(keep) : QString();
    m_closing = m_outcome.applicationStarted ? closingText(m_numbered, skips, m_outcome.failed, backupFolder, m_options.dryRun)
                                             : StatusTexts::noApplication();
    if (m_outcome.stopped)
        m_closing += StatusTexts::stopped();
    if (m_options.dryRun)
        m_closing += StatusTexts::dryRun();
    report(m_closing);
}

// The end signal comes last, once the list is written: the front end may
// start the next job as soon as it arrives.
void JobFrame::finish()
{
    // In the order of the walk, whichever application met them.
    QString unopened;
    for (const WorkbookResult &result : m_outcome.workbooks) {
        if (isFailure(result))
            unopened += result.path + QLatin1Char('\n');
    }
    if (!unopened.isEmpty() && !m_options.dryRun) {
        m_outcome.listWritten = writeUnopenedList(m_options.unopenedListPath, unopened);
        if (!m_outcome.listWritten)
            report(m_closing + QCoreApplication::translate("StatusTexts", "；") + StatusTexts::listFileNotWritten(m_options.unopenedListPath));
        else if (m_showsUnopenedListInViewer && !showInTextViewer(m_options.unopenedListPath))
            report(m_closing + QCoreApplication::translate("StatusTexts", "；") + StatusTexts::listFileNotShown(m_options.unopenedListPath));
    }
    emit m_worker.Signal_SetButtonEnable();
}

void JobFrame::report(const QString &text)
{
    emit m_worker.ShowDisposingFile(text);
}

bool JobFrame::Outcome::complete() const
{
    for (const WorkbookResult &workbook : workbooks) {
        if (!workbook.isComplete())
            return false;
    }
    return applicationStarted;
}
