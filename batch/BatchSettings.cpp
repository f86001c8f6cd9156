// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchEdits.h"
#include "batch/BatchRequest.h"
#include "engine/report/UnopenedList.h"
#include "launch/JobSettings.h"

#include <QDir>

void applyToJobSettings(const BatchRequest &request)
{
    // Ends in a separator as a folder chosen in the window does, so that the
    // list file lands inside the folder.
    QString folder = QDir::toNativeSeparators(request.folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    JobSettings::sourcePath = folder;
    JobSettings::onlyFirstSheet = request.firstSheetOnly;
    JobSettings::appointedSheet = request.hasSheetName;
    if (request.hasSheetName)
        JobSettings::sheetName = request.sheetName;
    JobSettings::keepsBackups = !request.noBackup;
    JobSettings::keptBackupJobs = request.keptBackups;
    JobSettings::dryRun = request.dryRun;
    JobSettings::parallelJobs = request.jobs;
    JobSettings::filesListed = !request.filesFrom.isEmpty();
    JobSettings::listedFiles = request.listedFiles;
    JobSettings::shardNumber = request.shardNumber;
    JobSettings::shardCount = request.shardCount;
    request.edit->applyArguments(request);
    chooseUnopenedList();
}
