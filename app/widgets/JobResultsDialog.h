// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/widgets/JobCounts.h"
#include "engine/WorkbookResult.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QPushButton;
class QTreeWidget;

// The end of a job for the user: every workbook it did not edit cleanly (in
// a dry run: every workbook and what would happen to it), with what happened
// and why, and the ways on from there.
class JobResultsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit JobResultsDialog(QWidget *parent = nullptr);

    // counts: every workbook of the job, listed or not.
    void showResults(const QVector<WorkbookResult> &workbooks, const JobCounts &counts, const QString &listFilePath,
                     bool dryRun);
    // Only while the job shown can be undone.
    void setUndoEnabled(bool enabled);

    // What happened to a workbook, in a word or two.
    static QString outcomeText(const WorkbookResult &workbook, bool dryRun);
    static QString reasonText(const WorkbookResult &workbook);

signals:
    void undoRequested();

private:
    void openSelectedFolder();
    void copyList();
    void showListFile();

    QLabel *heading;
    QTreeWidget *list;
    QPushButton *listFileButton;
    QPushButton *undoButton;
    QString listFile;
};
