#!/usr/bin/env bash
# A stick vaccinated and the vaccine taken off again. With "Vaccinate" on for
# removable drives, the start-up inspection of E: deletes the worm's
# Autorun.inf and then vaccinates the root, logged and noted in Origin.txt,
# with no box. A stand-in worm then fails to get an Autorun.inf file in; the
# next inspection reports nothing; "Remove vaccine" leaves the root as it was.
. "$(dirname "$0")/lib.sh"
: "${MVWORM_EXE:?}"

mv_map_drive "$PREFIX" e floppy
E="$PREFIX/drives/e"
Q="$USERDIR/Quarantine"
cp "$MVWORM_EXE" "$PREFIX/drive_c/tools/mvworm.exe"
printf '[autorun]\r\nopen=worm.exe\r\n' > "$E/Autorun.inf"
printf 'notes' > "$E/notes.txt"
mkdir -p "$USERDIR"
# Removable: no menu cleanup, no box, both deletions; vaccinated.
crlf '[General]' 'FirstRun=0' 'Behaviour=00000011111111111111' 'Vaccinate=01000' > "$USERDIR/Mervane.ini"

# wait_log TEXT: an entry holding TEXT is in the log within 20 s.
wait_log() {
  local i
  for ((i = 0; i < 200 * SLOW; i++)); do
    grep -qF "$1" "$USERDIR/Mervane.log" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no log entry with: $1"
}
# newest_origin: the Origin.txt of the latest cleaning.
newest_origin() { printf '%s/%s/Origin.txt' "$Q" "$(cd "$Q" && ls | tail -n 1)"; }

note "the start-up inspection cleans E: and vaccinates it"
start_mervane
wait_main_window
wait_log 'was vaccinated'
first_entries() {
  entry 'Attention!' 'There is Autorun.inf file in E:\!' 'It may be hidden but it is there' \
    "Please check it's content - this can be a virus" '' 'E:\Autorun.inf file was deleted' '' \
    'All Autorun.* files were deleted:'
  entry 'E:\ was vaccinated: no Autorun.inf file can be written there'
}
expect_log "$USERDIR/Mervane.log" "$(first_entries)"
driver nobox "$PRODUCT" 1000 || fail "a box was shown for a vaccination that worked"
[ "$(cd "$E" && ls -A | tr '\n' ' ')" = "AUTORUN.INF notes.txt " ] || fail "E: holds: $(ls -A "$E")"
[ "$(ls -A "$E/AUTORUN.INF")" = CON ] && [ -z "$(ls -A "$E/AUTORUN.INF/CON")" ] ||
  fail "the vaccine holds: $(ls -AR "$E/AUTORUN.INF")"
# Wine keeps no read-only attribute on folders; Windows shows RHSD.
[ "$(driver attrs 'E:\AUTORUN.INF' | tr -d '\r')" = HSD ] || fail "the vaccine's attributes: $(driver attrs 'E:\AUTORUN.INF')"
undo='rd "\\?\E:\AUTORUN.INF\CON" && attrib -r -h -s E:\AUTORUN.INF && rd E:\AUTORUN.INF'
expect_file "$(newest_origin)" "$(crlf 'E:\Autorun.inf	26	A	Autorun.inf.quarantined' \
  "E:\\AUTORUN.INF	folder	HS	vaccine made: undo with $undo")"

note "a worm's tries all fail but the rename, which nothing on a FAT stick can stop"
tries=$(wine 'C:\tools\mvworm.exe' 'E:\' | tr -d '\r')
[ "$tries" = "write Autorun.inf: refused
delete the folder: refused
empty the folder: refused
rename the folder: done
clear its attributes: done
then delete it: refused
then write Autorun.inf: refused" ] || fail "the worm's tries: $tries"
[ "$(cd "$E" && ls -A | tr '\n' ' ')" = "AUTORUN.INF notes.txt " ] && [ "$(ls -A "$E/AUTORUN.INF")" = CON ] ||
  fail "after the worm E: holds: $(ls -AR "$E")"
quit_mervane
cp "$USERDIR/Mervane.log" "$PREFIX/log.before"

note "the next inspection reports nothing; asked again by hand, it is vaccinated already"
start_mervane
wait_main_window
# The tray menu's "Vaccinate drive E:"; E:'s checks run in order, so its answer comes after the inspection's.
driver send TForm1 "$TITLE" 273 304 0 >/dev/null || fail "could not choose Vaccinate drive E:"
[ "$(driver box "$PRODUCT" 20000)" = 'E:\ is vaccinated already' ] || fail "no box saying E: is vaccinated already"
driver click "$PRODUCT" OK 5000 || fail "could not close the box"
cmp -s "$USERDIR/Mervane.log" "$PREFIX/log.before" || fail "the vaccinated E: was reported: $(tail -n 3 "$USERDIR/Mervane.log")"

note "Remove vaccine leaves E: as it was"
driver send TForm1 "$TITLE" 273 334 0 >/dev/null || fail "could not choose Remove vaccine from E:"
wait_log 'The vaccine was removed from E:\'
[ "$(ls -A "$E")" = notes.txt ] && [ "$(cat "$E/notes.txt")" = notes ] || fail "after the removal E: holds: $(ls -AR "$E")"
expect_file "$(newest_origin)" "$(crlf 'E:\AUTORUN.INF	folder	-	vaccine removed: redo with md "\\?\E:\AUTORUN.INF\CON" && attrib +r +h +s E:\AUTORUN.INF')"
driver nobox "$PRODUCT" 1000 || fail "a box was shown for a removal that worked"
quit_mervane
expect_log "$USERDIR/Mervane.log" "$(first_entries; entry 'The vaccine was removed from E:\')"
grep -q '^Vaccinate=01000' "$USERDIR/Mervane.ini" || fail "the switch was not saved"
echo "vaccine: ok"
