#!/usr/bin/env bash
# The packages as the read-me makes them (scripts/package.sh, which builds what
# is not up to date) into MERVANE_DIST, read back without installing them: the
# zip, the shipped 32-bit installer's version, the shipped Windows Installer
# package's tables. Also makes there next.msi, the package of the build that
# runs here (i686 where this machine runs 32-bit code, else x86_64) with the
# fourth part of the version one up, for the update in package_msi_cycle.
# The install cycles themselves are entries of their own (install_cycle.sh).
set -euo pipefail
: "${MERVANE_VERSION:?}" "${MERVANE_BUILD:?}" "${MERVANE_DIST:?}" "${WINE_ROOT:?}" "${MERVANE_SCRIPTS:?}"
# MERVANE_BUILD_X64: the x86_64 tree, on a machine that runs no 32-bit code.

fail() { echo "FAIL: $*" >&2; exit 1; }
SRC=$(cd "$(dirname "$0")/../.." && pwd)
DIST="$MERVANE_DIST"
rm -rf "$DIST"
MERVANE_DIST="$DIST" bash "$MERVANE_SCRIPTS/package.sh" ${MERVANE_BUILD_X64:+--amd64} >"$WINE_ROOT/package.log" 2>&1 ||
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
[ "$zipped" = "Mervane.exe Mervane.ini.example PolicyDefinitions/Mervane.admx PolicyDefinitions/en-US/Mervane.adml Readme.ENU.txt True" ] ||
  fail "the zip holds: $zipped (True: its Mervane.exe is the shipped i686 one)"

# The shipped Windows Installer package, read back: per machine, 32-bit, into
# Program Files (x86) on 64-bit Windows, the upgrade code that never changes,
# the zip's files (the program the shipped one), the Start menu shortcut, the
# actions that end a running Mervane and write the Run value.
MSI="$DIST/Mervane-$MERVANE_VERSION.msi"
table() { msiinfo export "$MSI" "$1" | tr -d '\r' | tail -n +4 | LC_ALL=C sort; }
msiinfo suminfo "$MSI" | grep -qx 'Template: Intel;1033' || fail "$MSI is not a 32-bit package"
table Property | grep -E '^(ALLUSERS|UpgradeCode|ProductVersion|ARPNOMODIFY)'$'\t' > "$WINE_ROOT/msi.property"
[ "$(cat "$WINE_ROOT/msi.property")" = $'ALLUSERS\t1\nARPNOMODIFY\t1\nProductVersion\t'"$MERVANE_VERSION"$'\nUpgradeCode\t{6B2F3C1E-8D4A-4F57-9E0B-3A1C5D7E9F24}' ] ||
  fail "MSI properties: $(cat "$WINE_ROOT/msi.property")"
[ "$(table Upgrade | cut -f1,2,7)" = $'{6B2F3C1E-8D4A-4F57-9E0B-3A1C5D7E9F24}\t0.0.0\tOTHERMERVANE' ] || fail "MSI Upgrade table: $(table Upgrade)"
[ "$(table Directory | grep -P '^INSTALLDIR\t' | cut -f2,3)" = $'ProgramFilesFolder\tMervane' ] || fail "MSI folder: $(table Directory)"
[ "$(table File | cut -f3 | LC_ALL=C sort | tr '\n' ' ')" = "Mervane.exe Mervane.ini.example Readme.ENU.txt " ] || fail "MSI files: $(table File)"
[ "$(table Shortcut | cut -f2,3,5)" = $'ProgramMenuFolder\tMervane\t[INSTALLDIR]Mervane.exe' ] || fail "MSI shortcut: $(table Shortcut)"
[ "$(table CustomAction | grep -P '^EndMervane\t' | cut -f3,4)" = $'MervaneExe\t/close' ] || fail "MSI: no action that ends Mervane"
table CustomAction | grep -qF 'add HKLM\Software\Microsoft\Windows\CurrentVersion\Run /v Mervane /d "\"[INSTALLDIR]Mervane.exe\"" /f /reg:64' ||
  fail "MSI: no action that writes the Run value in the 64-bit view"
unpacked="$WINE_ROOT/msi-files"
rm -rf "$unpacked" && mkdir -p "$unpacked"
(cd "$unpacked" && msiextract "$MSI" >/dev/null) || fail "cannot unpack $MSI"
cmp -s "$(find "$unpacked" -name Mervane.exe)" "$MERVANE_BUILD/Mervane.exe" || fail "the MSI's Mervane.exe is not the shipped one"

# The package of a later build, for the update: of the runnable build, as the cycles install it.
next=${MERVANE_VERSION%.*}.$((${MERVANE_VERSION##*.} + 1))
mkdir -p "$DIST/next"
if [ -n "${MERVANE_BUILD_X64:-}" ]; then
  cp "$MERVANE_BUILD_X64/Mervane.exe" "$DIST/next/"
  set -- -a x64 -D ProgramFiles=ProgramFiles64Folder -D SystemFolder=System64Folder -D Win64=yes
else
  cp "$MERVANE_BUILD/Mervane.exe" "$DIST/next/"
  set -- -D ProgramFiles=ProgramFilesFolder -D SystemFolder=SystemFolder -D Win64=no
fi
cp "$SRC/res/Readme.ENU.txt" "$SRC/packaging/Mervane.ini.example" "$DIST/next/"
(cd "$DIST/next" && wixl "$@" -D "Version=$next" -o ../next.msi "$SRC/packaging/Mervane.wxs") ||
  fail "wixl could not build the next package"
rm -rf "$DIST/next"
echo "package_contents: OK"
