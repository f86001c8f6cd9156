// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "launch/JobSettings.h"
#include "launch/SpreadsheetImageNames.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

bool MainWindow::sourceFolderExists()
{
    JobSettings::sourcePath = QDir::toNativeSeparators(ui->lEdt_SourcePath->text());
    if (QFileInfo(JobSettings::sourcePath).isDir())
        return true;
    QMessageBox::about(this, QStringLiteral("Message:"), tr("文件夹不存在!"));
    return false;
}

int MainWindow::preflightCheck()
{
    if (!sourceFolderExists())
        return -1;
    // A typed folder without a final separator still gets its list file
    // inside it, as a chosen one does.
    if (!JobSettings::sourcePath.endsWith(QDir::separator()))
        JobSettings::sourcePath += QDir::separator();
    showStatus(QString());

    const QString stillRunning = closer.closeAll(spreadsheetImageNames());
    if (!stillRunning.isEmpty()) {
        showStatus(tr("无法关闭程序 %1，请手动关闭该程序后重试。").arg(stillRunning));
        return -1;
    }

    takeSheetChoice();
    disableLaunchButtons();
    return 0;
}

void MainWindow::takeSheetChoice()
{
    JobSettings::onlyFirstSheet = ui->cBox_OnlyFirstSheet->checkState() == Qt::Checked;
    JobSettings::appointedSheet = ui->cBox_AppointedSheet->isChecked();
    if (JobSettings::appointedSheet)
        JobSettings::sheetName = ui->lEdt_AppointedSheetName->text();
}
