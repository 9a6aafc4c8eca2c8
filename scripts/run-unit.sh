#!/usr/bin/env bash
# Runs one Windows test program under Wine in a prefix of its own, with
# drives E: removable, F: CD-ROM, G: remote, H: RAM disk, I: fixed and K:
# removable mapped to folders inside the prefix.
# usage: run-unit.sh WINE_ROOT NAME PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/winelib.sh"
root=$1 name=$2 exe=$3
shift 3
mv_template "$root/template"
prefix="$root/unit-$name"
mv_new_prefix "$root/template" "$prefix"
mv_map_drive "$prefix" e floppy
mv_map_drive "$prefix" f cdrom
mv_map_drive "$prefix" g network
mv_map_drive "$prefix" h ramdisk
mv_map_drive "$prefix" i hd
# K: a crafted stick: a folder link j and a file link Autorun.dat into C:\victim, which the
# protection must never reach through them (only this prefix's own folders are linked).
mv_map_drive "$prefix" k floppy
mkdir -p "$prefix/drive_c/victim"
ln -sfn "$prefix/drive_c/victim" "$prefix/drives/k/j"
ln -sfn "$prefix/drive_c/victim/data.txt" "$prefix/drives/k/Autorun.dat"
mkdir -p "$prefix/drive_c/tests"
cp "$exe" "$prefix/drive_c/tests/"
# MERVANE_UNIT_FILES: further files the tests read there, separated by blanks.
for f in ${MERVANE_UNIT_FILES:-}; do cp "$f" "$prefix/drive_c/tests/"; done
export WINEPREFIX="$prefix"
trap 'mv_kill_prefix "$prefix"' EXIT
status=0
wine "C:\\tests\\$(basename "$exe")" "$@" || status=$?
exit $status
