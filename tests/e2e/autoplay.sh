#!/usr/bin/env bash
# The AutoPlay boxes: a first run's choice, what a later start shows from the
# policy value and writes back to both scopes, a click, and the lock.
. "$(dirname "$0")/lib.sh"

MACHINE='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\policies\Explorer'
USER_KEY='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\policies\Explorer'
VALUE=NoDriveTypeAutoRun

# policy: the value in the machine's scope and in the user's.
policy() { printf '%s %s' "$(reg_dword "$MACHINE" $VALUE)" "$(reg_dword "$USER_KEY" $VALUE)"; }

# expect BOXES POLICY WHAT: the boxes (checked/enabled) and the registry after WHAT.
expect() {
  local boxes now
  boxes=$(box_states CD-ROM Removable Fixed Remote Other) now=$(policy)
  [ "$boxes" = "$1" ] || fail "$3: boxes $boxes, not $1"
  [ "$now" = "$2" ] || fail "$3: policy $now, not $2"
}

# A first run turns AutoPlay on for CD-ROMs only and stores that in both scopes.
start_shown
expect 10000/11111 "0xdf 0xdf" "first run"
driver press TForm1 "$TITLE" Remote || fail "could not click Remote"
expect 10010/11111 "0xcf 0xcf" "Remote ticked"
quit_mervane
ini=$(crlf '[General]' 'FirstRun=0' 'RunMinimized=1' 'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')
expect_file "$USERDIR/Mervane.ini" "$ini"

# Later starts show the machine's value (the user's 0x20 would tick all but
# CD-ROM) and write what they show back to both scopes.
later_start() {
  winreg add "$MACHINE" /v $VALUE /t "$1" /d "$2" /f >/dev/null 2>&1 || fail "reg add failed"
  winreg add "$USER_KEY" /v $VALUE /t REG_DWORD /d 0x20 /f >/dev/null 2>&1 || fail "reg add failed"
  start_shown
  expect "$3" "$4" "$1 $2"
  quit_mervane
}
later_start REG_DWORD 0x91 11101/11111 "0x10 0x10"
later_start REG_DWORD 0xFF 00000/11111 "0xff 0xff"
later_start REG_DWORD 0 11111/11111 "0x0 0x0"
later_start REG_DWORD 0x1C3 11110/11111 "0xc3 0xc3"
# A value that is not a DWORD leaves the boxes as they start, all cleared.
later_start REG_BINARY 91000000 00000/11111 "0xff 0xff"

# Without a machine key the user's value counts; without either, the mask is 0.
winreg delete "$MACHINE" /f >/dev/null 2>&1 || fail "reg delete failed"
winreg add "$USER_KEY" /v $VALUE /t REG_DWORD /d 0x91 /f >/dev/null 2>&1 || fail "reg add failed"
start_shown
expect 11101/11111 "0x10 0x10" "user scope only"
quit_mervane
winreg delete "$MACHINE" /f >/dev/null 2>&1 || fail "reg delete failed"
winreg delete "$USER_KEY" /f >/dev/null 2>&1 || fail "reg delete failed"
start_shown
expect 11111/11111 "0x0 0x0" "no key"
quit_mervane

# LockSettings: shown, never written, not clickable.
crlf '[General]' 'Locked=1' > "$APPDIR/Mervane.ini"
winreg add "$MACHINE" /v $VALUE /t REG_DWORD /d 0x91 /f >/dev/null 2>&1 || fail "reg add failed"
winreg delete "$USER_KEY" /f >/dev/null 2>&1 || fail "reg delete failed"
start_shown
expect 11101/00000 "0x91 " "locked"
driver press TForm1 "$TITLE" Remote && fail "a locked box could be clicked"
winreg query "$USER_KEY" >/dev/null 2>&1 && fail "the locked start created the user's key"
quit_mervane
expect_file "$USERDIR/Mervane.ini" "$ini"
[ ! -e "$USERDIR/Mervane.log" ] || fail "something was logged"
echo "autoplay: ok"
