#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutated workbooks through real jobs: nothing reported edited may come back
with cells lost or XML damaged.

  fuzz_workbooks.py BATCH [--corpus DIR] [--count N] [--seed S] [--work DIR]

Takes N workbooks (.xlsx, .xlsm, .xls) of the corpus, chosen with seed S, and
gives each one mutation: valid packaging that readers trip over (a
relationship target written "./worksheets/sheet1.xml" or "/xl/...", a sheet
root declaring xmlns:mc twice, xr:uid attributes as Excel writes them, XML
comments, attributes in another order) or damage (broken bytes, an .xls
record cut short). Runs "BATCH FOLDER add-row 1" and "BATCH FOLDER
formula-to-value A:Z" over copies of them, and for each workbook the report
calls edited (or skipped: saved with some sheets left) checks with openpyxl or
xlrd that every sheet holds as many cells as the mutated workbook it was
given, or where the reader cannot read that, as the corpus file it was made
from (formula-to-value may empty a formula whose result was empty), and that
every XML part is well-formed with its prefixes bound. A mutation can take a
cell out of the file itself (a cell record's type byte broken): every reader
then reads one cell fewer, and the job keeps what the file holds. An output
the reader cannot read for the very reason it cannot read the mutated
workbook (an .xls encrypted with Excel's default password) cannot be
compared. Prints the counts. Not run by CI: it takes about a minute for
every 20 workbooks.
"""
import argparse
import json
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import warnings
import zipfile
import xml.parsers.expat

import openpyxl
import xlrd

QUIET = open(os.devnull, "w")
MC = "http://schemas.openxmlformats.org/markup-compatibility/2006"
XR = "http://schemas.microsoft.com/office/spreadsheetml/2014/revision"


# --- mutations -------------------------------------------------------------

def sheet_parts(names):
    return sorted(n for n in names if re.match(r"xl/worksheets/[^/]+\.xml$", n))


def dot_targets(parts, rng):
    rels = parts.get("xl/_rels/workbook.xml.rels")
    if rels is None or b'Target="worksheets/' not in rels:
        return None
    prefix = rng.choice([b"./worksheets/", b"/xl/worksheets/"])
    parts["xl/_rels/workbook.xml.rels"] = rels.replace(b'Target="worksheets/', b'Target="' + prefix)
    return "target " + prefix.decode()


def root_start(xml_bytes, root=b"worksheet"):
    match = re.search(rb"<(\w+:)?" + root + rb"\b", xml_bytes)
    return match.end() if match else -1


def double_mc(parts, rng):
    sheets = sheet_parts(parts)
    if not sheets:
        return None
    name = rng.choice(sheets)
    at = root_start(parts[name])
    if at < 0:
        return None
    declaration = (' xmlns:mc="%s"' % MC).encode()
    parts[name] = parts[name][:at] + declaration + declaration + parts[name][at:]
    return "xmlns:mc twice in " + name


def xr_uid(parts, rng):
    sheets = sheet_parts(parts)
    if not sheets:
        return None
    name = rng.choice(sheets)
    text = parts[name]
    at = root_start(text)
    if at < 0 or b"xmlns:xr=" in text:
        return None
    declaration = (' xmlns:mc="%s" xmlns:xr="%s" mc:Ignorable="xr"' % (MC, XR)).encode()
    if b"xmlns:mc=" in text or b"mc:Ignorable" in text:
        declaration = (' xmlns:xr="%s"' % XR).encode()
    text = text[:at] + declaration + text[at:]
    uid = 0

    def with_uid(match):
        nonlocal uid
        uid += 1
        return match.group(0) + (' xr:uid="{%08X-0000-4000-8000-%012X}"' % (uid, rng.getrandbits(48))).encode()

    text = re.sub(rb"<(?:\w+:)?(?:pageMargins|pageSetup|selection|headerFooter|sheetView)\b", with_uid, text)
    parts[name] = text
    return "xr:uid in " + name


def comments(parts, rng):
    sheets = sheet_parts(parts)
    if not sheets:
        return None
    name = rng.choice(sheets)
    text = parts[name]
    at = root_start(text)
    if at < 0:
        return None
    end = text.index(b">", at) + 1
    text = text[:end] + b"<!-- <headerFooter><oddHeader>x</oddHeader> -->" + text[end:]
    text = re.sub(rb"(<(?:\w+:)?sheetData>)", rb"\1<!-- <row r='1'><c r='A1'/></row> -->", text, count=1)
    parts[name] = text
    return "comments in " + name


def reorder_attributes(parts, rng):
    sheets = sheet_parts(parts)
    if not sheets:
        return None
    name = rng.choice(sheets)
    attribute = rb'\s+[\w:]+="[^"]*"'

    def reversed_attributes(match):
        found = re.findall(attribute, match.group(2))
        return match.group(1) + b"".join(reversed(found)) + match.group(3)

    parts[name] = re.sub(rb"(<(?:\w+:)?(?:c|row|sheetView|pageMargins))((?:" + attribute + rb")+)(\s*/?>)",
                         reversed_attributes, parts[name])
    return "attributes reversed in " + name


def broken_bytes(parts, rng):
    names = [n for n in parts if n.endswith(".xml")]
    if not names:
        return None
    name = rng.choice(names)
    text = bytearray(parts[name])
    if len(text) < 64:
        return None
    for _ in range(rng.randint(1, 4)):
        text[rng.randrange(len(text) // 2, len(text))] = rng.choice(b"<>&\"\x00\xff")
    parts[name] = bytes(text)
    return "broken bytes in " + name


OOXML_MUTATIONS = [dot_targets, double_mc, xr_uid, comments, reorder_attributes, broken_bytes]


def mutate_ooxml(source, target, rng):
    try:
        with zipfile.ZipFile(source) as package:
            infos = package.infolist()
            parts = {info.filename: package.read(info) for info in infos}
    except (zipfile.BadZipFile, OSError, RuntimeError, NotImplementedError):
        return None
    mutations = OOXML_MUTATIONS[:]
    rng.shuffle(mutations)
    for mutation in mutations:
        what = mutation(parts, rng)
        if what:
            with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as package:
                for info in infos:
                    package.writestr(info.filename, parts[info.filename])
            return what
    return None


CELL_RECORDS = {0x00FD: 10, 0x0203: 14, 0x027E: 10, 0x0204: 8, 0x0006: 20}


def mutate_xls(source, target, rng):
    data = bytearray(open(source, "rb").read())
    if not data.startswith(b"\xD0\xCF\x11\xE0"):
        return None
    if rng.random() < 0.5:
        # A cell record cut short: its length says less than its body holds,
        # so the records after it are read out of step.
        places = []
        for record, length in CELL_RECORDS.items():
            header = struct.pack("<HH", record, length)
            start = 512
            while len(places) < 400:
                at = data.find(header, start)
                if at < 0:
                    break
                places.append(at)
                start = at + 1
        if not places:
            return None
        at = rng.choice(places)
        length = struct.unpack_from("<H", data, at + 2)[0]
        struct.pack_into("<H", data, at + 2, rng.randint(2, length - 1))
        what = "record at byte %d cut to fewer bytes" % at
    else:
        for _ in range(rng.randint(1, 8)):
            data[rng.randrange(512, len(data))] = rng.randrange(256)
        what = "broken bytes"
    open(target, "wb").write(data)
    return what


# --- reading back ----------------------------------------------------------

def xls_counts(path):
    book = xlrd.open_workbook(path, on_demand=True, logfile=QUIET)
    counts = {}
    for index in range(book.nsheets):
        sheet = book.sheet_by_index(index)
        counts[sheet.name] = sum(1 for row in range(sheet.nrows) for column in range(sheet.ncols)
                                 if sheet.cell_type(row, column) not in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK)
                                 and sheet.cell_value(row, column) != "")
    return counts


def ooxml_counts(path, data_only=False):
    book = openpyxl.load_workbook(path, read_only=True, data_only=data_only)
    counts = {}
    for sheet in book.worksheets:
        counts[sheet.title] = sum(1 for row in sheet.iter_rows(values_only=True) for value in row
                                  if value is not None and value != "")
    book.close()
    return counts


def cell_counts(path, data_only=False):
    """Cells holding something by sheet name, or None when the file cannot be read
    (chart sheets, which LibreOffice turns into worksheets, are left out)."""
    try:
        if path.lower().endswith(".xls"):
            return xls_counts(path)
        return ooxml_counts(path, data_only)
    except Exception:
        return None


def xml_problem(path):
    if path.lower().endswith(".xls"):
        try:
            xlrd.open_workbook(path, on_demand=True, logfile=QUIET)
            return None
        except Exception as error:
            return "xlrd: %s" % error
    try:
        with zipfile.ZipFile(path) as package:
            for name in package.namelist():
                if not name.endswith((".xml", ".rels", ".vml")):
                    continue
                parser = xml.parsers.expat.ParserCreate(namespace_separator=" ")
                try:
                    parser.Parse(package.read(name), True)
                except xml.parsers.expat.ExpatError as error:
                    return "%s: %s" % (name, error)
    except zipfile.BadZipFile as error:
        return "zip: %s" % error
    return None


# --- the run ---------------------------------------------------------------

def run_job(batch, folder, edit, report, reuse):
    if not reuse:
        subprocess.run([batch, folder, *edit, "--report", report, "--quiet", "--no-backup"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=7200)
    outcomes = {}
    if os.path.exists(report):
        for line in open(report, encoding="utf-8"):
            entry = json.loads(line)
            outcomes[os.path.basename(entry["path"])] = entry
    return outcomes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("batch")
    parser.add_argument("--corpus", default="/work/shared/corpus")
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--seed", type=int, default=31)
    parser.add_argument("--work", default=None)
    parser.add_argument("--no-run", action="store_true",
                        help="check the outputs of an earlier run in --work again, running nothing")
    arguments = parser.parse_args()

    warnings.filterwarnings("ignore")
    rng = random.Random(arguments.seed)
    sources = sorted(os.path.join(folder, name) for folder, _, names in os.walk(arguments.corpus)
                     for name in names if name.lower().endswith((".xlsx", ".xlsm", ".xls")))
    work = arguments.work or tempfile.mkdtemp(prefix="fuzz-workbooks-")
    mutated = os.path.join(work, "mutated")
    os.makedirs(mutated, exist_ok=True)
    made = {}
    attempts = 0
    if arguments.no_run:
        order = []
        made = json.load(open(os.path.join(work, "mutations.json"), encoding="utf-8"))
    # Every workbook of the corpus once before any twice.
    order = []
    while len(order) < arguments.count * 4:
        order += rng.sample(sources, len(sources))
    while len(made) < arguments.count and attempts < len(order):
        source = order[attempts]
        attempts += 1
        extension = os.path.splitext(source)[1].lower()
        name = "%03d-%s" % (len(made), os.path.basename(source))
        target = os.path.join(mutated, name)
        mutate = mutate_xls if extension == ".xls" else mutate_ooxml
        what = mutate(source, target, rng)
        if what:
            made[name] = (source, what)
    json.dump(made, open(os.path.join(work, "mutations.json"), "w", encoding="utf-8"), ensure_ascii=False)
    print("%d mutated workbooks in %s" % (len(made), mutated))

    def given_or_source(name, source, data_only=False):
        given = cell_counts(os.path.join(mutated, name), data_only)
        return given if given is not None else cell_counts(source, data_only)

    expected = {name: given_or_source(name, source) for name, (source, _) in made.items()}
    fewer = []
    for name, (source, _) in sorted(made.items()):
        of_source = cell_counts(source)
        if expected[name] is not None and of_source is not None and any(
                expected[name].get(sheet, 0) < count for sheet, count in of_source.items()):
            fewer.append(name)
    print("%d mutated workbooks hold fewer cells than their source, as the reader reads them: %s"
          % (len(fewer), " ".join(fewer)))
    results = {}
    for label, edit in (("add-row", ["add-row", "1"]), ("formula-to-value", ["formula-to-value", "A:Z"])):
        folder = os.path.join(work, label)
        if not arguments.no_run:
            shutil.rmtree(folder, ignore_errors=True)
            shutil.copytree(mutated, folder)
        outcomes = run_job(arguments.batch, folder, edit, os.path.join(work, label + ".jsonl"), arguments.no_run)
        edited = damaged = lost = unchecked = 0
        for name, (source, what) in sorted(made.items()):
            entry = outcomes.get(name)
            if not entry or entry["outcome"] not in ("edited", "skipped"):
                continue
            edited += 1
            path = os.path.join(folder, name)
            problem = xml_problem(path)
            if problem and problem == xml_problem(os.path.join(mutated, name)):
                unchecked += 1
                print("  %s not comparable: %s (%s, as the workbook given)" % (label, name, problem))
                continue
            if problem:
                damaged += 1
                print("  %s damaged: %s (%s; from %s)" % (label, name, problem, what))
                continue
            before = expected[name]
            after = cell_counts(path)
            if before is None or after is None:
                unchecked += 1
                continue
            if label == "formula-to-value":
                # A formula whose result is empty leaves an empty cell.
                stored = given_or_source(name, source, True) or before
                before = {name: min(count, stored.get(name, count)) for name, count in before.items()}
            if any(after.get(name, 0) < count for name, count in before.items()):
                lost += 1
                print("  %s cells lost: %s %s -> %s (%s)" % (label, name, before, after, what))
        results[label] = (edited, damaged, lost, unchecked)
    for label, (edited, damaged, lost, unchecked) in results.items():
        print("%s: %d of %d reported edited; %d damaged, %d with cells lost, %d not readable to compare"
              % (label, edited, len(made), damaged, lost, unchecked))
    return 1 if any(result[1] or result[2] for result in results.values()) else 0


if __name__ == "__main__":
    sys.exit(main())
