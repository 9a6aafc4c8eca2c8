#!/usr/bin/env bash
# A mapped network drive whose server is gone (every call on it waits) holds
# up nothing: the removable drive after it is cleaned at once, the window
# answers throughout, and the program ends at once, settings saved.
. "$(dirname "$0")/lib.sh"

STALL=6
D="$PREFIX/drives/stalled"
# The file system goes first: its end answers every call still waiting on it.
trap 'mv_stalled_fs_end "$D"; mv_kill_prefix "$PREFIX"' EXIT
mv_stalled_fs "$D" "$STALL" || fail "the stalling file system did not mount: $(cat "$D.log")"
mv_map_drive "$PREFIX" d network "$D"
mv_map_drive "$PREFIX" e floppy
E="$PREFIX/drives/e"
printf '[autorun]\r\nopen=evil.exe\r\n' > "$E/Autorun.inf"
# No menu cache key of E: to clear: that step reports a failure.
mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"

start=$(date +%s%N)
start_mervane
wait_main_window
# E: comes after D: in the scan, and D: answers nothing for many seconds.
report=$(driver box "$PRODUCT" $((10000 * SLOW))) || fail "no warning box for E:"
cleaned_ms=$((($(date +%s%N) - start) / 1000000))
[ ! -e "$E/Autorun.inf" ] || fail "E: not cleaned"
[ "${report%%$CR*}" = "Attention!" ] && [[ $report == *"in E:\\!"* ]] || fail "the box is not E:'s: $report"
note "E: cleaned ${cleaned_ms} ms after the start, D: stalling ${STALL} s a call"
driver answers TForm1 "$TITLE" 500 || fail "the window did not answer while the box was up"
driver click "$PRODUCT" OK 5000 || fail "could not close the warning box"
for _ in 1 2 3; do
  driver answers TForm1 "$TITLE" 500 || fail "the window did not answer while D: stalled"
done

# To the tray, where it usually sits: under Wine without a window manager,
# taking down a window that is shown waits 2 s for the X server.
driver send TForm1 "$TITLE" 0x112 0xF020 0 >/dev/null || fail "could not minimize the window"
eventually 0 "minimizing did not hide the window" driver visible TForm1 "$TITLE"

quit_at=$(date +%s%N)
driver post TForm1 "$TITLE" 1025
# Within 2 s the program has saved its settings and begun to take its windows
# down; Wine's tray then takes 2 s to let go of the icon, a stall or not. The
# process goes once the read on D: under way returns: the kernel does not
# give up a call that the file system has already taken on.
expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=' 'ARBodies=')"
saved_ms=$((($(date +%s%N) - quit_at) / 1000000))
[ "$saved_ms" -le $((2000 * SLOW)) ] || fail "settings saved only $saved_ms ms after WM_USER + 1"
eventually 0 "the window stayed after WM_USER + 1" driver count TForm1 "$TITLE"
wait_exit "$MERVANE_PID" $((STALL + 3)) || fail "the program was still running $((STALL + 3)) s after WM_USER + 1"
note "settings saved $saved_ms ms, process ended $((($(date +%s%N) - quit_at) / 1000000)) ms after WM_USER + 1"
expect_log "$USERDIR/Mervane.log" "$(
  entry 'Attention!' 'There is Autorun.inf file in E:\!' 'It may be hidden but it is there' \
    "Please check it's content - this can be a virus" '' 'Cannot delete all menu items! DANGER!!!' '' \
    'E:\Autorun.inf file was deleted' '' 'All Autorun.* files were deleted:'
)"
echo "stalled drive: ok"
