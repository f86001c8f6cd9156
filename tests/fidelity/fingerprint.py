# SPDX-License-Identifier: GPL-3.0-or-later
"""A per-feature fingerprint of one workbook.

Each feature is summarised as a frozenset of small tuples, so that whether a
feature was kept is decided by equality with the original's summary. The marker
cell a job writes (MARK_ROW, MARK_COL on every sheet) and its row are left out.
"""

import os
import re
import warnings
import zipfile

import openpyxl
from openpyxl.styles.colors import COLOR_INDEX

MARK_ROW, MARK_COL = 65000, 250

FEATURES = [
    "values", "formulas", "number formats", "fonts", "fills", "borders",
    "merged ranges", "comments", "hyperlinks", "data validations",
    "conditional formats", "defined names", "images", "charts", "VBA project",
    "pivot tables", "external links", "frozen panes", "zoom and gridlines",
    "column widths", "row heights", "hidden rows/columns", "hidden sheets",
    "autofilter", "print areas", "sheet protection", "workbook protection",
    "tables",
]

# The name of a VBA storage inside a binary (.xls) workbook.
XLS_VBA_STORAGE = "_VBA_PROJECT_CUR".encode("utf-16-le")


def number(value):
    return "%.15g" % value


def cell_value(value):
    if isinstance(value, bool):
        return str(value)
    if isinstance(value, (int, float)):
        return number(value)
    if hasattr(value, "isoformat"):
        return value.isoformat()
    return str(value)


# Colours that only say "the application's default" (auto, system foreground
# and background), written one way or another.
DEFAULT_COLOURS = {("auto", "True"), ("indexed", "64"), ("indexed", "65"), ("rgb", "000000")}

# Built-in short date, which LibreOffice writes out as its en-US code.
SAME_FORMATS = {"m/d/yyyy": "mm-dd-yy"}


def number_format(code):
    """Escapes and the case of codes vary with the writer, not the format."""
    return SAME_FORMATS.get(code, code).replace("\\", "").replace('"', "").upper()


def colour(c):
    if c is None:
        return None
    kind, value = c.type, str(c.value)
    # Palette colours are written out as the RGB they stand for, without alpha.
    if kind == "indexed" and c.value < len(COLOR_INDEX):
        kind, value = "rgb", COLOR_INDEX[c.value]
    if kind == "rgb":
        value = value[-6:].upper()
    if (kind, value) in DEFAULT_COLOURS:
        return None
    # Tints are stored with varying precision.
    return (kind, value, "%.2f" % (c.tint or 0))


def font_key(f):
    return (f.name, number(f.sz or 0), bool(f.b), bool(f.i), f.u, bool(f.strike), colour(f.color))


def fill_key(f):
    if getattr(f, "patternType", None):
        # A solid fill shows only its foreground colour.
        return (f.patternType, colour(f.fgColor), None if f.patternType == "solid" else colour(f.bgColor))
    if getattr(f, "type", None) == "linear" or getattr(f, "stop", None):
        return ("gradient", f.type, number(f.degree or 0), tuple(colour(s.color) for s in f.stop))
    return None


def border_key(b):
    sides = []
    for name in ("left", "right", "top", "bottom", "diagonal"):
        side = getattr(b, name)
        if side is not None and side.style:
            sides.append((name, side.style, colour(side.color)))
    return tuple(sides)


def twips(points):
    """LibreOffice holds row heights in twips (1/20 pt): what a file stores
    more finely (15.218096 pt) comes back to the nearest twip, 1/1440 inch
    that no screen or printer shows."""
    return round(points * 20)


def file_target(target):
    """Relative file targets depend on where a file was stored; their name does not."""
    if not target or re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", target) and not target.lower().startswith("file:"):
        return target
    return os.path.basename(target.replace("\\", "/"))


def ranges(multi):
    return " ".join(sorted(str(r) for r in multi.ranges))


def runs(columns, default_width):
    """Column widths and hidden state as runs of equal columns, however stored."""
    per_column = {}
    for dim in columns.values():
        # Widths are recomputed from font metrics: a quarter character is noise.
        width = round((dim.width or 0) * 4) / 4
        if width == round(default_width * 4) / 4 and not dim.hidden:
            continue
        for col in range(dim.min or 0, (dim.max or dim.min or 0) + 1):
            per_column[col] = (width, bool(dim.hidden))
    merged = []
    for col in sorted(per_column):
        if merged and merged[-1][1] == col - 1 and merged[-1][2] == per_column[col]:
            merged[-1][1] = col
        else:
            merged.append([col, col, per_column[col]])
    return [(a, b) + v for a, b, v in merged]


