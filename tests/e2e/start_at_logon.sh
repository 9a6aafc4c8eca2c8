#!/usr/bin/env bash
# The start-at-logon boxes: the Run entries a start finds and rewrites, the
# clicks on both boxes, and the lock.
. "$(dirname "$0")/lib.sh"

MACHINE='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
USER_KEY='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
ANY="Run program when any user logon"
CURRENT="Run program when current user logon"
COMMAND='"C:\Mervane\Mervane.exe"'

# entries: the data of both entries, machine first, empty for none.
entries() { printf '%s|%s' "$(reg_value "$MACHINE" Mervane || true)" "$(reg_value "$USER_KEY" Mervane || true)"; }
# expect BOXES ENTRIES WHAT: the boxes (checked/enabled) and the registry after WHAT.
expect() {
  local boxes now
  boxes=$(box_states "$ANY" "$CURRENT") now=$(entries)
  [ "$boxes" = "$1" ] || fail "$3: boxes $boxes, not $1"
  [ "$now" = "$2" ] || fail "$3: entries $now, not $2"
}

# Neither entry, and no Run key for the user: the key is made, nothing written.
winreg delete "$USER_KEY" /f >/dev/null 2>&1 || fail "reg delete failed"
start_shown
expect 00/11 "|" "no entries"
winreg query "$USER_KEY" >/dev/null 2>&1 || fail "the user's Run key was not created"
# The user's own entry comes and goes with its box.
driver press TForm1 "$TITLE" "$CURRENT" || fail "could not tick $CURRENT"
expect 01/11 "|$COMMAND" "$CURRENT ticked"
# The every-user entry excludes the user's.
driver press TForm1 "$TITLE" "$ANY" || fail "could not tick $ANY"
expect 10/10 "$COMMAND|" "$ANY ticked"
driver press TForm1 "$TITLE" "$ANY" || fail "could not clear $ANY"
expect 00/11 "|" "$ANY cleared"
quit_mervane

# Both entries at a start, the machine's pointing elsewhere: it is rewritten
# with this program's path, and the user's goes.
reg_add "$MACHINE" Mervane '"C:\Old\Mervane.exe"'
reg_add "$USER_KEY" Mervane '"C:\Old\Mervane.exe"'
start_shown
expect 10/10 "$COMMAND|" "both entries"
quit_mervane

# LockSettings: nothing written; the user's box, enabled by the read while no
# every-user entry exists, turns back when clicked.
crlf '[General]' 'Locked=1' > "$APPDIR/Mervane.ini"
reg_add "$MACHINE" Mervane '"C:\Old\Mervane.exe"'
reg_add "$USER_KEY" Mervane '"C:\Old\Mervane.exe"'
start_shown
expect 10/00 '"C:\Old\Mervane.exe"|"C:\Old\Mervane.exe"' "locked, both entries"
quit_mervane
winreg delete "$MACHINE" /v Mervane /f >/dev/null 2>&1 || fail "reg delete failed"
start_shown
expect 01/01 '|"C:\Old\Mervane.exe"' "locked, the user's entry"
driver press TForm1 "$TITLE" "$CURRENT" || fail "could not click $CURRENT"
expect 01/01 '|"C:\Old\Mervane.exe"' "locked, clicked"
quit_mervane
expect_file "$USERDIR/Mervane.ini" "$(crlf '[General]' 'FirstRun=0' 'RunMinimized=1' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
[ ! -e "$USERDIR/Mervane.log" ] || fail "something was logged"
echo "start at logon: ok"
