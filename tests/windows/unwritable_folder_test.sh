#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# An installed copy in a folder it cannot write: the installed folder is made
# a read-only mount (the tests run as root, whom neither permissions nor the
# read-only attribute under Wine would stop), then the window's settings are
# tried from it. Skipped (77) where no mount can be made.
# Usage: unwritable_folder_test.sh Gridwrighter-2.3-setup.exe UnwritableProgramFolderTest.exe
set -eu
installer=$1
test=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
target=$WINEPREFIX/drive_c/Gridwrighter
wine "$installer" /S '/D=C:\Gridwrighter' || { echo "FAIL: the silent install ended with status $?"; exit 1; }
if ! mount --bind "$target" "$target" 2>/dev/null; then
    echo "SKIP: no bind mount can be made here"
    exit 77
fi
trap 'umount "$target"' EXIT
if ! mount -o remount,ro,bind "$target"; then
    echo "SKIP: the bind mount cannot be made read-only here"
    exit 77
fi
status=0
GRIDWRIGHTER_PROGRAM_FOLDER='C:\Gridwrighter\' wine "$test" -o 'C:\test.log,txt' || status=$?
cat "$WINEPREFIX/drive_c/test.log"
exit $status
