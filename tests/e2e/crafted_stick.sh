#!/usr/bin/env bash
# A stick prepared by an attacker, beside the fixed I: that holds the user's
# folder I:\victim. Its names carry full-width backslashes, a folder link j
# leads into I:\victim, a worm shortcut names the user's hidden document, a
# hidden file through the link and a stream, and one shortcut is named COM1.
# At start-up only the worm's own script and shortcuts go (with copies); the
# document is shown again, the file through the link is said to be left, and
# I:\victim and the user's files on E: stay byte for byte as they were.
. "$(dirname "$0")/lib.sh"

mv_map_drive "$PREFIX" e floppy
mv_map_drive "$PREFIX" i hd
E="$PREFIX/drives/e" V="$PREFIX/drives/i/victim"
CMD='C:\windows\system32\cmd.exe'
lnk() { python3 "$(dirname "$0")/makelnk.py" "$@"; }

mkdir -p "$V/sub"
printf 'secret' > "$V/secret.txt"
printf 'data' > "$V/sub/data.txt"
ln -s "$V" "$E/j"
printf '[autorun]\r\nopen=evil.exe\r\n' > "$E/Autorun.inf"
printf 'my thesis' > "$E/thesis.docx"
printf 'crafted' > "$E/Autorun."$'\xef\xbc\xbc'".."$'\xef\xbc\xbc'"thesis.docx"
printf 'crafted' > "$E/Autorun."$'\xef\xbc\xbc'".."$'\xef\xbc\xbc'"j"$'\xef\xbc\xbc'"secret.txt"
printf 'CreateObject("WScript.Shell")' > "$E/x.vbs"
printf 'my report' > "$E/report.doc"
lnk "$E/report.doc.lnk" "$CMD" '/c start x.vbs&start report.doc&start j\secret.txt&start report.doc::$DATA&exit'
lnk "$E/COM1.lnk" "$CMD" '/c start x.vbs&exit'
lnk "$E/"$'\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe'".lnk" "$CMD" '/c start x.vbs&exit'
for f in x.vbs report.doc 'I:\victim\secret.txt'; do
  case $f in I:*) ;; *) f="E:\\$f" ;; esac
  driver attrs "$f" H >/dev/null || fail "could not hide $f"
done
victim_before=$(files_digest "$V")

start_mervane
report=$(driver box "$PRODUCT" 20000) || fail "no warning box for E:"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
expected="Attention!${CR}
There is Autorun.inf file in E:\\!${CR}
It may be hidden but it is there${CR}
Please check it's content - this can be a virus${CR}
${CR}
Cannot delete all menu items! DANGER!!!${CR}
${CR}
E:\\Autorun.inf file was deleted${CR}
${CR}
All Autorun.* files were deleted:${CR}
E:\\Autorun.?..?j?secret.txt${CR}
E:\\Autorun.?..?thesis.docx${CR}
${CR}
The worm's shortcuts were deleted:${CR}
E:\\????.lnk${CR}
E:\\report.doc.lnk${CR}
${CR}
The hidden files they start were deleted:${CR}
E:\\x.vbs${CR}
${CR}
Hidden files and folders were made visible again:${CR}
E:\\report.doc${CR}
${CR}
Cannot repair all shortcut-worm damage. DANGER!!!${CR}
E:\\j\\secret.txt (a link or junction)"
[ "$report" = "$expected" ] || { printf '%s' "$report" | od -c | head -60; fail "warning box text differs"; }
quit_mervane

[ "$(files_digest "$V")" = "$victim_before" ] || fail "I:\\victim changed"
[ "$(driver attrs 'I:\victim\secret.txt' | tr -d '\r')" = HA ] || [ "$(driver attrs 'I:\victim\secret.txt' | tr -d '\r')" = H ] ||
  fail "I:\\victim\\secret.txt: attributes $(driver attrs 'I:\victim\secret.txt')"
[ "$(cat "$E/thesis.docx")" = 'my thesis' ] && [ "$(cat "$E/report.doc")" = 'my report' ] || fail "a user's file on E: changed"
[ "$(driver attrs 'E:\report.doc' | tr -d '\r')" = A ] || [ "$(driver attrs 'E:\report.doc' | tr -d '\r')" = - ] ||
  fail "E:\\report.doc: attributes $(driver attrs 'E:\report.doc')"
[ -f "$E/COM1.lnk" ] && [ -L "$E/j" ] && [ ! -e "$E/x.vbs" ] && [ ! -e "$E/report.doc.lnk" ] || fail "E: holds: $(ls "$E")"
# Every copy is inside the one folder of this cleaning.
copies=$(cd "$USERDIR/Quarantine" && find . -type f | LC_ALL=C sort | sed 's|^\./[^/]*/||')
[ "$copies" = "$(printf '%s\n' Autorun._.._j_secret.txt.quarantined Autorun._.._thesis.docx.quarantined \
  Autorun.inf.quarantined Origin.txt report.doc.lnk.quarantined x.vbs.quarantined ____.lnk.quarantined |
  LC_ALL=C sort)" ] || fail "the quarantine holds: $copies"
mapfile -t lines <<<"${expected//$CR/}"
expect_log "$USERDIR/Mervane.log" "$(entry "${lines[@]}")"
echo "crafted stick: ok"
