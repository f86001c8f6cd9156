// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVector>

class QXmlStreamReader;

// The row heights a worksheet part stores, read token by token, beside any
// other reader of the same part: each row's own (its ht attribute) and,
// where the sheet sets its default height by hand (customHeight), that
// default for the rows that have none. A row without its number follows
// the one before it. Reading ends with the sheet's data.
class StoredRowRuns
{
public:
    // Rows first to last (0-based) that share one stored height, in 1/100 mm
    // as LibreOffice's row properties take it.
    struct Run
    {
        int first = 0;
        int last = 0;
        qint32 height = 0;
    };

    void take(const QXmlStreamReader &xml);
    // In order; where the sheet sets its default height by hand, they cover
    // every row of the grid.
    QVector<Run> runs() const;

private:
    QVector<Run> m_runs;
    qint32 m_customDefault = 0;
    int m_row = -1;
    bool m_done = false;
};
