#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Two whole jobs of gridwrighter-batch.exe over a folder of workbooks, through
# COM: the test server answers "Excel.Application" in this prefix only. The
# workbooks come back edited; the refusals raised by the server (EXCEPINFO)
# come back as the reasons the command names; the list file is in the ANSI
# code page (GBK, as Wine runs with a Chinese locale here).
# Usage: com_job_test.sh gridwrighter-batch.exe TestExcelServer.dll
set -eu
batch=$1
server=$2
here=$(cd "$(dirname "$0")" && pwd)
# The rest runs inside a prefix of its own.
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/gridwrighter-com.XXXXXX")
trap 'rm -rf "$work"' EXIT
windowsPath() { printf 'Z:%s' "$1" | tr / '\\'; }

folder=$work/工作簿
mkdir -p "$folder/sub"
printf 'sheet Data\ncell 1 1 head\ncell 2 1 first\nsheet 说明\ncell 2 1 note\n' > "$folder/a.xlsx"
printf 'sheet S\ncell 2 2 x\n' > "$folder/sub/b.xls"
printf 'fail open\n' > "$folder/broken.xlsx"
printf 'sheet Data\ncell 1 1 keep\nfail save\n' > "$folder/locked.xlsx"
cp "$folder/broken.xlsx" "$work/broken.before"
cp "$folder/locked.xlsx" "$work/locked.before"

clsid='{6C1F2E0A-9D43-4B8E-A1F5-3E2D7C9B0A14}'
dll=$(windowsPath "$server" | sed 's/\\/\\\\/g')
cat > "$work/server.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Classes\\Excel.Application\\CLSID]
@="$clsid"

[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$clsid\\InprocServer32]
@="$dll"
"ThreadingModel"="Both"
REG
wine regedit /S "$(windowsPath "$work/server.reg")"

# The second job is the cell link, whose range goes back to the server as an
# argument.
status1=0
wine "$batch" "$(windowsPath "$folder")" add-row 2 --jobs 1 > "$work/out1.txt" 2> "$work/err1.txt" || status1=$?
status2=0
wine "$batch" "$(windowsPath "$folder")" cell-link B1 --address http://example.com/ --jobs 1 --no-backup \
    > "$work/out2.txt" 2> "$work/err2.txt" || status2=$?
echo "$status1" > "$work/status1.txt"
echo "$status2" > "$work/status2.txt"
echo "statuses: $status1 $status2"
for f in out1 err1 out2 err2; do echo "--- $f"; iconv -f GBK -t UTF-8 "$work/$f.txt" 2>/dev/null || cat "$work/$f.txt"; done

python3 - "$work" "$folder" <<'PY'
import os, sys
work, folder = sys.argv[1], sys.argv[2]
def text(name, encoding='gbk'):
    with open(os.path.join(work, name), 'rb') as f:
        return f.read().decode(encoding)
def workbook(relative):
    with open(os.path.join(folder, relative), encoding='utf-8') as f:
        return f.read().splitlines()
failures = []
def check(condition, what):
    if not condition:
        failures.append(what)

check(text('status1.txt').strip() == '1', 'the first job reports some workbooks failed')
a = workbook('a.xlsx')
check('cell 1 1 head' in a and 'cell 3 1 first' in a and 'cell 2 1 first' not in a, 'row 2 inserted on Data: %s' % a)
check("cell 3 1 note" in a, 'the second sheet edited too: %s' % a)
check('cell 3 2 x' in workbook('sub/b.xls'), 'the workbook in the subfolder edited')
check(open(os.path.join(folder, 'broken.xlsx'), 'rb').read() == open(os.path.join(work, 'broken.before'), 'rb').read(), 'the unopened workbook untouched')
check(open(os.path.join(folder, 'locked.xlsx'), 'rb').read() == open(os.path.join(work, 'locked.before'), 'rb').read(), 'the unsaved workbook untouched')
err = text('err1.txt')
wfolder = 'Z:' + folder.replace('/', '\\')
check(wfolder + '\\broken.xlsx: not opened: workbooks has no Open(' in err, 'the server\'s refusal to open is the reason given')
check(wfolder + '\\locked.xlsx: not saved: the file is read-only' in err, 'the server\'s refusal to save is the reason given')
listed = open(os.path.join(folder, '无法打开修改的文件目录(文件格式有误).txt'), 'rb').read()
check(listed.decode('gbk').split('\r\n')[:2] == [wfolder + '\\broken.xlsx', wfolder + '\\locked.xlsx'] or
      sorted(listed.decode('gbk').split('\r\n')[:2]) == sorted([wfolder + '\\broken.xlsx', wfolder + '\\locked.xlsx']),
      'the list file names both, in GBK with CR LF: %r' % listed)
check(text('status2.txt').strip() == '1', 'the second job reports some workbooks failed')
check('link 1 2 http://example.com/' in workbook('a.xlsx'), 'the cell link landed on the sheet: %s' % workbook('a.xlsx'))
for failure in failures:
    print('FAIL:', failure)
print('%d checks failed' % len(failures))
sys.exit(1 if failures else 0)
PY
