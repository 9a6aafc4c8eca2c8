#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine on a
# virtual X display. Extra arguments go to ctest (for example -R unit_Settings).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
"$src/scripts/setup.sh"
"$src/scripts/build.sh"
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
# Where no 32-bit code runs, the shipped build above only proves that it
# compiles, and the tests run against a 64-bit build of the same sources.
mv_use_runnable_build test
if mv_runs_32bit; then
  echo "test: this machine runs 32-bit code: every test runs the shipped i686 program and packages" \
       "directly, in 64-bit (WoW64) prefixes and, for win32_*, in pure 32-bit ones"
else
  echo "test: this machine runs no 32-bit code: the tests run the x86_64 build, and guest_* the shipped" \
       "i686 program and packages in an emulated guest"
fi
# A whole run there ends with the shipped program in the emulated guest. Its image, when this
# machine has none yet, is mostly downloads and unpacking: make it while the other tests run,
# at the lowest priority, since those tests wait for windows and files with time limits.
if [ $# -eq 0 ] && [ "$build" != "${MERVANE_BUILD:-$src/build}" ]; then
  nice -n 19 ionice -c 3 "$src/scripts/guest-image.sh" > "$build/guest-image.log" 2>&1 &
fi
cd "$build"
# One X server for the whole run; every Wine prefix of the run uses it.
exec xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure "$@"
