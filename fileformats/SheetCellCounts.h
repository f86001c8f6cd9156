// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

class QXmlStreamReader;
class ZipArchive;

// How many cells each sheet of a workbook file holds, read from the file
// itself: LibreOffice loads a sheet it cannot read (a part it does not find,
// XML it does not parse) as an empty one without a word, and what it loaded
// is held against these counts. A cell holds something when it has a value
// (a number, a text, a logical, an error) or a formula; one that has only a
// format, or an empty text, holds nothing.
struct SheetCellCount
{
    // A block of cells, 0-based and inclusive.
    struct Block
    {
        int firstRow = 0;
        int firstColumn = 0;
        int lastRow = 0;
        int lastColumn = 0;
        // The cells holding something the file lists inside the block (each
        // counted in the first block holding it): what LibreOffice fills in
        // may add to them, never hold fewer.
        qint64 cells = 0;
        bool pivotTable = false;
    };

    QString sheet;
    // Outside the blocks below.
    qint64 cells = 0;
    // Cells LibreOffice fills itself on loading, counted apart: a pivot
    // table's output, which it computes again from the table's cache, and
    // the cells of an array formula's range, each of which it holds as part
    // of the formula whether the file lists it or not.
    QVector<Block> uncounted;
};

namespace SheetCellCounts {

// The sheets of an Office Open XML workbook in the workbook's order, each
// part found through the package's relationships as a reader of the format
// finds it. None when the workbook part or its sheet list cannot be found.
std::optional<QVector<SheetCellCount>> ofOoxml(const ZipArchive &archive);
// Hands each token of the XML part, in order, to take.
using PartReader = std::function<void(const QString &part, const std::function<void(const QXmlStreamReader &)> &take)>;
// The same, the parts whose content is counted (the shared strings, the
// pivot tables and the sheets) read through readPart: one who reads them
// for more than the count reads each once.
std::optional<QVector<SheetCellCount>> ofOoxml(const ZipArchive &archive, const PartReader &readPart);

// The sheets of an .xls workbook stream (BIFF5 to BIFF8) in the workbook's
// order. None when the stream is no such workbook.
std::optional<QVector<SheetCellCount>> ofBiff(const QByteArray &workbookStream);

} // namespace SheetCellCounts
