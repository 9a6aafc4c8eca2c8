#!/usr/bin/env bash
# A cleaned removable drive leaves copies of what went in a new quarantine
# folder, which takes the place of the oldest of 100: the copies byte for
# byte, a file held open (and so left on the drive) copied too, a file over
# the size bound listed as not kept and deleted all the same. The CD-ROM F:
# with its default flags leaves nothing. With Quarantine=0 in the common file
# the next cleaning keeps nothing.
. "$(dirname "$0")/lib.sh"

mv_map_drive "$PREFIX" e floppy
mv_map_drive "$PREFIX" f cdrom
E="$PREFIX/drives/e"
Q="$USERDIR/Quarantine"
printf '[autorun]\r\nopen=evil.exe\r\n' > "$E/Autorun.inf"
printf 'MZ\x90\x00\x03\x00\xff' > "$E/autorun.exe"
printf 'held data' > "$E/Autorun.dat"
truncate -s 17M "$E/Autorun.big"
printf '[autorun]\r\n' > "$PREFIX/drives/f/Autorun.inf"
wine attrib +h 'E:\Autorun.inf' >/dev/null 2>&1 || fail "attrib failed"
cp "$E/Autorun.inf" "$E/autorun.exe" "$E/Autorun.dat" "$PREFIX/"

for ((i = 0; i < 100; i++)); do
  old=$(printf '%s/2000-01-01 00-%02d-%02d E' "$Q" $((i / 60)) $((i % 60)))
  mkdir -p "$old" && printf 'x' > "$old/Origin.txt"
done
mkdir -p "$Q/Saved by me"

coproc HOLD { exec wine 'C:\tools\mvdriver.exe' hold 'E:\Autorun.dat' 60000; }
# Bash unsets HOLD and HOLD_PID as soon as the coprocess has ended.
hold_pid=$HOLD_PID hold_out=${HOLD[0]}
read -r -t 20 held <&"$hold_out" && [ "${held%$CR}" = held ] || fail "could not hold Autorun.dat open"
start_mervane
driver box "$PRODUCT" 20000 >/dev/null || fail "no warning box for E:"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
wait_main_window
pkill -f 'mvdriver.exe hold' || fail "the holding driver ended too early"
wait "$hold_pid" 2>/dev/null || true

[ ! -e "$E/Autorun.inf" ] && [ ! -e "$E/autorun.exe" ] && [ ! -e "$E/Autorun.big" ] || fail "E: not cleaned"
[ -f "$E/Autorun.dat" ] || fail "the held file went although it was open"
[ ! -e "$Q/2000-01-01 00-00-00 E" ] && [ -d "$Q/2000-01-01 00-00-01 E" ] && [ -d "$Q/Saved by me" ] ||
  fail "not just the oldest quarantine folder was removed"
new=$(cd "$Q" && ls -d 20[0-9][0-9]-* | grep -v '^2000-') || fail "no quarantine folder for E:"
[[ $new =~ ^20[0-9]{2}-[01][0-9]-[0-3][0-9]\ [0-2][0-9]-[0-5][0-9]-[0-5][0-9]\ E$ ]] ||
  fail "quarantine folders for this run: $new"
[ "$(cd "$Q" && ls -d 20[0-9][0-9]-* | wc -l)" = 100 ] || fail "the quarantine does not hold 100 folders"
for f in Autorun.inf autorun.exe Autorun.dat; do
  cmp -s "$PREFIX/$f" "$Q/$new/$f.quarantined" || fail "the copy of $f differs or is missing"
done
[ "$(ls "$Q/$new" | wc -l)" = 4 ] || fail "unexpected files in the quarantine: $(ls "$Q/$new")"
# Autorun.inf goes first; the other lines come in the search's order.
origin="$Q/$new/Origin.txt"
[ "$(head -n 1 "$origin")" = $'E:\\Autorun.inf\t26\tHA\tAutorun.inf.quarantined\r' ] ||
  fail "first line of Origin.txt: $(head -n 1 "$origin" | od -c)"
tail -n +2 "$origin" | LC_ALL=C sort > "$PREFIX/origin.sorted"
expect_file "$PREFIX/origin.sorted" "$(crlf $'E:\\Autorun.big\t17825792\tA\tnot kept: larger than 16 MiB' \
  $'E:\\Autorun.dat\t9\tA\tAutorun.dat.quarantined' $'E:\\autorun.exe\t7\tA\tautorun.exe.quarantined')"
quit_mervane

# Quarantine=0 beside the program: a cleaning keeps nothing, and the user's
# own file never gets the key.
crlf '[General]' 'Quarantine=0' > "$APPDIR/Mervane.ini"
before=$(ls -R "$Q")
printf '[autorun]\r\n' > "$E/Autorun.inf"
start_mervane
driver box "$PRODUCT" 20000 >/dev/null || fail "no warning box for E: at the second start"
driver click "$PRODUCT" OK 5000 || fail "could not close the second warning box"
wait_main_window
[ ! -e "$E/Autorun.inf" ] && [ ! -e "$E/Autorun.dat" ] || fail "E: not cleaned at the second start"
[ "$(ls -R "$Q")" = "$before" ] || fail "the quarantine changed although it is off"
quit_mervane
! grep -q Quarantine "$USERDIR/Mervane.ini" || fail "the user settings file got a Quarantine key"
echo "quarantine: ok"
