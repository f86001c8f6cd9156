// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"
#include "app/SystemTray.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QScreen>

SystemTray *MainWindow::trayIcon = nullptr;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);
    connectLaunchButtons();
    // The Chinese texts need more room than the form's design size with some
    // fonts. Sizes cached before styling would be stale, so every layout is
    // redone now and the window is centred at its real size.
    ensurePolished();
    for (QLayout *childLayout : findChildren<QLayout *>())
        childLayout->invalidate();
    layout()->activate();

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    screenWidth = screen.width();
    screenHeight = screen.height();
    savedSize = size();
    move((screenWidth - savedSize.width()) / 2, (screenHeight - savedSize.height()) / 3);
    setWindowTitle(QStringLiteral("Gridwrighter2.3"));
    setWindowIcon(QIcon(QStringLiteral(":/images/vrq.ico")));

    trayIcon = new SystemTray(this);
    connect(trayIcon, &SystemTray::showWidget, this, &MainWindow::ShowSoftWindow);
    connect(trayIcon, &SystemTray::quitRequested, this, &MainWindow::quitFromTray);
    connect(trayIcon, &SystemTray::undoRequested, this, &MainWindow::askToUndoLastJob);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::SystemTrayActivated);

    QFile settingsFile(ProgramPaths::settingsFilePath);
    if (settingsFile.open(QIODevice::ReadOnly)) {
        const QByteArray sourcePath = readSetting(settingsFile.readAll(), "SourcePath");
        if (!sourcePath.isEmpty())
            ui->lEdt_SourcePath->setText(QString::fromLocal8Bit(sourcePath));
    }
}

// A job still running must end before the window it reports to goes away.
MainWindow::~MainWindow()
{
    stopWorker();
    // The tray icon is this window's child and goes with it.
    if (trayIcon && trayIcon->parent() == this)
        trayIcon = nullptr;
    delete ui;
}

SpreadsheetCloser &MainWindow::spreadsheetCloser()
{
    return closer;
}

void MainWindow::ShowSoftWindow()
{
    showNormal();
    resize(savedSize);
    raise();
    activateWindow();
}

void MainWindow::SystemTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        ShowSoftWindow();
}

void MainWindow::on_pBtn_SourcePath_clicked()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("选择文件夹"), QStringLiteral("."),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return;
    const QString folder = QDir::toNativeSeparators(chosen + QLatin1Char('/'));
    ui->lEdt_SourcePath->setText(folder);
    writeSetting(ProgramPaths::settingsFilePath, "SourcePath", folder.toLocal8Bit());
}

void MainWindow::on_cBox_AppointedSheet_clicked()
{
    ui->lEdt_AppointedSheetName->setEnabled(ui->cBox_AppointedSheet->isChecked());
}

// Detecting the last row leaves the end column to the start column, and the
// other way round, so only one of the two may be detected.
void MainWindow::on_cBox_CopyFormulaEndRow_clicked()
{
    const bool detectRows = ui->cBox_CopyFormulaEndRow->isChecked();
    ui->cBox_CopyFormulaEndColumn->setEnabled(!detectRows);
    ui->sBox_CopyFormulaEndRow->setEnabled(!detectRows);
    if (detectRows)
        ui->sBox_CopyFormulaEndColumn->setValue(ui->sBox_CopyFormulaStartColumn->text().toInt(nullptr, 10));
}

void MainWindow::on_cBox_CopyFormulaEndColumn_clicked()
{
    const bool detectColumns = ui->cBox_CopyFormulaEndColumn->isChecked();
    ui->cBox_CopyFormulaEndRow->setEnabled(!detectColumns);
    ui->sBox_CopyFormulaEndColumn->setEnabled(!detectColumns);
    if (detectColumns)
        ui->sBox_CopyFormulaEndRow->setValue(ui->sBox_CopyFormulaStartRow->text().toInt(nullptr, 10));
}
