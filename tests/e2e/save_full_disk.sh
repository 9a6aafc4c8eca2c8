#!/usr/bin/env bash
# The settings folder on a full disk (a tmpfs of 64 KiB): a save that cannot
# be stored whole leaves Mervane.ini byte for byte as it was and no copy
# behind, and is said once, in the log where it fits and in a box after OK in
# the exceptions dialog or the main window; earlier log entries stay as they were, and an entry
# or an Origin.txt line that does not fit leaves nothing. The program runs on
# and ends as usual.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

mkdir -p "$USERDIR"
# The program goes first: the file system cannot be unmounted while it is in use.
trap 'mv_kill_prefix "$PREFIX"; umount "$USERDIR" 2>/dev/null || umount -l "$USERDIR"' EXIT
mount -t tmpfs -o size=64k tmpfs "$USERDIR" || fail "could not mount a tmpfs on the settings folder"
INI="$USERDIR/Mervane.ini" LOG="$USERDIR/Mervane.log" Q="$USERDIR/Quarantine"
WIN_INI=$(mv_win_path "$PREFIX" "$INI")

# 40 accepted files, the first a tiny one, and neither FirstRun nor Behaviour:
# every save must grow the file, which ends 5 bytes short of its second page.
/usr/bin/python3 - "$INI" <<'EOF'
import sys
names = ["A"] + ["Disc %02d" % i for i in range(1, 40)]
bodies = ["x"] + ["[autorun]<<R>><<N>>open=setup%02d.exe<<R>><<N>>label=%s<<R>><<N>>" % (i, "L" * 100)
                  for i in range(1, 40)]
def text(pad):
    body = bodies[:-1] + [bodies[-1] + "p" * pad]
    return ("[General]\r\nRunMinimized=0\r\nARNames=" + "".join(n + "<<R2>><<N2>>" for n in names) +
            "\r\nARBodies=" + "".join(b + "<<R2>><<N2>>" for b in body) + "\r\n")
open(sys.argv[1], "w", newline="").write(text(8187 - len(text(0))))
EOF
[ "$(stat -c %s "$INI")" = 8187 ] || fail "the settings file is not 8187 bytes"
cp "$INI" "$PREFIX/old.ini"
# An earlier entry that leaves 6 bytes of the log's page free.
printf '12/1/2026 10:00:00 AM\t6\t\tE:\\Autorun.inf file was deleted %s\r\n' "$(printf '%*s' 4031 '' | tr ' ' '.')" \
  > "$LOG"
[ "$(stat -c %s "$LOG")" = 4090 ] || fail "the log is not 4090 bytes"
cp "$LOG" "$PREFIX/old.log"

free_bytes() { echo $(($(df --output=avail -B1 "$USERDIR" | tail -n 1))); }

# fill FREE: what the folder's file system has free becomes FREE bytes.
fill() {
  head -c $(($(free_bytes) + $(stat -c %s "$USERDIR/filler" 2>/dev/null || echo 0) - $1)) /dev/zero \
    > "$USERDIR/filler"
  [ "$(free_bytes)" = "$1" ] || fail "could not leave $1 bytes free"
}

# expect_unchanged: the settings file and the log hold just what they held before.
expect_unchanged() {
  cmp -s "$INI" "$PREFIX/old.ini" || fail "the settings file changed: $(ls -l "$INI")"
  [ ! -e "$INI.new" ] || fail "the copy of a failed save was left behind"
}

note "nothing free: the start-up scan's entries and the save at the end do not fit"
fill 0
mv_map_drive "$PREFIX" e floppy
printf '[autorun]\r\nopen=evil.exe\r\n' > "$PREFIX/drives/e/Autorun.inf"
start_mervane
driver box "$PRODUCT" 20000 >/dev/null || fail "no warning box for E:"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
wait_main_window
[ ! -e "$PREFIX/drives/e/Autorun.inf" ] || fail "E: not cleaned"
quit_mervane
expect_unchanged
cmp -s "$LOG" "$PREFIX/old.log" || fail "the log changed: $(tail -c 100 "$LOG" | od -c | tail -5)"
origin=$(ls "$Q"/*/Origin.txt) || fail "no quarantine folder for E:"
[ ! -s "$origin" ] || fail "Origin.txt holds a line that cannot fit: $(od -c "$origin" | head)"

note "room for a copy of the file only: OK in the exceptions dialog, OK in the main window, then the end"
rm "$PREFIX/drives/e/Autorun.inf" 2>/dev/null || true
fill 8192
start_mervane
wait_main_window
open_exceptions
driver press TForm2 "$DLG" Delete || fail "could not press Delete"
driver press TForm2 "$DLG" OK || fail "could not press OK"
not_saved="Your change is in effect but could not be saved:${CR}
Disk full.${CR}
Mervane will try again when it next saves its settings."
refused "$not_saved"
dialog_closed
expect_unchanged
driver press TForm1 "$TITLE" OK || fail "could not press OK in the main window"
refused "$not_saved"
hidden TForm1 "$TITLE" || fail "the main window stays shown after OK"
expect_unchanged
# Hiding a shown window takes Wine 2 s without a window manager.
driver answers TForm1 "$TITLE" 5000 || fail "the window does not answer after the failed saves"
quit_mervane
expect_unchanged
# The dialog's entry comes through the reporter the program gives TExceptionsDialog.
failed="Settings could not be saved to $WIN_INI: Disk full."
expect_log "$LOG" "$(log_normalised "$PREFIX/old.log"
  entry "$failed"
  entry "$failed"
  entry "$failed")"
echo "save full disk: ok"
