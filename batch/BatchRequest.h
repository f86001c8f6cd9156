// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

struct BatchEdit;

// One job as the command line asks for it.
struct BatchRequest
{
    QString folder;
    const BatchEdit *edit = nullptr; // a row of batchEdits()
    int number = 1;
    QString text; // formula, range or cell
    // fill-formula --text TEXT: TEXT is a constant meant as it stands.
    bool constantText = false;

    bool startGiven = false;
    int startRow = 1;
    int startColumn = 1;
    bool endGiven = false;
    int endRow = 1;
    int endColumn = 1;
    bool autoEndRow = false;
    bool autoEndColumn = false;

    QString address;
    QString subAddress;
    QString displayText;

    bool firstSheetOnly = false;
    bool hasSheetName = false;
    QString sheetName;
    bool closeSpreadsheetApps = false;

    bool dryRun = false;
    bool noBackup = false;
    int keptBackups = 10;
    // "undo" in the edit's place: the last job's originals put back.
    bool undo = false;
    bool listUndoable = false;
    bool quiet = false;
    QString reportPath; // empty: no report

    // How many applications edit side by side; 0 until given: one a core.
    int jobs = 0;
    // The workbooks to edit instead of the folder's walk, read from the file
    // named by --files-from ("-": standard input).
    QString filesFrom;
    QStringList listedFiles;
    // This run's slice of the workbooks: number of count.
    int shardNumber = 1;
    int shardCount = 1;
};

struct BatchParse
{
    enum Result { Run, Help, Version, Invalid };
    Result result = Invalid;
    BatchRequest request;
    QString error;
};

// Reads the arguments after the program's name (BatchArguments.cpp).
BatchParse parseBatchArguments(const QStringList &arguments);

QString batchUsage();

// Fills the job settings as the window's launch does for the same edit
// (BatchSettings.cpp).
void applyToJobSettings(const BatchRequest &request);
