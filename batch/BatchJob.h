// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRequest.h"

#include <QTextStream>

// Runs one job through the engine on a worker thread, as the window does,
// printing its status texts (as lines, or as an updating progress line when
// out is a terminal) and writing the requested report. endApplicationsNow, when
// given, ends the spreadsheet applications at once on a second SIGINT (it must
// be safe in a signal handler). Returns the exit status.
int runBatchJob(const BatchRequest &request, QTextStream &out, QTextStream &err, bool outIsTerminal,
                void (*endApplicationsNow)() = nullptr);
