#!/usr/bin/env bash
# An administrator's lock bits in the common settings file: what stays usable,
# and what a save still writes.
. "$(dirname "$0")/lib.sh"

crlf '[General]' 'Locked=7' 'Behaviour=11110000111111111111' > "$APPDIR/Mervane.ini"
mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' 'Behaviour=00000000000000000000' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
# LockSettings: the user's RunMinimized is not read, so the window stays hidden.
[ "$(driver visible TForm1 "$TITLE")" = "0" ] || fail "window shown although RunMinimized is locked on"
driver send TForm1 "$TITLE" 273 200 0 >/dev/null

# Without an every-user entry, reading the entries enables the user's box again.
[ "$(driver enabled TForm1 "$TITLE" "Run program when current user logon")" = "1" ] || fail "the user's box is disabled"
for control in "Run program when any user logon" "Run minimized" \
               "CD-ROM" "Removable" "Fixed" "Remote" "Other" "Remove items from context menu" "Inform user" \
               "Delete Autorun.inf" "Delete Autorun.*" "Default values" "Readme" "Quit" "Exceptions"; do
  [ "$(driver enabled TForm1 "$TITLE" "$control")" = "0" ] || fail "$control is enabled"
done
[ "$(driver enabled TForm1 "$TITLE" "OK")" = "1" ] || fail "OK is disabled"
# The list can still be browsed; it shows the common file's flags.
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "1" ] || fail "CD-ROM does not show the common Behaviour"
driver select TForm1 "$TITLE" 1 || fail "the list cannot be browsed"
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "0" ] || fail "Removable does not show the common Behaviour"
driver press TForm1 "$TITLE" "Inform user" && fail "a locked box could be clicked"

# LockQuit: closing only hides.
driver post TForm1 "$TITLE" 16
driver nobox "$PRODUCT" 1500 || fail "the quit question was asked"
[ "$(driver visible TForm1 "$TITLE")" = "0" ] || fail "closing did not hide the window"

quit_mervane
# RunMinimized and Behaviour of the user file are left as they were.
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'Behaviour=00000000000000000000' \
  'FirstRun=0' 'ARNames=' 'ARBodies=')"
echo "locks: ok"
