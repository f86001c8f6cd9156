"""Builds xlsx fixtures and reads saved workbooks back for the LibreOffice tests,
independently of LibreOffice (openpyxl).

  workbook_tool.py create PATH JSON   JSON: {"sheets": {name: {cell: value}} or [[name, {cell: value}]...], "merged": {name: [ranges]},
                                              "formats": {name: {cell: number format}}}
  workbook_tool.py part PATH NAME      prints one part of the zip package
  workbook_tool.py dump PATH          prints {"sheets": [...], "cells": {name: {cell: {...}}}, "merged": {...}}
"""
import datetime
import json
import sys

import openpyxl


def cell_value(value):
    if isinstance(value, dict) and "date" in value:
        return datetime.datetime.strptime(value["date"], "%Y-%m-%d")
    return value


def create(path, spec):
    workbook = openpyxl.Workbook()
    workbook.remove(workbook.active)
    sheets = spec["sheets"]
    # A list of [name, cells] pairs keeps the sheets in its order.
    for name, cells in (sheets.items() if isinstance(sheets, dict) else sheets):
        sheet = workbook.create_sheet(name)
        for ref, value in cells.items():
            sheet[ref] = cell_value(value)
        for ref, number_format in spec.get("formats", {}).get(name, {}).items():
            sheet[ref].number_format = number_format
        for merged in spec.get("merged", {}).get(name, []):
            sheet.merge_cells(merged)
    workbook.save(path)


def plain(value):
    if isinstance(value, (datetime.datetime, datetime.date)):
        return value.isoformat()
    return value


def dump(path):
    formulas = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    result = {"sheets": formulas.sheetnames, "cells": {}, "merged": {}}
    for sheet in formulas.worksheets:
        cached = values[sheet.title]
        cells = {}
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None and cell.hyperlink is None:
                    continue
                entry = {"value": plain(cached[cell.coordinate].value), "format": cell.number_format}
                if cell.data_type == "f":
                    entry["formula"] = cell.value
                if cell.hyperlink is not None:
                    entry["target"] = cell.hyperlink.target
                    entry["location"] = cell.hyperlink.location
                cells[cell.coordinate] = entry
        result["cells"][sheet.title] = cells
        result["merged"][sheet.title] = sorted(str(r) for r in sheet.merged_cells.ranges)
    print(json.dumps(result, ensure_ascii=False))


if __name__ == "__main__":
    if sys.argv[1] == "create":
        create(sys.argv[2], json.loads(sys.argv[3]))
    elif sys.argv[1] == "part":
        import zipfile
        with zipfile.ZipFile(sys.argv[2]) as package:
            print(package.read(sys.argv[3]).decode("utf-8"))
    else:
        dump(sys.argv[2])
