#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# A job of gridwrighter-batch.exe through COM, then its undo: every workbook
# comes back byte for byte. The test server writes a saved workbook's file
# only when it is closed, as an application may.
# Usage: com_undo_test.sh gridwrighter-batch.exe TestExcelServer.dll
set -eu
batch=$1
server=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
. "$here/test_server.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/gridwrighter-comundo.XXXXXX")
trap 'rm -rf "$work"' EXIT
registerTestServer "$server" "$work"

folder=$work/工作簿
mkdir -p "$folder/sub"
printf 'sheet Data\ncell 1 1 head\ncell 2 1 first\nsheet 说明\ncell 2 1 note\n' > "$folder/a.xlsx"
printf 'sheet S\ncell 2 2 x\n' > "$folder/sub/b.xls"
printf 'sheet S\ncell 1 1 y\n' > "$folder/sub/c.xlsx"
cp -r "$folder" "$work/before"

# The workbooks from a UTF-8 list with its byte order mark, as Notepad
# writes one; the ANSI code page here is GBK.
printf '\357\273\277%s\r\n%s\r\n%s\r\n' "$(windowsPath "$folder/a.xlsx")" "$(windowsPath "$folder/sub/b.xls")" \
    "$(windowsPath "$folder/sub/c.xlsx")" > "$work/list.txt"
status=0
wine "$batch" "$(windowsPath "$folder")" add-row 2 --files-from "$(windowsPath "$work/list.txt")" > "$work/job.txt" 2>&1 || status=$?
echo "job: $status"; cat "$work/job.txt"
[ "$status" = 0 ] || { echo "FAIL: the job exits with 0"; exit 1; }
if cmp -s "$folder/a.xlsx" "$work/before/a.xlsx"; then
    echo "FAIL: the job changed a.xlsx"
    exit 1
fi
status=0
wine "$batch" "$(windowsPath "$folder")" undo > "$work/undo.txt" 2>&1 || status=$?
echo "undo: $status"; cat "$work/undo.txt"
[ "$status" = 0 ] || { echo "FAIL: the undo exits with 0, every workbook restored"; exit 1; }
if ! diff -r -x .gridwrighter-backup "$work/before" "$folder"; then
    echo "FAIL: every workbook back byte for byte"
    exit 1
fi
echo "every workbook restored byte for byte"

# A dry run meeting a workbook it cannot open writes no list file and does
# not point to one; a missing folder is named with Windows separators.
printf 'fail open\n' > "$folder/broken.xlsx"
status=0
wine "$batch" "$(windowsPath "$folder")" add-row 2 --dry-run > "$work/dry.txt" 2>&1 || status=$?
iconv -f GBK -t UTF-8 "$work/dry.txt"
[ "$status" = 1 ] || { echo "FAIL: the dry run exits with 1"; exit 1; }
if iconv -f GBK -t UTF-8 "$work/dry.txt" | grep -q '见列表文件'; then
    echo "FAIL: the dry run points to a list file"
    exit 1
fi
[ ! -e "$folder/无法打开修改的文件目录(文件格式有误).txt" ] || { echo "FAIL: the dry run wrote a list file"; exit 1; }
status=0
wine "$batch" "$(windowsPath "$work/missing")" add-row 2 > "$work/missing.txt" 2>&1 || status=$?
cat "$work/missing.txt"
[ "$status" = 2 ] && grep -qF "the folder $(windowsPath "$work/missing") does not exist" "$work/missing.txt" ||
    { echo "FAIL: the missing folder is named with Windows separators"; exit 1; }
