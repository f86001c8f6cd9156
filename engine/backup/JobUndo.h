// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/backup/BackupManifest.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Undoing jobs from their backups in a chosen folder, the newest first. Only
// files are moved: no spreadsheet application is needed.

struct UndoableJob
{
    QString folder; // the job's backup folder
    BackupManifest manifest;
};

// The jobs that can be undone, newest first.
QVector<UndoableJob> undoableJobs(const QString &folder);

struct UndoOutcome
{
    struct NotRestored
    {
        QString path;     // the workbook, native
        QString reason;
        QString original; // its original in the backup, native
    };

    // Why nothing was undone: another job holds the folder. Empty otherwise.
    QString refusal;
    QString holder; // that job's process
    bool found = false; // there was a job to undo
    UndoableJob job;
    QStringList restored; // native paths
    QVector<NotRestored> notRestored;
};

// Puts back the originals of the newest job not undone, holding the folder's
// lock meanwhile. A workbook that is no longer what the job wrote (edited
// since) keeps its content, and the job's backup stays for it, marked undone
// once some other workbook was restored; otherwise the job's backup is
// removed, so that the next undo takes the job before. An undo that restored
// nothing leaves the job to be undone again. With onlyJob (a job's backup
// folder, as undoableJobs gives it) nothing is undone unless that job is the
// newest: the user agreed to undo that one.
UndoOutcome undoLastJob(const QString &folder, const QString &onlyJob = QString());

// The window's status text after an undo.
QString undoSummary(const UndoOutcome &outcome);
