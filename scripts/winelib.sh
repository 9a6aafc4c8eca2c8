# Shared by the run script and the test runners: Wine prefixes made for this
# project only, never ~/.wine, and never with a drive letter on the host's root.
# Source it; it defines functions and sets nothing else but the Wine variables.

export WINEDEBUG=${WINEDEBUG:--all}
# No first-start prompts for the .NET and HTML runtimes; the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Some virtual machines run 64-bit code only: their kernel refuses every 32-bit
# program, Wine's 32-bit loader included. There the tests run a 64-bit build of
# the same sources under Wine's 64-bit loader (see scripts/test.sh).
# MERVANE_NO_32BIT=1 runs a machine that has both as one of the other kind, to try that kind's suite.
mv_runs_32bit() { [ -z "${MERVANE_NO_32BIT:-}" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }
if ! mv_runs_32bit && [ -x /usr/lib/wine/wine64 ]; then
  PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH"
  export PATH
fi

# mv_use_runnable_build WHO [TARGET...]: where this machine runs no 32-bit code,
# points the caller's $build at $build-x64 and builds TARGETs (all by default)
# there for x86_64; elsewhere leaves $build as it is.
mv_use_runnable_build() {
  local who=$1; shift
  mv_runs_32bit && return 0
  echo "$who: this machine cannot run 32-bit programs; using the x86_64 build in $build-x64"
  build="$build-x64"
  MERVANE_BUILD="$build" MERVANE_ARCH=x86_64 MERVANE_SHIPPED_EXE="${build%-x64}/Mervane.exe" \
    "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/build.sh" "$@"
}

# mv_template DIR [ARCH]: a fresh prefix at DIR, made once and kept while Wine stays the same;
# ARCH win32 makes a pure 32-bit one.
mv_template() {
  local dir=$1 arch=${2:-} stamp
  mkdir -p "$(dirname "$dir")"
  stamp="$(wine --version 2>/dev/null) with fonts"
  exec 9>"$dir.lock"
  flock 9
  if [ -f "$dir/.mervane-template" ] && [ "$(cat "$dir/.mervane-template")" = "$stamp" ]; then
    exec 9>&-
    return 0
  fi
  rm -rf "$dir" "$dir.tmp"
  mkdir -p "$(dirname "$dir")"
  WINEPREFIX="$dir.tmp" WINEARCH=${arch:-win64} wine wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX="$dir.tmp" wineserver -w
  [ -f "$dir.tmp/system.reg" ] || { echo "winelib: wineboot made no prefix at $dir.tmp" >&2; return 1; }
  rm -f "$dir.tmp/dosdevices/z:"
  # Wine finds the fonts it ships (Tahoma, and Marlett for the title bar's
  # buttons) only in the prefix's own Fonts folder on these machines.
  cp /usr/share/wine/fonts/*.ttf "$dir.tmp/drive_c/windows/Fonts/" 2>/dev/null || true
  echo "$stamp" > "$dir.tmp/.mervane-template"
  mv "$dir.tmp" "$dir"
  exec 9>&-
}

# mv_run_template ROOT: makes when missing, and prints, the template prefix below ROOT that
# this run's prefixes are copied from: 64-bit (WoW64) as on 64-bit Windows, or with
# MERVANE_WINEARCH=win32 a pure 32-bit one as on 32-bit Windows (no Wow6432Node, one
# registry view), which needs a machine that runs 32-bit code.
mv_run_template() {
  local dir=$1/template${MERVANE_WINEARCH:+-$MERVANE_WINEARCH}
  mv_template "$dir" "${MERVANE_WINEARCH:-}" >&2 && printf '%s' "$dir"
}

# mv_new_prefix TEMPLATE DEST: a copy of the template for one run. The big
# system folders are hard links (Wine replaces files, it does not write into
# them); the registry files are real copies, since they change.
mv_new_prefix() {
  local template=$1 dest=$2 f
  mv_kill_prefix "$dest"
  rm -rf "$dest"
  cp -al "$template" "$dest"
  for f in system.reg user.reg userdef.reg; do
    [ -f "$template/$f" ] && cp --remove-destination "$template/$f" "$dest/$f"
  done
  rm -f "$dest/dosdevices/z:"
  mkdir -p "$dest/drives"
}

# mv_map_drive PREFIX LETTER KIND [FOLDER]: drive LETTER: on FOLDER (default
# PREFIX/drives/LETTER, created), of KIND floppy|hd|network|cdrom|ramdisk.
# Must run before the prefix's wineserver starts: the kinds are read then.
mv_map_drive() {
  local prefix=$1 letter=$2 kind=$3 folder=${4:-}
  if [ -z "$folder" ]; then
    folder="$prefix/drives/$letter"
    mkdir -p "$folder"
  fi
  case "$(readlink -m "$folder")" in
    /) echo "winelib: refusing to map $letter: to the host's root" >&2; return 1 ;;
  esac
  ln -sfn "$folder" "$prefix/dosdevices/$letter:"
  if ! grep -q '^\[Software\\\\Wine\\\\Drives\]' "$prefix/system.reg"; then
    printf '\n[Software\\\\Wine\\\\Drives] 1700000000\n' >> "$prefix/system.reg"
  fi
  sed -i "/^\[Software\\\\\\\\Wine\\\\\\\\Drives\]/a \"$letter:\"=\"$kind\"" "$prefix/system.reg"
}

# mv_kill_prefix PREFIX: ends every process of the prefix.
mv_kill_prefix() {
  [ -d "$1" ] || return 0
  WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$1" wineserver -w >/dev/null 2>&1 || true
}

# mv_win_path PREFIX UNIXPATH: the Windows path of a file below drive_c.
mv_win_path() {
  local rel=${2#"$1"/drive_c/}
  printf 'C:\\%s' "${rel//\//\\}"
}

# mv_stalled_fs DIR SECONDS [PROGRAM] [reads]: mounts, in the background, a file
# system on DIR (made if missing) on which PROGRAM (default Mervane) waits
# SECONDS for every open and read of a file, or with "reads" for every read
# of a file's data only (tests/e2e/stallfs.py);
# MV_STALLED_PID is its process. Fails when it has not mounted within 10 s.
mv_stalled_fs() {
  local here i
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  mkdir -p "$1"
  /usr/bin/python3 "$here/../tests/e2e/stallfs.py" "$1" "$2" "${3:-Mervane}" ${4:+"$4"} >"$1.log" 2>&1 </dev/null &
  MV_STALLED_PID=$!
  disown "$MV_STALLED_PID" 2>/dev/null || true
  for ((i = 0; i < 100; i++)); do
    mountpoint -q "$1" && return 0
    sleep 0.1
  done
  return 1
}

# mv_stalled_fs_end DIR: unmounts it at once, calls still waiting on it or not.
mv_stalled_fs_end() {
  fusermount3 -uz "$1" 2>/dev/null || true
  [ -z "${MV_STALLED_PID:-}" ] || kill -9 "$MV_STALLED_PID" 2>/dev/null || true
}

# mv_display: a virtual X display when there is none; MV_XVFB_PID is its
# server (empty when DISPLAY was set already).
mv_display() {
  local n
  MV_XVFB_PID=""
  [ -z "${DISPLAY:-}" ] || return 0
  for n in $(seq 130 160); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 >/dev/null 2>&1 &
  MV_XVFB_PID=$!
  export DISPLAY=":$n"
  for ((n = 0; n < 50; n++)); do
    [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && return 0
    sleep 0.1
  done
}
