// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/JobOptions.h"
#include "engine/WorkbookResult.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class JobBackup;
class MergeObject;
class SkipTally;
class WorkbookEdit;

// The frame every job runs in, in three steps: start the application, edit
// each candidate workbook below the folder (open it, let the edit's core work
// on it, keep its original, save, close, report), finish (report the count,
// quit the application, signal the end, write the list of workbooks not
// opened or saved). A dry run closes every workbook unsaved and writes nothing. The
// batch command may have several applications edit the workbooks side by
// side; the results and the list keep the order of the walk all the same.
class JobFrame
{
public:
    struct Outcome
    {
        bool applicationStarted = false;
        // Why no application started, when none did.
        QString applicationFailure;
        int candidates = 0;
        int failed = 0; // not opened or not saved
        // Every candidate workbook reached, in the order of the walk.
        QVector<WorkbookResult> workbooks;
        // False when the list of workbooks not opened or saved could not be
        // written; the paths are then only in the results.
        bool listWritten = true;
        // Stopped on request before every candidate was reached.
        bool stopped = false;
        // Why the job did not start: another job holds the folder (or it
        // cannot be locked). Nothing was touched.
        QString folderRefusal;
        // Every candidate edited and saved, with every selected sheet.
        bool complete() const;
    };

    // Reports through the worker's signals; reads nothing of the job settings.
    JobFrame(MergeObject &worker, WorkbookEdit &edit, const JobOptions &options, bool showsUnopenedListInViewer);
    ~JobFrame();

    Outcome run();

private:
    void editAll(const QStringList &candidates, SkipTally &skips);
    void reportClosing(const SkipTally &skips);
    void finish();
    void report(const QString &text);

    MergeObject &m_worker;
    WorkbookEdit &m_edit;
    JobOptions m_options;
    const bool m_showsUnopenedListInViewer;
    std::unique_ptr<JobBackup> m_backup; // null when the job keeps no originals
    int m_numbered = 0;
    Outcome m_outcome;
    // The count, the notes and the backup's place: kept when a note on the
    // list file follows.
    QString m_closing;
};
