// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellAddress.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

#include <optional>

class CalcDocument;

// Excel's cell.FormulaR1C1 = text, one cell at a time, made fast: the first
// cell of a run gets the text at once (so a refused text fails there, as
// before); the next cells that get the same text in reading order, filling a
// rectangle, are only counted, and when the run ends become copies of that
// first cell, or where a copy would change the cells' formats, notes or the
// like, get the formulas such copies would have. The run ends before any
// other member of the document answers, so every result seen is the one
// writing each cell at once would give, and after a second at the latest,
// so that progress reported between writes stays true.
// A cell's R1C1 text, once read, is answered from memory until something
// could change it.
class PendingFormulaWrites
{
public:
    explicit PendingFormulaWrites(CalcDocument &document);

    void writeR1C1(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 row, sal_Int32 column,
                   const QString &text);
    QString readR1C1(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 row,
                     sal_Int32 column);

    // Writes the held cells and forgets every text read: any other member may
    // look at the cells or change what their formulas read as.
    void settle();
    // Forgets the held cells unwritten, for a workbook closed without saving.
    void discard();

private:
    // Cells from (row, column) on in reading order, width to a row once the
    // second row has begun (0 before). The first cell is written already.
    struct Run
    {
        css::uno::Reference<css::sheet::XSpreadsheet> sheet;
        sal_Int32 row;
        sal_Int32 column;
        QString text;
        sal_Int32 count;
        sal_Int32 width;
        QElapsedTimer held; // since the first cell was written
    };
    struct ReadText
    {
        css::uno::Reference<css::sheet::XSpreadsheet> sheet;
        sal_Int32 row;
        sal_Int32 column;
        QString text;
    };

    bool extendRun(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 row, sal_Int32 column,
                   const QString &text);
    bool isHeld(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 row,
                sal_Int32 column) const;
    void writeHeldCells();
    void copyFirstRowDown(const Run &run, const css::table::CellRangeAddress &bounds, sal_Int32 fullRows,
                          sal_Int32 rest);
    bool parsesAlikeEverywhere(const QString &text, const css::table::CellRangeAddress &area);
    void writeOneByOne(const Run &run, sal_Int16 sheetIndex, sal_Int32 end);
    void forgetReadText(const css::uno::Reference<css::sheet::XSpreadsheet> &sheet, sal_Int32 row,
                        sal_Int32 column);

    CalcDocument &m_document;
    std::optional<Run> m_run;
    std::optional<ReadText> m_read;
};
