#!/usr/bin/env bash
# Installs what is missing, builds, and starts Mervane under Wine, in the
# project's own prefix (build/run-prefix, never ~/.wine) inside a Wine desktop
# window so that its windows and tray icon can be seen. The prefix maps no
# drive to the host's root: C: is the prefix's own folder. Without a display,
# a virtual one is started and its number printed (for screenshots:
# import -display :N -window root shot.png).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
"$src/scripts/setup.sh"
"$src/scripts/build.sh" --target Mervane
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
mv_use_runnable_build run --target Mervane

export WINEPREFIX="$build/run-prefix"
if [ ! -f "$WINEPREFIX/.mervane-template" ]; then
  mv_template "$build/wine/template"
  mv_new_prefix "$build/wine/template" "$WINEPREFIX"
fi
rm -f "$WINEPREFIX/dosdevices/z:"
mkdir -p "$WINEPREFIX/drive_c/Mervane"
cp "$build/Mervane.exe" "$WINEPREFIX/drive_c/Mervane/"
[ -f "$src/res/Readme.ENU.txt" ] && cp "$src/res/Readme.ENU.txt" "$WINEPREFIX/drive_c/Mervane/"

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null; kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=":$n"
  sleep 1
  echo "Mervane runs on the virtual display :$n (stop it with Ctrl+C)"
fi
cd "$WINEPREFIX/drive_c/Mervane"
wine explorer /desktop=Mervane,1024x768 'C:\Mervane\Mervane.exe'
