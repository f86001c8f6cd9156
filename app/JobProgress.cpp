// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/widgets/JobResultsDialog.h"
#include "app/SystemTray.h"
#include "launch/JobSettings.h"

namespace {

QString duration(qint64 milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds < 3600 ? minutesAndSeconds : QStringLiteral("%1:%2").arg(seconds / 3600).arg(minutesAndSeconds);
}

} // namespace

void MainWindow::startProgress()
{
    candidateTotal = -1;
    jobResults.clear();
    jobIsDryRun = JobSettings::dryRun;
    paceClock.invalidate();
    workbookInHand.clear();
    // The results shown so far belong to a job this one supersedes.
    resultsJob.backup.clear();
    if (results) {
        results->hide();
        updateResultsUndo();
    }
    // Busy until the walk of the folder is done and the total known.
    ui->pBar_Progress->setRange(0, 0);
    ui->pBar_Progress->setFormat(QString());
    jobClock.start();
    progressTicker.start(1000);
    showProgress();
    // On a screen smaller than the form, the progress scrolls into view.
    ui->scrollArea->ensureWidgetVisible(ui->pBtn_Stop);
}

void MainWindow::countCandidates(int total)
{
    candidateTotal = total;
    showProgress();
}

// The first workbook ends the application's start; the pace counts from here.
void MainWindow::startWorkbook(const QString &path)
{
    workbookInHand = path;
    if (!paceClock.isValid())
        paceClock.start();
    showProgress();
}

void MainWindow::countWorkbook(const WorkbookResult &result)
{
    jobResults.append(result);
    showProgress();
}

// Done of total, the time taken and, once a workbook is done, the time left
// at the pace since the first workbook; the tray's tooltip says the same done
// of total. Busy while the folder is walked and the application starts.
void MainWindow::showProgress()
{
    const int done = int(jobResults.size());
    const qint64 elapsed = jobClock.elapsed();
    QString times = tr("已用时 %1").arg(duration(elapsed));
    const bool running = progressTicker.isActive();
    const bool starting = running && candidateTotal > 0 && !paceClock.isValid();
    if (candidateTotal >= 0 && !starting) {
        const QString count = QStringLiteral("%1 / %2").arg(done).arg(candidateTotal);
        ui->pBar_Progress->setRange(0, qMax(candidateTotal, 1));
        ui->pBar_Progress->setFormat(count);
        ui->pBar_Progress->setValue(candidateTotal > 0 ? done : 1);
        if (trayIcon)
            trayIcon->setToolTip(QStringLiteral("Gridwrighter %1").arg(count));
        if (done > 0 && done < candidateTotal && running)
            times += tr("，剩余约 %1").arg(duration(paceClock.elapsed() * (candidateTotal - done) / done));
    } else if (starting) {
        times += tr("，正在启动表格程序……");
    }
    ui->lb_Time->setText(times);
}

void MainWindow::endProgress()
{
    progressTicker.stop();
    showProgress();
    if (trayIcon)
        trayIcon->setToolTip(QStringLiteral("Gridwrighter"));
}

// What a job did not do cleanly, or in a dry run all it would do, listed
// for the user at its end.
void MainWindow::showResults()
{
    QVector<WorkbookResult> listed;
    for (const WorkbookResult &result : jobResults) {
        if (jobIsDryRun || !result.isComplete())
            listed.append(result);
    }
    if (listed.isEmpty()) {
        if (results)
            results->hide();
        return;
    }
    if (!results) {
        results = new JobResultsDialog(this);
        connect(results, &JobResultsDialog::undoRequested, this,
                [this]() { askToUndoJob(resultsJob.folder, resultsJob.backup); });
    }
    resultsJob = lastJob;
    results->showResults(listed, JobCounts::of(jobResults), JobSettings::unopenedListPath, jobIsDryRun);
    updateResultsUndo();
}

// A dry run writes no list file: its end says what it found.
QString MainWindow::dryRunFindings() const
{
    return tr("试运行：%1（没有保存任何文件）").arg(JobCounts::of(jobResults).text(true));
}
