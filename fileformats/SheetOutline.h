// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringRef>
#include <QVector>

class QXmlStreamReader;

// What is put back into a stored worksheet from its original needs little of
// the original's sheetData: read token by token beside the checks before
// loading, this is where that content lies in the part's text, so that the
// put-backs read the rest alone, the heights its rows store and the format
// of each cell. It holds for the part's content the stamp names
// (ZipArchive::contentStamp) only.
class SheetOutline
{
public:
    // A row as the put-backs see it: its number, whether it stores a
    // height (ht) and which, and whether that height was set by hand.
    struct Row
    {
        int number;
        bool sized;
        double height;
        bool byHand;
    };
    // A cell's place (1-based) and the index of its cell format.
    struct Cell
    {
        int row;
        int column;
        int style;
    };

    explicit SheetOutline(quint64 stamp = 0)
        : m_stamp(stamp)
    {
    }

    void take(const QXmlStreamReader &xml);

    quint64 stamp() const { return m_stamp; }
    // Whether sheetData was read whole: only then do its span and rows hold.
    bool isWhole() const { return m_cellsEnd >= 0 && !m_twice; }
    // The characters [cellsStart, cellsEnd) of the part's text, as a reader
    // of its bytes counts them, are sheetData's content.
    int cellsStart() const { return m_cellsStart; }
    int cellsEnd() const { return m_cellsEnd; }
    const QVector<Row> &rows() const { return m_rows; }
    const QVector<Cell> &cells() const { return m_cells; }

    // The row and column numbers of a cell reference ("B7" is 7 and 2), or
    // 0 without them.
    static int referenceRow(const QStringRef &reference);
    static int referenceColumn(const QStringRef &reference);

private:
    quint64 m_stamp;
    int m_depth = 0;
    int m_lastOffset = 0;
    int m_cellsStart = -1;
    int m_cellsEnd = -1;
    bool m_inCells = false;
    bool m_twice = false;
    int m_row = 0;
    int m_column = 0;
    QVector<Row> m_rows;
    QVector<Cell> m_cells;
};
