#!/usr/bin/env bash
# A false alarm undone from the quarantine window: a stick's Autorun.inf,
# deleted at start-up, goes back byte for byte with its attributes and is
# accepted in the same step, so the next start leaves it alone; a copy from a
# drive that is gone asks for a folder; Delete removes a copy.
# A damaged Origin.txt lists what it can. Locked=16 leaves the list only.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

mv_map_drive "$PREFIX" e floppy
E="$PREFIX/drives/e"
Q="$USERDIR/Quarantine"
QW="$PRODUCT. Quarantine"
printf '[autorun]\r\nopen=setup.exe\r\nlabel=My stick\r\n' > "$E/Autorun.inf"
cp "$E/Autorun.inf" "$PREFIX/original.inf"
wine attrib +h 'E:\Autorun.inf' >/dev/null 2>&1 || fail "attrib failed"
old="$Q/2000-01-01 00-00-00 G"
mkdir -p "$old" "$USERDIR"
printf 'MZtool' > "$old/tool.exe.quarantined"
printf 'MZgone' > "$old/gone.exe.quarantined"
{ crlf $'G:\\tool.exe\t6\tA\ttool.exe.quarantined' 'damaged line' $'G:\\x\tmany\tA\tx.quarantined' \
    $'G:\\y\t5\tA\t..\\..\\y.quarantined' $'G:\\gone.exe\t6\tRA\tgone.exe.quarantined'; printf '\x01\xfe\t\t'; } \
  > "$old/Origin.txt"
crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"

start_mervane
driver box "$PRODUCT" 20000 >/dev/null || fail "no warning box for E:"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
wait_main_window
[ ! -e "$E/Autorun.inf" ] || fail "E: not cleaned"
new=$(cd "$Q" && ls -d 20[0-9][0-9]-* | grep -v '^2000-') || fail "no quarantine folder for E:"

driver press TForm1 "$TITLE" "Quarantine..." || fail "could not press Quarantine..."
shown TQuarantineForm "$QW" || fail "the quarantine window is not shown"
when=${new:0:10}\ ${new:11:2}:${new:14:2}:${new:17:2}
expected_items="$when	E: Removable	43 bytes	deleted, copy kept	E:\\Autorun.inf
2000-01-01 00:00:00	G: not present	6 bytes	deleted, copy kept	G:\\tool.exe
2000-01-01 00:00:00	G: not present	6 bytes	deleted, copy kept	G:\\gone.exe"
[ "$(driver items TQuarantineForm "$QW" | tr -d '\r')" = "$expected_items" ] ||
  fail "the list reads: $(driver items TQuarantineForm "$QW")"

