#!/usr/bin/env bash
# One installer run silently in a fresh prefix as an administrator would: the
# install (files, shortcut, uninstall entry, the machine Run value), the
# installed program started, then the silent uninstall, which ends it and
# leaves the user's settings. The event source is registered with the install and
# gone after the removal.
#   SETUP        the installer to run
#   SETUP_EXE    the Mervane.exe it must install
#   PROGRAM_DIR  where it must install, below C:\ ("Program Files\Mervane")
#   VIEW         32 or 64: the registry view the installer writes its
#                uninstall entry to, its own width
#   MERVANE_WINEARCH=win32  on 32-bit Windows (a pure 32-bit prefix)
# A Windows Installer package (SETUP *.msi) goes through msiexec /qn instead,
# and NEXT_SETUP, when given, the same package of a later build, is installed
# over it first: it must replace it and leave the Run value; the package
# installed last is then removed. PRODUCT_CODE spares a machine without
# msitools the look into the package.
# The Run value is looked for in both views: on 64-bit Windows it belongs in
# the 64-bit one, where the program itself reads and writes it.
set -euo pipefail
: "${MERVANE_VERSION:?}" "${SETUP:?}" "${SETUP_EXE:?}" "${PROGRAM_DIR:?}" "${VIEW:?}"
: "${MVDRIVER_EXE:?}" "${WINE_ROOT:?}" "${MERVANE_SCRIPTS:?}"
. "$MERVANE_SCRIPTS/winelib.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
PREFIX="$WINE_ROOT/cycle-${MERVANE_WINEARCH:+$MERVANE_WINEARCH-}$(basename "$SETUP")"
TEMPLATE=$(mv_run_template "$WINE_ROOT")
mv_new_prefix "$TEMPLATE" "$PREFIX"
export WINEPREFIX="$PREFIX"
trap 'mv_kill_prefix "$PREFIX"' EXIT
cd "$PREFIX/drive_c"
case $SETUP in *.msi) MSI=1 ;; *) MSI=0 ;; esac
cp "$SETUP" "setup.${SETUP##*.}"
mkdir -p tools && cp "$MVDRIVER_EXE" tools/mvdriver.exe
driver() { wine 'C:\tools\mvdriver.exe' "$@"; }
# reg_value KEY NAME [VIEW]: the data of a value in the registry view VIEW (default: the installer's).
reg_value() {
  wine reg query "$1" /v "$2" "/reg:${3:-$VIEW}" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
wait_gone() { local i; for ((i = 0; i < 200 * ${MERVANE_SLOW:-1}; i++)); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }

INSTDIR="$PREFIX/drive_c/${PROGRAM_DIR//\\//}"
WININST="C:\\$PROGRAM_DIR"
LINK="$PREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Mervane.lnk"
ENTRIES='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
RUN='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
EVENT_SOURCE='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Mervane'
product_code() {
  if [ -n "${PRODUCT_CODE:-}" ]; then echo "$PRODUCT_CODE"; return; fi
  msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'
}
# installed SETUP VERSION: what the install leaves, with the uninstall entry of that version.
installed() {
  cmp -s "$INSTDIR/Mervane.exe" "$SETUP_EXE" || fail "Mervane.exe not installed in $WININST"
  for f in Readme.ENU.txt Mervane.ini.example $([ "$MSI" = 1 ] || echo Uninstall.exe); do
    [ -f "$INSTDIR/$f" ] || fail "$f not installed"
  done
  [ "$(reg_value "$UNINSTALL" DisplayName)" = "OSTREL(R) Mervane" ] || fail "uninstall entry: DisplayName"
  [ "$(reg_value "$UNINSTALL" Publisher)" = "Ostrel Software" ] || fail "uninstall entry: Publisher"
  [ "$(reg_value "$UNINSTALL" DisplayVersion)" = "$2" ] || fail "uninstall entry: DisplayVersion"
  # SYSTEM is not redirected: the 32-bit installer's values are the ones 64-bit Windows reads.
  local source
  source=$(for v in EventMessageFile CategoryMessageFile CategoryCount TypesSupported; do reg_value "$EVENT_SOURCE" $v 64; done)
  [ "$source" = "$WININST\Mervane.exe
$WININST\Mervane.exe
0x7
0x7" ] || fail "event source: $source"
  if [ "$MSI" = 1 ]; then
    # Wine 8's msiexec resolves ProgramMenuFolder to the user's Start menu even
    # for a per-machine package, which Windows puts into the common one.
    [ -f "$LINK" ] || [ -f "$PREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Mervane.lnk" ] ||
      fail "no Start menu shortcut"
    [ "$(reg_value "$UNINSTALL" UninstallString)" = "MsiExec.exe /X$(product_code "$1")" ] || fail "uninstall entry: UninstallString"
  else
    [ -f "$LINK" ] || fail "no Start menu shortcut"
    [ "$(reg_value "$UNINSTALL" UninstallString)" = "\"$WININST\\Uninstall.exe\"" ] || fail "uninstall entry: UninstallString"
    size=$(reg_value "$UNINSTALL" EstimatedSize)
    [ "$((size))" -gt 0 ] || fail "uninstall entry: EstimatedSize '$size'"
  fi
}
if [ "$MSI" = 1 ]; then
  UNINSTALL="$ENTRIES\\$(product_code "$SETUP")"
  wine msiexec /i 'C:\setup.msi' /qn AUTOSTART=1 || fail "the silent install failed"
  wineserver -w
  installed "$SETUP" "$MERVANE_VERSION"
  INSTALLED='C:\setup.msi'
  if [ -n "${NEXT_SETUP:-}" ]; then
    cp "$NEXT_SETUP" next.msi
    # With AUTOSTART=1 again: Wine 8 removes the older package without
    # UPGRADINGPRODUCTCODE, so its removal deletes the Run value, which Windows keeps.
    wine msiexec /i 'C:\next.msi' /qn AUTOSTART=1 || fail "the silent update failed"
    wineserver -w
    wine reg query "$UNINSTALL" "/reg:$VIEW" >/dev/null 2>&1 && fail "the update left the older package installed"
    UNINSTALL="$ENTRIES\\$(product_code "$NEXT_SETUP")"
    installed "$NEXT_SETUP" "$NEXT_VERSION"
    INSTALLED='C:\next.msi'
  fi
else
  UNINSTALL="$ENTRIES\\Mervane"
  wine 'C:\setup.exe' /S /AUTOSTART=1 || fail "the silent install failed"
  wineserver -w
  installed "$SETUP" "$MERVANE_VERSION"
fi
[ "$(reg_value "$RUN" Mervane 64)" = "\"$WININST\\Mervane.exe\"" ] ||
  fail "Run value in the 64-bit view: '$(reg_value "$RUN" Mervane 64)'; in the 32-bit view: '$(reg_value "$RUN" Mervane 32)'"
# 32-bit Windows has one view, which both names reach.
[ "$VIEW" = 64 ] || [ "${MERVANE_WINEARCH:-}" = win32 ] || [ -z "$(reg_value "$RUN" Mervane 32)" ] ||
  fail "a Run value in the 32-bit view, which the program never reads"

# A user's settings stay when the program goes.
USERDIR="$PREFIX/drive_c/users/$(id -un)/AppData/Roaming/Ostrel Software/Mervane"
mkdir -p "$USERDIR"
printf '[General]\r\nRunMinimized=1\r\n' > "$USERDIR/Mervane.ini"

# The installed program runs; the uninstaller ends it with WM_USER + 1.
(cd "$INSTDIR" && exec wine "$WININST\\Mervane.exe") &
pid=$!
driver wait TForm1 "OSTREL(R) Mervane $MERVANE_VERSION" 20000 >/dev/null || fail "the installed program shows no main window"
if [ "$MSI" = 1 ]; then
  wine msiexec /x "$INSTALLED" /qn || fail "the silent removal failed"
else
  wine "$WININST\\Uninstall.exe" /S || fail "the silent uninstall failed"
fi
wait_gone "$pid" || fail "the uninstaller did not end the running program"
wait "$pid" || true
# The uninstaller runs on as a copy of itself in the temporary folder.
wineserver -w
[ ! -e "$INSTDIR" ] || fail "left behind: $(ls "$INSTDIR")"
[ ! -e "$LINK" ] || fail "the shortcut was not removed"
wine reg query "$UNINSTALL" "/reg:$VIEW" >/dev/null 2>&1 && fail "the uninstall entry was not removed"
[ -z "$(reg_value "$RUN" Mervane 64)" ] || fail "the Run value was not removed"
for view in 64 32; do
  wine reg query "$EVENT_SOURCE" "/reg:$view" >/dev/null 2>&1 && fail "the event source was not removed (view $view)"
done
[ -f "$USERDIR/Mervane.ini" ] || fail "the user's settings were removed"
echo "install cycle of $(basename "$SETUP"): ok"
