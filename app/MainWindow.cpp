// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindow.h"
#include "ui_MainWindow.h"

#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"
#include "app/SystemTray.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

SystemTray *MainWindow::trayIcon = nullptr;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);
    setUpKeyboard();
    // With the last row detected the fill runs down the start column, and
    // the other way round: the fixed end follows a changed start.
    connect(ui->sBox_CopyFormulaStartColumn, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int column) {
        if (ui->cBox_CopyFormulaEndRow->isChecked())
            ui->sBox_CopyFormulaEndColumn->setValue(column);
    });
    connect(ui->sBox_CopyFormulaStartRow, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int row) {
        if (ui->cBox_CopyFormulaEndColumn->isChecked())
            ui->sBox_CopyFormulaEndRow->setValue(row);
    });
    connect(&progressTicker, &QTimer::timeout, this, &MainWindow::showProgress);
    // The Chinese texts need more room than the form's design size with some
    // fonts. Sizes cached before styling would be stale, so every layout is
    // redone now and the window is sized to its content, within the screen.
    ensurePolished();
    for (QLayout *childLayout : findChildren<QLayout *>())
        childLayout->invalidate();
    layout()->activate();
    fitIntoScreen();

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
    connect(trayIcon, &SystemTray::undoRequested, this, [this]() {
        ShowSoftWindow();
        askToUndoLastJob();
    });
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::SystemTrayActivated);

    QFile settingsFile(ProgramPaths::settingsFilePath);
    if (settingsFile.open(QIODevice::ReadOnly)) {
        const QByteArray settings = settingsFile.readAll();
        const QByteArray sourcePath = readSetting(settings, "SourcePath");
        if (!sourcePath.isEmpty())
            ui->lEdt_SourcePath->setText(QString::fromLocal8Bit(sourcePath));
        restoreForm(settings);
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

JobResultsDialog *MainWindow::resultsDialog() const
{
    return results;
}

// The form's own size, within the screen: a screen smaller than the form
// scrolls it, and the window is never wider or taller than the screen.
void MainWindow::fitIntoScreen()
{
    // The window system's frame is not known before the window is shown.
    const QSize frame(16, 48);
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size() - frame;
    // On a narrow screen buttons and number boxes give up their spare width
    // first: the style's minimum button is wider than its Chinese text.
    const QFontMetrics metrics = fontMetrics();
    for (QPushButton *button : ui->tab->findChildren<QPushButton *>())
        button->setMinimumWidth(metrics.horizontalAdvance(button->text()) + metrics.height());
    // Five digits show at the least; a longer number scrolls in its box.
    for (QSpinBox *box : ui->tab->findChildren<QSpinBox *>())
        box->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("00000")) + 2 * metrics.height());
    // A group's long title may be cut at its end on a narrow screen; its
    // fields and buttons are never cut, they scroll.
    for (QGroupBox *group : ui->tab->findChildren<QGroupBox *>())
        group->setMinimumWidth(group->layout()->minimumSize().width());
    const QMargins margins = ui->scrollAreaContents->layout()->contentsMargins();
    const QSize around(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize content = ui->tabWidget->sizeHint() + around;
    setMinimumSize((ui->tabWidget->minimumSizeHint() + around).boundedTo(room));
    resize(content.boundedTo(room));
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
    // The dialog opens at the folder in the field when there is one.
    const QString typed = ui->lEdt_SourcePath->text();
    const QString start = !typed.isEmpty() && QFileInfo(typed).isDir() ? typed : QStringLiteral(".");
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("选择文件夹"), start,
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
