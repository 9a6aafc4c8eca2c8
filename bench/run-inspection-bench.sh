#!/usr/bin/env bash
# Times one drive inspection against the bare system calls, under Wine, in a
# prefix of its own with E: a removable drive on a folder inside it, and D: a
# network drive whose every read of a file's data waits STALL seconds
# (default 2; a FUSE file system, as a server that is gone). Only the reads:
# under Wine a stalled open or folder listing holds up every thread of the
# prefix at once (its server has one thread), which on Windows holds up only
# the thread that made the call. Its reads bypass the kernel's cache, for
# the reason tests/e2e/stallfs.py gives.
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
stalled="$prefix/drives/stalled" answering="$prefix/drives/answering"
export WINEPREFIX="$prefix"
trap 'mv_stalled_fs_end "$stalled"; MV_STALLED_PID=$answering_pid mv_stalled_fs_end "$answering"; mv_kill_prefix "$prefix"' EXIT
# F: is the same network drive answering at once: the yardstick that tells
# the stall's own cost from that of checking a second drive at all.
mv_stalled_fs "$answering" 0 inspection_bench reads
answering_pid=$MV_STALLED_PID
mv_stalled_fs "$stalled" "${STALL:-2}" inspection_bench reads
mv_map_drive "$prefix" d network "$stalled"
mv_map_drive "$prefix" f network "$answering"
mv_map_drive "$prefix" e floppy
mkdir -p "$prefix/drive_c/bench"
cp "$build/bench/inspection_bench.exe" "$prefix/drive_c/bench/"
cd "$prefix/drive_c"
wine 'C:\bench\inspection_bench.exe'
