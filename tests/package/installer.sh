#!/usr/bin/env bash
# The packages as the read-me makes them (scripts/package.sh, which builds what
# is not up to date): the zip and the shipped 32-bit installer checked here,
# the x86_64 installer run through a whole install and removal. The 32-bit one
# runs in the emulated guest (guest_install_cycle).
set -euo pipefail
: "${MERVANE_VERSION:?}" "${MERVANE_BUILD:?}" "${MERVANE_BUILD_X64:?}" "${MVDRIVER_EXE:?}" "${WINE_ROOT:?}" "${MERVANE_SCRIPTS:?}"
. "$MERVANE_SCRIPTS/winelib.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
DIST="$WINE_ROOT/package-dist"
rm -rf "$DIST"
MERVANE_DIST="$DIST" bash "$MERVANE_SCRIPTS/package.sh" --amd64 >"$WINE_ROOT/package.log" 2>&1 ||
  { cat "$WINE_ROOT/package.log" >&2; fail "package.sh failed"; }

# The shipped installer: a 32-bit PE with the program's version.
SETUP32="$DIST/Mervane-$MERVANE_VERSION-setup.exe"
[ -f "$SETUP32" ] || fail "no $SETUP32"
i686-w64-mingw32-objdump -f "$SETUP32" | grep -q 'file format pei-i386' || fail "$SETUP32 is not a PE32"
res=$(mktemp)
trap 'rm -f "$res"' EXIT
i686-w64-mingw32-windres -J coff -i "$SETUP32" -O res -o "$res" || fail "cannot read the resources of $SETUP32"
version=$(python3 - "$res" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = data.find(struct.pack('<I', 0xFEEF04BD))
if at >= 0:
    ms, ls = struct.unpack_from('<II', data, at + 8)
    print(f'{ms >> 16}.{ms & 0xffff}.{ls >> 16}.{ls & 0xffff}')
PY
)
[ "$version" = "$MERVANE_VERSION" ] || fail "$SETUP32 has version '$version', not $MERVANE_VERSION"

# The zip's names, sorted, then whether its Mervane.exe is the shipped program.
zipped=$(python3 - "$DIST/Mervane-$MERVANE_VERSION.zip" "$MERVANE_BUILD/Mervane.exe" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
print(' '.join(sorted(z.namelist())), z.read('Mervane.exe') == open(sys.argv[2], 'rb').read())
PY
) || fail "cannot read the zip"
[ "$zipped" = "Mervane.exe Mervane.ini.example Readme.ENU.txt True" ] ||
  fail "the zip holds: $zipped (True: its Mervane.exe is the shipped i686 one)"

# The x86_64 installer, installed, run and removed.
SETUP="$DIST/Mervane-$MERVANE_VERSION-amd64-setup.exe" SETUP_EXE="$MERVANE_BUILD_X64/Mervane.exe" \
  PROGRAM_DIR='Program Files\Mervane' VIEW=64 \
  bash "$(dirname "$0")/install_cycle.sh"
echo "package_installer: OK"
