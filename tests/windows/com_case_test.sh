#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# One case of jobs of gridwrighter-batch.exe through COM, against the test
# server registered as "Excel.Application" in this Wine prefix only: the
# case's workbooks are made, each job of the case run, and the files, the
# command's output and the server's log checked (com_cases.py).
# The case "window" runs the window's test program instead.
# Usage: com_case_test.sh CASE gridwrighter-batch.exe|ComWindowTest.exe TestExcel.exe
set -eu
case=$1
program=$2
server=$3
here=$(cd "$(dirname "$0")" && pwd)
# The rest runs inside a prefix of its own.
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
. "$here/test_server.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/gridwrighter-com.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The distribution's Python carries openpyxl.
python=/usr/bin/python3

"$python" "$here/com_cases.py" make "$case" "$work"
registerTestServer "$server"
export GRIDWRIGHTER_EXCEL_LOG="$(windowsPath "$work/server.log")"
. "$work/knobs.sh"

if [ "$case" = window ]; then
    status=0
    GRIDWRIGHTER_WINDOW_FOLDER="$(windowsPath "$work/工作簿")" wine "$program" -o 'C:\window.log,txt' || status=$?
    echo "$status" > "$work/status1.txt"
    cat "$WINEPREFIX/drive_c/window.log" 2>/dev/null
fi
n=0
while IFS= read -r line; do
    n=$((n + 1))
    eval "set -- $line"
    status=0
    wine "$program" "$@" > "$work/out$n.txt" 2> "$work/err$n.txt" || status=$?
    echo "$status" > "$work/status$n.txt"
    printf -- '--- job %s: %s => %s\n' "$n" "$line" "$status"
    for f in out err; do iconv -f GBK -t UTF-8 "$work/$f$n.txt" 2>/dev/null || cat "$work/$f$n.txt"; done
done < "$work/jobs.txt"
echo "--- server log"
cat "$work/server.log" 2>/dev/null | grep -v ' CALL ' | head -50
"$python" "$here/com_cases.py" check "$case" "$work"
