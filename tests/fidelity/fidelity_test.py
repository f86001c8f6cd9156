#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fidelity over the shared corpus: a workbook feature that LibreOffice's own
load-and-store keeps must also survive a real job of the batch program.

Three sides per workbook: the original, LibreOffice's plain load-and-store
(soffice --convert-to into the same format) and the file after a job that writes
one marker cell far outside every used range. Binary workbooks are converted to
.xlsx by the same soffice before they are fingerprinted.
"""

import argparse
import fnmatch
import multiprocessing
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from fingerprint import FEATURES, fingerprint

# The filters LibreOffice picks itself when it opens these formats, so that
# the baseline stores as the program's in-place store does.
STORE_FILTERS = {
    ".xlsx": "xlsx:Calc MS Excel 2007 XML",
    ".xlsm": "xlsm:Calc MS Excel 2007 VBA XML",
    ".xls": "xls:MS Excel 97",
}
TO_XLSX = STORE_FILTERS[".xlsx"]
JOB = ["fill-formula", "gw", "--start", "65000,250", "--end", "65000,250"]
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
                             "such as '*.xls' or 'xlwings/*' (repeatable; a whole run takes about 15 minutes)")
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
    workbooks = sorted(p.relative_to(corpus) for p in corpus.rglob("*")
                       if p.is_file() and p.suffix.lower() in STORE_FILTERS
                       and (not args.only or any(fnmatch.fnmatch(str(p.relative_to(corpus)), pattern)
                                                 for pattern in args.only)))
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
        rc=run_group([args.batch, str(job)] + JOB, 1800, job_log)))
    runner.start()
    for ext, target in STORE_FILTERS.items():
        files = [staged[r] for r in workbooks if r.suffix.lower() == ext]
        convert_all(args.soffice, tmp, files, target, tmp / "baseline", cores)
    runner.join()
    print(job_log.read_text(errors="replace")[-1500:])
    if job_done.get("rc") not in (0, 1):
        print("FAIL: the job ended with %r" % job_done.get("rc"))
        return 1

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
            lost_baseline[f] += baseline[f] != original[f]
            lost_program[f] += program[f] != original[f]
            if baseline[f] == original[f] and program[f] != original[f]:
                failures.append((r, f, difference(original[f], program[f])))

    print("\n%d workbooks (.xlsx .xlsm .xls); %d not opened by LibreOffice's load-and-store; "
          "%d left out as openpyxl cannot read them; %d compared, %d changed by the job."
          % (len(workbooks), len(workbooks) - len(index), len(unreadable), compared,
             sum(1 for r in index if r in changed)))
    for r, why in unreadable:
        print("  left out %s: %s" % (r, why))
    print("\n%-22s %8s %14s %12s" % ("feature", "files", "lost by LO", "lost by job"))
    for f in FEATURES:
        print("%-22s %8d %14d %12d" % (f, having[f], lost_baseline[f], lost_program[f]))
    for r, f, what in failures:
        print("LOST %s [%s]: %s" % (r, f, what))
    print("\n%d loss(es) that LibreOffice's own load-and-store does not have; %.0f s"
          % (len(failures), time.time() - started))
    if compared == 0 or not changed:
        print("FAIL: nothing was compared")
        return 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
