#pragma once

#include <QString>

// Writes the list of workbooks a job could not open or save, one native path a
// line, in the local 8-bit code page. False when the file cannot be written.
bool writeUnopenedList(const QString &listPath, const QString &lines);
