// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ZipArchive;

// Whether a workbook LibreOffice has just stored is whole, read back before it
// may replace the original: near a full disk LibreOffice's export can write an
// empty or cut file without reporting an error. Each gives why the stored file
// is not whole, or empty.
namespace StoredWorkbookCheck {

// A CSV file stored with LF record ends in UTF-8: it must hold records
// as many as the document's rows, counted as LibreOffice writes them (record
// ends outside quotes, an unended last record counting too).
QString csvProblem(const QString &path, qint64 records);
// An .xlsx or .xlsm: its zip directory and every member read back whole.
// The archive read is left in read when given. A member stored byte for
// byte as in checkedBefore, where it was found whole, is not read again.
QString archiveProblem(const QString &path, ZipArchive *read = nullptr, const ZipArchive *checkedBefore = nullptr);
// An .xls: its compound file gives its workbook stream.
QString compoundFileProblem(const QString &path);

// What filled the folder's disk, when the free room there is below the file's
// size: the reason a save came out cut. Empty otherwise.
QString fullDiskNote(const QString &path, qint64 size);

} // namespace StoredWorkbookCheck
