# SPDX-License-Identifier: GPL-3.0-or-later
"""A per-feature fingerprint of one workbook.

Each feature is summarised as a frozenset of small tuples, so that whether a
feature was kept is decided by equality with the original's summary. The marker
cell a job writes (MARK_ROW, MARK_COL on every sheet) and its row are left out.
"""

import hashlib
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
    "tables", "embedded objects", "page setup", "selection", "font names",
    "chart sheets",
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
            # As the original names it; a font without a name is left to the reader.
            if v is not None and v != "" and cell.font.name:
                out["font names"].add(where + (cell.font.name,))
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
            # A hidden row's height does not show; a row of no height is hidden.
            if dim.hidden or dim.ht == 0:
                out["hidden rows/columns"].add((t, "row", r))
            elif dim.ht is not None and twips(dim.ht) != default_height:
                out["row heights"].add((t, r, twips(dim.ht)))
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
        for n in names:
            # The project and its signatures, byte for byte.
            if re.match(r"xl/vbaProject(Signature\w*)?\.bin$", n):
                out["VBA project"].add((n, digest(z.read(n))))
        out["chart sheets"].update((n,) for n in names if re.match(r"xl/chartsheets/sheet\d+\.xml$", n))
        sheet_part_features(z, out)
        if out["VBA project"]:
            # The code names tie the project's modules to the workbook and its sheets.
            code = attributes(first_tag(z.read("xl/workbook.xml"), b"workbookPr")).get(b"codeName")
            out["VBA project"].add(("workbook", code and code.decode()))
            for sheet, part in sheet_parts(z).items():
                code = attributes(first_tag(z.read(part), b"sheetPr")).get(b"codeName")
                out["VBA project"].add((sheet, code and code.decode()))
        for n in names:
            if re.match(r"xl/externalLinks/_rels/.*\.rels$", n):
                targets = re.findall(rb'Target="([^"]*)"', z.read(n))
                out["external links"].add(tuple(sorted(file_target(x.decode("utf-8", "replace")) for x in targets)))


def digest(data):
    return hashlib.sha1(data).hexdigest()


def attributes(tag):
    return dict(re.findall(rb'([\w:]+)\s*=\s*"([^"]*)"', tag))


def first_tag(xml, name):
    m = re.search(rb"<(?:\w+:)?" + name + rb"\b[^>]*>", xml)
    return m.group(0) if m else b""


def sheet_parts(z):
    """Sheet name -> part, from the workbook and its relationships."""
    rels = z.read("xl/_rels/workbook.xml.rels")
    targets = {}
    for rel in re.findall(rb"<Relationship\b[^>]*>", rels):
        a = attributes(rel)
        target = a.get(b"Target", b"").decode()
        targets[a.get(b"Id")] = target[1:] if target.startswith("/") else "xl/" + target
    parts = {}
    for sheet in re.findall(rb"<(?:\w+:)?sheet\b[^>]*>", z.read("xl/workbook.xml")):
        a = attributes(sheet)
        rid = next((v for k, v in a.items() if k.endswith(b":id")), None)
        if rid in targets and targets[rid] in z.namelist():
            parts[a[b"name"].decode("utf-8", "replace")] = targets[rid]
    return parts


def related(z, part, rid):
    """The part a relationship of part points at, or None."""
    folder, name = part.rsplit("/", 1)
    rels = folder + "/_rels/" + name + ".rels"
    if rels not in z.namelist():
        return None
    for rel in re.findall(rb"<Relationship\b[^>]*>", z.read(rels)):
        a = attributes(rel)
        if a.get(b"Id") == rid:
            return os.path.normpath(folder + "/" + a[b"Target"].decode()).lstrip("/")
    return None


TRUE = {b"1", b"true"}
# Page setup values Excel takes when a file leaves them out.
PAGE_DEFAULTS = {b"paperSize": b"1", b"pageOrder": b"downThenOver", b"orientation": b"portrait",
                 b"blackAndWhite": b"0", b"draft": b"0", b"cellComments": b"none", b"errors": b"displayed"}
MARGIN_DEFAULTS = {b"left": 0.7, b"right": 0.7, b"top": 0.75, b"bottom": 0.75, b"header": 0.3, b"footer": 0.3}


