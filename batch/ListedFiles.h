// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Reads the workbooks a job is to edit from a list file (one path a line, or
// standard input for "-"): each path absolute or relative to the current
// folder, as a walk of the folder prints them. Every line must name a file
// the walk of folder could find (a real file below it, reached through no
// linked, hidden or backup folder); lines naming other kinds of files are
// kept, to be passed over as the walk passes them over. A path listed twice is
// edited once. Returns empty, with the native paths below folder as given
// in paths, or why the list is refused.
QString readListedFiles(const QString &listPath, const QString &folder, QStringList *paths);
