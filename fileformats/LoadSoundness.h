// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QXmlStreamReader;
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
// The same, each XML part, in the package's order until one is refused,
// checked by checkPart, which gives the reason to refuse it or empty: one
// who reads the parts for more than this check reads each once, with an
// XmlPartCheck beside the other readers.
QString ooxmlProblem(const ZipArchive &archive, const std::function<QString(const QString &name)> &checkPart);

// One XML part of such a workbook checked as it is read, token by token.
class XmlPartCheck
{
public:
    explicit XmlPartCheck(const QString &name);
    // Takes the reader's current token; false once the part is refused,
    // whatever follows (the first cell beyond the grid is the one named).
    bool take(const QXmlStreamReader &xml);
    // The reason to refuse the part, or empty, once reading has ended:
    // read is what ZipArchive::readMember gave, xml the reader as reading
    // left it.
    QString problem(bool read, const QXmlStreamReader &xml) const;

private:
    QString m_name;
    bool m_rootSeen = false;
    bool m_worksheet = false;
    // Where the last row or cell stands, 1-based: a row or a cell without
    // its reference follows the one before it.
    qint64 m_row = 0;
    qint64 m_column = 0;
    // Where a cell lies beyond the grid, once one does.
    QString m_beyond;
};

// An .xls file: its workbook stream read record by record to its end, every
// cell within the columns the format can save. Empty for a file that is no
// OLE compound file with such a stream (LibreOffice reads those otherwise).
QString biffProblem(const QString &path);

} // namespace LoadSoundness
