#!/usr/bin/env bash
# Resident footprint of Mervane after start-up against a minimal Win32 program
# (one window, a message loop), both measured the same way under Wine by the
# end-to-end driver: working set, private bytes, committed private pages
# (VirtualQueryEx) and handle count after start-up, and the host's count of
# CPU time used over 10 idle seconds.
# usage: bench/footprint/run-footprint-bench.sh   (after scripts/build.sh)
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
"$src/scripts/build.sh" --target Mervane mvdriver minimal_window >/dev/null
mv_use_runnable_build bench --target Mervane mvdriver minimal_window >/dev/null

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

mv_display
trap 'mv_kill_prefix "$prefix"; [ -z "$MV_XVFB_PID" ] || kill "$MV_XVFB_PID"' EXIT

drv() { wine 'C:\tools\mvdriver.exe' "$@"; }

# host_cpu_ms PATTERN: user + system CPU time of the host process whose command line matches PATTERN.
# Wine's GetProcessTimes sums only the threads still alive, so it can even go down; the host counts all.
host_cpu_ms() {
  local pid ticks
  pid=$(pgrep -f -n "$1") || { echo 0; return; }
  ticks=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat")
  echo $((ticks * 1000 / $(getconf CLK_TCK)))
}

# measure NAME CLASS CAPTION PATTERN COMMAND...: prints one table row.
measure() {
  local name=$1 cls=$2 caption=$3 pattern=$4 cpu0 cpu1; shift 4
  "$@" &
  local pid=$!
  drv wait "$cls" "$caption" 30000 >/dev/null || { echo "$name did not start" >&2; return 1; }
  sleep 3 # start-up settles
  cpu0=$(host_cpu_ms "$pattern")
  sleep 10
  cpu1=$(host_cpu_ms "$pattern")
  read -r ws priv handles committed < <(drv memory "$cls" "$caption")
  drv post "$cls" "$caption" 1025 || true
  wait "$pid" 2>/dev/null || true
  printf '| %-16s | %15d | %11d | %21d | %7d | %18d |\n' "$name" "$((ws / 1024))" "$((priv / 1024))" \
    "$((committed / 1024))" "$handles" "$((cpu1 - cpu0))"
  last_committed=$committed
}

echo "| program          | working set KiB | private KiB | committed private KiB | handles | idle CPU ms / 10 s |"
echo "|------------------|----------------:|------------:|----------------------:|--------:|-------------------:|"
measure "minimal window" MinimalWindow "Minimal window" '^C:.tools.minimal_window\.exe$' wine 'C:\tools\minimal_window.exe'
minimal_committed=$last_committed
measure "minimal + thread" MinimalWindow "Minimal window" '^C:.tools.minimal_window\.exe thread' \
  wine 'C:\tools\minimal_window.exe' thread
threaded_committed=$last_committed
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
measure "Mervane" TForm1 "OSTREL(R) Mervane $version" '^C:.Mervane.Mervane\.exe' wine 'C:\Mervane\Mervane.exe'
awk -v m="$minimal_committed" -v t="$threaded_committed" -v r="$last_committed" 'BEGIN {
  printf "committed private, Mervane / minimal: %.2f\n", r / m
  printf "committed private, Mervane / minimal that ran a thread: %.2f (goal: at most 1.30)\n", r / t }'
echo "(Two yardsticks: the drive workers are threads, and Wine keeps the stacks of the last thread that"
echo " ended committed, 2 MiB that Windows frees; the second yardstick has paid that too. Wine 8 reports"
echo " 0 private bytes and 0 handles for every process; the committed private pages, counted with"
echo " VirtualQueryEx, stand in for private bytes there.)"
