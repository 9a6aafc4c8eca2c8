#!/usr/bin/env bash
# Deleting entries, with the mouse and from the keyboard: the last of three
# selects the first again, the only one leaves nothing selected and nothing
# shown; OK saves the emptied list.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' 'ARNames=A<<R2>><<N2>>B<<R2>><<N2>>C<<R2>><<N2>>' \
  'ARBodies=a<<R>><<N>><<R2>><<N2>>b<<R>><<N>><<R2>><<N2>>c<<R>><<N>><<R2>><<N2>>' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
open_exceptions
expect_dialog 'A
B
C' 0 "a${CR}
"
# Arrows move in the list and the body follows.
driver keys TForm2 "$DLG" DOWN DOWN
expect_dialog 'A
B
C' 2 "c${CR}
"
driver press TForm2 "$DLG" Delete || fail "could not press Delete"
expect_dialog 'A
B' 0 "a${CR}
"
# Tab from the list reaches Delete past the body and Add; Space presses it.
driver keys TForm2 "$DLG" SHIFT+TAB SHIFT+TAB SHIFT+TAB
expect_focus TForm2 "$DLG" ListBox "three SHIFT+TABs"
driver keys TForm2 "$DLG" TAB TAB TAB
expect_focus TForm2 "$DLG" Delete "three TABs"
driver keys TForm2 "$DLG" SPACE
expect_dialog 'B' 0 "b${CR}
"
driver press TForm2 "$DLG" Delete
expect_dialog '' -1 ''
driver press TForm2 "$DLG" Delete || fail "Delete with nothing selected failed"
expect_dialog '' -1 ''
close_dialog OK
expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'ARNames=' 'ARBodies=' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000')"
quit_mervane
echo "exceptions delete: ok"
