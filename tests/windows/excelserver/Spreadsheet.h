// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QPair>
#include <QString>
#include <QVector>

#include <memory>

// A cell as Excel holds it: a constant or a formula with its last result, and
// the few number formats that change what Value and a CSV give (dates, text).
struct Cell
{
    enum Type { Empty, Number, Text, Boolean, Error };
    enum Format { General, Date, DateTime, TextFormat };
    Type type = Empty;
    double number = 0;
    QString text;
    bool boolean = false;
    int error = 0;      // Excel's CVErr number: 2007 #DIV/0!, 2042 #N/A...
    QString formula;    // in A1 style with its "=", or empty for a constant
    Format format = General;

    bool isBlank() const { return type == Empty && formula.isEmpty(); }
};

struct Link
{
    QString address;
    QString subAddress;
};

using CellKey = QPair<int, int>; // row, column, from 1

struct Sheet
{
    QString name;
    QMap<CellKey, Cell> cells;
    QMap<CellKey, Link> links;
};

// What the file says beyond its cells, as Excel sees it on opening.
struct WorkbookTraits
{
    bool passwordToOpen = false;
    bool passwordToModify = false;
    bool readOnlyRecommended = false;
    int externalLinks = 0;
    bool openMacro = false; // a Workbook_Open event procedure
};

struct Workbook
{
    enum Format { Xlsx, Xlsm, Csv };
    QString path;
    Format format = Xlsx;
    QVector<std::shared_ptr<Sheet>> sheets;
    WorkbookTraits traits;
    bool saved = true;
};

// Excel's limits of a worksheet.
const int maxRows = 1048576;
const int maxColumns = 16384;

// "A", "AB"... for a column number from 1.
QString columnName(int column);
// Row and column of "B3" or "$B$3"; false when it is not one cell.
bool parseCell(const QString &reference, int &row, int &column);
// Excel's name of a CVErr number, "#DIV/0!", and back (0 when not one).
QString errorName(int error);
int errorNumber(const QString &name);

// Excel's typed entry: what a string written to Value becomes in a cell of
// the given format ("00123" a number, "1/2" a date, "=A1" a formula).
Cell typedEntry(const QString &text, Cell::Format format);
// The text Excel shows for the value in a General-width column, as a CSV
// stores it.
QString displayedText(const Cell &cell);

// A1 formula text to R1C1 relative to the cell, and back.
QString formulaToR1C1(const QString &formula, int row, int column);
QString formulaFromR1C1(const QString &formula, int row, int column);

// Rows or columns inserted (count > 0) or deleted (count < 0) at a line,
// cells and links moved as Excel moves them.
void shiftRows(Sheet &sheet, int at, int count);
void shiftColumns(Sheet &sheet, int at, int count);
