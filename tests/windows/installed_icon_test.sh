#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed file set reads the tray icon: Qt's .ico plugin is installed
# and loads from the installed folder, with nothing of the build on the way.
# Usage: installed_icon_test.sh Gridwrighter-2.3-setup.exe IconReader.exe
set -eu
installer=$1
reader=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
    "$here/../../scripts/wine-run.sh" sh "$0" "$@"
    exit $?
fi
unset WINEPATH QT_PLUGIN_PATH
target=$WINEPREFIX/drive_c/Gridwrighter
wine "$installer" /S '/D=C:\Gridwrighter' || { echo "FAIL: the silent install ended with status $?"; exit 1; }
[ -f "$target/imageformats/qico.dll" ] || { echo "FAIL: imageformats/qico.dll not installed"; exit 1; }
cp "$reader" "$target/IconReader.exe"
wine 'C:\Gridwrighter\IconReader.exe' 'C:\Gridwrighter\vrq.ico'
