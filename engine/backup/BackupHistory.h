// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The backups of one chosen folder: its hidden folder ".gridwrighter-backup",
// holding one folder a job, named after the job's start so that their names
// sort as the jobs ran.
namespace BackupHistory {

QString folderName();
// The chosen folder absolute and clean, with "/" and no final separator,
// however it was typed ("rel", "./rel/", "../x/rel").
QString absoluteFolder(const QString &folder);
QString rootOf(const QString &folder);

// The jobs' folders, oldest first.
QStringList jobFolders(const QString &folder);

// The folder for a job started at time, not yet made.
QString newJobFolder(const QString &folder, const QDateTime &time);

// Removes a job's folder, then the backup folder if no job is left in it.
void removeJob(const QString &folder, const QString &jobFolder);

// Removes the oldest jobs beyond the newest keep.
void keepNewest(const QString &folder, int keep);

} // namespace BackupHistory
