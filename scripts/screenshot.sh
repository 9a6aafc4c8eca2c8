#!/usr/bin/env bash
# Takes a picture of Mervane's main window: builds, starts the program with its
# window shown in a throwaway Wine prefix (no drive on the host's root) inside
# a Wine desktop (800x600 at 96 dpi) on a virtual display of its own, and writes the
# picture, cut to the main window, to OUTPUT (default docs/main-window.png,
# or docs/main-window-Ndpi.png). With --desktop the whole Wine desktop is
# kept; with --dpi N the text size is N dots per inch (96, 120, 144, 192) and
# the desktop grows with it.
#
#   scripts/screenshot.sh [--desktop] [--dpi N] [OUTPUT]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
whole=0 dpi=96
while [ $# -gt 0 ]; do
  case $1 in
    --desktop) whole=1; shift ;;
    --dpi) dpi=${2:?--dpi needs a number}; shift 2 ;;
    *) break ;;
  esac
done
[[ $dpi =~ ^[0-9]+$ ]] && [ "$dpi" -ge 96 ] || { echo "screenshot: --dpi takes 96 or more" >&2; exit 2; }
default=$src/docs/main-window.png
[ "$dpi" = 96 ] || default=$src/docs/main-window-${dpi}dpi.png
out=${1:-$default}
size="$((800 * dpi / 96))x$((600 * dpi / 96))"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

"$src/scripts/setup.sh"
if ! dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q 'install ok installed'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "screenshot: installing imagemagick"
  apt_install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq imagemagick >/tmp/mervane-setup.log 2>&1; }
  if ! apt_install; then
    $SUDO apt-get update -qq || true
    apt_install || { cat /tmp/mervane-setup.log >&2; echo "screenshot: installing imagemagick failed" >&2; exit 1; }
  fi
fi

"$src/scripts/build.sh" --target Mervane mvdriver
build=${MERVANE_BUILD:-$src/build}
. "$src/scripts/winelib.sh"
mv_use_runnable_build screenshot --target Mervane mvdriver

prefix="$build/screenshot-prefix"
xvfb_pid=""
cleanup() {
  mv_kill_prefix "$prefix"
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
mv_template "$build/wine/template"
mv_new_prefix "$build/wine/template" "$prefix"
export WINEPREFIX="$prefix"
mkdir -p "$prefix/drive_c/Mervane" "$prefix/drive_c/tools"
cp "$build/Mervane.exe" "$prefix/drive_c/Mervane/"
cp "$build/tests/mvdriver.exe" "$prefix/drive_c/tools/"
userdir="$prefix/drive_c/users/$(id -un)/AppData/Roaming/Ostrel Software/Mervane"
mkdir -p "$userdir"
printf '[General]\r\nRunMinimized=0\r\n' > "$userdir/Mervane.ini"

# The display is exactly as large as the Wine desktop, so the window's place
# on the desktop is its place in the picture.
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$n" ] || { echo "screenshot: Xvfb did not start on :$n" >&2; exit 1; }

# Every program of the prefix, the driver included, shares the one desktop;
# otherwise the driver could not see the window. The text size is read as
# each program starts.
cd "$prefix/drive_c"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Mervane"\r\n\r\n' > desktop.reg
printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Mervane"="%s"\r\n\r\n' "$size" >> desktop.reg
printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$dpi" >> desktop.reg
wine regedit /S 'C:\desktop.reg'
wineserver -w

(cd "$prefix/drive_c/Mervane" && exec wine explorer "/desktop=Mervane,$size" 'C:\Mervane\Mervane.exe') \
  >/dev/null 2>&1 &
driver() { wine 'C:\tools\mvdriver.exe' "$@"; }
shown=0
for _ in $(seq 150); do
  if [ "$(driver visible TForm1 - 2>/dev/null)" = "1" ]; then shown=1; break; fi
  sleep 0.2
done
[ "$shown" = 1 ] || { echo "screenshot: the main window did not show" >&2; exit 1; }
# Time to paint, and for the tray icon and the taskbar to come up.
sleep 2

mkdir -p "$(dirname "$out")"
crop=()
if [ "$whole" = 0 ]; then
  read -r x y w h < <(driver place TForm1 -) || { echo "screenshot: no place for the main window" >&2; exit 1; }
  crop=(-crop "${w}x${h}+${x}+${y}" +repage)
fi
import -window root "${crop[@]}" "$out"
echo "screenshot: $out"
