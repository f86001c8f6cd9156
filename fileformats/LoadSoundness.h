// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ZipArchive;

// What LibreOffice would load without a word but not whole: a cell beyond
// the rows and columns its sheets have is cut off, and a part that is not
// well-formed, or a record stream that breaks off, is repaired as far as it
// reads. Saved, either would replace the user's data by what is left. Each
// check gives the reason to refuse the file, or empty; it reads the file
// piece by piece, never holding a whole sheet part.
namespace LoadSoundness {

// LibreOffice's grid, and that of the .xls format it saves.
const int gridRows = 1048576;
const int gridColumns = 16384;
const int biffColumns = 256;

// An Office Open XML workbook: every XML part well-formed, every cell of its
// worksheets within the grid.
QString ooxmlProblem(const ZipArchive &archive);

// An .xls file: its workbook stream read record by record to its end, every
// cell within the columns the format can save. Empty for a file that is no
// OLE compound file with such a stream (LibreOffice reads those otherwise).
QString biffProblem(const QString &path);

} // namespace LoadSoundness
