#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Gathers the texts the user reads into the translation files, keeping every
# translation made: the engine's reasons (context "Engine", English,
# translated into Chinese), its status texts (context "StatusTexts",
# Chinese, translated into English), and the window's own texts (Chinese,
# translated into English). Run it after adding or changing such a text,
# then translate what it marks unfinished.
# --check changes nothing and fails when a text is missing or unfinished.
set -e
cd "$(dirname "$0")/.."
engine_sources="engine platform fileformats launch automation batch"
# file, then the folders whose texts it holds
translations="engine/translations/Gridwrighter_engine_zh_CN.ts:$engine_sources
engine/translations/Gridwrighter_engine_en.ts:$engine_sources
app/Gridwrighter_en.ts:app"

# lupdate drops comments: the licence line goes back after the XML declaration.
gather() { # ts-file sources...
    ts=$1
    shift
    lupdate -silent -locations none -no-obsolete "$@" -ts "$ts" 2>/dev/null
    sed -i '2{/SPDX-License-Identifier/!i <!-- SPDX-License-Identifier: GPL-3.0-or-later -->
}' "$ts"
}

status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo "$translations" | while IFS=: read -r file sources; do
    if [ "$1" != "--check" ]; then
        gather "$file" $sources
        continue
    fi
    copy="$scratch/$(basename "$file")"
    cp "$file" "$copy"
    gather "$copy" $sources
    if ! cmp -s "$file" "$copy"; then
        echo "$file does not hold the texts of the sources: run scripts/update-translations.sh" >&2
        diff "$file" "$copy" >&2 || true
        exit 1
    fi
    if grep -q 'type="unfinished"' "$file"; then
        echo "$file has texts still to translate:" >&2
        grep -A1 -B2 'type="unfinished"' "$file" | grep '<source>' >&2
        exit 1
    fi
done
