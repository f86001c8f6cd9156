// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRequest.h"

#include <QTextStream>

// "FOLDER undo": puts back the originals of the folder's last job, or with
// --list names the jobs that can be undone. Starts no spreadsheet
// application. Returns the exit status.
int runBatchUndo(const BatchRequest &request, QTextStream &out, QTextStream &err);
