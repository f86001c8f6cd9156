// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobOptions.h"

#include "launch/JobSettings.h"

JobOptions JobOptions::fromJobSettings()
{
    JobOptions options;
    options.sourcePath = JobSettings::sourcePath;
    options.onlyFirstSheet = JobSettings::onlyFirstSheet;
    options.appointedSheet = JobSettings::appointedSheet;
    options.sheetName = JobSettings::sheetName;
    options.unopenedListPath = JobSettings::unopenedListPath;
    options.keepsBackups = JobSettings::keepsBackups;
    options.keptBackupJobs = JobSettings::keptBackupJobs;
    options.dryRun = JobSettings::dryRun;
    options.listedFiles = JobSettings::listedFiles;
    options.filesListed = JobSettings::filesListed;
    options.shardNumber = JobSettings::shardNumber;
    options.shardCount = JobSettings::shardCount;
    options.parallelJobs = JobSettings::parallelJobs;
    return options;
}
