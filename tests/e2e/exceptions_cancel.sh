#!/usr/bin/env bash
# Backing out at each step: the file dialog's Cancel, the prompt's Cancel, Esc
# and an empty answer add nothing and say nothing; Esc and the close box drop
# what the dialog changed, and the settings file stays as it was. OK without a
# change still saves.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

mkdir -p "$USERDIR" "$PREFIX/drive_c/files"
printf '[autorun]\r\nicon=disc.ico\r\n' > "$PREFIX/drive_c/files/Autorun.inf"
crlf '[General]' 'RunMinimized=0' 'ARNames=Disc A<<R2>><<N2>>' \
  'ARBodies=[autorun]<<R>><<N>>open=a.exe<<R>><<N>><<R2>><<N2>>' > "$USERDIR/Mervane.ini"
settings=$(cat "$USERDIR/Mervane.ini")
start_mervane
wait_main_window
body_a="[autorun]${CR}
open=a.exe${CR}
"

open_exceptions
expect_dialog 'Disc A' 0 "$body_a"
driver press TForm2 "$DLG" Add || fail "could not press Add"
driver wait '#32770' "$OPEN_TITLE" 10000 >/dev/null || fail "no file dialog"
driver press '#32770' "$OPEN_TITLE" Cancel || fail "could not cancel the file dialog"
driver nobox "$TITLE" 1000 || fail "a message after the file dialog's Cancel"
[ "$(driver visible TForm3 "$PRODUCT")" = "0" ] || fail "the prompt came after Cancel"

choose_file 'C:\files\Autorun.inf'
prompt_shown
driver type TForm3 "$PRODUCT" Edit 1 'Typed, then cancelled'
driver press TForm3 "$PRODUCT" Cancel || fail "could not press the prompt's Cancel"
hidden TForm3 "$PRODUCT" || fail "Cancel did not close the prompt"
choose_file 'C:\files\Autorun.inf'
prompt_shown
driver keys TForm3 "$PRODUCT" ESC
hidden TForm3 "$PRODUCT" || fail "Esc did not close the prompt"
choose_file 'C:\files\Autorun.inf'
describe ''
driver nobox "$TITLE" 1000 || fail "a message after an empty description"
expect_dialog 'Disc A' 0 "$body_a"

# Added and deleted, then dropped by Esc.
choose_file 'C:\files\Autorun.inf'
describe 'Icon only'
expect_dialog 'Disc A
Icon only' 1 "[autorun]${CR}
icon=disc.ico${CR}
"
driver select TForm2 "$DLG" 0
driver press TForm2 "$DLG" Delete
expect_dialog 'Icon only' 0 "[autorun]${CR}
icon=disc.ico${CR}
"
driver keys TForm2 "$DLG" ESC
dialog_closed
expect_file "$USERDIR/Mervane.ini" "$settings"

# Afresh at the next opening; the close box drops a change too.
open_exceptions
expect_dialog 'Disc A' 0 "$body_a"
driver press TForm2 "$DLG" Delete
expect_dialog '' -1 ''
driver send TForm2 "$DLG" 274 0xF060 0 >/dev/null || fail "could not use the close box"
dialog_closed
expect_file "$USERDIR/Mervane.ini" "$settings"

open_exceptions
expect_dialog 'Disc A' 0 "$body_a"
close_dialog OK
expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'ARNames=Disc A<<R2>><<N2>>' \
  'ARBodies=[autorun]<<R>><<N>>open=a.exe<<R>><<N>><<R2>><<N2>>' 'FirstRun=0' 'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000')"
quit_mervane
echo "exceptions cancel: ok"
