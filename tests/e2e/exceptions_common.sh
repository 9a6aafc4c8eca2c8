#!/usr/bin/env bash
# The administrator's entries: shown after the user's own, deleted only from
# view (OK keeps them out of the user's file, the next opening shows them
# again), and an entry added with a common entry's name and body is not kept
# as the user's.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

mkdir -p "$USERDIR" "$PREFIX/drive_c/files"
printf '[autorun]\r\nopen=company.exe\r\n' > "$PREFIX/drive_c/files/Autorun.inf"
crlf '[General]' 'ARNames=Company disc<<R2>><<N2>>' \
  'ARBodies=[autorun]<<R>><<N>>open=company.exe<<R>><<N>><<R2>><<N2>>' > "$APPDIR/Mervane.ini"
crlf '[General]' 'RunMinimized=0' 'ARNames=Mine<<R2>><<N2>>' 'ARBodies=x<<R>><<N>><<R2>><<N2>>' \
  > "$USERDIR/Mervane.ini"
common=$(cat "$APPDIR/Mervane.ini"; printf x)
start_mervane
wait_main_window
company="[autorun]${CR}
open=company.exe${CR}
"

open_exceptions
expect_dialog 'Mine
Company disc' 0 "x${CR}
"
driver select TForm2 "$DLG" 1
expect_dialog 'Mine
Company disc' 1 "$company"
driver press TForm2 "$DLG" Delete
expect_dialog 'Mine' 0 "x${CR}
"
close_dialog OK
saved=$(crlf '[General]' 'RunMinimized=0' 'ARNames=Mine<<R2>><<N2>>' 'ARBodies=x<<R>><<N>><<R2>><<N2>>' \
  'FirstRun=0' 'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000')
expect_saved "$USERDIR/Mervane.ini" "$saved"

open_exceptions
expect_dialog 'Mine
Company disc' 0 "x${CR}
"
choose_file 'C:\files\Autorun.inf'
describe 'Company disc'
expect_dialog 'Mine
Company disc
Company disc' 2 "$company"
close_dialog OK
expect_saved "$USERDIR/Mervane.ini" "$saved"
open_exceptions
expect_dialog 'Mine
Company disc' 0 "x${CR}
"
close_dialog Cancel
quit_mervane
# Saved once more at the end, from the lists as OK left them.
expect_file "$USERDIR/Mervane.ini" "$saved"
[ "$(cat "$APPDIR/Mervane.ini"; printf x)" = "$common" ] || fail "the common settings file was changed"
echo "exceptions common: ok"
