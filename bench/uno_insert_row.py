#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The plain Python-UNO way of inserting a row, the yardstick a job's
`add-row 1` is held against: one headless soffice with a private profile,
and for every .xls/.xlsx/.xlsm below FOLDER, in the order of the names:
load it hidden, insert row 1 on every sheet, store it over itself and
close it. No checks, no put-backs, no backups. It edits the files in
place: give it a copy. Prints how many it stored and how long that took.

    bench/uno_insert_row.py FOLDER
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException

SOFFICE = '/usr/lib/libreoffice/program/soffice'


def workbooks_below(folder):
    found = []
    for parent, _, names in os.walk(folder):
        found.extend(os.path.join(parent, name) for name in names
                     if name.lower().endswith(('.xls', '.xlsx', '.xlsm')))
    return sorted(found)


def connect(pipe, office):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext('com.sun.star.bridge.UnoUrlResolver', local)
    for _ in range(600):
        try:
            context = resolver.resolve(f'uno:pipe,name={pipe};urp;StarOffice.ComponentContext')
            return context.ServiceManager.createInstanceWithContext('com.sun.star.frame.Desktop', context)
        except NoConnectException:
            if office.poll() is not None:
                break
            time.sleep(0.05)
    sys.exit('soffice did not accept a connection')


def hidden():
    argument = PropertyValue()
    argument.Name, argument.Value = 'Hidden', True
    return (argument,)


def insert_row(desktop, path):
    document = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(path)), '_blank', 0, hidden())
    if document is None:
        return False
    try:
        sheets = document.Sheets
        for index in range(sheets.Count):
            sheets.getByIndex(index).Rows.insertByIndex(0, 1)
        document.store()
        return True
    finally:
        document.close(True)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    start = time.monotonic()
    profile = tempfile.mkdtemp(prefix='uno-insert-row-')
    pipe = os.path.basename(profile)
    office = subprocess.Popen([SOFFICE, '--headless', '--invisible', '--nologo', '--norestore', '--nodefault',
                               '--nolockcheck', f'--accept=pipe,name={pipe};urp;StarOffice.ComponentContext',
                               f'-env:UserInstallation={uno.systemPathToFileUrl(profile)}'],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    workbooks = workbooks_below(sys.argv[1])
    stored = 0
    try:
        desktop = connect(pipe, office)
        for path in workbooks:
            try:
                stored += insert_row(desktop, path)
            except Exception as error:  # a workbook LibreOffice refuses is counted as not stored
                print(f'{path}: {error}', file=sys.stderr)
        try:
            desktop.terminate()
        except Exception:  # the bridge goes down with soffice
            pass
        office.wait(timeout=60)
    finally:
        if office.poll() is None:
            office.kill()
            office.wait()
        shutil.rmtree(profile, ignore_errors=True)
    print(f'stored {stored} of {len(workbooks)} in {time.monotonic() - start:.3f} s')


if __name__ == '__main__':
    main()
