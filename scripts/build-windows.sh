#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows programs with MinGW-w64 against the Qt beside the
# checkout (or GRIDWRIGHTER_QT_MINGW) in build-windows/, and leaves the file
# set and the installer Gridwrighter-2.3-setup.exe in OUTDIR.
# Usage: scripts/build-windows.sh OUTDIR
set -eu
if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
build=${GRIDWRIGHTER_WINDOWS_BUILD:-$root/build-windows}
launcher=
if command -v ccache >/dev/null; then launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DGRIDWRIGHTER_DIST_DIR="$out" $launcher
cmake --build "$build" -j2
file "$out/Gridwrighter.exe" "$out/gridwrighter-batch.exe"
