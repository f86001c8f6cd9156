#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fidelity over the shared corpus: what the program promises to keep (the
README's "What a job keeps") must come out of a real job as the original has
it, and any other feature that LibreOffice's own load-and-store keeps must
survive the job too.

Three sides per workbook: the original, LibreOffice's plain load-and-store
(soffice --convert-to into the same format) and the file after a job that writes
one marker cell far outside every used range. Binary workbooks are converted to
.xlsx by the same soffice before they are fingerprinted. Beside it, a
formula-to-value job must write the results the files store, a row inserted
into CSV files must leave their dialect as it was, and every workbook a job
did not save must be byte-identical.
"""

import argparse
import fnmatch
import json
import multiprocessing
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

import openpyxl

from fingerprint import FEATURES, cell_value, fingerprint

# What the program puts back or refuses to lose: the original's, whatever
# LibreOffice's own load-and-store does with it.
PROMISED = {"row heights", "hidden sheets", "workbook protection", "external links", "VBA project",
            "embedded objects", "page setup", "selection", "font names"}
# Put back from the parts of an .xlsx/.xlsm only.
OOXML_ONLY = {"VBA project", "external links"}
VALUES_RANGE = "A1:AZ400"

# The filters LibreOffice picks itself when it opens these formats, so that
# the baseline stores as the program's in-place store does.
STORE_FILTERS = {
    ".xlsx": "xlsx:Calc MS Excel 2007 XML",
    ".xlsm": "xlsm:Calc MS Excel 2007 VBA XML",
    ".xls": "xls:MS Excel 97",
}
TO_XLSX = STORE_FILTERS[".xlsx"]
JOB = ["fill-formula", "--text", "gw", "--start", "65000,250", "--end", "65000,250"]
CHUNK = 40


def run_group(command, timeout, log):
    """Runs command in its own process group and ends that group, and only it."""
    with open(log, "ab") as out:
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        finally:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()


def soffice_convert(soffice, profile, files, target, outdir, log):
    """Converts files into outdir, many per soffice start; a start that hangs
    is ended and its files not done yet are tried one by one."""
    outdir.mkdir(parents=True, exist_ok=True)
    base = [soffice, "-env:UserInstallation=" + profile.as_uri(), "--headless", "--norestore",
            "--nolockcheck", "--convert-to", target, "--outdir", str(outdir)]
    ext = "." + target.split(":")[0]
    for i in range(0, len(files), CHUNK):
        chunk = [str(f) for f in files[i:i + CHUNK]]
        if run_group(base + chunk, 60 + 10 * len(chunk), log) is None:
            for f in chunk:
                if not (outdir / (Path(f).stem + ext)).exists():
                    run_group(base + [f], 60, log)


def convert_all(soffice, tmp, files, target, outdir, cores):
    """Splits files over as many soffice instances as there are cores, each
    with its own profile."""
    threads = []
    for n in range(cores):
        part = files[n::cores]
        if part:
            t = threading.Thread(target=soffice_convert, args=(
                soffice, tmp / ("profile%d" % n), part, target, outdir, tmp / ("soffice%d.log" % n)))
            t.start()
            threads.append(t)
    for t in threads:
        t.join()


def fingerprint_or_reason(args):
    path, binary = args
    try:
        return fingerprint(path, binary)
    except Exception as e:  # a file openpyxl cannot read is left out, not fatal
        return "%s: %s" % (type(e).__name__, str(e)[:80])


def short(summary):
    items = sorted(summary, key=repr)
    text = "%d item(s)" % len(items)
    return text + (" e.g. %r" % (items[0],))[:110] if items else text


def difference(before, after):
    gone, new = before - after, after - before
    return "before %d, after %d; gone: %s; new: %s" % (len(before), len(after), short(gone), short(new))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--batch", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--soffice", default="soffice")
    parser.add_argument("--keep", help="keep the work folder here (for inspecting a run)")
    parser.add_argument("--only", action="append", metavar="PATTERN",
                        help="compare only the workbooks whose path below the corpus matches PATTERN, "
                             "such as '*.xls' or 'xlwings/*' (repeatable; a whole run takes about 30 minutes)")
    parser.add_argument("--sample", metavar="FILE",
                        help="compare only the workbooks listed in FILE, one path below the corpus a line")
    args = parser.parse_args()
    started = time.time()
    corpus = Path(args.corpus)
    if not corpus.is_dir():
        print("corpus not found: %s" % corpus)
        return 77
    cores = max(1, min(2, os.cpu_count() or 1))
    tmp = Path(args.keep or tempfile.mkdtemp(prefix="fidelity-"))
    try:
        return compare(args, corpus, tmp, cores, started)
    finally:
        if not args.keep:
            shutil.rmtree(tmp, ignore_errors=True)


def compare(args, corpus, tmp, cores, started):
    patterns = list(args.only or [])
    if args.sample:
        patterns += [line.strip() for line in open(args.sample, encoding="utf-8")
                     if line.strip() and not line.startswith("#")]
    chosen = lambda p: not patterns or any(fnmatch.fnmatch(str(p.relative_to(corpus)), x) for x in patterns)
    workbooks = sorted(p.relative_to(corpus) for p in corpus.rglob("*")
                       if p.is_file() and p.suffix.lower() in STORE_FILTERS and chosen(p))
    texts = sorted(p.relative_to(corpus) for p in corpus.rglob("*")
                   if p.is_file() and p.suffix.lower() == ".csv" and chosen(p))
    job, stage = tmp / "job", tmp / "stage"
    stage.mkdir(parents=True)
    # Flat, numbered copies: one soffice start converts many files into one folder.
    staged = {}
    for n, rel in enumerate(workbooks):
        (job / rel).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(corpus / rel, job / rel)
        staged[rel] = stage / ("%04d%s" % (n, rel.suffix.lower()))
        shutil.copyfile(corpus / rel, staged[rel])

    job_log = tmp / "job.log"
    job_done = {}
    runner = threading.Thread(target=lambda: job_done.update(
        rc=run_group([args.batch, str(job)] + JOB + ["--no-backup", "--report", str(tmp / "job.jsonl")],
                     1800, job_log)))
    runner.start()
    for ext, target in STORE_FILTERS.items():
        files = [staged[r] for r in workbooks if r.suffix.lower() == ext]
        convert_all(args.soffice, tmp, files, target, tmp / "baseline", cores)
    runner.join()
    print(job_log.read_text(errors="replace")[-1500:])
    if job_done.get("rc") not in (0, 1):
        print("FAIL: the job ended with %r" % job_done.get("rc"))
        return 1
    side_failures = unsaved_untouched(tmp / "job.jsonl", job, corpus)
    side_failures += formula_values(args, corpus, tmp, workbooks)
    side_failures += inserted_row(args, corpus, tmp, workbooks)
    side_failures += csv_dialects(args, corpus, tmp, texts)

    # Binary workbooks: fingerprint their .xlsx conversions.
    binaries = [r for r in workbooks if r.suffix.lower() == ".xls"]
    changed = [r for r in workbooks if (job / r).read_bytes() != (corpus / r).read_bytes()]
    program_stage = tmp / "program-stage"
    program_stage.mkdir()
    for r in binaries:
        if r in changed:
            shutil.copyfile(job / r, program_stage / staged[r].name)
    baseline_xls = [tmp / "baseline" / staged[r].name for r in binaries]
    convert_all(args.soffice, tmp, [staged[r] for r in binaries], TO_XLSX, tmp / "x-original", cores)
    convert_all(args.soffice, tmp, [p for p in baseline_xls if p.exists()], TO_XLSX, tmp / "x-baseline", cores)
    convert_all(args.soffice, tmp, sorted(program_stage.iterdir()), TO_XLSX, tmp / "x-program", cores)

    def sides(r):
        name = staged[r].name
        if r.suffix.lower() != ".xls":
            return [(staged[r], None), (tmp / "baseline" / name, None), (job / r, None)]
        x = Path(name).stem + ".xlsx"
        return [(tmp / "x-original" / x, staged[r]), (tmp / "x-baseline" / x, tmp / "baseline" / name),
                (tmp / "x-program" / x, job / r)]

    tasks, index = [], {}
    for r in workbooks:
        trio = sides(r)
        if not trio[0][0].exists() or not trio[1][0].exists():
            continue  # LibreOffice cannot open it: nothing to compare with
        index[r] = len(tasks)
        tasks.extend(trio if r in changed else trio[:2])
    with multiprocessing.Pool(cores) as pool:
        results = pool.map(fingerprint_or_reason, [(str(p), b and str(b)) for p, b in tasks], chunksize=4)

    having = {f: 0 for f in FEATURES}
    lost_baseline = {f: 0 for f in FEATURES}
    lost_program = {f: 0 for f in FEATURES}
    failures, unreadable, compared = [], [], 0
    for r, i in index.items():
        original, baseline = results[i], results[i + 1]
        program = results[i + 2] if r in changed else original
        if not any(isinstance(x, str) for x in (original, baseline, program)):
            baseline, program = same_cells(original, baseline), same_cells(original, program)
        if isinstance(original, str) or isinstance(baseline, str):
            unreadable.append((r, original if isinstance(original, str) else baseline))
            continue
        if isinstance(program, str):
            failures.append((r, "(whole file)", "openpyxl cannot read the job's output: " + program))
            continue
        compared += 1
        for f in FEATURES:
            if not original[f]:
                continue
            having[f] += 1
            lost_baseline[f] += baseline[f] != shared_cells(original, baseline)[f]
            original_here = shared_cells(original, program)
            lost_program[f] += program[f] != original_here[f]
            promised = f in PROMISED and (r.suffix.lower() != ".xls" or f not in OOXML_ONLY)
            if (promised or baseline[f] == shared_cells(original, baseline)[f]) and program[f] != original_here[f]:
                failures.append((r, f, difference(original_here[f], program[f])))

    print("\n%d workbooks (.xlsx .xlsm .xls); %d not opened by LibreOffice's load-and-store; "
          "%d left out as openpyxl cannot read them; %d compared, %d changed by the job."
          % (len(workbooks), len(workbooks) - len(index), len(unreadable), compared,
             sum(1 for r in index if r in changed)))
    for r, why in unreadable:
        print("  left out %s: %s" % (r, why))
    print("\n%-22s %8s %14s %12s" % ("feature", "files", "lost by LO", "lost by job"))
    for f in FEATURES:
        print("%-22s %8d %14d %12d" % (f, having[f], lost_baseline[f], lost_program[f]))
    print("(promised, compared with the original whatever LibreOffice does: %s)" % ", ".join(sorted(PROMISED)))
    for r, f, what in failures:
        print("LOST %s [%s]: %s" % (r, f, what))
    for what in side_failures:
        print("LOST %s" % what)
    print("\n%d loss(es); %.0f s" % (len(failures) + len(side_failures), time.time() - started))
    if compared == 0 or not changed:
        print("FAIL: nothing was compared")
        return 1
    return 1 if failures or side_failures else 0


def same_cells(original, other):
    """Font names of the cells the original names a font for (a cell whose
    font has no name may get one), sheet settings of the sheets whose part
    the original has (LibreOffice writes one for a sheet without)."""
    places = {x[:3] for x in original["font names"]}
    sheets = original["_sheets"] | {"workbook"}
    known = lambda x: x is True or x[0] in sheets or str(x[0]).startswith("xl/")
    return dict(other, **{"font names": frozenset(x for x in other["font names"] if x[:3] in places)},
                **{f: frozenset(x for x in other[f] if known(x)) for f in ("VBA project", "page setup", "selection")
                   if original["_sheets"]})


def shared_cells(original, other):
    """Font names compared on the cells both sides have: a cell lost is
    counted among the values."""
    places = {x[:3] for x in other["font names"]}
    return dict(original, **{"font names": frozenset(x for x in original["font names"] if x[:3] in places)})


def unsaved_untouched(report, job, corpus):
    """A workbook the job did not save is the file it was, byte for byte."""
    failures, seen = [], 0
    for line in open(report, encoding="utf-8"):
        entry = json.loads(line)
        if entry["outcome"] in ("edited", "skipped"):
            continue
        seen += 1
        rel = Path(entry["path"]).relative_to(job)
        if (job / rel).read_bytes() != (corpus / rel).read_bytes():
            failures.append("%s [not saved, yet changed]: %s" % (rel, entry["outcome"]))
    print("%d workbook(s) not saved by the job, all checked byte for byte" % seen)
    return failures


def cached_results(path):
    """The results an .xlsx stores for its formulas within VALUES_RANGE."""
    import warnings
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        formulas = openpyxl.load_workbook(path)
        values = openpyxl.load_workbook(path, data_only=True)
    results = {}
    for ws in formulas.worksheets:
        for row in ws[VALUES_RANGE]:
            for cell in row:
                if isinstance(cell.value, str) and cell.value.startswith("="):
                    stored = values[ws.title][cell.coordinate].value
                    if stored is not None:
                        results[(ws.title, cell.coordinate)] = cell_value(stored)
    return results


def formula_values(args, corpus, tmp, workbooks):
    """formula-to-value writes the results the file stores."""
    folder = tmp / "values"
    # openpyxl reads a workbook whole, twice: the largest are left to the marker job.
    books = [r for r in workbooks if r.suffix.lower() in (".xlsx", ".xlsm") and (corpus / r).stat().st_size < 2 << 20]
    expected = {}
    for r in books:
        try:
            expected[r] = cached_results(corpus / r)
        except Exception:
            continue
    books = [r for r in books if expected.get(r)]
    for r in books:
        (folder / r).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(corpus / r, folder / r)
    if not books:
        return []
    report = tmp / "values.jsonl"
    rc = run_group([args.batch, str(folder), "formula-to-value", VALUES_RANGE, "--no-backup", "--report", str(report)],
                   1800, tmp / "values.log")
    if rc not in (0, 1):
        return ["formula-to-value job ended with %r" % rc]
    edited = {Path(e["path"]).relative_to(folder): set(e["sheets_edited"])
              for e in map(json.loads, open(report, encoding="utf-8"))}
    failures, cells = [], 0
    for r in books:
        if (folder / r).read_bytes() == (corpus / r).read_bytes():
            continue  # left as it was (not opened, refused): nothing written
        try:
            wb = openpyxl.load_workbook(folder / r)
        except Exception as e:
            failures.append("%s [formula-to-value]: openpyxl cannot read the output: %s" % (r, e))
            continue
        # An error result is written as the formula of that error (=#N/A).
        written = lambda k: re.sub(r"^=(#[A-Z0-9/]+[!?]?)$", r"\1", cell_value(wb[k[0]][k[1]].value)).replace(
            "=NA()", "#N/A")
        # A locked cell of a protected sheet keeps its formula: nothing written there.
        converted = {k: v for k, v in expected[r].items()
                     if k[0] in edited.get(r, ()) and not written(k).startswith("=")}
        wrong = [(k, v, written(k)) for k, v in converted.items() if not same_result(written(k), v)]
        cells += len(converted)
        if wrong:
            failures.append("%s [formula-to-value]: %d of %d results differ, e.g. %r"
                            % (r, len(wrong), len(converted), wrong[0]))
    print("formula-to-value: %d workbook(s), %d stored results compared" % (len(books), cells))
    return failures if cells else failures + ["formula-to-value wrote no result"]


def below_first_row(sheets, key):
    """An item of a sheet the job edited, as it reads with a row inserted
    before row 2: cell references and row numbers from row 2 on move down."""
    def reference(text):
        return re.sub(r"(\$?[A-Z]{0,3}\$?)(\d+)", lambda m: m.group(1) + str(int(m.group(2)) + (int(m.group(2)) >= 2)),
                      text)
    if key[0] not in sheets:
        return key
    if isinstance(key[1], int):  # (sheet, row, column, name)
        return (key[0], key[1] + (key[1] >= 2)) + key[2:]
    return key[:2] + tuple(reference(x) for x in key[2:])


def inserted_row(args, corpus, tmp, workbooks):
    """A row inserted before row 2 moves the selections and the cells whose
    font names are put back, and leaves the VBA project and page setup as
    they were."""
    folder = tmp / "inserted"
    books = [r for r in workbooks if r.suffix.lower() in (".xlsx", ".xlsm") and (corpus / r).stat().st_size < 2 << 20]
    for r in books:
        (folder / r).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(corpus / r, folder / r)
    if not books:
        return []
    report = tmp / "inserted.jsonl"
    rc = run_group([args.batch, str(folder), "add-row", "2", "--no-backup", "--report", str(report)], 1800,
                   tmp / "inserted.log")
    if rc not in (0, 1):
        return ["add-row job ended with %r" % rc]
    edited = {Path(e["path"]).relative_to(folder): set(e["sheets_edited"])
              for e in map(json.loads, open(report, encoding="utf-8")) if e["outcome"] in ("edited", "skipped")}
    failures = []
    for r, sheets in sorted(edited.items()):
        try:
            before, after = fingerprint(str(corpus / r)), fingerprint(str(folder / r))
        except Exception:
            continue
        after = same_cells(before, after)
        for f in ("VBA project", "page setup", "selection", "font names"):
            moved = f in ("selection", "font names")
            expected = {below_first_row(sheets, x) if moved else x for x in before[f]}
            got = set(after[f])
            if f == "font names":  # on the cells both sides have
                got = {x for x in got if x[:3] in {y[:3] for y in expected}}
                expected = {x for x in expected if x[:3] in {y[:3] for y in got}}
            if got != expected:
                failures.append("%s [%s, row inserted]: %s" % (r, f, difference(frozenset(expected), frozenset(got))))
    print("add-row 2: %d workbook(s) edited and compared" % len(edited))
    return failures


def same_result(written, stored):
    """Equal, numbers to the last bit LibreOffice's arithmetic may change."""
    try:
        a, b = float(written), float(stored)
        return abs(a - b) <= 1e-12 * max(1.0, abs(a), abs(b))
    except ValueError:
        return written == stored


