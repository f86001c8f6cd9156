// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/JobInput.h"
#include "engine/JobOptions.h"
#include "engine/backup/JobUndo.h"
#include "engine/MergeObject.h"
#include "engine/WorkbookEdit.h"
#include "engine/edits/JobEdits.h"
#include "engine/report/UnopenedList.h"
#include "launch/AsciiColons.h"
#include "launch/JobSettings.h"

#include <QMessageBox>
#include <QRegularExpression>
#include <QThread>

namespace {

int number(const QAbstractSpinBox *box)
{
    return box->text().toInt(nullptr, 10);
}

} // namespace

void MainWindow::on_pBtn_AddColumn_clicked()
{
    launchJob(&MainWindow::pBtn_AddColumn_HasClicked, &MergeObject::AddColumn);
}

void MainWindow::on_pBtn_AddRow_clicked()
{
    launchJob(&MainWindow::pBtn_AddRow_HasClicked, &MergeObject::AddRow);
}

void MainWindow::on_pBtn_DeleteRow_clicked()
{
    launchJob(&MainWindow::pBtn_DeleteRow_HasClicked, &MergeObject::DeleteRow);
}

void MainWindow::on_pBtn_DeleteColumn_clicked()
{
    launchJob(&MainWindow::pBtn_DeleteColumn_HasClicked, &MergeObject::DeleteColumn);
}

void MainWindow::on_pBtn_CopyFormula_clicked()
{
    launchJob(&MainWindow::pBtn_CopyFormula_HasClicked, &MergeObject::CopyFormula);
}

void MainWindow::on_pBtn_FormulaToValue_clicked()
{
    launchJob(&MainWindow::pBtn_FormulaToValue_HasClicked, &MergeObject::FormulaToValue);
}

void MainWindow::on_pBtn_HyperLinks_clicked()
{
    launchJob(&MainWindow::pBtn_HyperLinks_HasClicked, &MergeObject::InsertHyperLinks);
}

void MainWindow::on_pBtn_HyperlinksCell_clicked()
{
    launchJob(&MainWindow::pBtn_HyperlinksCell_HasClicked, &MergeObject::InsertHyperlinksCell);
}

// The fields of the form the edit reads, into the job settings.
void MainWindow::takeEditFields(const JobEdit &edit)
{
    if (edit.number) {
        *edit.number = findChild<QSpinBox *>(QStringLiteral("sBox_") + QLatin1String(edit.formName))->value();
    } else if (edit.job == &MergeObject::CopyFormula) {
        JobSettings::firstFormula = ui->lEdt_FirstFormula->text();
        JobSettings::copyFormulaStartRow = number(ui->sBox_CopyFormulaStartRow);
        JobSettings::copyFormulaStartColumn = number(ui->sBox_CopyFormulaStartColumn);
        JobSettings::copyFormulaEndRow = number(ui->sBox_CopyFormulaEndRow);
        JobSettings::copyFormulaEndColumn = number(ui->sBox_CopyFormulaEndColumn);
        JobSettings::autoEndRow = ui->cBox_CopyFormulaEndRow->isChecked();
        JobSettings::autoEndColumn = ui->cBox_CopyFormulaEndColumn->isChecked();
    } else if (edit.job == &MergeObject::FormulaToValue) {
        JobSettings::valueRange = withAsciiColons(ui->lEdt_FormulaToValue->text());
    } else if (edit.job == &MergeObject::InsertHyperlinksCell) {
        JobSettings::linkCell = withAsciiColons(ui->lEdt_HyperlinksCell->text());
        JobSettings::linkAddress = ui->lEdt_HyperlinksLink->text();
        JobSettings::linkSubAddress = ui->lEdt_HyperlinksLinkLocal->text();
        JobSettings::linkText = ui->lEdt_HyperlinksText->text();
    }
}

// Text without "=" lands in every target cell as it is, overwriting whatever
// they hold: the user confirms that this is meant.
bool MainWindow::agreesToTextFormula()
{
    if (JobSettings::firstFormula.startsWith(QLatin1Char('=')))
        return true;
    return QMessageBox::question(this, tr("提示"), tr("内容不以=开头，将作为文本写入所有目标单元格，是否继续？"),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void MainWindow::on_ShowDisposingFile(QString filePath)
{
    showStatus(filePath);
}

void MainWindow::showStatus(const QString &text)
{
    // The formula fill's row in hand follows the workbook's path: named, not
    // a bare number.
    static const QRegularExpression rowProgress(QStringLiteral("^(\\d+  (.+))  (\\d+)$"));
    const QRegularExpressionMatch row = rowProgress.match(text);
    if (row.hasMatch() && row.captured(2) == workbookInHand)
        ui->lb_ShowDisposing->showText(tr("%1  第%2行").arg(row.captured(1), row.captured(3)));
    else
        ui->lb_ShowDisposing->showText(text);
}

// Every launch: the folder, the edit's own fields of the form into the job
// settings and their checks, then the pre-flight check, then the job on a
// fresh worker. Bad input is refused before the pre-flight check ends any
// program.
void MainWindow::launchJob(void (MainWindow::*launchSignal)(), MergeObject::Job job)
{
    if (!sourceFolderExists())
        return;
    const JobEdit &edit = jobEditOf(job);
    takeEditFields(edit);
    takeSheetChoice();
    const QString problem = jobInputProblem(*edit.makeEdit(), JobOptions::fromJobSettings());
    if (!problem.isEmpty()) {
        showStatus(problem);
        return;
    }
    if (job == &MergeObject::CopyFormula && !agreesToTextFormula())
        return;
    if (preflightCheck() < 0)
        return;
    JobSettings::dryRun = ui->cBox_DryRun->isChecked();
    chooseUnopenedList();
    rememberForm();
    rememberJobFolder();
    lastJob = {JobSettings::sourcePath, undoableJobs(JobSettings::sourcePath).value(0).folder, QString()};

    stopWorker();

    workerThread = new QThread;
    workerThread->start(QThread::InheritPriority);
    worker = new MergeObject;
    worker->moveToThread(workerThread);

    connect(worker, &MergeObject::ShowDisposingFile, this, &MainWindow::on_ShowDisposingFile);
    connect(this, launchSignal, worker, job);
    connect(worker, &MergeObject::Signal_SetButtonEnable, this, &MainWindow::on_Signal_SetButtonEnable);
    connect(worker, &MergeObject::candidatesFound, this, &MainWindow::countCandidates);
    connect(worker, &MergeObject::workbookFinished, this, &MainWindow::countWorkbook);

    connect(worker, &MergeObject::workbookStarted, this, &MainWindow::startWorkbook);

    startProgress();
    emit (this->*launchSignal)();
}

// The worker is deleted only after its thread has finished, never while its
// job may still be running.
void MainWindow::stopWorker()
{
    if (!workerThread)
        return;
    workerThread->quit();
    workerThread->wait();
    delete worker;
    worker = nullptr;
    delete workerThread;
    workerThread = nullptr;
}