# Autorun.inf: the warning, "Yes" to accept, a description, and it is back.
driver select TQuarantineForm "$QW" 0 || fail "could not select Autorun.inf"
driver press TQuarantineForm "$QW" Restore || fail "could not press Restore"
[ "$(driver box "$PRODUCT" 10000)" = "The next inspection of the drive will delete E:\\Autorun.inf again unless it is accepted.${CR}
Accept it as an exception under a description and restore it?${CR}
${CR}
Yes: accept and restore${CR}
No: restore only" ] || fail "the Autorun.inf warning differs"
driver click "$PRODUCT" YES 5000 || fail "could not answer Yes"
describe "My stick"
for ((i = 0; i < 50 * SLOW; i++)); do [ -f "$E/Autorun.inf" ] && break; sleep 0.1; done
cmp -s "$E/Autorun.inf" "$PREFIX/original.inf" || fail "the restored Autorun.inf differs"
[ "$(driver attrs 'E:\Autorun.inf' | tr -d '\r')" = HA ] || fail "attributes: $(driver attrs 'E:\Autorun.inf')"
expect_file "$Q/$new/Origin.txt" "$(crlf $'E:\\Autorun.inf\t43\tHA\tAutorun.inf.quarantined' \
  $'E:\\Autorun.inf\t43\tHA\trestored: Autorun.inf.quarantined')"

# A drive that is gone: the folder dialog; cancelled, nothing is restored.
driver select TQuarantineForm "$QW" 1 || fail "could not select tool.exe"
driver press TQuarantineForm "$QW" Restore || fail "could not press Restore for tool.exe"
driver wait '#32770' - 10000 >/dev/null || fail "no folder dialog"
[ "$(driver text '#32770' - Static 1)" = "G:\\tool.exe cannot go back where it was: the drive is not there or a file of that name is. Choose a folder for it:" ] ||
  fail "the folder dialog's text differs"
driver press '#32770' - Cancel || fail "could not cancel the folder dialog"
driver gone '#32770' - 5000 || fail "the folder dialog stayed"

# Delete: the copy goes, the entry stays and says so.
driver select TQuarantineForm "$QW" 2 || fail "could not select gone.exe"
driver press TQuarantineForm "$QW" Delete || fail "could not press Delete"
[ "$(driver box "$PRODUCT" 10000)" = "Delete 1 copies from the quarantine? They cannot be restored afterwards." ] ||
  fail "no question before Delete"
driver click "$PRODUCT" YES 5000 || fail "could not answer Yes to Delete"
eventually "$when	E: Removable	43 bytes	deleted, restored	E:\\Autorun.inf
2000-01-01 00:00:00	G: not present	6 bytes	deleted, copy kept	G:\\tool.exe
2000-01-01 00:00:00	G: not present	6 bytes	deleted, copy deleted	G:\\gone.exe" "the list after Delete" \
  driver items TQuarantineForm "$QW"
[ ! -e "$old/gone.exe.quarantined" ] && [ -f "$old/tool.exe.quarantined" ] || fail "Delete removed the wrong copies"
{ crlf $'G:\\tool.exe\t6\tA\ttool.exe.quarantined' 'damaged line' $'G:\\x\tmany\tA\tx.quarantined' \
    $'G:\\y\t5\tA\t..\\..\\y.quarantined' $'G:\\gone.exe\t6\tRA\tgone.exe.quarantined'; printf '\x01\xfe\t\t'; } > "$PREFIX/old-origin.txt"
cmp -s "$old/Origin.txt" "$PREFIX/old-origin.txt" || fail "the old cleaning's Origin.txt differs: $(od -c "$old/Origin.txt")"
driver keys TQuarantineForm "$QW" ESC
hidden TQuarantineForm "$QW" || fail "Esc did not close the quarantine window"

expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=My stick<<R2>><<N2>>' \
  'ARBodies=[autorun]<<R>><<N>>open=setup.exe<<R>><<N>>label=My stick<<R>><<N>><<R2>><<N2>>')"
grep -aqF $'\tE:\\Autorun.inf was restored from the quarantine as E:\\Autorun.inf and accepted under the name "My stick"\r' \
  "$USERDIR/Mervane.log" || fail "no log entry for the restored Autorun.inf"
quit_mervane

# The next start inspects E: and leaves the accepted file alone; locked by
# the common file, the window shows the list only.
before=$(ls -R "$Q")
crlf '[General]' 'Locked=16' > "$APPDIR/Mervane.ini"
start_mervane
wait_main_window
driver wait TQuarantineForm "$QW" 20000 >/dev/null || fail "the start-up did not end"
cmp -s "$E/Autorun.inf" "$PREFIX/original.inf" || fail "the accepted Autorun.inf was taken again"
[ "$(ls -R "$Q")" = "$before" ] || fail "the quarantine changed at the second start"
driver post TForm1 "$TITLE" 273 202 0 || fail "could not choose the tray menu's Quarantine..."
shown TQuarantineForm "$QW" || fail "the tray menu item did not show the quarantine window"
[ "$(driver items TQuarantineForm "$QW" | wc -l)" = 3 ] || fail "the locked window lists no entries"
for button in Restore Delete "Open folder"; do
  [ "$(driver enabled TQuarantineForm "$QW" "$button")" = 0 ] || fail "$button is available although locked"
done
driver press TQuarantineForm "$QW" Close || fail "could not press Close"
hidden TQuarantineForm "$QW" || fail "Close did not close the quarantine window"
quit_mervane
echo "quarantine restore: ok"
