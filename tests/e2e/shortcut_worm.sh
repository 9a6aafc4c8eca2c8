#!/usr/bin/env bash
# Shortcut-worm damage as a user meets it. At start-up the infected removable
# E: is repaired (the worm's shortcut and script go to the quarantine, the
# hidden folders are shown again), and the box and the log say so; the clean
# removable G: with the user's own shortcuts and the infected fixed I:
# (switch off as it comes) are left as they are. With the user's switch off
# E: is left alone too; the common file's locked preset then repairs I:.
. "$(dirname "$0")/lib.sh"

mv_map_drive "$PREFIX" e floppy
mv_map_drive "$PREFIX" g floppy
mv_map_drive "$PREFIX" i hd
Q="$USERDIR/Quarantine"
NBSP=$'\xa0'
CMD='C:\windows\system32\cmd.exe'
lnk() { python3 "$(dirname "$0")/makelnk.py" "$@"; }

# infect LETTER: the user's folders hidden, a hidden script, a shortcut named
# like the folder that starts the script and then opens the folder.
infect() {
  local d="$PREFIX/drives/$1" L=${1^^}
  mkdir -p "$d/Photos" "$d/"$'\xc2\xa0'
  printf 'JFIF' > "$d/Photos/a.jpg"
  printf 'CreateObject("WScript.Shell")' > "$d/x.vbs"
  printf 'notes' > "$d/notes.txt"
  printf '[.ShellClassInfo]' > "$d/desktop.ini"
  lnk "$d/Photos.lnk" "$CMD" '/c start x.vbs&start explorer Photos&exit'
  for e in "Photos" "$NBSP" x.vbs desktop.ini; do
    driver attrs "$L:\\$e" HS >/dev/null || fail "could not hide $L:\\$e"
  done
}
# attrs_of LETTER NAME...: their attributes, one line each.
attrs_of() { local n; for n in "${@:2}"; do driver attrs "${1^^}:\\$n" | tr -d '\r'; done; }

infect e
infect i
G="$PREFIX/drives/g"
printf 'MZ' > "$G/Tool.exe"
printf 'text' > "$G/notes.txt"
lnk "$G/notes.lnk" 'G:\notes.txt'
lnk "$G/Tool.lnk" 'G:\Tool.exe' 'notes.txt'
lnk "$G/Editor.lnk" 'C:\windows\notepad.exe' 'G:\notes.txt'
lnk "$G/Prompt.lnk" "$CMD" '/k' 'G:\'
cp "$PREFIX/drives/e/Photos.lnk" "$PREFIX/drives/e/x.vbs" "$PREFIX/"
( cd "$G" && ls -la --time-style=+ ) > "$PREFIX/g.before"

note "as it comes: E: repaired, G: and I: left alone"
start_mervane
report=$(driver box "$PRODUCT" 20000) || fail "no warning box for E:"
expected="Attention!${CR}
There are shortcut-worm traces in E:\\!${CR}
Its shortcuts start a hidden program and it hides your files and folders${CR}
${CR}
The worm's shortcuts were deleted:${CR}
E:\\Photos.lnk${CR}
${CR}
The hidden files they start were deleted:${CR}
E:\\x.vbs${CR}
${CR}
Hidden files and folders were made visible again:${CR}
E:\\${NBSP}${CR}
E:\\Photos"
[ "$report" = "$expected" ] || { printf '%s' "$report" | od -c | head -30; fail "warning box text differs"; }
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
wait_main_window
driver nobox "$PRODUCT" 1500 || fail "a second box appeared"
expect_log "$USERDIR/Mervane.log" "$(entry 'Attention!' "There are shortcut-worm traces in E:\\!" \
  'Its shortcuts start a hidden program and it hides your files and folders' '' \
  "The worm's shortcuts were deleted:" 'E:\Photos.lnk' '' 'The hidden files they start were deleted:' \
  'E:\x.vbs' '' 'Hidden files and folders were made visible again:' "E:\\$NBSP" 'E:\Photos')"

