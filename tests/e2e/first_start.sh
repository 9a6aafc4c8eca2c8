#!/usr/bin/env bash
# First start with no settings files: nothing shown; WM_USER + 1 ends the
# program, which then has written the user settings file with the defaults.
. "$(dirname "$0")/lib.sh"

start_mervane
wait_main_window
[ "$(driver visible TForm1 "$TITLE")" = "1" ] && fail "window shown although RunMinimized defaults to on"
driver nobox - 1000 || fail "a message box appeared"
[ -d "$USERDIR" ] || fail "settings folder not created"

driver post TForm1 "$TITLE" 1025 || fail "could not post WM_USER + 1"
wait_exit || fail "WM_USER + 1 did not end the program"
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'FirstRun=0' 'RunMinimized=1' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
[ ! -e "$USERDIR/Mervane.log" ] || fail "a log was written although nothing happened"
[ ! -e "$APPDIR/Mervane.ini" ] || fail "the common settings file was written"
echo "first start: ok"
