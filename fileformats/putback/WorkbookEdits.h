// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What a job's edit did to a workbook's grid, in order: the rows and columns
// it inserted or deleted on which sheet. What is put back from the original
// file after LibreOffice stores the workbook moves with it, or is left as
// LibreOffice wrote it where it cannot. Sheets are told apart by name, so a
// sheet the edit added is simply one the original does not have.
class WorkbookEdits
{
public:
    // at counts from 0; count lines inserted before it, or deleted from it.
    void noteInserted(const QString &sheet, bool rows, int at, int count);
    void noteDeleted(const QString &sheet, bool rows, int at, int count);
    // Cells moved up or left inside a block rather than whole lines.
    void noteCellsMoved(const QString &sheet);

    bool movesCells(const QString &sheet) const;
    // Whether every cell of the sheet can be followed to its new place.
    bool canFollow(const QString &sheet) const;

    // A cell reference ("B7", "$B$7", "A1:C3", "A:A", "1:1", several with
    // spaces) moved as Excel moves it when its lines are inserted or deleted;
    // a reference whose every cell was deleted lands on the first line after
    // the deletion.
    QString follow(const QString &sheet, const QString &references) const;
    // One cell (1-based) moved the same way; false when the edit deleted it.
    bool followCell(const QString &sheet, int &row, int &column) const;
    // Where a row of the edited sheet (1-based) was in the original; false
    // for a row the edit inserted.
    bool originalRow(const QString &sheet, int &row) const;

private:
    struct LineChange
    {
        QString sheet;
        bool rows;
        int at;
        int count; // negative for a deletion
    };
    QVector<LineChange> m_changes;
    QStringList m_cellsMoved;
};