def page_setup(sheet, xml):
    """What a sheet prints like, as Excel reads it: only values that differ
    from Excel's defaults, margins to the hundredth of an inch."""
    found = set()
    fit = attributes(first_tag(xml, b"pageSetUpPr")).get(b"fitToPage") in TRUE
    setup = attributes(first_tag(xml, b"pageSetup"))
    for key, default in PAGE_DEFAULTS.items():
        value = setup.get(key, default).replace(b"true", b"1").replace(b"false", b"0")
        value = b"portrait" if value == b"default" else value
        if value != default:
            found.add((sheet, key.decode(), value.decode()))
    if fit:
        found.add((sheet, "fit", setup.get(b"fitToWidth", b"1").decode(), setup.get(b"fitToHeight", b"1").decode()))
    elif setup.get(b"scale", b"100") != b"100":
        found.add((sheet, "scale", setup[b"scale"].decode()))
    if setup.get(b"useFirstPageNumber") in TRUE:
        found.add((sheet, "first page", setup.get(b"firstPageNumber", b"1").decode()))
    margins = attributes(first_tag(xml, b"pageMargins"))
    for key, default in MARGIN_DEFAULTS.items():
        value = round(float(margins.get(key, default)), 2)
        if value != round(default, 2):
            found.add((sheet, key.decode(), value))
    options = attributes(first_tag(xml, b"printOptions"))
    for key in (b"horizontalCentered", b"verticalCentered", b"headings", b"gridLines"):
        if options.get(key) in TRUE:
            found.add((sheet, key.decode()))
    for part in (b"oddHeader", b"oddFooter", b"evenHeader", b"evenFooter", b"firstHeader", b"firstFooter"):
        m = re.search(rb"<(?:\w+:)?" + part + rb">([^<]*)</", xml)
        if m and m.group(1):
            found.add((sheet, part.decode(), m.group(1).decode("utf-8", "replace")))
    return found


def sheet_part_features(z, out):
    """Features read from each sheet's part outside its cells."""
    for sheet, part in sheet_parts(z).items():
        out["_sheets"].add(sheet)
        xml = z.read(part)
        cells = re.search(rb"<(?:\w+:)?sheetData\b.*?(?:/>|</(?:\w+:)?sheetData>)", xml, re.S)
        if cells:
            xml = xml[:cells.start()] + xml[cells.end():]
        out["page setup"].update(page_setup(sheet, xml))
        view = re.search(rb"<(?:\w+:)?sheetView\b.*?(?:</(?:\w+:)?sheetView>|/>)", xml, re.S)
        for tag in re.findall(rb"<(?:\w+:)?selection\b[^>]*>", view.group(0) if view else b""):
            a = attributes(tag)
            cell, sqref = a.get(b"activeCell", b"A1").decode(), a.get(b"sqref", b"A1").decode()
            if (cell, sqref) != ("A1", "A1"):
                out["selection"].add((sheet, a.get(b"pane", b"topLeft").decode(), cell, sqref))
        objects = re.findall(rb"<(?:\w+:)?oleObject\b[^>]*>", xml)
        for tag in objects:
            a = attributes(tag)
            target = related(z, part, next((v for k, v in a.items() if k.endswith(b":id")), None))
            out["embedded objects"].add((sheet, a.get(b"progId", b"").decode(),
                                         digest(z.read(target)) if target in z.namelist() else None))
        # The pictures an object or a header shows, from the drawing it names.
        for element, kind in ((b"legacyDrawingHF", "header/footer pictures"),
                              (b"legacyDrawing", "object previews")):
            if element == b"legacyDrawing" and not objects:
                continue
            a = attributes(first_tag(xml, element + rb"(?=[\s/>])"))
            vml = related(z, part, next((v for k, v in a.items() if k.endswith(b":id")), None))
            if not vml or vml not in z.namelist():
                continue
            folder, name = vml.rsplit("/", 1)
            rels = folder + "/_rels/" + name + ".rels"
            pictures = []
            for rel in re.findall(rb"<Relationship\b[^>]*>", z.read(rels) if rels in z.namelist() else b""):
                target = os.path.normpath(folder + "/" + attributes(rel)[b"Target"].decode()).lstrip("/")
                if target in z.namelist():
                    pictures.append(digest(z.read(target)))
            if pictures:
                out["embedded objects"].add((sheet, kind, tuple(sorted(pictures))))


def fingerprint(path, original_binary=None):
    """The fingerprint of the package at path. For a binary workbook, path is its
    conversion and original_binary the .xls itself, whose VBA is looked for there
    (a conversion cannot carry it)."""
    out = {feature: set() for feature in FEATURES + ["_sheets"]}
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
