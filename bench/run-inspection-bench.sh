#!/usr/bin/env bash
# Times one drive inspection against the bare system calls, under Wine, in a
# prefix of its own with E: a removable drive on a folder inside it.
# usage: bench/run-inspection-bench.sh
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
"$src/scripts/build.sh" --target inspection_bench >/dev/null
mv_use_runnable_build bench --target inspection_bench >/dev/null
prefix="$build/wine/bench-inspection"
mv_template "$build/wine/template"
mv_new_prefix "$build/wine/template" "$prefix"
mv_map_drive "$prefix" e floppy
export WINEPREFIX="$prefix"
trap 'mv_kill_prefix "$prefix"' EXIT
mkdir -p "$prefix/drive_c/bench"
cp "$build/bench/inspection_bench.exe" "$prefix/drive_c/bench/"
cd "$prefix/drive_c"
wine 'C:\bench\inspection_bench.exe'
