// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MergeObject.h"
#include "engine/WorkbookResult.h"
#include "launch/SpreadsheetCloser.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSize>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVector>

class JobResultsDialog;
class QThread;
class SystemTray;
struct JobEdit;

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

    // The list of workbooks the last job did not edit cleanly; created at
    // the end of the first job that has one.
    JobResultsDialog *resultsDialog() const;

    static SystemTray *trayIcon;

    // A newer copy of the program asked this one to end: as the tray's quit,
    // without asking, the job stopping after the workbook in hand.
    void quitForNewerCopy();

    // The job an earlier copy stopped when this one started, told to the
    // user with its results and its undo (StoppedJobNotice.cpp).
    void offerStoppedJob();

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

    void on_pBtn_AddColumn_clicked();
    void on_pBtn_AddRow_clicked();
    void on_pBtn_DeleteRow_clicked();
    void on_pBtn_DeleteColumn_clicked();
    void on_pBtn_CopyFormula_clicked();
    void on_pBtn_FormulaToValue_clicked();
    void on_pBtn_HyperLinks_clicked();
    void on_pBtn_HyperlinksCell_clicked();

    void on_pBtn_Stop_clicked();
    void on_pBtn_UndoLastJob_clicked();

    void on_Signal_SetButtonEnable();
    void on_ShowDisposingFile(QString filePath);
    void startWorkbook(const QString &path);

    void on_cBox_AppointedSheet_clicked();
    void on_cBox_CopyFormulaEndRow_clicked();
    void on_cBox_CopyFormulaEndColumn_clicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool jobRunning() const;
    bool stopRunningJobBeforeLeaving();
    void stopJobAfterWorkbookInHand();
    void quitFromTray();
    void askToUndoLastJob();
    void askToUndoJob(const QString &folder, const QString &onlyJob);
    void updateResultsUndo();
    void disableLaunchButtons();
    void setLaunchButtonsEnabled(bool enabled);
    void showStatus(const QString &text);
    void launchJob(void (MainWindow::*launchSignal)(), MergeObject::Job job);
    bool sourceFolderExists();
    void takeEditFields(const JobEdit &edit);
    bool agreesToTextFormula();
    void stopWorker();

    // Fitting the screen (WindowFit.cpp).
    void fitIntoScreen();

    // Enter in a field and the Tab order (FormKeyboard.cpp).
    void setUpKeyboard();

    // The form kept in the settings file (FormMemory.cpp).
    void restoreForm(const QByteArray &settings);
    void rememberForm();
    void rememberJobFolder();

    // A job stopped for a newer copy, kept for it (StoppedJobNotice.cpp).
    void rememberStoppedJob();

    // How far the job is (JobProgress.cpp).
    void startProgress();
    void countCandidates(int total);
    void countWorkbook(const WorkbookResult &result);
    void showProgress();
    void endProgress();

    // What happened to the workbooks (JobProgress.cpp).
    void showResults();
    QString dryRunFindings() const;

    Ui::MainWindow *ui;
    int screenWidth;
    int screenHeight;
    QSize savedSize;
    QThread *workerThread = nullptr;
    MergeObject *worker = nullptr;
    SpreadsheetCloser closer;

    int candidateTotal = -1; // unknown until the walk is done
    QVector<WorkbookResult> jobResults;
    bool jobIsDryRun = false;
    QElapsedTimer jobClock;
    // From the first workbook on: the application's start is no part of the pace.
    QElapsedTimer paceClock;
    QString workbookInHand;
    // The last job of this window, which the undo entries name: its folder,
    // and its backup once it kept one (empty for a dry run, or once undone).
    struct LastJob
    {
        QString folder;
        QString backupBefore;
        QString backup;
    } lastJob;
    // The job the results show; its backup is dropped once a later job starts.
    LastJob resultsJob;
    QTimer progressTicker;
    JobResultsDialog *results = nullptr;
};