def cell_features(wb, out):
    default_font = font_key(wb._fonts[0]) if wb._fonts else None
    for ws in wb.worksheets:
        t = ws.title
        for (row, col), cell in ws._cells.items():
            if (row, col) == (MARK_ROW, MARK_COL):
                continue
            where = (t, row, col)
            v = cell.value
            if isinstance(v, str) and v.startswith("="):
                out["formulas"].add(where + (v,))
            elif v is not None and v != "":
                out["values"].add(where + (cell_value(v),))
            if cell.comment is not None:
                out["comments"].add(where + (cell.comment.text.strip(),))
            if cell.hyperlink is not None:
                out["hyperlinks"].add(where + (file_target(cell.hyperlink.target), cell.hyperlink.location))
            if not cell.has_style:
                continue
            if cell.number_format != "General":
                out["number formats"].add(where + (number_format(cell.number_format),))
            if font_key(cell.font) != default_font:
                out["fonts"].add(where + (font_key(cell.font),))
            if fill_key(cell.fill):
                out["fills"].add(where + (fill_key(cell.fill),))
            if border_key(cell.border):
                out["borders"].add(where + (border_key(cell.border),))


def sheet_features(wb, out):
    for ws in wb.worksheets:
        t = ws.title
        out["merged ranges"].update((t, str(r)) for r in ws.merged_cells.ranges)
        for dv in ws.data_validations.dataValidation:
            operator = dv.operator or "between"
            # Only a range check has a second bound.
            first = dv.formula1 if dv.type not in (None, "none") else None
            second = dv.formula2 if first and dv.type != "list" and operator in ("between", "notBetween") else None
            out["data validations"].add((t, ranges(dv.sqref), dv.type, operator, first, second))
        for cf in ws.conditional_formatting:
            rules = tuple((r.type, r.operator, tuple(r.formula or ()), r.text or None) for r in cf.rules)
            out["conditional formats"].add((t, ranges(cf.sqref), rules))
        if ws.freeze_panes:
            out["frozen panes"].add((t, ws.freeze_panes))
        view = ws.sheet_view
        zoom, grid = view.zoomScale or 100, view.showGridLines is not False
        if zoom != 100 or not grid:
            out["zoom and gridlines"].add((t, zoom, grid))
        default_width = ws.sheet_format.defaultColWidth or ws.sheet_format.baseColWidth or 8
        for a, b, width, hidden in runs(ws.column_dimensions, default_width):
            out["column widths"].add((t, a, b, width))
            if hidden:
                out["hidden rows/columns"].add((t, "columns", a, b))
        default_height = twips(ws.sheet_format.defaultRowHeight or 15)
        for r, dim in ws.row_dimensions.items():
            if r == MARK_ROW:
                continue
            if dim.ht is not None and twips(dim.ht) != default_height:
                out["row heights"].add((t, r, twips(dim.ht)))
            if dim.hidden:
                out["hidden rows/columns"].add((t, "row", r))
        if ws.auto_filter.ref:
            out["autofilter"].add((t, ws.auto_filter.ref))
        if ws.print_area or ws.print_title_rows or ws.print_title_cols:
            out["print areas"].add((t, str(ws.print_area), ws.print_title_rows, ws.print_title_cols))
        if ws.protection.sheet:
            out["sheet protection"].add((t, bool(ws.protection.password)))
        out["tables"].update((t, table.name, table.ref) for table in ws.tables.values())
    for sheet in wb._sheets:
        if sheet.sheet_state != "visible":
            out["hidden sheets"].add((sheet.title, sheet.sheet_state))
    for dn in wb.defined_names.definedName:
        if not dn.name.startswith("_xlnm."):
            out["defined names"].add((dn.name, dn.localSheetId, dn.attr_text))
    sec = wb.security
    if sec is not None and (sec.lockStructure or sec.lockWindows):
        out["workbook protection"].add((bool(sec.lockStructure), bool(sec.lockWindows),
                                        bool(sec.workbookPassword)))


def part_features(path, out):
    """Parts openpyxl does not expose: counted (or named) inside the package."""
    with zipfile.ZipFile(path) as z:
        names = z.namelist()
        count = lambda pattern: sum(1 for n in names if re.match(pattern, n))
        for feature, pattern in (("images", r"xl/media/"), ("charts", r"xl/charts/chart\d+\.xml$"),
                                 ("pivot tables", r"xl/pivotTables/pivotTable\d+\.xml$")):
            if count(pattern):
                out[feature].add(count(pattern))
        if "xl/vbaProject.bin" in names:
            out["VBA project"].add(True)
        for n in names:
            if re.match(r"xl/externalLinks/_rels/.*\.rels$", n):
                targets = re.findall(rb'Target="([^"]*)"', z.read(n))
                out["external links"].add(tuple(sorted(file_target(x.decode("utf-8", "replace")) for x in targets)))


def fingerprint(path, original_binary=None):
    """The fingerprint of the package at path. For a binary workbook, path is its
    conversion and original_binary the .xls itself, whose VBA is looked for there
    (a conversion cannot carry it)."""
    out = {feature: set() for feature in FEATURES}
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        wb = openpyxl.load_workbook(path, keep_links=True)
    cell_features(wb, out)
    sheet_features(wb, out)
    part_features(path, out)
    if original_binary is not None:
        with open(original_binary, "rb") as f:
            out["VBA project"] = {True} if XLS_VBA_STORAGE in f.read() else set()
    return {feature: frozenset(summary) for feature, summary in out.items()}
