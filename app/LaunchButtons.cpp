// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

// The launch buttons stay disabled while a job runs, so that no launch can
// change the job settings the worker is reading.
void MainWindow::disableLaunchButtons()
{
    setLaunchButtonsEnabled(false);
}

void MainWindow::on_Signal_SetButtonEnable()
{
    setLaunchButtonsEnabled(true);
}

void MainWindow::setLaunchButtonsEnabled(bool enabled)
{
    ui->pBtn_AddColumn->setEnabled(enabled);
    ui->pBtn_AddRow->setEnabled(enabled);
    ui->pBtn_DeleteColumn->setEnabled(enabled);
    ui->pBtn_DeleteRow->setEnabled(enabled);
    ui->pBtn_CopyFormula->setEnabled(enabled);
    ui->pBtn_FormulaToValue->setEnabled(enabled);
    ui->pBtn_HyperLinks->setEnabled(enabled);
    ui->pBtn_HyperlinksCell->setEnabled(enabled);
}
