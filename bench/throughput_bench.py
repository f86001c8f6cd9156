#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints what whole batch jobs cost against LibreOffice's own work on the
same files, side by side: a row insert over the .xlsx/.xlsm files of a
folder that the job saves (one application, then two) against one soffice's
load and store of exactly those files and against a plain Python-UNO script
inserting the same row (bench/uno_insert_row.py), a tiny workbook's job
against soffice --convert-to of it, memory over many workbooks, and the
formula fill benchmark's table (plain and striped sheets). Seconds are wall
clock of whole processes, medians of alternating rounds; CPU is that of the
process and everything it started and waited for (soffice included), own
CPU that of the process alone; memory is the peak of the summed resident
size of the process and everything it started (soffice included), sampled
every 50 ms. --files takes that many corpus workbooks, spread from the
smallest to the largest; --jobs-only prints only the row insert's figures.

    bench/throughput_bench.py [--corpus DIR] [--build DIR] [--rounds N] [--many N]
                              [--files N] [--jobs-only]
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)


def children_of():
    parents = {}
    for name in os.listdir('/proc'):
        if not name.isdigit():
            continue
        try:
            with open(f'/proc/{name}/stat') as stat:
                fields = stat.read().rsplit(')', 1)[1].split()
            parents[int(name)] = int(fields[1])
        except (OSError, IndexError, ValueError):
            pass
    children = {}
    for pid, parent in parents.items():
        children.setdefault(parent, []).append(pid)
    return children


def tree_rss_kb(root):
    children = children_of()
    total, stack = 0, [root]
    while stack:
        pid = stack.pop()
        stack.extend(children.get(pid, []))
        try:
            with open(f'/proc/{pid}/status') as status:
                for line in status:
                    if line.startswith('VmRSS:'):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


class Run:
    """One whole process measured: wall seconds, the CPU seconds of it and of
    everything it started and waited for (soffice included), its own CPU
    seconds alone, the peak tree memory in MB, its output and exit code."""

    def __init__(self, command, cwd=None):
        ticks = os.sysconf('SC_CLK_TCK')
        start = time.monotonic()
        with tempfile.TemporaryFile(mode='w+') as output:
            process = subprocess.Popen(command, cwd=cwd, stdout=output, stderr=subprocess.STDOUT, text=True)
            peak = [0]
            running = [True]

            def sample():
                while running[0]:
                    peak[0] = max(peak[0], tree_rss_kb(process.pid))
                    time.sleep(0.05)

            sampler = threading.Thread(target=sample)
            sampler.start()
            # Ended but not yet reaped: its own CPU times are still readable.
            os.waitid(os.P_PID, process.pid, os.WEXITED | os.WNOWAIT)
            with open(f'/proc/{process.pid}/stat') as stat:
                fields = stat.read().rsplit(')', 1)[1].split()
            self.own_cpu = (int(fields[11]) + int(fields[12])) / ticks
            _, status, usage = os.wait4(process.pid, 0)
            process.returncode = self.returncode = os.waitstatus_to_exitcode(status)
            self.seconds = time.monotonic() - start
            self.cpu = usage.ru_utime + usage.ru_stime
            running[0] = False
            sampler.join()
            self.peak_mb = peak[0] / 1024
            output.seek(0)
            self.output = output.read()


def measure(command, cwd=None):
    """Seconds and peak tree memory (MB) of one whole run, and its output."""
    run = Run(command, cwd)
    return run.seconds, run.peak_mb, run.output, run.returncode


def make_workbook(path, description):
    subprocess.run([sys.executable, os.path.join(SOURCE, 'tests', 'support', 'workbook_tool.py'), 'create', path, description],
                   check=True)


def corpus_workbooks(corpus, subset):
    """The .xlsx/.xlsm files below corpus, relative to it; with subset, that
    many spread evenly from the smallest to the largest."""
    found = []
    for folder, _, names in os.walk(corpus):
        found.extend(os.path.relpath(os.path.join(folder, name), corpus) for name in names
                     if name.lower().endswith(('.xlsx', '.xlsm')))
    found.sort()
    if not subset or subset >= len(found):
        return found
    by_size = sorted(found, key=lambda relative: os.path.getsize(os.path.join(corpus, relative)))
    return sorted(by_size[round(i * (len(by_size) - 1) / (subset - 1))] for i in range(subset)) if subset > 1 \
        else by_size[:1]


