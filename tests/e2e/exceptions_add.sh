#!/usr/bin/env bash
# Accepting a file: "Exceptions", "Add", a hidden Autorun.inf in the root of a
# removable drive chosen in the file dialog, a description, OK. The settings
# file holds the entry, and at the next start the drive's file is left alone
# and the log names the entry.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

mv_map_drive "$PREFIX" e floppy
E="$PREFIX/drives/e"
mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
# Put in after the start-up scan (the dialog is made once it is over), which
# would have deleted it.
driver wait TForm2 "$DLG" 20000 >/dev/null || fail "the start-up did not end"
printf '[autorun]\nopen=setup.exe\n' > "$E/Autorun.inf"
wine attrib +h 'E:\Autorun.inf' >/dev/null 2>&1 || fail "attrib failed"

open_exceptions
expected_states='Static|List of legal Autorun.inf files. These files will  not be blocked by Mervane|1|-|8,8,569,13
ListBox||1|-|8,24,257,121
Edit||1|-|272,24,305,225
Button|Add|1|-|8,152,75,25
Button|Delete|1|-|96,152,75,25
Button|OK|1|-|416,256,75,25
Button|Cancel|1|-|504,256,75,25'
states=$(driver states TForm2 "$DLG" | tr -d '\r')
[ "$states" = "$expected_states" ] || { diff <(echo "$expected_states") <(echo "$states") >&2; fail "layout differs"; }
[ "$(driver client TForm2 "$DLG")" = "586 292" ] || fail "client area is $(driver client TForm2 "$DLG")"
# Over the middle of the main window.
read -r mx my mw mh < <(driver place TForm1 "$TITLE")
read -r dx dy dw dh < <(driver place TForm2 "$DLG")
[ "$dx $dy" = "$((mx + (mw - dw) / 2)) $((my + (mh - dh) / 2))" ] || fail "dialog at $dx $dy, main at $mx $my"
expect_dialog "" -1 ""
[ "$(driver focus TForm2 "$DLG")" = "ListBox" ] || fail "the list does not have the focus"
for name in Edit Add Delete OK Cancel ListBox; do
  driver keys TForm2 "$DLG" TAB || fail "could not type TAB"
  expect_focus TForm2 "$DLG" "$name" TAB
done

choose_file 'E:\Autorun.inf'
prompt_shown
[ "$(driver client TForm3 "$PRODUCT")" = "412 100" ] || fail "prompt's client area is $(driver client TForm3 "$PRODUCT")"
expected_prompt="Static|$ASK|1|-|8,8,393,13
Edit||1|-|8,32,393,21
Button|OK|1|-|232,64,75,25
Button|Cancel|1|-|328,64,75,25"
states=$(driver states TForm3 "$PRODUCT" | tr -d '\r')
[ "$states" = "$expected_prompt" ] || { diff <(echo "$expected_prompt") <(echo "$states") >&2; fail "prompt differs"; }
[ "$(driver focus TForm3 "$PRODUCT")" = "Edit" ] || fail "the prompt's field does not have the focus"
# Kept as typed, blanks included; Enter is OK.
driver type TForm3 "$PRODUCT" Edit 1 ' Disc A ' || fail "could not type"
driver keys TForm3 "$PRODUCT" ENTER
hidden TForm3 "$PRODUCT" || fail "Enter did not close the prompt"
expect_dialog ' Disc A ' 0 "[autorun]${CR}
open=setup.exe${CR}
"
# Nothing is saved before OK; Enter is OK.
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0')"
driver keys TForm2 "$DLG" ENTER
dialog_closed
expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=" Disc A <<R2>><<N2>>"' \
  'ARBodies=[autorun]<<R>><<N>>open=setup.exe<<R>><<N>><<R2>><<N2>>')"
[ -f "$E/Autorun.inf" ] || fail "the chosen file is gone"

# The next start finds the file on E: and leaves it alone.
quit_mervane
start_mervane
wait_main_window
driver nobox "$PRODUCT" 3000 || fail "a warning for an accepted file"
quit_mervane
[ -f "$E/Autorun.inf" ] || fail "the accepted file was deleted"
expect_log "$USERDIR/Mervane.log" "$(entry 'E:\Autorun.inf file listed in exceptions under name " Disc A " found')"
echo "exceptions add: ok"
