// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "launch/SpreadsheetCloser.h"

#include <QMainWindow>
#include <QSize>
#include <QSystemTrayIcon>

#include <functional>

class MergeObject;
class QThread;
class SystemTray;

namespace Ui {
class MainWindow;
}

// The settings form; each launch button hands one batch job to a worker on
// its own thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Takes over the job settings from the form and ends running spreadsheet
    // programs; -1 when no job may start.
    int preflightCheck();
    void takeSheetChoice();

    // Tests replace how running spreadsheet programs are ended.
    SpreadsheetCloser &spreadsheetCloser();

    static SystemTray *trayIcon;

    // A newer copy of the program asked this one to end: as the tray's quit,
    // without asking, the job stopping after the workbook in hand.
    void quitForNewerCopy();

signals:
    void pBtn_AddColumn_HasClicked();
    void pBtn_AddRow_HasClicked();
    void pBtn_DeleteRow_HasClicked();
    void pBtn_DeleteColumn_HasClicked();
    void pBtn_CopyFormula_HasClicked();
    void pBtn_FormulaToValue_HasClicked();
    void pBtn_HyperLinks_HasClicked();
    void pBtn_HyperlinksCell_HasClicked();

public slots:
    void ShowSoftWindow();
    void SystemTrayActivated(QSystemTrayIcon::ActivationReason reason);

private slots:
    void on_pBtn_SourcePath_clicked();

    void on_Signal_SetButtonEnable();
    void on_ShowDisposingFile(QString filePath);

    void on_cBox_AppointedSheet_clicked();
    void on_cBox_CopyFormulaEndRow_clicked();
    void on_cBox_CopyFormulaEndColumn_clicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool jobRunning() const;
    bool stopRunningJobBeforeLeaving();
    void stopJobAfterWorkbookInHand();
    void quitFromTray();
    void askToUndoLastJob();
    void connectLaunchButtons();
    void disableLaunchButtons();
    void setLaunchButtonsEnabled(bool enabled);
    void launchJob(void (MainWindow::*launchSignal)(), void (MergeObject::*job)(),
                   const std::function<void()> &takeEditFields);
    void stopWorker();

    Ui::MainWindow *ui;
    int screenWidth;
    int screenHeight;
    QSize savedSize;
    QThread *workerThread = nullptr;
    MergeObject *worker = nullptr;
    SpreadsheetCloser closer;
};
