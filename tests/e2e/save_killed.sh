#!/usr/bin/env bash
# The program killed at many moments of the save at its end, with thousands
# of accepted files: the settings file is each time either the one before the
# save or the one the save makes, whole. The copy a killed save leaves behind
# is never taken for the settings and goes at the next save.
. "$(dirname "$0")/lib.sh"

ROUNDS=8
INI="$USERDIR/Mervane.ini" COPY="$USERDIR/Mervane.ini.new"
mkdir -p "$USERDIR"
# Without FirstRun and Behaviour, so that the save changes the file.
/usr/bin/python3 - "$PREFIX/old.ini" <<'EOF'
import sys
count = 3000
names = "".join("Disc %04d<<R2>><<N2>>" % i for i in range(count))
bodies = "".join("[autorun]<<R>><<N>>open=setup%04d.exe<<R>><<N>>label=%s<<R>><<N>><<R2>><<N2>>" % (i, "L" * 200)
                 for i in range(count))
open(sys.argv[1], "w", newline="").write("[General]\r\nRunMinimized=0\r\nARNames=%s\r\nARBodies=%s\r\n" %
                                         (names, bodies))
EOF

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# save_from_old: the program started on the old file, its window up, and
# WM_USER + 1 posted; returns once the save's copy is there. A copy left
# behind earlier is told from it by its file number, which a second link
# keeps from being given to the new one.
save_from_old() {
  local limit left=""
  cp "$PREFIX/old.ini" "$INI"
  if [ -e "$COPY" ]; then
    ln -f "$COPY" "$PREFIX/left-behind"
    left=$(stat -c %i "$COPY")
  fi
  start_mervane
  wait_main_window
  driver post TForm1 "$TITLE" 1025 || fail "could not post WM_USER + 1"
  limit=$((SECONDS + 20 * SLOW))
  until [ -e "$COPY" ] && [ "$(stat -c %i "$COPY" 2>/dev/null)" != "$left" ]; do
    ((SECONDS < limit)) || fail "the save made no copy"
    sleep 0.002
  done
}

note "a save that runs to its end"
rm -f "$COPY"
save_from_old
copied=$(now_ms)
while [ -e "$COPY" ] && is_running; do sleep 0.002; done
save_ms=$(($(now_ms) - copied))
wait_exit || fail "the program did not end"
cp "$INI" "$PREFIX/new.ini"
cmp -s "$PREFIX/old.ini" "$PREFIX/new.ini" && fail "the save changed nothing"
grep -q $'\r\nFirstRun=0\r\nBehaviour=00001111111111111111\r\nRepairShortcuts=01000\r\nVaccinate=00000\r\n$' "$PREFIX/new.ini" || fail "the save wrote no FirstRun"
note "the copy lived ${save_ms} ms; the file grew from $(stat -c %s "$PREFIX/old.ini") to $(stat -c %s "$INI") bytes"

left=0 olds=0 news=0
for ((round = 0; round < ROUNDS; round++)); do
  # Spread over the copy's life and a little beyond.
  delay_ms=$((round * (save_ms + save_ms / 4) / (ROUNDS - 1)))
  save_from_old
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -9 "$MERVANE_PID" 2>/dev/null || true
  wait_exit || fail "the killed program did not go"
  if cmp -s "$INI" "$PREFIX/old.ini"; then
    olds=$((olds + 1))
  elif cmp -s "$INI" "$PREFIX/new.ini"; then
    news=$((news + 1))
  else
    fail "killed ${delay_ms} ms into the save, the settings file is neither the old nor the new one"
  fi
  # A copy left behind stays for the next round's save.
  if [ -e "$COPY" ]; then left=$((left + 1)); fi
done
note "killed $ROUNDS times: old file $olds times, new $news times, a copy left behind $left times"
[ "$left" -gt 0 ] || fail "no kill came in the middle of a save"

note "the next save, not killed, removes the copy left behind"
[ -e "$COPY" ] || touch "$COPY"
save_from_old
wait_exit || fail "the program did not end"
cmp -s "$INI" "$PREFIX/new.ini" || fail "the last save did not write the new file"
[ ! -e "$COPY" ] || fail "the copy was left behind"
echo "save killed: ok"
