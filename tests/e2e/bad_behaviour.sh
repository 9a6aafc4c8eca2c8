#!/usr/bin/env bash
# A Behaviour value that cannot be converted does not stop the start: it is
# ignored, logged once, and the next save writes a valid one.
. "$(dirname "$0")/lib.sh"

mkdir -p "$USERDIR"
crlf '[General]' 'FirstRun=0' 'Behaviour=1111' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
driver nobox - 1000 || fail "a message box appeared"
driver post TForm1 "$TITLE" 1025
wait_exit || fail "the program did not end on WM_USER + 1"
expect_log "$USERDIR/Mervane.log" "$(entry 'Behaviour value "1111" is not valid and was ignored')"
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'FirstRun=0' 'Behaviour=00001111111111111111' \
  'RunMinimized=1' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
echo "bad behaviour: ok"