def dialect(data):
    """What a CSV file's writing looks like: byte order mark, encoding,
    separator, quoting and line ends, from its first records."""
    for bom, encoding in ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16-le"), (b"\xfe\xff", "utf-16-be")):
        if data.startswith(bom):
            text = data[len(bom):].decode(encoding, "replace")
            break
    else:
        bom = b""
        try:
            text, encoding = data.decode("utf-8"), "utf-8"
        except UnicodeDecodeError:
            try:
                text, encoding = data.decode("gbk"), "gbk"
            except UnicodeDecodeError:
                text, encoding = data.decode("gbk", "replace"), "other 8-bit"
    head = text[:4000]
    ends = "\r\n" if "\r\n" in head else "\r" if "\r" in head and "\n" not in head else "\n"
    records = head.split(ends)[:5]
    separator = max(",;\t|", key=records[0].count)
    # Every non-empty field of the first records quoted, or not: quoting
    # only the text fields is not told apart from quoting none.
    fields = [f for record in records for f in record.split(separator) if f]
    quoted = bool(fields) and all(f.startswith('"') for f in fields)
    return {"byte order mark": bom, "encoding": encoding, "line ends": ends,
            "separator": separator, "quoting": quoted, "text": text}


def inserted_first(before, after):
    """Whether after is before with one record of separators alone inserted
    first (after the byte order mark): every other byte kept."""
    bom = next((b for b in (b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff") if before.startswith(b)), b"")
    codec = {b"\xff\xfe": "utf-16-le", b"\xfe\xff": "utf-16-be"}.get(bom, "ascii")
    if not after.startswith(bom) or not after.endswith(before[len(bom):]):
        return False
    inserted = after[len(bom):len(after) - len(before) + len(bom)].decode(codec, "replace")
    return inserted.rstrip("\r\n").strip(",;\t|") == "" and inserted[-1:] in ("\r", "\n")


def csv_dialects(args, corpus, tmp, texts):
    """A row inserted into a CSV file keeps how the file is written, and the
    letters of its text."""
    folder = tmp / "csv"
    for r in texts:
        (folder / r).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(corpus / r, folder / r)
    if not texts:
        return []
    rc = run_group([args.batch, str(folder), "add-row", "1", "--no-backup"], 1800, tmp / "csv.log")
    if rc not in (0, 1):
        return ["CSV job ended with %r" % rc]
    failures, saved = [], 0
    for r in texts:
        before, after = (corpus / r).read_bytes(), (folder / r).read_bytes()
        if before == after:
            continue
        saved += 1
        if not inserted_first(before, after):
            failures.append("%s [CSV bytes]: a byte changed beyond the inserted row" % r)
        was, now = dialect(before), dialect(after)
        # The inserted first record is empty: what follows it is the original's.
        now_first = now["text"].split(now["line ends"], 1)
        if len(now_first) == 2:
            # Text in another 8-bit code page was read as GBK, and goes back so.
            codec = "gbk" if now["encoding"] == "other 8-bit" else now["encoding"]
            now.update({k: v for k, v in dialect(now["byte order mark"]
                                                 + now_first[1].encode(codec, "replace")).items()
                        if k in ("separator", "quoting")})
        keys = ["byte order mark", "separator", "quoting"]
        # Old Mac files (CR alone) are read as such; the letters of text in
        # an 8-bit code page are not compared, its encoding told only by bytes.
        if was["line ends"] != "\r":
            keys.append("line ends")
        if was["encoding"] != "other 8-bit":
            keys.append("encoding")
            lost = sum(1 for c in was["text"] if ord(c) > 127) - sum(1 for c in now["text"] if ord(c) > 127)
            if lost > 0:
                failures.append("%s [CSV text]: %d letter(s) outside ASCII lost" % (r, lost))
        for key in keys:
            if was[key] != now[key] and not (key == "encoding" and now["text"].isascii()):
                failures.append("%s [CSV %s]: %r became %r" % (r, key, was[key], now[key]))
    print("CSV: %d file(s), %d saved by the row insertion" % (len(texts), saved))
    return failures


if __name__ == "__main__":
    sys.exit(main())
