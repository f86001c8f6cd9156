// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/backup/JobUndo.h"

#include <QDir>
#include <QMessageBox>

void MainWindow::on_pBtn_UndoLastJob_clicked()
{
    askToUndoLastJob();
}

// The undo of the tray, the window and the results: the originals of the last
// job over the folder in the form are put back once the user agrees. No
// spreadsheet program is involved.
void MainWindow::askToUndoLastJob()
{
    // A running job may be replacing the very workbooks the undo restores.
    if (jobRunning()) {
        showStatus(tr("任务正在进行中，请在任务结束后再撤销"));
        return;
    }
    const QString folder = QDir::toNativeSeparators(ui->lEdt_SourcePath->text());
    const QVector<UndoableJob> jobs = undoableJobs(folder);
    if (jobs.isEmpty()) {
        showStatus(undoSummary(UndoOutcome()));
        return;
    }
    const BackupManifest &last = jobs.first().manifest;
    const QString question =
        tr("撤销%1对%2个文件的修改（%3）？\n之后又被改动过的文件不会被覆盖。")
            .arg(last.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .arg(last.workbooks.size())
            .arg(last.edit.join(QLatin1Char(' ')));
    if (QMessageBox::question(this, tr("提示"), question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No)
        != QMessageBox::Yes)
        return;
    showStatus(undoSummary(undoLastJob(folder)));
}