E="$PREFIX/drives/e"
[ ! -e "$E/Photos.lnk" ] && [ ! -e "$E/x.vbs" ] || fail "the worm's files are still on E:"
[ "$(cat "$E/Photos/a.jpg")" = JFIF ] && [ -f "$E/notes.txt" ] || fail "the user's files were touched"
[ "$(attrs_of e Photos "$NBSP" desktop.ini notes.txt | tr '\n' ' ')" = "D D HSA A " ] ||
  fail "attributes on E: after the repair: $(attrs_of e Photos "$NBSP" desktop.ini notes.txt | tr '\n' ' ')"
kept=$(cd "$Q" && ls -d 20*) || fail "no quarantine folder"
for f in Photos.lnk x.vbs; do
  cmp -s "$PREFIX/$f" "$Q/$kept/$f.quarantined" || fail "the copy of $f differs or is missing"
done
head -n 2 "$Q/$kept/Origin.txt" | LC_ALL=C sort > "$PREFIX/origin.kept"
expect_file "$PREFIX/origin.kept" "$(crlf "E:\\Photos.lnk	$(stat -c %s "$PREFIX/Photos.lnk")	A	Photos.lnk.quarantined" \
  "E:\\x.vbs	29	HSA	x.vbs.quarantined")"
tail -n +3 "$Q/$kept/Origin.txt" | LC_ALL=C sort > "$PREFIX/origin.shown"
expect_file "$PREFIX/origin.shown" "$(crlf "E:\\Photos	folder	HS	made visible: -" \
  "E:\\$NBSP	folder	HS	made visible: -")"

( cd "$G" && ls -la --time-style=+ ) | cmp -s - "$PREFIX/g.before" || fail "the clean G: was changed"
[ "$(attrs_of i Photos x.vbs | tr '\n' ' ')" = "HSD HSA " ] && [ -f "$PREFIX/drives/i/Photos.lnk" ] ||
  fail "the fixed I: was repaired with its switch off"
[ "$(box_states 'Repair shortcut-worm damage')" = "0/1" ] || fail "CD-ROM shows the repair switch on"
driver select TForm1 "$TITLE" 1
[ "$(box_states 'Repair shortcut-worm damage')" = "1/1" ] || fail "Removable does not show the repair switch on"
quit_mervane

note "the user's switch off: E: left alone"
infect e
cp "$USERDIR/Mervane.log" "$PREFIX/log.before"
sed -i 's/^RepairShortcuts=01000/RepairShortcuts=00000/' "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
driver nobox "$PRODUCT" 3000 || fail "a box appeared with the switch off"
[ "$(attrs_of e Photos x.vbs | tr '\n' ' ')" = "HSD HSA " ] && [ -f "$E/Photos.lnk" ] ||
  fail "E: was repaired with the switch off"
cmp -s "$USERDIR/Mervane.log" "$PREFIX/log.before" || fail "something was logged with the switch off"
quit_mervane

note "the common file's locked preset: I: repaired, the user's choice ignored"
crlf '[General]' 'Locked=1' 'RepairShortcuts=00100' > "$APPDIR/Mervane.ini"
sed -i 's/^RepairShortcuts=00000/RepairShortcuts=01000/' "$USERDIR/Mervane.ini"
start_mervane
report=$(driver box "$PRODUCT" 20000) || fail "no warning box for I:"
[[ $report == *"traces in I:\\!"*"I:\\Photos.lnk"* ]] || fail "the box for I: reads: $report"
driver click "$PRODUCT" OK 5000
wait_main_window
driver nobox "$PRODUCT" 1500 || fail "a box appeared for E:"
[ ! -e "$PREFIX/drives/i/Photos.lnk" ] && [ "$(attrs_of i Photos)" = D ] || fail "I: was not repaired"
[ -f "$E/Photos.lnk" ] || fail "E: was repaired against the common file's preset"
driver select TForm1 "$TITLE" 2
[ "$(box_states 'Repair shortcut-worm damage')" = "1/0" ] || fail "Fixed's locked switch: $(box_states 'Repair shortcut-worm damage')"
quit_mervane
echo "shortcut worm: ok"
