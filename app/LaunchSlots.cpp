// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "engine/JobInput.h"
#include "engine/MergeObject.h"
#include "engine/WorkbookEdit.h"
#include "engine/report/UnopenedList.h"
#include "launch/AsciiColons.h"
#include "launch/JobSettings.h"

#include <QThread>

namespace {

// A form field's number as the setting of a row or column edit.
std::function<void()> takeNumber(const QSpinBox *box, std::int32_t *setting)
{
    return [box, setting]() { *setting = box->value(); };
}

int number(const QAbstractSpinBox *box)
{
    return box->text().toInt(nullptr, 10);
}

} // namespace

// The eight launch buttons: the signal each posts, the job it starts and the
// fields of the form its edit reads.
void MainWindow::connectLaunchButtons()
{
    struct Launch
    {
        QPushButton *button;
        void (MainWindow::*signal)();
        void (MergeObject::*job)();
        std::function<void()> takeEditFields;
    };
    const Launch launches[] = {
        {ui->pBtn_AddColumn, &MainWindow::pBtn_AddColumn_HasClicked, &MergeObject::AddColumn,
         takeNumber(ui->sBox_AddColumn, &JobSettings::addColumnNumber)},
        {ui->pBtn_AddRow, &MainWindow::pBtn_AddRow_HasClicked, &MergeObject::AddRow,
         takeNumber(ui->sBox_AddRow, &JobSettings::addRowNumber)},
        {ui->pBtn_DeleteRow, &MainWindow::pBtn_DeleteRow_HasClicked, &MergeObject::DeleteRow,
         takeNumber(ui->sBox_DeleteRow, &JobSettings::deleteRowNumber)},
        {ui->pBtn_DeleteColumn, &MainWindow::pBtn_DeleteColumn_HasClicked, &MergeObject::DeleteColumn,
         takeNumber(ui->sBox_DeleteColumn, &JobSettings::deleteColumnNumber)},
        {ui->pBtn_CopyFormula, &MainWindow::pBtn_CopyFormula_HasClicked, &MergeObject::CopyFormula,
         [this]() {
             JobSettings::firstFormula = ui->lEdt_FirstFormula->text();
             JobSettings::copyFormulaStartRow = number(ui->sBox_CopyFormulaStartRow);
             JobSettings::copyFormulaStartColumn = number(ui->sBox_CopyFormulaStartColumn);
             JobSettings::copyFormulaEndRow = number(ui->sBox_CopyFormulaEndRow);
             JobSettings::copyFormulaEndColumn = number(ui->sBox_CopyFormulaEndColumn);
             JobSettings::autoEndRow = ui->cBox_CopyFormulaEndRow->isChecked();
             JobSettings::autoEndColumn = ui->cBox_CopyFormulaEndColumn->isChecked();
         }},
        {ui->pBtn_FormulaToValue, &MainWindow::pBtn_FormulaToValue_HasClicked, &MergeObject::FormulaToValue,
         [this]() { JobSettings::valueRange = withAsciiColons(ui->lEdt_FormulaToValue->text()); }},
        {ui->pBtn_HyperLinks, &MainWindow::pBtn_HyperLinks_HasClicked, &MergeObject::InsertHyperLinks, []() {}},
        {ui->pBtn_HyperlinksCell, &MainWindow::pBtn_HyperlinksCell_HasClicked, &MergeObject::InsertHyperlinksCell,
         [this]() {
             JobSettings::linkCell = withAsciiColons(ui->lEdt_HyperlinksCell->text());
             JobSettings::linkAddress = ui->lEdt_HyperlinksLink->text();
             JobSettings::linkSubAddress = ui->lEdt_HyperlinksLinkLocal->text();
             JobSettings::linkText = ui->lEdt_HyperlinksText->text();
         }},
    };
    for (const Launch &launch : launches) {
        connect(launch.button, &QPushButton::clicked, this,
                [this, launch]() { launchJob(launch.signal, launch.job, launch.takeEditFields); });
    }
}

void MainWindow::on_ShowDisposingFile(QString filePath)
{
    ui->lb_ShowDisposing->setText(filePath);
}

// Every launch: the pre-flight check, the edit's own fields of the form into
// the job settings, then the job on a fresh worker.
void MainWindow::launchJob(void (MainWindow::*launchSignal)(), void (MergeObject::*job)(),
                           const std::function<void()> &takeEditFields)
{
    // Bad input is refused before the pre-flight check ends any program.
    takeEditFields();
    takeSheetChoice();
    const QString problem = jobInputProblem(*MergeObject::editOf(job));
    if (!problem.isEmpty()) {
        ui->lb_ShowDisposing->setText(problem);
        return;
    }
    if (preflightCheck() < 0)
        return;
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
