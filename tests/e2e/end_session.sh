#!/usr/bin/env bash
# WM_QUERYENDSESSION is answered 1 without a question; from then on a close
# request ends the program without one, also with quitting locked. The
# session's real end saves the settings.
. "$(dirname "$0")/lib.sh"

crlf '[General]' 'Locked=0x2' > "$APPDIR/Mervane.ini"
start_mervane
wait_main_window
answer=$(driver send TForm1 "$TITLE" 17 0 0) || fail "WM_QUERYENDSESSION not answered"
[ "$answer" = "1" ] || fail "WM_QUERYENDSESSION answered $answer"
driver nobox "$PRODUCT" 1000 || fail "a question appeared at the end of the session"
driver send TForm1 "$TITLE" 22 1 0 >/dev/null || fail "WM_ENDSESSION not answered"
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'FirstRun=0' 'RunMinimized=1' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
is_running || fail "the program ended before it was asked to close"
driver post TForm1 "$TITLE" 16
driver nobox "$PRODUCT" 1000 || fail "a question appeared after the session end was announced"
wait_exit || fail "close after WM_QUERYENDSESSION did not end the program"
[ ! -e "$USERDIR/Mervane.log" ] || fail "something was logged"
echo "end session: ok"
