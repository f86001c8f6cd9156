#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs OwnProcessesTest.exe in a Wine prefix whose windows need no display
# (Wine's null graphics driver), with the stand-in program it copies.
# Usage: own_processes_test.sh OwnProcessesTest.exe WindowedDummy.exe
set -eu
test=$1
standin=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
windowsPath() { printf 'Z:%s' "$1" | tr / '\\'; }
# The prefix's desktop started with no driver at all: it starts again with
# the null driver, ending only this prefix's own wineserver.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
wineserver -k
wineserver -w
status=0
GRIDWRIGHTER_STANDIN=$(windowsPath "$standin") wine "$test" -o 'C:\test.log,txt' || status=$?
cat "$WINEPREFIX/drive_c/test.log"
exit $status
