// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/backup/BackupManifest.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

// The backup one job makes of the workbooks it replaces: each original is
// kept under the job's folder in the chosen folder's backup folder before the
// workbook is saved, and recorded in the job's manifest once it is. The job's
// folder is made with the first original, so a job that saves nothing leaves
// none. Safe to use from the several workers of one job.
class JobBackup
{
public:
    // folder is the chosen folder; edit the edit's description.
    JobBackup(const QString &folder, const QStringList &edit);

    // Keeps the original of the workbook at path before it is saved. Empty,
    // or why it could not be kept: the workbook must then not be saved.
    QString keepOriginal(const QString &path);
    // The workbook was saved: what the job wrote goes into the manifest.
    // When the manifest cannot take it, the original is put back, since no
    // undo could find it: empty, or why the save was taken back.
    QString recordSaved(const QString &path);
    // The workbook was not saved after all: its original is still in place.
    void dropOriginal(const QString &path);

    // Removes the job's folder if it kept nothing, then the oldest jobs
    // beyond the newest keep. Returns the job's folder, or empty when it kept
    // nothing.
    QString finish(int keep);

private:
    QString relativePath(const QString &path) const;
    QString keptPath(const QString &path) const;

    const QString m_folder;
    QMutex m_mutex;
    QString m_jobFolder;
    BackupManifest m_manifest;
    QHash<QString, QString> m_originalChecksums; // of the workbooks in hand
};
