#!/usr/bin/env bash
# The soak: shell reports raised inside the running program (default 10,000),
# E: to H: removable drives on folders of its own prefix and D: a network
# drive whose every call waits STALL seconds (default 0.05; a FUSE file
# system). Prints what was lost, and memory and threads after the first 100
# reports and after the run.
# usage: bench/soak/run-soak.sh [REPORTS]
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
"$src/scripts/build.sh" --target drive_soak >/dev/null
mv_use_runnable_build bench --target drive_soak >/dev/null
prefix="$build/wine/bench-soak"
mv_template "$build/wine/template"
mv_new_prefix "$build/wine/template" "$prefix"
stalled="$prefix/drives/stalled"
export WINEPREFIX="$prefix"
mv_display
trap 'mv_stalled_fs_end "$stalled"; mv_kill_prefix "$prefix"; [ -z "$MV_XVFB_PID" ] || kill "$MV_XVFB_PID"' EXIT
mv_stalled_fs "$stalled" "${STALL:-0.05}" drive_soak
mv_map_drive "$prefix" d network "$stalled"
for letter in e f g h; do mv_map_drive "$prefix" "$letter" floppy; done
mkdir -p "$prefix/drive_c/bench"
cp "$build/bench/drive_soak.exe" "$prefix/drive_c/bench/"
cd "$prefix/drive_c"
wine 'C:\bench\drive_soak.exe' "${1:-10000}"
