// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/widgets/JobResultsDialog.h"
#include "engine/backup/JobUndo.h"
#include "engine/report/EditInWords.h"

#include <QDir>
#include <QMessageBox>

void MainWindow::on_pBtn_UndoLastJob_clicked()
{
    askToUndoLastJob();
}

// The undo of the tray and the window: the last job this window ran, by its
// folder, whatever the form holds now; before any job, the folder in the form
// (which a job of an earlier start left there).
void MainWindow::askToUndoLastJob()
{
    const QString folder = lastJob.folder.isEmpty() ? QDir::toNativeSeparators(ui->lEdt_SourcePath->text()) : lastJob.folder;
    askToUndoJob(folder, QString());
}

// The originals of the newest job over the folder are put back once the user
// agrees to undo it, named; with onlyJob, only when it is that job. No
// spreadsheet program is involved.
void MainWindow::askToUndoJob(const QString &folder, const QString &onlyJob)
{
    // A running job may be replacing the very workbooks the undo restores.
    if (jobRunning()) {
        showStatus(tr("任务正在进行中，请在任务结束后再撤销"));
        return;
    }
    const QVector<UndoableJob> jobs = undoableJobs(folder);
    if (jobs.isEmpty() || (!onlyJob.isEmpty() && jobs.first().folder != onlyJob)) {
        showStatus(undoSummary(UndoOutcome()));
        updateResultsUndo();
        return;
    }
    const UndoableJob &newest = jobs.first();
    const BackupManifest &last = newest.manifest;
    const QString question =
        tr("撤销%1对%2个文件的修改（%3）？\n文件夹：%4\n之后又被改动过的文件不会被覆盖。")
            .arg(last.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .arg(last.workbooks.size())
            .arg(editInWords(last.edit), QDir::toNativeSeparators(folder));
    if (QMessageBox::question(this, tr("提示"), question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No)
        != QMessageBox::Yes)
        return;
    showStatus(undoSummary(undoLastJob(folder, newest.folder)));
    updateResultsUndo();
}

// The results' undo is for their own job only, while it is the newest of
// its folder and not undone.
void MainWindow::updateResultsUndo()
{
    if (!results)
        return;
    const QVector<UndoableJob> jobs = resultsJob.backup.isEmpty() ? QVector<UndoableJob>() : undoableJobs(resultsJob.folder);
    results->setUndoEnabled(!jobRunning() && !jobs.isEmpty() && jobs.first().folder == resultsJob.backup);
}
