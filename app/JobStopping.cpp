// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/MergeObject.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

// The launch buttons stay disabled exactly while a job runs.
bool MainWindow::jobRunning() const
{
    return worker && !ui->pBtn_AddRow->isEnabled();
}

// Leaving with a job under way would leave an invisible job or an office and
// a lock file behind: the user decides, and the job then stops after the
// workbook in hand, which is either saved whole or left as it was.
bool MainWindow::stopRunningJobBeforeLeaving()
{
    if (!jobRunning())
        return true;
    if (QMessageBox::question(this, tr("提示"),
                              tr("任务正在进行中，是否在当前文件处理完后停止任务并退出？"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    stopJobAfterWorkbookInHand();
    return true;
}

// The job's end signal still comes through, so its list file is written.
void MainWindow::stopJobAfterWorkbookInHand()
{
    if (!jobRunning())
        return;
    showStatus(tr("正在停止任务，当前文件处理完后退出……"));
    worker->requestStop();
    while (jobRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    stopWorker();
}

// The newer copy tells the user where the job stopped.
void MainWindow::quitForNewerCopy()
{
    const bool stoppedJob = jobRunning();
    stopJobAfterWorkbookInHand();
    if (stoppedJob)
        rememberStoppedJob();
    rememberForm();
    QCoreApplication::quit();
}

// As closing does, without leaving: the workbook in hand is finished, no
// further one is opened, and the job ends with its usual closing text.
void MainWindow::on_pBtn_Stop_clicked()
{
    if (!jobRunning())
        return;
    worker->requestStop();
    ui->pBtn_Stop->setEnabled(false);
    showStatus(tr("正在停止任务，当前文件处理完后停止……"));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (stopRunningJobBeforeLeaving()) {
        rememberForm();
        event->accept();
    }
    else
        event->ignore();
}

// As closing the window does: the form is kept.
void MainWindow::quitFromTray()
{
    if (!stopRunningJobBeforeLeaving())
        return;
    rememberForm();
    QCoreApplication::quit();
}
