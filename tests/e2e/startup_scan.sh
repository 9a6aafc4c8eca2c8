#!/usr/bin/env bash
# The start-up scan inspects every readable drive, each on its own, with its
# kind's actions: it cleans the removable E: with a box, only logs the CD-ROM
# F: (whose default is all off), cleans the remote G:, RAM disk H: and fixed I:
# without a box (as the user chose for them), and skips a letter whose folder
# is gone without a word.
. "$(dirname "$0")/lib.sh"

mv_map_drive "$PREFIX" e floppy
mv_map_drive "$PREFIX" f cdrom
mv_map_drive "$PREFIX" g network
mv_map_drive "$PREFIX" h ramdisk
mv_map_drive "$PREFIX" i hd
mv_map_drive "$PREFIX" k floppy "$PREFIX/drives/vanished"   # the folder does not exist
E="$PREFIX/drives/e" F="$PREFIX/drives/f"
for d in g h i; do
  printf '[autorun]\r\nopen=evil.exe\r\n' > "$PREFIX/drives/$d/Autorun.inf"
  printf 'MZ' > "$PREFIX/drives/$d/autorun.exe"
  printf 'keep me' > "$PREFIX/drives/$d/notes.txt"
done
printf '[autorun]\r\nopen=evil.exe\r\n' > "$E/Autorun.inf"
printf 'MZ' > "$E/autorun.exe"
printf 'keep me' > "$E/notes.txt"
printf '[autorun]\r\nopen=setup.exe\r\n' > "$F/Autorun.inf"

wine attrib +h 'E:\Autorun.inf' >/dev/null 2>&1 || fail "attrib failed"
guid=$(volume_id 'E:\')
key="$MOUNTPOINTS\\$guid"
reg_add "$key\\Shell\\AutoRun\\command" "" "E:\\evil.exe"
reg_add "$key\\_Autorun\\DefaultIcon"
reg_add "$key" BaseClass Drive

mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' 'Behaviour=00001111001100110011' > "$USERDIR/Mervane.ini"
start_mervane
report=$(driver box "$PRODUCT" 20000) || fail "no warning box for E:"
# The main window was made visible before the scan started.
[ "$(driver visible TForm1 "$TITLE")" = "1" ] || fail "window not shown before the scan's box"
expected="Attention!${CR}
There is Autorun.inf file in E:\\!${CR}
It may be hidden but it is there${CR}
Please check it's content - this can be a virus${CR}
${CR}
Menu items were removed${CR}
${CR}
E:\\Autorun.inf file was deleted${CR}
${CR}
All Autorun.* files were deleted:${CR}
E:\\autorun.exe"
[ "$report" = "$expected" ] || { printf '%s' "$report" | od -c | head -30; fail "warning box text differs"; }
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
driver nobox "$PRODUCT" 2000 || fail "a second warning box appeared (F: is a CD-ROM, all off)"

[ ! -e "$E/Autorun.inf" ] && [ ! -e "$E/autorun.exe" ] || fail "E: not cleaned"
[ -f "$E/notes.txt" ] || fail "E: lost a file that is no Autorun.*"
[ -f "$F/Autorun.inf" ] || fail "F:'s Autorun.inf deleted although the CD-ROM actions are off"
[ -z "$(reg_subkeys "$key")" ] || fail "menu cache of E: still has subkeys"
[ "$(reg_value "$key" BaseClass)" = "Drive" ] || fail "menu cache key of E: lost its value"

driver post TForm1 "$TITLE" 1025
wait_exit || fail "the program did not end"
e_entry=$(entry 'Attention!' 'There is Autorun.inf file in E:\!' 'It may be hidden but it is there' \
  "Please check it's content - this can be a virus" '' 'Menu items were removed' '' \
  'E:\Autorun.inf file was deleted' '' 'All Autorun.* files were deleted:' 'E:\autorun.exe'; printf x)
f_entry=$(entry 'Attention!' 'There is Autorun.inf file in F:\!' 'It may be hidden but it is there' \
  "Please check it's content - this can be a virus"; printf x)
drive_entry() {
  entry 'Attention!' "There is Autorun.inf file in $1:\\!" 'It may be hidden but it is there' \
    "Please check it's content - this can be a virus" '' "$1:\\Autorun.inf file was deleted" '' \
    'All Autorun.* files were deleted:' "$1:\\autorun.exe"
  printf x
}
g_entry=$(drive_entry G) h_entry=$(drive_entry H) i_entry=$(drive_entry I)
expect_log_entries "$USERDIR/Mervane.log" "${e_entry%x}" "${f_entry%x}" "${g_entry%x}" "${h_entry%x}" "${i_entry%x}"
for d in g h i; do
  [ "$(ls "$PREFIX/drives/$d")" = notes.txt ] || fail "${d^^}: holds $(ls "$PREFIX/drives/$d")"
done
echo "startup scan: ok"
