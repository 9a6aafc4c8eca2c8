#!/usr/bin/env bash
# Every log entry is also an event of the source Mervane, as Wine reports the
# calls on its debug channels: an Autorun.inf removed from the removable E:, one
# that could not all be deleted from H: (a file held open), shortcut-worm damage
# repaired on G:, an Autorun.inf left on the CD-ROM F: and an accepted one on
# the fixed I:, a policy value and a setting that are not valid, and the user's
# quit: each its one event with its level, category, id and strings, the
# entry's text the last of them. With the machine's policy EventLog=0 the next
# start writes its entries to the log only, and opens no event source.
. "$(dirname "$0")/lib.sh"

MACHINE='HKLM\SOFTWARE\Policies\Ostrel Software\Mervane'
policy() { winreg add "$MACHINE" /v "$1" /t "$2" /d "$3" /f >/dev/null || fail "reg add $1 failed"; }
for d in e g h; do mv_map_drive "$PREFIX" $d floppy; done
mv_map_drive "$PREFIX" f cdrom
mv_map_drive "$PREFIX" i hd
D="$PREFIX/drives"
printf '[autorun]\r\nopen=evil.exe\r\n' > "$D/e/Autorun.inf"
printf 'MZ' > "$D/e/autorun.exe"
printf '[autorun]\r\nopen=evil.exe\r\n' > "$D/h/Autorun.inf"
printf 'held' > "$D/h/Autorun.dat"
printf '[autorun]\r\nopen=setup.exe\r\n' > "$D/f/Autorun.inf"
printf '[autorun]\r\nopen=company.exe\r\n' > "$D/i/Autorun.inf"
mkdir -p "$D/g/Photos"
printf 'CreateObject("WScript.Shell")' > "$D/g/x.vbs"
python3 "$(dirname "$0")/makelnk.py" "$D/g/Photos.lnk" 'C:\windows\system32\cmd.exe' '/c start x.vbs&start explorer Photos&exit'
for e in Photos x.vbs; do driver attrs "G:\\$e" HS >/dev/null || fail "could not hide G:\\$e"; done
# The volumes' cached menu entries, which a cleaning removes.
for d in E H; do reg_add "$MOUNTPOINTS\\$(volume_id "$d:\\")" BaseClass Drive; done
policy ARNames REG_SZ 'Company disc<<R2>><<N2>>'
policy ARBodies REG_SZ '[autorun]<<R>><<N>>open=company.exe<<R>><<N>><<R2>><<N2>>'
policy Quarantine REG_SZ 0
mkdir -p "$USERDIR"
crlf '[General]' 'Behaviour=12' > "$USERDIR/Mervane.ini"

# start_logged: starts the program with Wine's reports of the event log calls in $PREFIX/wine.txt.
start_logged() {
  (cd "$APPDIR" && WINEDEBUG=-all,fixme+advapi,+eventlog exec wine 'C:\Mervane\Mervane.exe' 2>"$PREFIX/wine.txt") &
  MERVANE_PID=$!
}
# close_boxes N: N warning boxes come, one after the other, and are closed.
close_boxes() {
  local i
  for ((i = 0; i < $1; i++)); do
    driver box "$PRODUCT" 20000 >/dev/null || fail "warning box $((i + 1)) of $1 did not come"
    driver click "$PRODUCT" OK 5000 || fail "could not close warning box $((i + 1))"
  done
  wait_main_window
  driver nobox "$PRODUCT" 1500 || fail "more than $1 warning boxes"
}

note "findings, settings and the quit, each an event"
coproc HOLD { exec wine 'C:\tools\mvdriver.exe' hold 'H:\Autorun.dat' 60000; }
hold_pid=$HOLD_PID hold_out=${HOLD[0]}
read -r -t 20 held <&"$hold_out" && [ "${held%$CR}" = held ] || fail "could not hold Autorun.dat open"
start_logged
close_boxes 3
kill "$hold_pid" 2>/dev/null || fail "the holding driver ended too early"
wait "$hold_pid" 2>/dev/null || true
driver post TForm1 "$TITLE" 16
answer_quit_question YES "Closing"
wait_exit || fail "Yes did not end the program"
[ ! -e "$D/e/Autorun.inf" ] && [ -f "$D/h/Autorun.dat" ] && [ ! -e "$D/g/x.vbs" ] && [ -f "$D/f/Autorun.inf" ] &&
  [ -f "$D/i/Autorun.inf" ] || fail "the drives are not as the log says"
# type, category, id (the level in its top bits) and drive of each event
python3 "$(dirname "$0")/wine_events.py" "$PREFIX/wine.txt" "$USERDIR/Mervane.log" \
  '0x0004:0x0002:0x400003e9:E:\' '0x0001:0x0002:0xc0000bb9:H:\' '0x0002:0x0002:0x800007d1:G:\' \
  '0x0004:0x0001:0x400003eb:F:\' '0x0004:0x0003:0x400003ea:I:\' \
  '0x0002:0x0006:0x80000fa2:-' '0x0002:0x0006:0x80000fa3:-' '0x0002:0x0007:0x80001389:-' ||
  fail "the events differ from the log entries (Wine's report: $PREFIX/wine.txt)"

note "EventLog=0: the log only"
policy EventLog REG_DWORD 0
printf '[autorun]\r\n' > "$D/e/Autorun.inf"
cp "$USERDIR/Mervane.log" "$PREFIX/log.before"
start_logged
close_boxes 1
quit_mervane
[ "$(wc -c < "$USERDIR/Mervane.log")" -gt "$(wc -c < "$PREFIX/log.before")" ] || fail "E: was not logged"
! grep -E 'RegisterEventSource|ReportEvent' "$PREFIX/wine.txt" || fail "events written although the policy says no"
echo "event log: ok"
