// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class MergeObject;
struct JobOptions;

// The workbooks a job edits, in the order it edits them, as native paths:
// the candidate workbooks the folder's walk finds (or the listed files), and
// of those the run's slice only.
QStringList jobCandidates(MergeObject &worker, const JobOptions &options);

// Whether the workbook at relativePath (below the folder, '/' between names)
// belongs to slice number of count. Decided by a hash of the path, so that the
// runs of a job spread over several machines agree without talking, whatever
// order their walks find the files in, and each workbook falls in one slice.
bool isInShard(const QString &relativePath, int number, int count);
