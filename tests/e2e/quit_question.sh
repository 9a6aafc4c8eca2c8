#!/usr/bin/env bash
# Closing the window asks; "No" hides it and keeps the program, "Yes" logs the
# quit, saves and ends. Logoff never asks.
. "$(dirname "$0")/lib.sh"

crlf '[General]' 'RunMinimized=0' > "$PREFIX/drive_c/pre.ini"
mkdir -p "$USERDIR"
cp "$PREFIX/drive_c/pre.ini" "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
wait_visible TForm1 "$TITLE" || fail "window not shown with RunMinimized=0"

driver post TForm1 "$TITLE" 16
answer_quit_question NO "Closing"
sleep 0.5
is_running || fail "No ended the program"
[ "$(driver visible TForm1 "$TITLE")" = "0" ] || fail "No did not hide the window"
[ ! -e "$USERDIR/Mervane.log" ] || fail "No was logged"

driver post TForm1 "$TITLE" 16
answer_quit_question YES "Closing the second time"
wait_exit || fail "Yes did not end the program"
expect_log "$USERDIR/Mervane.log" "$(entry 'User closed Mervane')"
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
echo "quit question: ok"
