#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints what whole batch jobs cost against LibreOffice's own work on the
same files, side by side: a row insert over every .xlsx/.xlsm of a folder
(one application, then several) against one soffice's load and store of
them, a tiny workbook's job against soffice --convert-to of it, memory over
many workbooks, and the formula fill benchmark's table (plain and striped
sheets). Seconds are wall clock of whole processes, medians of alternating
rounds; memory is the peak of the summed resident size of the process and
everything it started (soffice included), sampled every 50 ms.

    bench/throughput_bench.py [--corpus DIR] [--build DIR] [--rounds N] [--many N]
"""

import argparse
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


def measure(command, cwd=None):
    """Seconds and peak tree memory (MB) of one whole run, and its output."""
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    peak = [0]
    running = [True]

    def sample():
        while running[0]:
            peak[0] = max(peak[0], tree_rss_kb(process.pid))
            time.sleep(0.05)

    sampler = threading.Thread(target=sample)
    sampler.start()
    output = process.communicate()[0]
    seconds = time.monotonic() - start
    running[0] = False
    sampler.join()
    return seconds, peak[0] / 1024, output, process.returncode


def make_workbook(path, description):
    subprocess.run([sys.executable, os.path.join(SOURCE, 'tests', 'support', 'workbook_tool.py'), 'create', path, description],
                   check=True)


def copy_workbooks(corpus, target):
    count = 0
    for folder, _, names in os.walk(corpus):
        for name in names:
            if name.lower().endswith(('.xlsx', '.xlsm')):
                relative = os.path.relpath(os.path.join(folder, name), corpus)
                os.makedirs(os.path.dirname(os.path.join(target, relative)), exist_ok=True)
                shutil.copy2(os.path.join(corpus, relative), os.path.join(target, relative))
                count += 1
    return count


def table(rows, header):
    print('| ' + ' | '.join(header) + ' |')
    print('| ' + ' | '.join(['---'] + ['---:'] * (len(header) - 1)) + ' |')
    for row in rows:
        print('| ' + ' | '.join(row) + ' |')
    print()


def corpus_jobs(args, batch, baseline, scratch):
    source = os.path.join(scratch, 'source')
    count = copy_workbooks(args.corpus, source)
    cases = [
        ('LibreOffice load + store, one soffice', lambda folder: [baseline, folder]),
        ('add-row 1, --jobs 1', lambda folder: [batch, folder, 'add-row', '1', '--quiet', '--no-backup', '--jobs', '1']),
        ('add-row 1, --jobs 2', lambda folder: [batch, folder, 'add-row', '1', '--quiet', '--no-backup', '--jobs', '2']),
    ]
    figures = {name: ([], []) for name, _ in cases}
    for _ in range(args.rounds):
        for name, command in cases:
            folder = os.path.join(scratch, 'run')
            shutil.rmtree(folder, ignore_errors=True)
            shutil.copytree(source, folder)
            seconds, peak, _, _ = measure(command(folder))
            figures[name][0].append(seconds)
            figures[name][1].append(peak)
    base_seconds = statistics.median(figures[cases[0][0]][0])
    base_peak = statistics.median(figures[cases[0][0]][1])
    rows = []
    for name, _ in cases:
        seconds = statistics.median(figures[name][0])
        peak = statistics.median(figures[name][1])
        rows.append([name, f'{seconds:.1f}', f'{seconds / base_seconds:.2f}', f'{peak:.0f}', f'{peak / base_peak:.2f}'])
    print(f'Row insert over the {count} .xlsx/.xlsm files of {args.corpus} (copies), median of {args.rounds}:\n')
    table(rows, ['case', 'seconds', 'ratio', 'peak MB', 'memory ratio'])


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
    args = parser.parse_args()
    batch = os.path.join(args.build, 'batch', 'gridwrighter-batch')
    baseline = os.path.join(args.build, 'bench', 'load_store_folder')
    with tempfile.TemporaryDirectory(prefix='throughput-bench-') as scratch:
        corpus_jobs(args, batch, baseline, scratch)
        tiny_workbook(args, batch, scratch)
        many_workbooks(args, batch, scratch)
    fill_bench(args.build)


if __name__ == '__main__':
    main()
