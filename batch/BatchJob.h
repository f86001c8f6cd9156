#pragma once

#include "batch/BatchRequest.h"

#include <QTextStream>

// Runs one job through the engine on a worker thread, as the window does,
// printing every status text it emits, one a line. Returns the exit status.
int runBatchJob(const BatchRequest &request, QTextStream &out, QTextStream &err);