def copy_workbooks(corpus, target, relatives):
    for relative in relatives:
        os.makedirs(os.path.dirname(os.path.join(target, relative)), exist_ok=True)
        shutil.copy2(os.path.join(corpus, relative), os.path.join(target, relative))
        # Writable as a user's own files are, whatever the corpus's modes.
        os.chmod(os.path.join(target, relative), 0o644)
    return len(relatives)


def saved_by_job(batch, source, scratch):
    """The files a row insert saves, relative to source, from the job's report."""
    folder = os.path.join(scratch, 'probe')
    shutil.copytree(source, folder)
    report = os.path.join(scratch, 'probe.jsonl')
    Run([batch, folder, 'add-row', '1', '--quiet', '--no-backup', '--report', report])
    saved = []
    with open(report) as lines:
        for line in lines:
            workbook = json.loads(line)
            if workbook['outcome'] in ('edited', 'skipped'):
                saved.append(os.path.relpath(workbook['path'], folder))
    shutil.rmtree(folder)
    return sorted(saved)


def table(rows, header):
    print('| ' + ' | '.join(header) + ' |')
    print('| ' + ' | '.join(['---'] + ['---:'] * (len(header) - 1)) + ' |')
    for row in rows:
        print('| ' + ' | '.join(row) + ' |')
    print()


def corpus_jobs(args, batch, baseline, scratch):
    """Equal work on both sides: every case stores the files a row insert
    saves (taken from the job's report) and only those."""
    every = os.path.join(scratch, 'every')
    offered = copy_workbooks(args.corpus, every, corpus_workbooks(args.corpus, args.files))
    saved = saved_by_job(batch, every, scratch)
    source = os.path.join(scratch, 'source')
    copy_workbooks(every, source, saved)
    shutil.rmtree(every)
    peer = [os.path.join(HERE, 'uno_insert_row.py')]  # by its own line: LibreOffice's python3 has uno
    cases = [
        ('LibreOffice load + store, one soffice', lambda folder: [baseline, folder]),
        ('Python-UNO insert of row 1, one soffice', lambda folder: peer + [folder]),
        ('add-row 1, `--jobs 1`, with backups', lambda folder: [batch, folder, 'add-row', '1', '--quiet', '--jobs', '1']),
        ('add-row 1, `--jobs 2`, with backups', lambda folder: [batch, folder, 'add-row', '1', '--quiet', '--jobs', '2']),
    ]
    runs = {name: [] for name, _ in cases}
    for _ in range(args.rounds):
        for name, command in cases:
            folder = os.path.join(scratch, 'run')
            shutil.rmtree(folder, ignore_errors=True)
            shutil.copytree(source, folder)
            runs[name].append(Run(command(folder)))
    shutil.rmtree(os.path.join(scratch, 'run'), ignore_errors=True)

    def median(name, figure):
        return statistics.median(getattr(run, figure) for run in runs[name])

    base, python_peer, one, two = (name for name, _ in cases)
    rows = []
    for name, _ in cases:
        rows.append([name, f'{median(name, "seconds"):.1f}', f'{median(name, "cpu"):.1f}',
                     f'{median(name, "own_cpu"):.1f}', f'{median(name, "peak_mb"):.0f}'])
    print(f'Row insert over the {len(saved)} files of {offered} .xlsx/.xlsm of {args.corpus} that the job saves '
          f'(fresh copies every run, alternating, median of {args.rounds}):\n')
    table(rows, ['case', 'wall s', 'CPU s', 'own CPU s', 'peak MB'])
    table([
        ['the job, `--jobs 1`, with backups / load+store, CPU', f'{median(one, "cpu") / median(base, "cpu"):.2f}'],
        ['the same, wall time', f'{median(one, "seconds") / median(base, "seconds"):.2f}'],
        ['the job / the Python-UNO insert, wall', f'{median(one, "seconds") / median(python_peer, "seconds"):.2f}'],
        ['`--jobs 2` / load+store, wall', f'{median(two, "seconds") / median(base, "seconds"):.2f}'],
        ['the batch process\'s own CPU, `--jobs 1` (LibreOffice\'s not counted)', f'{median(one, "own_cpu"):.1f} s'],
    ], ['figure', 'value'])


