#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes and reads .xlsx workbooks for the tests with openpyxl, a reader
independent of LibreOffice.

  workbook_tool.py create PATH JSON   build a workbook from a description
  workbook_tool.py dump PATH          print what the workbook holds, as JSON
                                      (of an .xls, with xlrd: values and types only)
  workbook_tool.py part PATH NAME     print one part of the zip package

Description: {"sheets": [{"name": "S", "cells": {"A1": 1, "B1": "=A1*2"},
              "merged": ["A1:B1"], "links": {"A1": {"target": "...", "location": "..."}},
              "number_formats": {"A1": "yyyy-mm-dd"}, "dates": {"A2": "2024-03-05"},
              "fills": {"A1": "FFDDEBF7"}, "notes": {"A1": "text"}, "hidden_rows": [3, 4],
              "stripes": {"area": "A1:C900", "fills": ["FFDDEBF7", "FFFFFFFF"],
                          "number_formats": ["0.00", "0.0%"], "format_rows": 3},
              "row_heights": {"2": 15.6}, "default_row_height": 16.95}],
              "protect_structure": false}
"stripes" formats a large area compactly: row i of the area gets fill
fills[i % len(fills)] and number format number_formats[i // format_rows % len].
"""
import datetime
import json
import sys
import zipfile

import openpyxl
from openpyxl.comments import Comment
from openpyxl.styles import PatternFill
from openpyxl.worksheet.hyperlink import Hyperlink


def solid(rgb):
    return PatternFill(fill_type="solid", start_color=rgb, end_color=rgb)


def stripe(sheet, spec):
    fills = [solid(rgb) for rgb in spec["fills"]]
    formats = spec["number_formats"]
    for index, row in enumerate(sheet[spec["area"]]):
        for cell in row:
            cell.fill = fills[index % len(fills)]
            cell.number_format = formats[index // spec["format_rows"] % len(formats)]


def create(path, description):
    book = openpyxl.Workbook()
    book.remove(book.active)
    for spec in description["sheets"]:
        sheet = book.create_sheet(spec["name"])
        for ref, value in spec.get("cells", {}).items():
            sheet[ref] = value
        for ref, text in spec.get("dates", {}).items():
            sheet[ref] = datetime.datetime.strptime(text, "%Y-%m-%d")
            sheet[ref].number_format = "yyyy-mm-dd"
        for ref, fmt in spec.get("number_formats", {}).items():
            sheet[ref].number_format = fmt
        for ref, rgb in spec.get("fills", {}).items():
            sheet[ref].fill = solid(rgb)
        if "stripes" in spec:
            stripe(sheet, spec["stripes"])
        for ref, text in spec.get("notes", {}).items():
            sheet[ref].comment = Comment(text, "tests")
        for row in spec.get("hidden_rows", []):
            sheet.row_dimensions[row].hidden = True
        for area in spec.get("merged", []):
            sheet.merge_cells(area)
        for row, points in spec.get("row_heights", {}).items():
            sheet.row_dimensions[int(row)].height = points
        if "default_row_height" in spec:
            sheet.sheet_format.defaultRowHeight = spec["default_row_height"]
            sheet.sheet_format.customHeight = True
        for ref, link in spec.get("links", {}).items():
            sheet[ref].hyperlink = Hyperlink(ref=ref, target=link.get("target"),
                                             location=link.get("location"))
    if description.get("protect_structure"):
        book.security.lockStructure = True
    book.save(path)


def plain(value):
    if isinstance(value, (datetime.datetime, datetime.date)):
        return value.isoformat()
    if isinstance(value, datetime.time):
        return value.isoformat()
    return value


def dump_xls(path):
    import xlrd
    types = {xlrd.XL_CELL_NUMBER: "n", xlrd.XL_CELL_TEXT: "s", xlrd.XL_CELL_BOOLEAN: "b",
             xlrd.XL_CELL_ERROR: "e", xlrd.XL_CELL_DATE: "d"}
    result = {"sheets": []}
    for sheet in xlrd.open_workbook(path).sheets():
        cells = {}
        for row in range(sheet.nrows):
            for column in range(sheet.ncols):
                cell = sheet.cell(row, column)
                if cell.ctype in types:
                    value = bool(cell.value) if cell.ctype == xlrd.XL_CELL_BOOLEAN else cell.value
                    cells[xlrd.cellname(row, column)] = {"value": value, "type": types[cell.ctype]}
        result["sheets"].append({"name": sheet.name, "cells": cells})
    print(json.dumps(result, ensure_ascii=False))


def dump(path):
    if path.lower().endswith(".xls"):
        return dump_xls(path)
    formulas = openpyxl.load_workbook(path, data_only=False)
    values = openpyxl.load_workbook(path, data_only=True)
    result = {"sheets": [], "active": formulas.active.title}
    for sheet in formulas.worksheets:
        cached = values[sheet.title]
        cells = {}
        links = {}
        formats = {}
        fills = {}
        notes = {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is not None:
                    # The type tells a stored formula from a text that starts with "=".
                    cells[cell.coordinate] = {"formula": plain(cell.value),
                                              "value": plain(cached[cell.coordinate].value),
                                              "type": cell.data_type}
                    if cell.number_format != "General":
                        formats[cell.coordinate] = cell.number_format
                    if cell.fill.fill_type == "solid":
                        fills[cell.coordinate] = cell.fill.start_color.rgb
                if cell.comment is not None:
                    notes[cell.coordinate] = cell.comment.text
                if cell.hyperlink is not None:
                    links[cell.coordinate] = {"target": cell.hyperlink.target,
                                              "location": cell.hyperlink.location}
        result["sheets"].append({
            "name": sheet.title,
            "cells": cells,
            "merged": sorted(str(r) for r in sheet.merged_cells.ranges),
            "links": links,
            "number_formats": formats,
            "fills": fills,
            "notes": notes,
            "row_heights": {str(r): d.ht for r, d in sheet.row_dimensions.items() if d.ht is not None},
        })
    print(json.dumps(result, ensure_ascii=False))


if __name__ == "__main__":
    if sys.argv[1] == "create":
        create(sys.argv[2], json.loads(sys.argv[3]))
    elif sys.argv[1] == "dump":
        dump(sys.argv[2])
    elif sys.argv[1] == "part":
        with zipfile.ZipFile(sys.argv[2]) as package:
            print(package.read(sys.argv[3]).decode("utf-8"))
    else:
        sys.exit("unknown command " + sys.argv[1])
