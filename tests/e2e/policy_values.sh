#!/usr/bin/env bash
# Group Policy values under SOFTWARE\Policies: the machine's lock, Behaviour,
# quarantine switch, accepted files, repair and vaccine switches win over the common file (and the
# machine's Behaviour over the user key's); then values of the wrong type or
# text are each logged once and ignored, and the drive is still cleaned with
# a copy kept.
. "$(dirname "$0")/lib.sh"

MACHINE='HKLM\SOFTWARE\Policies\Ostrel Software\Mervane'
USERKEY='HKCU\SOFTWARE\Policies\Ostrel Software\Mervane'
# policy KEY NAME TYPE DATA
policy() { winreg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null || fail "reg add $1 $2 failed"; }

mv_map_drive "$PREFIX" e floppy
mv_map_drive "$PREFIX" g floppy
E="$PREFIX/drives/e" G="$PREFIX/drives/g" Q="$USERDIR/Quarantine"
printf '[autorun]\r\nopen=company.exe\r\n' > "$E/Autorun.inf"
printf '[autorun]\r\nopen=evil.exe\r\n' > "$G/Autorun.inf"
crlf '[General]' 'Locked=0' 'Quarantine=1' 'Behaviour=00000000000000000000' \
  'ARNames=Other<<R2>><<N2>>' 'ARBodies=x<<R>><<N>><<R2>><<N2>>' > "$APPDIR/Mervane.ini"
mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' 'Behaviour=11111111111111111111' > "$USERDIR/Mervane.ini"
# The lock as the template's check boxes write it, plus a Locked value: 7.
policy "$MACHINE" Locked REG_DWORD 1
policy "$MACHINE" LockQuit REG_DWORD 1
policy "$MACHINE" LockExceptions REG_DWORD 1
policy "$MACHINE" NoTrayIcon REG_DWORD 0
policy "$MACHINE" Quarantine REG_DWORD 0
policy "$MACHINE" Behaviour REG_SZ 01000111000000000000
policy "$USERKEY" Behaviour REG_SZ 11111111111111111111
policy "$USERKEY" RepairShortcuts REG_SZ 10000
policy "$MACHINE" Vaccinate REG_SZ 10000
policy "$MACHINE" ARNames REG_SZ 'Company disc<<R2>><<N2>>'
policy "$MACHINE" ARBodies REG_SZ '[autorun]<<R>><<N>>open=company.exe<<R>><<N>><<R2>><<N2>>'

note "policy values in force"
start_mervane
text=$(driver box "$PRODUCT" 20000) || fail "no warning box for G:"
case $text in *'G:\Autorun.inf file was deleted'*) ;; *) fail "the box for G: reads: $text" ;; esac
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
wait_main_window
driver nobox "$PRODUCT" 1500 || fail "a second warning box appeared"
[ -f "$E/Autorun.inf" ] || fail "the policy's accepted file on E: was deleted"
[ ! -e "$G/Autorun.inf" ] || fail "G: not cleaned"
[ ! -e "$Q" ] || [ -z "$(ls -A "$Q")" ] || fail "a copy was kept although the policy turns the quarantine off"
# LockSettings: the user's RunMinimized=0 is not read.
[ "$(driver visible TForm1 "$TITLE")" = "0" ] || fail "window shown although the settings are locked"
driver send TForm1 "$TITLE" 273 200 0 >/dev/null
for control in Quit Exceptions "Inform user"; do
  [ "$(driver enabled TForm1 "$TITLE" "$control")" = "0" ] || fail "$control is enabled"
done
# CD-ROM is selected: the machine's Behaviour, not the common file's or the
# user key's; the user key's repair switches, there being no machine's; the machine's vaccine switches.
flags=$(box_states "Remove items from context menu" "Inform user" "Delete Autorun.inf" "Delete Autorun.*" \
  "Repair shortcut-worm damage" "Vaccinate")
[ "$flags" = "010011/000000" ] || fail "CD-ROM flags: $flags"
quit_mervane
e_entry=$(entry 'E:\Autorun.inf file listed in exceptions under name "Company disc" found'; printf x)
g_entry=$(entry 'Attention!' 'There is Autorun.inf file in G:\!' 'It may be hidden but it is there' \
  "Please check it's content - this can be a virus" '' 'G:\Autorun.inf file was deleted' '' \
  'All Autorun.* files were deleted:'; printf x)
expect_log "$USERDIR/Mervane.log" "${e_entry%x}${g_entry%x}" "${g_entry%x}${e_entry%x}"
# Locked: Behaviour and RunMinimized stay as the user had them.
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'Behaviour=11111111111111111111' \
  'FirstRun=0' 'ARNames=' 'ARBodies=')"

note "values of the wrong type or text"
winreg delete "$MACHINE" /f >/dev/null || fail "could not delete the machine's policy key"
winreg delete "$USERKEY" /f >/dev/null || fail "could not delete the user's policy key"
rm "$APPDIR/Mervane.ini" "$USERDIR/Mervane.log"
reg_add "$MOUNTPOINTS\\$(volume_id 'E:\')" BaseClass Drive
policy "$MACHINE" Behaviour REG_SZ 1111
policy "$MACHINE" Quarantine REG_SZ 0
policy "$MACHINE" Locked REG_SZ 7
start_mervane
driver box "$PRODUCT" 20000 >/dev/null || fail "no warning box for E:"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box for E:"
wait_main_window
[ ! -e "$E/Autorun.inf" ] || fail "E: not cleaned"
[ "$(driver enabled TForm1 "$TITLE" Quit)" = "1" ] || fail "Quit is disabled by a Locked of the wrong type"
kept=$(cd "$Q" && ls -d 20[0-9][0-9]-*' E') || fail "no copy kept of E:'s file"
cmp -s "$Q/$kept/Autorun.inf.quarantined" <(printf '[autorun]\r\nopen=company.exe\r\n') ||
  fail "the copy of E:'s file differs"
quit_mervane
key='HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Ostrel Software\Mervane'
expect_log "$USERDIR/Mervane.log" "$(entry "Policy value Locked in $key is not a REG_DWORD and was ignored"
  entry "Policy value Quarantine in $key is not a REG_DWORD and was ignored"
  entry "Policy value Behaviour in $key is not valid and was ignored"
  entry 'Attention!' 'There is Autorun.inf file in E:\!' 'It may be hidden but it is there' \
    "Please check it's content - this can be a virus" '' 'Menu items were removed' '' \
    'E:\Autorun.inf file was deleted' '' 'All Autorun.* files were deleted:')"
echo "policy values: ok"