def tiny_workbook(args, batch, scratch):
    folder = os.path.join(scratch, 'tiny')
    os.makedirs(folder)
    book = os.path.join(folder, 'tiny.xlsx')
    make_workbook(book, '{"sheets": [{"name": "Sheet1", "cells": {"A1": 1}}]}')
    ours, theirs = [], []
    for round_number in range(args.rounds):
        ours.append(measure([batch, folder, 'add-row', '1', '--quiet', '--no-backup', '--jobs', '1'])[0])
        profile = os.path.join(scratch, f'profile{round_number}')
        out = os.path.join(scratch, f'out{round_number}')
        theirs.append(measure(['soffice', '--headless', '--norestore', f'-env:UserInstallation=file://{profile}',
                               '--convert-to', 'xlsx', '--outdir', out, book])[0])
    print('One tiny workbook, start-up included, median of rounds:\n')
    table([['gridwrighter-batch add-row 1', f'{statistics.median(ours):.2f}',
            f'{statistics.median(ours) / statistics.median(theirs):.2f}'],
           ['soffice --convert-to xlsx (fresh profile)', f'{statistics.median(theirs):.2f}', '1.00']],
          ['case', 'seconds', 'ratio'])


def many_workbooks(args, batch, scratch):
    folder = os.path.join(scratch, 'many')
    os.makedirs(folder)
    first = os.path.join(folder, 'book0000.xlsx')
    make_workbook(first, '{"sheets": [{"name": "Data", "cells": {"A1": "name", "A2": 1, "B2": "=A2*2"}}]}')
    for i in range(1, args.many):
        shutil.copy(first, os.path.join(folder, f'book{i:04d}.xlsx'))
    process = subprocess.Popen([batch, folder, 'add-row', '1', '--no-backup', '--jobs', '1'],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    marks = {max(1, args.many // 10), args.many // 2, args.many}
    seen, shown = 0, []
    for line in process.stdout:
        if '  ' in line and line.split('  ', 1)[0].isdigit():
            seen = int(line.split('  ', 1)[0])
            if seen in marks:
                shown.append([str(seen), f'{tree_rss_kb(process.pid) / 1024:.0f}'])
    process.wait()
    print(f'Memory over {args.many} small workbooks (row insert, --jobs 1), whole tree after each mark:\n')
    table(shown, ['workbooks done', 'resident MB'])


def fill_bench(build):
    bench = os.path.join(build, 'bench', 'formula_fill_bench')
    print('Formula fill (bench/formula_fill_bench):\n')
    sys.stdout.flush()
    subprocess.run([bench], check=False)
    print()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--corpus', default=os.path.join(SOURCE, '..', 'shared', 'corpus'))
    parser.add_argument('--build', default=os.path.join(SOURCE, 'build'))
    parser.add_argument('--rounds', type=int, default=3)
    parser.add_argument('--many', type=int, default=1000)
    parser.add_argument('--files', type=int, default=0,
                        help='only this many corpus workbooks, spread from the smallest to the largest')
    parser.add_argument('--jobs-only', action='store_true', help='only the row insert over the corpus')
    args = parser.parse_args()
    batch = os.path.join(args.build, 'batch', 'gridwrighter-batch')
    baseline = os.path.join(args.build, 'bench', 'load_store_folder')
    with tempfile.TemporaryDirectory(prefix='throughput-bench-') as scratch:
        corpus_jobs(args, batch, baseline, scratch)
        if args.jobs_only:
            return
        tiny_workbook(args, batch, scratch)
        many_workbooks(args, batch, scratch)
    fill_bench(args.build)


if __name__ == '__main__':
    main()
