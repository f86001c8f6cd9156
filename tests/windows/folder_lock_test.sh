#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Two jobs of gridwrighter-batch.exe on one folder: the second, started while
# the first holds the folder, is refused with exit status 2 naming the first's
# process and touches nothing; every workbook gets its row once, and the lock
# file goes with the first job.
# Usage: folder_lock_test.sh gridwrighter-batch.exe TestExcelServer.dll
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
registerTestServer "$server" "$work"

folder=$work/books
mkdir -p "$folder"
# Enough workbooks that the first job still runs when the second starts.
i=0
while [ $i -lt 120 ]; do
    printf 'sheet S\ncell 1 1 head\ncell 2 1 row%s\n' $i > "$folder/w$i.xlsx"
    i=$((i + 1))
done
lock=$folder/.gridwrighter-backup/job.lock

wine "$batch" "$(windowsPath "$folder")" add-row 2 --jobs 1 > "$work/out1.txt" 2> "$work/err1.txt" &
first=$!
waited=0
while [ ! -f "$lock" ] && [ $waited -lt 600 ]; do
    sleep 0.1
    waited=$((waited + 1))
done
status2=0
wine "$batch" "$(windowsPath "$folder")" add-column 1 --jobs 1 > "$work/out2.txt" 2> "$work/err2.txt" || status2=$?
firstStillRan=no
if kill -0 $first 2>/dev/null && [ -f "$lock" ]; then firstStillRan=yes; fi
status1=0
wait $first || status1=$?
echo "first: $status1, second: $status2, the first still ran when the second ended: $firstStillRan"
cat "$work/err2.txt"

failures=0
check() { if ! eval "$1"; then echo "FAIL: $2"; failures=$((failures + 1)); fi; }
check '[ "$firstStillRan" = yes ]' "the first job held the folder while the second ran (make more workbooks)"
check '[ "$status1" = 0 ]' "the first job edited every workbook"
check '[ "$status2" = 2 ]' "the second job is refused with exit status 2"
check 'grep -Eq "is being edited by another job, process [0-9]+ \(gridwrighter-batch\.exe\)" "$work/err2.txt"' \
    "the refusal names the first job's process"
check '[ ! -e "$lock" ]' "the lock file goes with the first job"
once=$(grep -l '^cell 3 1 row' "$folder"/*.xlsx | wc -l)
twice=$(grep -l '^cell 4 1 row\|^cell [0-9]* 2 ' "$folder"/*.xlsx | wc -l)
check '[ "$once" = 120 ] && [ "$twice" = 0 ]' "every workbook got one row and no column ($once with the row, $twice with more)"
echo "$failures checks failed"
[ $failures = 0 ]
