// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The list of workbooks a job could not open or save, written into the chosen
// folder.

// The list file's name, one of its own for each slice of a sharded job.
QString unopenedListFileName();

// Points JobSettings::unopenedListPath at the list file of the folder in
// JobSettings::sourcePath.
void chooseUnopenedList();

// Deletes the list an earlier job left, so that after a job the file exists
// only if that job met such a workbook. Done once the job holds the folder:
// a job refused touches nothing.
void removeEarlierUnopenedList(const QString &listPath);

// Writes the list, one native path a line, in the local 8-bit code page.
// False when the file cannot be written.
bool writeUnopenedList(const QString &listPath, const QString &lines);
