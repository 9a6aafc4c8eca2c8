#!/usr/bin/env bash
# A second start in the same session ends at once, shows and writes nothing,
# and leaves the first instance running undisturbed.
. "$(dirname "$0")/lib.sh"

start_mervane
first=$MERVANE_PID
wait_main_window
before=$(find "$PREFIX/drive_c/users" -newer "$APPDIR/Mervane.exe" -type f -path '*Ostrel*' | sort)

start_mervane
second=$MERVANE_PID
wait_exit "$second" 20 || fail "the second instance did not end"
is_running "$first" || fail "the first instance ended"
[ "$(driver visible - "$TITLE")" = "0" ] || fail "a window was shown"
count=$(driver count TForm1 "$TITLE")
[ "$count" = "1" ] || fail "expected one main window, found $count"
after=$(find "$PREFIX/drive_c/users" -newer "$APPDIR/Mervane.exe" -type f -path '*Ostrel*' | sort)
[ "$before" = "$after" ] || fail "the second instance wrote files: $after"
[ ! -e "$USERDIR/Mervane.log" ] || fail "the second instance logged"

# The first instance still answers and saves at its end.
driver post TForm1 "$TITLE" 1025
wait_exit "$first" || fail "the first instance did not end on WM_USER + 1"
[ -f "$USERDIR/Mervane.ini" ] || fail "the first instance did not save"
echo "second instance: ok"
