// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/backup/JobUndo.h"
#include "engine/edits/JobEdits.h"

#include <QPushButton>

// The launch buttons stay disabled while a job runs, so that no launch can
// change the job settings the worker is reading.
void MainWindow::disableLaunchButtons()
{
    setLaunchButtonsEnabled(false);
}

void MainWindow::on_Signal_SetButtonEnable()
{
    setLaunchButtonsEnabled(true);
    // The job's backup, when it kept one: the newest of its folder, new since the launch.
    const QString newest = undoableJobs(lastJob.folder).value(0).folder;
    lastJob.backup = newest != lastJob.backupBefore ? newest : QString();
    endProgress();
    if (jobIsDryRun && !jobResults.isEmpty())
        showStatus(dryRunFindings());
    showResults();
}

void MainWindow::setLaunchButtonsEnabled(bool enabled)
{
    for (const JobEdit &edit : jobEdits())
        findChild<QPushButton *>(QStringLiteral("pBtn_") + QLatin1String(edit.formName))->setEnabled(enabled);
    // Stopping is for a running job; undoing is not, it may be replacing
    // the very workbooks the undo restores.
    ui->pBtn_Stop->setEnabled(!enabled);
    ui->pBtn_UndoLastJob->setEnabled(enabled);
}
