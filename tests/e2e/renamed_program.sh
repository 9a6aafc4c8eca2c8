#!/usr/bin/env bash
# The settings and log files follow the program file's name.
. "$(dirname "$0")/lib.sh"

mv "$APPDIR/Mervane.exe" "$APPDIR/Guard.exe"
# A common file beside the program presets a behaviour and locks quitting.
crlf '[General]' 'Locked=2' 'Behaviour=11110000111100001111' > "$APPDIR/Guard.ini"
start_mervane Guard.exe
wait_main_window
# LockQuit: closing only hides, no question.
driver post TForm1 "$TITLE" 16
driver nobox "$PRODUCT" 1500 || fail "a question appeared although quitting is locked"
is_running || fail "closing ended the program although quitting is locked"
driver post TForm1 "$TITLE" 1025
wait_exit || fail "WM_USER + 1 did not end the program"
expect_file "$USERDIR/Guard.ini" "$(crlf '[General]' 'FirstRun=0' 'RunMinimized=1' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
[ ! -e "$USERDIR/Mervane.ini" ] || fail "Mervane.ini written by a program named Guard.exe"
expect_file "$APPDIR/Guard.ini" "$(crlf '[General]' 'Locked=2' 'Behaviour=11110000111100001111')"
echo "renamed program: ok"
