#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/MergeObject.h"
#include "launch/JobSettings.h"
#include "engine/UnopenedList.h"
#include "launch/AsciiColons.h"

#include <QThread>

void MainWindow::on_pBtn_AddColumn_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::addColumnNumber = ui->sBox_AddColumn->value();
    launchJob(&MainWindow::pBtn_AddColumn_HasClicked, &MergeObject::AddColumn);
}

void MainWindow::on_pBtn_AddRow_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::addRowNumber = ui->sBox_AddRow->value();
    launchJob(&MainWindow::pBtn_AddRow_HasClicked, &MergeObject::AddRow);
}

void MainWindow::on_pBtn_DeleteRow_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::deleteRowNumber = ui->sBox_DeleteRow->value();
    launchJob(&MainWindow::pBtn_DeleteRow_HasClicked, &MergeObject::DeleteRow);
}

void MainWindow::on_pBtn_DeleteColumn_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::deleteColumnNumber = ui->sBox_DeleteColumn->value();
    launchJob(&MainWindow::pBtn_DeleteColumn_HasClicked, &MergeObject::DeleteColumn);
}

void MainWindow::on_pBtn_CopyFormula_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::firstFormula = ui->lEdt_FirstFormula->text();
    JobSettings::copyFormulaStartRow = ui->sBox_CopyFormulaStartRow->text().toInt(nullptr, 10);
    JobSettings::copyFormulaStartColumn = ui->sBox_CopyFormulaStartColumn->text().toInt(nullptr, 10);
    JobSettings::copyFormulaEndRow = ui->sBox_CopyFormulaEndRow->text().toInt(nullptr, 10);
    JobSettings::copyFormulaEndColumn = ui->sBox_CopyFormulaEndColumn->text().toInt(nullptr, 10);
    JobSettings::autoEndRow = ui->cBox_CopyFormulaEndRow->isChecked();
    JobSettings::autoEndColumn = ui->cBox_CopyFormulaEndColumn->isChecked();
    launchJob(&MainWindow::pBtn_CopyFormula_HasClicked, &MergeObject::CopyFormula);
}

void MainWindow::on_pBtn_FormulaToValue_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::valueRange = withAsciiColons(ui->lEdt_FormulaToValue->text());
    launchJob(&MainWindow::pBtn_FormulaToValue_HasClicked, &MergeObject::FormulaToValue);
}

void MainWindow::on_pBtn_HyperLinks_clicked()
{
    if (preflightCheck() < 0)
        return;
    launchJob(&MainWindow::pBtn_HyperLinks_HasClicked, &MergeObject::InsertHyperLinks);
}

void MainWindow::on_pBtn_HyperlinksCell_clicked()
{
    if (preflightCheck() < 0)
        return;
    JobSettings::linkCell = withAsciiColons(ui->lEdt_HyperlinksCell->text());
    JobSettings::linkAddress = ui->lEdt_HyperlinksLink->text();
    JobSettings::linkSubAddress = ui->lEdt_HyperlinksLinkLocal->text();
    JobSettings::linkText = ui->lEdt_HyperlinksText->text();
    launchJob(&MainWindow::pBtn_HyperlinksCell_HasClicked, &MergeObject::InsertHyperlinksCell);
}

void MainWindow::on_ShowDisposingFile(QString filePath)
{
    ui->lb_ShowDisposing->setText(filePath);
}

void MainWindow::launchJob(void (MainWindow::*launchSignal)(), void (MergeObject::*job)())
{
    resetUnopenedList();

    stopWorker();

    workerThread = new QThread;
    workerThread->start(QThread::InheritPriority);
    worker = new MergeObject;
    worker->moveToThread(workerThread);

    connect(worker, &MergeObject::ShowDisposingFile, this, &MainWindow::on_ShowDisposingFile);
    connect(this, launchSignal, worker, job);
    connect(worker, &MergeObject::Signal_SetButtonEnable, this, &MainWindow::on_Signal_SetButtonEnable);

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
