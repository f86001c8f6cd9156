#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a cross-built Windows program under Wine in a Wine prefix of its own,
# made in a temporary folder and removed afterwards with the wineserver that
# served it. Qt's DLLs come from GRIDWRIGHTER_QT_MINGW (by default the Qt
# beside the checkout), the runtime DLLs from the cross compiler.
# Usage: wine-run.sh PROGRAM.exe [ARGUMENT...], or wine-run.sh COMMAND... for
# a host command that runs wine itself; exits with the program's status.
set -u
here=$(cd "$(dirname "$0")" && pwd)
qt=${GRIDWRIGHTER_QT_MINGW:-$here/../../shared/toolchains/qt5.15.8-mingw64}
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
if [ ! -f "$qt/bin/Qt5Core.dll" ]; then
    echo "wine-run.sh: no Qt for MinGW-w64 in $qt; set GRIDWRIGHTER_QT_MINGW" >&2
    exit 1
fi
windowsPath() { printf 'Z:%s' "$1" | tr / '\\'; }

prefix=$(mktemp -d "${TMPDIR:-/tmp}/gridwrighter-wine.XXXXXX")
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A Chinese Windows, as the program's users have: GBK is the ANSI code page.
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win64
# No Mono or Gecko: nothing here needs .NET or a browser, and asking for them
# would stop an unattended run.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEPATH="$(windowsPath "$qt/bin");$(windowsPath "$runtime");$(windowsPath /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$(windowsPath "$qt/plugins")"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
wineboot -i >/dev/null 2>&1
# A QtTest program's log does not reach a Unix pipe from Wine: it goes to a
# file in the prefix and is printed from there.
case $1 in
*Test.exe)
    log=$prefix/drive_c/test.log
    wine "$@" -o 'C:\test.log,txt'
    status=$?
    cat "$log" 2>/dev/null
    ;;
*.exe)
    wine "$@"
    status=$?
    ;;
*)
    # A host command (a test script) that runs wine itself in this prefix.
    "$@"
    status=$?
    ;;
esac
exit $status
