// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What a job reads of the job settings besides its edit's own fields, copied
// once at the job's start and handed down: the front end may write the
// settings for the next job while this one finishes.
struct JobOptions
{
    QString sourcePath;
    bool onlyFirstSheet = false;
    bool appointedSheet = false;
    QString sheetName;
    QString unopenedListPath;
    bool keepsBackups = true;
    int keptBackupJobs = 10;
    bool dryRun = false;
    QStringList listedFiles;
    bool filesListed = false;
    int shardNumber = 1;
    int shardCount = 1;
    int parallelJobs = 1;

    static JobOptions fromJobSettings();
};
