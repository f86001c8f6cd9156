// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The inputs of a batch job, carried from the window (which writes them on the
// GUI thread before it posts the launch signal) to the worker (which reads them
// inside the job). No lock: no launch can write while a job runs, because the
// launch buttons stay disabled until the job's end signal arrives.
struct JobSettings
{
    static QString sourcePath;
    static bool onlyFirstSheet;
    static bool appointedSheet;
    static QString sheetName;
    static QString unopenedListPath;

    // The originals of the workbooks a job replaces are kept in the folder,
    // for this many jobs back, unless turned off for one job.
    static bool keepsBackups;
    static int keptBackupJobs;
    // Every workbook opened and edited, none saved: what the job would do.
    static bool dryRun;

    // The batch command's: the workbooks to edit when given as a list (else
    // the folder is walked), the slice of them this run takes (number of
    // count; a count of 1 takes them all), and how many applications edit
    // them side by side. The window walks the folder with one application.
    static QStringList listedFiles;
    static bool filesListed;
    static int shardNumber;
    static int shardCount;
    static int parallelJobs;

    static std::int32_t addColumnNumber;
    static std::int32_t addRowNumber;
    static std::int32_t deleteRowNumber;
    static std::int32_t deleteColumnNumber;

    static QString firstFormula;
    static std::int32_t copyFormulaStartRow;
    static std::int32_t copyFormulaStartColumn;
    static std::int32_t copyFormulaEndRow;
    static std::int32_t copyFormulaEndColumn;
    static bool autoEndRow;
    static bool autoEndColumn;

    static QString valueRange;

    static QString linkCell;
    static QString linkAddress;
    static QString linkSubAddress;
    static QString linkText;
};
