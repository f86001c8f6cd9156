#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Two jobs of gridwrighter-batch.exe on one folder through COM: the second,
# started while the first holds the folder, is refused with exit status 2
# naming the first's process and touches nothing; every workbook gets its row
# once, and the lock file goes with the first job. The workbooks are made and
# checked by com_cases.py (case "lock").
# Usage: folder_lock_test.sh gridwrighter-batch.exe TestExcel.exe
set -eu
batch=$1
server=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
. "$here/test_server.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/gridwrighter-lock.XXXXXX")
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3

# Enough workbooks that the first job, a marshalled call at a time to the
# server's process, still runs when the second has started and ended.
"$python" "$here/com_cases.py" make lock "$work"
registerTestServer "$server"
folder=$work/工作簿
lock=$folder/.gridwrighter-backup/job.lock

wine "$batch" "$(windowsPath "$folder")" add-row 2 --jobs 1 > "$work/out1.txt" 2> "$work/err1.txt" &
first=$!
waited=0
while [ ! -f "$lock" ] && [ $waited -lt 600 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
status=0
wine "$batch" "$(windowsPath "$folder")" add-column 1 --jobs 1 > "$work/out2.txt" 2> "$work/err2.txt" || status=$?
echo "$status" > "$work/status2.txt"
if kill -0 $first 2>/dev/null && [ -f "$lock" ]; then echo yes; else echo no; fi > "$work/stillran.txt"
status=0
wait $first || status=$?
echo "$status" > "$work/status1.txt"
echo "first: $(cat "$work/status1.txt"), second: $(cat "$work/status2.txt"), the first still ran when the second ended: $(cat "$work/stillran.txt")"
for f in out1 err1 out2 err2; do iconv -f GBK -t UTF-8 "$work/$f.txt" 2>/dev/null | tail -3; done
"$python" "$here/com_cases.py" check lock "$work"
