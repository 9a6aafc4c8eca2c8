#!/usr/bin/env bash
# Shortcut worms as found in the wild, on the removable E: at start-up:
# - Docs.lnk names cmd.exe only in its target ID list, renames its script in
#   its hidden folder x (ren x\*.vbss *.vbs) before it starts it, then opens
#   the user's hidden folder named with a no-break space;
# - Stick.lnk has the letter the stick had where it was infected (B:\) as its
#   working folder and starts the worm's program in the user's hidden folder _;
# - Photos.lnk names %COMSPEC% in its environment block only, its working
#   folder padded with NULs and bytes after its terminal block, and opens the
#   user's hidden folders named " " and ".cfg".
# The three shortcuts and the programs they start go (with copies), the
# user's folders are shown again, and the user's own shortcuts beside them
# (one in each of these shapes) and every file of the user stay as they were.
. "$(dirname "$0")/lib.sh"

mv_map_drive "$PREFIX" e floppy
E="$PREFIX/drives/e"
# A no-break space as the box shows it (the ANSI code page) and as Linux names it.
NBSP=$'\xa0' NBSP_UTF8=$'\xc2\xa0'
CMD='C:\windows\system32\cmd.exe'
POWERSHELL='%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe'
lnk() { python3 "$(dirname "$0")/makelnk.py" "$@"; }

mkdir -p "$E/x" "$E/$NBSP_UTF8" "$E/_" "$E/ " "$E/.cfg" "$E/Apps"
printf 'WScript.Echo 1' > "$E/x/y.vbss"
printf 'my report' > "$E/$NBSP_UTF8/report.doc"
printf 'MZworm' > "$E/_/DeviceManager.exe"
printf 'my thesis' > "$E/_/thesis.doc"
printf 'var w' > "$E/w.js"
printf 'JFIF' > "$E/ /photo.jpg"
printf 'colour=1' > "$E/.cfg/settings.ini"
printf 'MZmine' > "$E/Apps/app.exe"
printf 'list' > "$E/Apps/list.txt"
printf 'notes' > "$E/notes.txt"
lnk "$E/Docs.lnk" "$CMD" "/c ren x\\*.vbss *.vbs &start \\x\\y.vbs&start explorer $NBSP_UTF8&exit" --target-in idlist
lnk "$E/Stick.lnk" "$CMD" '/c start _ & _\DeviceManager.exe & exit' 'B:\'
lnk "$E/Photos.lnk" '%COMSPEC%' '/c start w.js&start explorer " "&start .cfg&exit' 'E:\' --target-in env --pad-working 120 \
  --trailing 9
# The user's own: a program on the stick with an argument, by the stick's old
# letter; a command prompt and PowerShell naming no hidden file; a document
# with its working folder padded and bytes after the end.
lnk "$E/App.lnk" 'E:\Apps\app.exe' 'list.txt' 'B:\Apps' --target-in idlist
lnk "$E/Prompt.lnk" '%COMSPEC%' '/k cd Apps' --target-in env
lnk "$E/Shell.lnk" "$POWERSHELL" --target-in env -- '-NoExit -Command dir'
lnk "$E/Notes.lnk" 'E:\notes.txt' '' 'E:\' --pad-working 40 --trailing 3
# Wine hides every name with a leading dot unless told not to; Windows does not.
wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1 || fail "could not show dot files"
for f in 'E:\x' "E:\\$NBSP" 'E:\_' 'E:\.cfg' 'E:\_\DeviceManager.exe' 'E:\w.js' '\\?\E:\ '; do
  driver attrs "$f" H >/dev/null || fail "could not hide $f"
done
mine() { files_digest "$E" | grep -v -e '/x/y.vbss$' -e '/_/DeviceManager.exe$' -e '/w.js$' -e '/Docs.lnk$' -e '/Stick.lnk$' \
  -e '/Photos.lnk$'; }
mine_before=$(mine)

start_mervane
report=$(driver box "$PRODUCT" 20000) || fail "no warning box for E:"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
expected="Attention!${CR}
There are shortcut-worm traces in E:\\!${CR}
Its shortcuts start a hidden program and it hides your files and folders${CR}
${CR}
The worm's shortcuts were deleted:${CR}
E:\\Docs.lnk${CR}
E:\\Photos.lnk${CR}
E:\\Stick.lnk${CR}
${CR}
The hidden files they start were deleted:${CR}
E:\\_\\DeviceManager.exe${CR}
E:\\w.js${CR}
E:\\x\\y.vbss${CR}
${CR}
Hidden files and folders were made visible again:${CR}
E:\\ ${CR}
E:\\${NBSP}${CR}
E:\\.cfg${CR}
E:\\_"
[ "$report" = "$expected" ] || { printf '%s' "$report" | od -c | head -60; fail "warning box text differs"; }
quit_mervane

[ "$(mine)" = "$mine_before" ] || fail "the user's files or shortcuts on E: changed: $(diff <(echo "$mine_before") <(mine))"
for gone in x/y.vbss _/DeviceManager.exe w.js Docs.lnk Stick.lnk Photos.lnk; do
  [ ! -e "$E/$gone" ] || fail "E:\\$gone is still there"
done
for shown in "E:\\$NBSP" 'E:\_' 'E:\.cfg' '\\?\E:\ '; do
  [ "$(driver attrs "$shown" | tr -d '\r')" = D ] || fail "$shown: attributes $(driver attrs "$shown")"
done
[ "$(driver attrs 'E:\x' | tr -d '\r')" = HD ] || fail "the worm's folder x: attributes $(driver attrs 'E:\x')"
copies=$(cd "$USERDIR/Quarantine" && find . -type f | LC_ALL=C sort | sed 's|^\./[^/]*/||')
[ "$copies" = "$(printf '%s\n' DeviceManager.exe.quarantined Docs.lnk.quarantined Origin.txt Photos.lnk.quarantined \
  Stick.lnk.quarantined w.js.quarantined y.vbss.quarantined | LC_ALL=C sort)" ] || fail "the quarantine holds: $copies"
mapfile -t lines <<<"${expected//$CR/}"
expect_log "$USERDIR/Mervane.log" "$(entry "${lines[@]}")"
echo "shortcut worm in the wild: ok"
