#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The installer under Wine: installs silently, the installed batch command
# runs from its own folder (so the file set holds every DLL it loads), and the
# uninstaller removes what was installed.
# Usage: installer_test.sh Gridwrighter-2.3-setup.exe
set -eu
installer=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
# Nothing from the build may be found on the way: only the installed folder.
unset WINEPATH QT_PLUGIN_PATH
target=$WINEPREFIX/drive_c/Gridwrighter
fail() { echo "FAIL: $*"; exit 1; }

wine "$installer" /S '/D=C:\Gridwrighter' || fail "the silent install ended with status $?"
for file in Gridwrighter.exe gridwrighter-batch.exe Qt5Core.dll platforms/qwindows.dll Uninstall.exe README.md; do
    [ -f "$target/$file" ] || fail "$file not installed"
done
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Gridwrighter/*.lnk' | wc -l)
[ "$menu" -eq 2 ] || fail "the Start menu holds $menu entries, not 2"
wine 'C:\Gridwrighter\gridwrighter-batch.exe' --help > "$WINEPREFIX/help.txt" 2>&1 || fail "the installed batch command ended with status $?"
grep -q '^Usage: gridwrighter-batch FOLDER EDIT' "$WINEPREFIX/help.txt" || fail "the installed batch command printed: $(cat "$WINEPREFIX/help.txt")"

# While the program runs (here the batch command waiting for its list on
# standard input) the uninstaller asks to close it first; silent, it gives up
# and removes nothing.
mkfifo "$WINEPREFIX/list"
wine 'C:\Gridwrighter\gridwrighter-batch.exe' 'C:\' add-row 2 --dry-run --files-from - < "$WINEPREFIX/list" > /dev/null 2>&1 &
running=$!
exec 3> "$WINEPREFIX/list"
sleep 5
wine "$target/Uninstall.exe" /S '_?=C:\Gridwrighter' || true
[ -f "$target/gridwrighter-batch.exe" ] || fail "uninstalled while the batch command ran"
exec 3>&-
wait $running || true

# Run from where it is (_?=), so that it ends before the check.
touch "$target/kept-by-user.txt"
wine "$target/Uninstall.exe" /S '_?=C:\Gridwrighter' || fail "the silent uninstall ended with status $?"
left=$(cd "$target" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = "./Uninstall.exe ./kept-by-user.txt " ] || fail "left after uninstalling: $left"
[ "$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Gridwrighter*' | wc -l)" -eq 0 ] || fail "the Start menu entries remain"
echo "installed, ran --help, uninstalled"
