#!/usr/bin/env bash
# The packages: the x86_64 installer run silently in a fresh prefix (install,
# the installed program, uninstall), and the shipped 32-bit installer and the
# zip checked without running them.
set -euo pipefail
: "${MERVANE_VERSION:?}" "${MERVANE_BUILD:?}" "${MERVANE_BUILD_X64:?}" "${MVDRIVER_EXE:?}" "${WINE_ROOT:?}" "${MERVANE_SCRIPTS:?}"
. "$MERVANE_SCRIPTS/winelib.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
DIST="$WINE_ROOT/package-dist"
rm -rf "$DIST"
MERVANE_DIST="$DIST" bash "$MERVANE_SCRIPTS/package.sh" --no-build --amd64 >/dev/null || fail "package.sh failed"

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

# The x86_64 installer in a fresh prefix.
PREFIX="$WINE_ROOT/package-installer"
mv_template "$WINE_ROOT/template"
mv_new_prefix "$WINE_ROOT/template" "$PREFIX"
export WINEPREFIX="$PREFIX"
trap 'rm -f "$res"; mv_kill_prefix "$PREFIX"' EXIT
cd "$PREFIX/drive_c"
cp "$DIST/Mervane-$MERVANE_VERSION-amd64-setup.exe" setup.exe
mkdir -p tools && cp "$MVDRIVER_EXE" tools/mvdriver.exe
driver() { wine 'C:\tools\mvdriver.exe' "$@"; }
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

wine 'C:\setup.exe' /S /AUTOSTART=1 || fail "the silent install failed"
wineserver -w
INSTDIR="$PREFIX/drive_c/Program Files/Mervane"
WININST='C:\Program Files\Mervane'
LINK="$PREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Mervane.lnk"
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mervane'
RUN='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
cmp -s "$INSTDIR/Mervane.exe" "$MERVANE_BUILD_X64/Mervane.exe" || fail "Mervane.exe not installed"
for f in Readme.ENU.txt Mervane.ini.example Uninstall.exe; do
  [ -f "$INSTDIR/$f" ] || fail "$f not installed"
done
[ -f "$LINK" ] || fail "no Start menu shortcut"
[ "$(reg_value "$UNINSTALL" DisplayName)" = "OSTREL(R) Mervane" ] || fail "uninstall entry: DisplayName"
[ "$(reg_value "$UNINSTALL" Publisher)" = "Ostrel Software" ] || fail "uninstall entry: Publisher"
[ "$(reg_value "$UNINSTALL" DisplayVersion)" = "$MERVANE_VERSION" ] || fail "uninstall entry: DisplayVersion"
[ "$(reg_value "$UNINSTALL" UninstallString)" = "\"$WININST\\Uninstall.exe\"" ] || fail "uninstall entry: UninstallString"
size=$(reg_value "$UNINSTALL" EstimatedSize)
[ "$((size))" -gt 0 ] || fail "uninstall entry: EstimatedSize '$size'"
[ "$(reg_value "$RUN" Mervane)" = "\"$WININST\\Mervane.exe\"" ] || fail "Run value: '$(reg_value "$RUN" Mervane)'"

# A user's settings stay when the program goes.
USERDIR="$PREFIX/drive_c/users/$(id -un)/AppData/Roaming/Ostrel Software/Mervane"
mkdir -p "$USERDIR"
printf '[General]\r\nRunMinimized=1\r\n' > "$USERDIR/Mervane.ini"

# The installed program runs; the uninstaller ends it with WM_USER + 1.
(cd "$INSTDIR" && exec wine "$WININST\\Mervane.exe") &
pid=$!
driver wait TForm1 "OSTREL(R) Mervane $MERVANE_VERSION" 20000 >/dev/null || fail "the installed program shows no main window"
wine "$WININST\\Uninstall.exe" /S || fail "the silent uninstall failed"
for ((i = 0; i < 200; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the uninstaller did not end the running program"
wait "$pid" || true
# The uninstaller runs on as a copy of itself in the temporary folder.
wineserver -w
[ ! -e "$INSTDIR" ] || fail "left behind: $(ls "$INSTDIR")"
[ ! -e "$LINK" ] || fail "the shortcut was not removed"
wine reg query "$UNINSTALL" >/dev/null 2>&1 && fail "the uninstall entry was not removed"
[ -z "$(reg_value "$RUN" Mervane)" ] || fail "the Run value was not removed"
[ -f "$USERDIR/Mervane.ini" ] || fail "the user's settings were removed"
echo "package_installer: OK"
