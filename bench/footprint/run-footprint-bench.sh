#!/usr/bin/env bash
# Resident footprint of Mervane after start-up against a minimal Win32 program
# (one window, a message loop), both measured the same way under Wine by the
# end-to-end driver: working set, private bytes and handle count right after
# start, and CPU time used over 10 idle seconds.
# usage: bench/footprint/run-footprint-bench.sh   (after scripts/build.sh)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
"$src/scripts/build.sh" --target Mervane mvdriver minimal_window >/dev/null

root="$build/wine"
prefix="$root/bench-footprint"
mv_template "$root/template"
mv_new_prefix "$root/template" "$prefix"
mv_map_drive "$prefix" e floppy
export WINEPREFIX="$prefix"
mkdir -p "$prefix/drive_c/Mervane" "$prefix/drive_c/tools"
cp "$build/Mervane.exe" "$prefix/drive_c/Mervane/"
cp "$build/bench/footprint/minimal_window.exe" "$build/tests/mvdriver.exe" "$prefix/drive_c/tools/"
cd "$prefix/drive_c"

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 130 160); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  sleep 1
fi
trap 'mv_kill_prefix "$prefix"; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

drv() { wine 'C:\tools\mvdriver.exe' "$@"; }

# measure NAME CLASS CAPTION COMMAND...: prints one table row.
measure() {
  local name=$1 cls=$2 caption=$3; shift 3
  "$@" &
  local pid=$!
  drv wait "$cls" "$caption" 30000 >/dev/null || { echo "$name did not start" >&2; return 1; }
  sleep 3 # start-up settles
  read -r ws0 priv0 handles0 cpu0 < <(drv memory "$cls" "$caption")
  sleep 10
  read -r ws1 priv1 handles1 cpu1 < <(drv memory "$cls" "$caption")
  drv post "$cls" "$caption" 1025 || true
  wait "$pid" 2>/dev/null || true
  printf '| %-16s | %10d | %13d | %7d | %16d |\n' "$name" "$((ws1 / 1024))" "$((priv1 / 1024))" "$handles1" \
    "$((cpu1 - cpu0))"
}

echo "| program          | working set KiB | private KiB | handles | idle CPU ms / 10 s |"
echo "|------------------|----------------:|------------:|--------:|-------------------:|"
measure "minimal window" MinimalWindow "Minimal window" wine 'C:\tools\minimal_window.exe'
measure "Mervane" TForm1 "OSTREL(R) Mervane 1.0.0.14" wine 'C:\Mervane\Mervane.exe'
echo "(Wine 8 reports 0 private bytes and 0 handles for every process; compare working sets there.)"
