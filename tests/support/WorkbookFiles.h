// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>

// Real workbook files for end-to-end tests, made and read by openpyxl (a
// reader other than LibreOffice) through tests/support/workbook_tool.py.
namespace WorkbookFiles {

// Builds an .xlsx from a description (see workbook_tool.py). False on failure.
bool create(const QString &path, const QJsonObject &description);

// What an .xlsx holds: {"sheets": [{"name", "cells": {"A1": {"formula", "value", "type"}},
// "merged", "links": {"A1": {"target", "location"}}, "number_formats",
// "fills": {"A1": "FFDDEBF7"}, "notes": {"A1": "text"}, "row_heights": {"2": 15.6}}], "active": name},
// formats and solid fills only of cells that hold something. A cell's formula is its formula or its constant; its type
// is openpyxl's, "f" only for a formula (a text may start with "=" too). "row_heights" maps a row number to the
// height in points the file stores for it.
QJsonObject read(const QString &path);

// One part of a zip package (xlsx, xlsm), such as "[Content_Types].xml".
QString part(const QString &path, const QString &name);

// Converts a workbook to another format with a LibreOffice of its own, started
// and ended here. Returns the new file's path, or empty on failure.
QString convert(const QString &path, const QString &extension, const QString &outputFolder);

// Shorthand for a sheet of read(): the sheet called name.
QJsonObject sheet(const QJsonObject &workbook, const QString &name);
QJsonObject sheetAt(const QJsonObject &workbook, int index);

// The folder holding the shared corpus of real workbooks, or empty.
QString corpusFolder();

} // namespace WorkbookFiles
