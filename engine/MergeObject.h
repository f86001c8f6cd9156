// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobFrame.h"

#include <QFileInfoList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class WorkbookEdit;

// The worker of one batch job. It lives on the job's worker thread; each slot
// runs one whole job (the job frame with one edit's core) and talks back to
// the window only through its signals.
class MergeObject : public QObject
{
    Q_OBJECT

public:
    explicit MergeObject(QObject *parent = nullptr);

    QFileInfoList ListAllFiles(const QString &path);

    // Runs the job frame with the given core over a copy of the job settings
    // taken now, at the job's start.
    void runJob(WorkbookEdit &edit);

    // The edit each job slot runs, so that a launcher can check its input
    // before starting anything.
    using Job = void (MergeObject::*)();
    static std::unique_ptr<WorkbookEdit> editOf(Job job);

    // Asks the job to stop at the next safe point: the workbook in hand is
    // finished (saved or left as it was), no further one is opened. Safe from
    // any thread and from a signal handler.
    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }

    // The batch command prints the list file's path instead of opening it.
    void setShowsUnopenedListInViewer(bool show);

    // How the last job ended, for callers that need more than the texts.
    using Outcome = JobFrame::Outcome;
    Outcome lastOutcome() const;

signals:
    void Signal_SetButtonEnable();
    void ShowDisposingFile(QString filePath);
    // A candidate workbook is about to be opened, for progress displays.
    void workbookStarted(QString nativePath);
    // The walk is done: this many candidate workbooks are to be edited.
    void candidatesFound(int total);
    // What the job did to one candidate workbook (in a dry run: would do).
    void workbookFinished(WorkbookResult result);

public slots:
    void AddColumn();
    void AddRow();
    void DeleteRow();
    void DeleteColumn();
    void CopyFormula();
    void FormulaToValue();
    void InsertHyperLinks();
    void InsertHyperlinksCell();

private:
    bool m_showsUnopenedListInViewer = true;
    Outcome m_outcome;
    std::atomic<bool> m_stopRequested{false};
};
