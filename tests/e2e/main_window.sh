#!/usr/bin/env bash
# The settings window as a user works it: its layout, the keyboard, browsing
# the drive kinds, changing one, OK, Default values.
. "$(dirname "$0")/lib.sh"

mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
wait_visible TForm1 "$TITLE" || fail "window not shown with RunMinimized=0"
[ "$(driver client TForm1 "$TITLE")" = "424 419" ] || fail "client area is $(driver client TForm1 "$TITLE")"

# Every control in tab order, with its caption, state and place; CD-ROM is
# selected and shows its flags (all off).
expected_states='Button|OK|1|-|252,384,75,25
Button| Startup |1|-|8,8,409,73
Button|Run program when any user logon|1|0|16,24,393,17
Button|Run program when current user logon|1|0|16,40,393,17
Button|Run minimized|1|0|16,56,393,17
Button|Readme|1|-|6,384,75,25
Button| Autoplay |1|-|8,88,409,121
Static|Turn on for drives:|1|-|16,104,393,13
Button|CD-ROM|1|1|16,120,393,17
Button|Removable|1|0|16,136,393,17
Button|Fixed|1|0|16,152,393,17
Button|Remote|1|0|16,168,393,17
Button|Other|1|0|16,184,393,17
Button| Autorun |1|-|8,216,409,161
Static|For drive type ...|1|-|16,232,137,13
Static|... if Autorun.inf exists do following:|1|-|160,232,249,13
ListBox||1|-|16,248,129,73
Button|Remove items from context menu|1|0|168,248,241,17
Button|Inform user|1|0|168,264,241,17
Button|Delete Autorun.inf|1|0|168,280,241,17
Button|Delete Autorun.*|1|0|168,296,241,17
Button|Default values|1|-|168,320,97,25
Button|Exceptions|1|-|272,320,97,25
Button|Vaccinate|1|0|16,352,129,17
Button|Repair shortcut-worm damage|1|0|168,352,241,17
Button|Quarantine...|1|-|88,384,97,25
Button|Quit|1|-|340,384,75,25'
states=$(driver states TForm1 "$TITLE" | tr -d '\r')
[ "$states" = "$expected_states" ] || { diff <(echo "$expected_states") <(echo "$states") >&2; fail "layout differs"; }
[ "$(driver selected TForm1 "$TITLE")" = "0" ] || fail "CD-ROM is not selected at start"

# Tab walks the table's order, Shift+Tab walks back, Space toggles a box.
order=("OK" "Run program when any user logon" "Run program when current user logon" "Run minimized" "Readme"
       "CD-ROM" "Removable" "Fixed" "Remote" "Other" "ListBox" "Remove items from context menu" "Inform user"
       "Delete Autorun.inf" "Delete Autorun.*" "Default values" "Exceptions" "Vaccinate" "Repair shortcut-worm damage" "Quarantine..."
       "Quit"
       "OK")
for name in "${order[@]}"; do
  driver keys TForm1 "$TITLE" TAB || fail "could not type TAB"
  expect_focus TForm1 "$TITLE" "$name" TAB
done
driver keys TForm1 "$TITLE" SHIFT+TAB
expect_focus TForm1 "$TITLE" Quit SHIFT+TAB
for _ in 1 2 3 4 5 6 7 8 9 10; do driver keys TForm1 "$TITLE" SHIFT+TAB; done
expect_focus TForm1 "$TITLE" ListBox "ten SHIFT+TABs"
# The arrow keys move in the list, and the boxes follow: Removable is all on.
driver keys TForm1 "$TITLE" DOWN
eventually 1 "DOWN did not select Removable" driver selected TForm1 "$TITLE"
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "1" ] || fail "Removable's flags not shown"
driver keys TForm1 "$TITLE" UP
eventually 0 "UP did not select CD-ROM" driver selected TForm1 "$TITLE"
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "0" ] || fail "CD-ROM's flags not shown again"

# Browsing changes nothing; one box of Removable changes Removable only.
driver select TForm1 "$TITLE" 1 || fail "could not select Removable"
driver press TForm1 "$TITLE" "Inform user" || fail "could not click Inform user"
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "0" ] || fail "Inform user still ticked"
[ "$(driver checked TForm1 "$TITLE" "Repair shortcut-worm damage")" = "1" ] || fail "Removable does not repair"
driver press TForm1 "$TITLE" "Repair shortcut-worm damage" || fail "could not click Repair shortcut-worm damage"
driver press TForm1 "$TITLE" "Vaccinate" || fail "could not click Vaccinate"
driver select TForm1 "$TITLE" 2
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "1" ] || fail "Fixed lost Inform user"
driver press TForm1 "$TITLE" "Run minimized"

# OK saves and hides; the program stays.
driver press TForm1 "$TITLE" "OK" || fail "could not press OK"
sleep 0.3
[ "$(driver visible TForm1 "$TITLE")" = "0" ] || fail "OK did not hide the window"
is_running || fail "OK ended the program"
saved=$(crlf '[General]' 'RunMinimized=1' 'FirstRun=0' 'Behaviour=00001011111111111111' 'RepairShortcuts=00000' 'Vaccinate=01000' 'ARNames=' 'ARBodies=')
expect_file "$USERDIR/Mervane.ini" "$saved"

# The tray menu's "Show window" brings it back; Default values restores every
# kind, shows CD-ROM and writes nothing until Enter presses OK.
driver send TForm1 "$TITLE" 273 200 0 >/dev/null
[ "$(driver visible TForm1 "$TITLE")" = "1" ] || fail "Show window did not show the window"
driver select TForm1 "$TITLE" 1
driver press TForm1 "$TITLE" "Default values" || fail "could not press Default values"
[ "$(driver selected TForm1 "$TITLE")" = "0" ] || fail "Default values did not show CD-ROM"
driver select TForm1 "$TITLE" 1
[ "$(driver checked TForm1 "$TITLE" "Inform user")" = "1" ] || fail "Removable not restored"
[ "$(driver checked TForm1 "$TITLE" "Repair shortcut-worm damage")" = "1" ] || fail "Removable's repair not restored"
[ "$(driver checked TForm1 "$TITLE" "Vaccinate")" = "0" ] || fail "Removable still vaccinates after Default values"
[ "$(driver checked TForm1 "$TITLE" "Run minimized")" = "1" ] || fail "Default values touched Run minimized"
expect_file "$USERDIR/Mervane.ini" "$saved"
driver keys TForm1 "$TITLE" ENTER
eventually 0 "Enter did not press OK" driver visible TForm1 "$TITLE"
expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=1' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"

# "Quit" goes through the quit question.
driver send TForm1 "$TITLE" 273 200 0 >/dev/null
driver press TForm1 "$TITLE" "Quit" || fail "could not press Quit"
answer_quit_question YES '"Quit"'
wait_exit || fail "Quit did not end the program"
expect_log "$USERDIR/Mervane.log" "$(entry 'User closed Mervane')"
echo "main window: ok"
