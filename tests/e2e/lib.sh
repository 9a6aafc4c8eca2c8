# Sourced by every end-to-end scenario. Makes the scenario's own prefix from
# the run's template, puts Mervane.exe and the driver into it, and tears
# everything down when the scenario ends, whatever happened.
set -euo pipefail
: "${MERVANE_VERSION:?}" "${MERVANE_EXE:?}" "${MVDRIVER_EXE:?}" "${WINE_ROOT:?}" "${MERVANE_SCRIPTS:?}"
. "$MERVANE_SCRIPTS/winelib.sh"

SCENARIO=$(basename "$0" .sh)
# MERVANE_WINEARCH=win32 runs the scenario on 32-bit Windows (a pure 32-bit prefix).
PREFIX="$WINE_ROOT/e2e-${MERVANE_WINEARCH:+$MERVANE_WINEARCH-}$SCENARIO"
TEMPLATE=$(mv_run_template "$WINE_ROOT")
mv_new_prefix "$TEMPLATE" "$PREFIX"
export WINEPREFIX="$PREFIX"
trap 'mv_kill_prefix "$PREFIX"' EXIT
# A working folder inside the prefix, so Wine finds it on C:.
cd "$PREFIX/drive_c"

APPDIR="$PREFIX/drive_c/Mervane"
mkdir -p "$APPDIR" "$PREFIX/drive_c/tools"
cp "$MERVANE_EXE" "$APPDIR/Mervane.exe"
cp "$MVDRIVER_EXE" "$PREFIX/drive_c/tools/mvdriver.exe"
USERDIR="$PREFIX/drive_c/users/$(id -un)/AppData/Roaming/Ostrel Software/Mervane"
TITLE="OSTREL(R) Mervane $MERVANE_VERSION"
PRODUCT="OSTREL(R) Mervane"
CR=$'\r'
MERVANE_PID=""

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }

# start_mervane [EXE_NAME]: starts C:\Mervane\EXE_NAME (default Mervane.exe) in the background.
start_mervane() {
  local exe=${1:-Mervane.exe}
  (cd "$APPDIR" && exec wine "C:\\Mervane\\$exe") &
  MERVANE_PID=$!
}

# Every time limit stretched N times with MERVANE_SLOW=N (the driver reads it
# too), for a machine that emulates the processor.
SLOW=${MERVANE_SLOW:-1}

# wait_exit [PID] [SECONDS]: the process ends within SECONDS (default 20).
wait_exit() {
  local pid=${1:-$MERVANE_PID} secs=${2:-20} i
  for ((i = 0; i < secs * 10 * SLOW; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  return 1
}

is_running() { kill -0 "${1:-$MERVANE_PID}" 2>/dev/null; }

# driver ARG...: one command of the driver, answered by one driver process that
# stays for the whole scenario ("serve"), since each start of a Wine process
# costs a second or more (several under emulation). Its pipes are named, so
# that a call inside $(...) reaches the same process; each is opened
# read-write by the server, so that neither side ever blocks on opening.
DRIVER_IN="$PREFIX/driver.in" DRIVER_OUT="$PREFIX/driver.out"
driver() {
  local line out="" code="" fd
  # Typed keys and sent messages get a process of their own, as a user's input
  # comes from outside: seen under Wine 8, a driver that stays after them makes
  # later Shift+Tabs go astray and the tray icon's menu close at once.
  case $1 in
    keys | send) wine "C:\\tools\\mvdriver.exe" "$@"; return ;;
  esac
  if [ ! -p "$DRIVER_IN" ]; then
    mkfifo "$DRIVER_IN" "$DRIVER_OUT"
    wine "C:\\tools\\mvdriver.exe" serve <>"$DRIVER_IN" 1<>"$DRIVER_OUT" 2>>"$PREFIX/driver.log" &
  fi
  (IFS=$'\t'; printf '%s\n' "$*") >"$DRIVER_IN"
  exec {fd}<>"$DRIVER_OUT"
  while IFS= read -r -t $((120 * SLOW)) -u "$fd" line; do
    if [ "${line:0:1}" = $'\x04' ]; then
      code=${line:1}
      break
    fi
    out+=$line$'\n'
  done
  exec {fd}<&-
  [ -n "$code" ] || { echo "mvdriver gave no answer to: $*" >&2; return 2; }
  # The server adds one line feed after what the command printed.
  printf '%s' "${out%$'\n'}"
  return "$code"
}

# driver_stop: ends the driver's process (before waiting for the prefix to empty).
driver_stop() {
  [ -p "$DRIVER_IN" ] || return 0
  printf 'quit\n' >"$DRIVER_IN"
  rm -f "$DRIVER_IN" "$DRIVER_OUT"
}

# expect_saved FILE CONTENT: FILE comes to hold CONTENT within 5 s
# (a window is hidden before the settings are saved).
expect_saved() {
  local i
  for ((i = 0; i < 50 * SLOW; i++)); do
    cmp -s "$1" <(restore_crlf "$2") && return 0
    sleep 0.1
  done
  expect_file "$1" "$2"
}

# expect_focus CLASS CAPTION NAME WHAT: the focus reaches NAME within 5 s. Typed keys
# travel through the X server, so they may land after the driver has returned.
expect_focus() {
  local got="" i
  for ((i = 0; i < 50 * SLOW; i++)); do
    got=$(driver focus "$1" "$2") && [ "$got" = "$3" ] && return 0
    sleep 0.1
  done
  fail "$4: focus on $got, not $3"
}

# eventually EXPECTED WHAT COMMAND...: COMMAND comes to print EXPECTED within 5 s.
eventually() {
  local want=$1 what=$2 got="" i
  shift 2
  for ((i = 0; i < 50 * SLOW; i++)); do
    got=$("$@") && [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  fail "$what (got '$got', not '$want')"
}

wait_main_window() { driver wait TForm1 "$TITLE" "${1:-20000}" >/dev/null || fail "main window did not appear"; }

# start_shown: starts the program and shows its window; the window answers
# only once the start-up is over.
start_shown() {
  start_mervane
  wait_main_window
  driver send TForm1 "$TITLE" 273 200 0 >/dev/null || fail "could not show the window"
}

# answer_quit_question YES|NO WHY: the quit question appears within 10 s,
# reads exactly as it should, and gets the answer; WHY names what asked it.
answer_quit_question() {
  local text
  text=$(driver box "$PRODUCT" 10000) || fail "$2 did not ask the quit question"
  [ "$text" = "Do you really want to quit application?${CR}
If you want just hide this window press \"No\"" ] || fail "quit question reads: $text"
  driver click "$PRODUCT" "$1" 5000 || fail "could not answer $1"
}

# quit_mervane: ends the program through WM_USER + 1.
quit_mervane() {
  driver post TForm1 "$TITLE" 1025
  wait_exit || fail "WM_USER + 1 did not end the program"
}

# box_states CAPTION...: the boxes' checked digits, "/", their enabled digits.
box_states() {
  local states checked="" enabled="" box e c
  states=$(driver states TForm1 "$TITLE" | tr -d '\r')
  for box in "$@"; do
    IFS='|' read -r _ _ e c _ < <(printf '%s\n' "$states" | grep -F "Button|$box|")
    checked+=$c enabled+=$e
  done
  printf '%s/%s' "$checked" "$enabled"
}

# Command substitution drops the final LF of "$(crlf ...)"; put it back.
restore_crlf() { case "$1" in *"$CR") printf '%s\n' "$1" ;; *) printf '%s' "$1" ;; esac; }

# expect_file FILE CONTENT: FILE holds exactly CONTENT (bytes).
expect_file() {
  [ -f "$1" ] || fail "missing file $1"
  if ! cmp -s "$1" <(restore_crlf "$2"); then
    echo "--- expected:" >&2; restore_crlf "$2" | od -c | head -40 >&2
    echo "--- actual:" >&2; od -c "$1" | head -40 >&2
    fail "$1 differs"
  fi
}

# files_digest DIR: every file below DIR with the checksum of its bytes, one a line, in name order.
files_digest() { (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum); }

# crlf LINE...: the lines joined as a Windows text file.
crlf() { local l; for l in "$@"; do printf '%s\r\n' "$l"; done; }

# log_normalised FILE: the log with each entry's time stamp replaced by "<T>";
# fails when a stamp does not look like a date with an optional time.
log_normalised() {
  local f=$1
  [ -f "$f" ] || fail "missing log $f"
  if LC_ALL=C grep -a -v -E $'^\t' "$f" | LC_ALL=C grep -a -q -v -E \
      '^[0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}:[0-9]{2}( ?[AP]M)?)?'$'\t'; then
    fail "log entry without a proper time stamp in $f"
  fi
  LC_ALL=C sed -E $'s/^[^\t]+\t6\t\t/<T>\t6\t\t/' "$f"
}

# expect_log FILE CONTENT [OR_CONTENT]: the log, stamps replaced by <T>, is
# exactly CONTENT (or OR_CONTENT: drives checked side by side may finish in
# either order).
expect_log() {
  local actual expected other=""
  actual=$(log_normalised "$1"; printf x)
  actual=${actual%x}
  expected=$(restore_crlf "$2"; printf x)
  expected=${expected%x}
  if [ $# -ge 3 ]; then
    other=$(restore_crlf "$3"; printf x)
    [ "$actual" = "${other%x}" ] && return 0
  fi
  if [ "$actual" != "$expected" ]; then
    echo "--- expected:" >&2; printf '%s' "$expected" | od -c | head -60 >&2
    echo "--- actual:" >&2; printf '%s' "$actual" | od -c | head -60 >&2
    fail "log $1 differs"
  fi
}

# expect_log_entries FILE ENTRY...: the log, stamps replaced by <T>, holds exactly these entries
# (each made by `entry`), in any order: drives checked side by side finish as they will.
expect_log_entries() {
  local file=$1 actual expected
  shift
  split_entries() { LC_ALL=C awk 'NR > 1 && /^<T>/ { printf "%c", 0 } { print }'; }
  actual=$(log_normalised "$file" | split_entries | LC_ALL=C sort -z | od -c)
  expected=$(for e in "$@"; do printf '%s' "$e"; done | split_entries | LC_ALL=C sort -z | od -c)
  [ "$actual" = "$expected" ] || { echo "--- expected:" >&2; printf '%s\n' "$expected" | head -80 >&2
    echo "--- actual:" >&2; printf '%s\n' "$actual" | head -80 >&2; fail "log $file differs"; }
}

# entry TEXT...: one log entry as the program writes it, stamp as <T>; further
# arguments are continuation lines.
entry() {
  local first=$1; shift
  printf '<T>\t6\t\t%s\r\n' "$first"
  local l; for l in "$@"; do printf '\t\t\t\t\t\t\t%s\r\n' "$l"; done
}

MOUNTPOINTS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\MountPoints2'

# volume_id ROOT: the volume's key name under MountPoints2 ({GUID}).
volume_id() {
  local v
  v=$(driver volume "$1") || fail "no volume name for $1"
  v=${v#\\\\?\\Volume}
  printf '%s' "${v%\\}"
}

# winreg ARG...: reg.exe on the registry as 64-bit programs see it, where the program keeps
# its machine keys on 64-bit Windows; a 32-bit Wine would otherwise run the 32-bit reg.exe,
# which sees HKLM\Software through its 32-bit view.
winreg() { wine reg "$@" /reg:64; }

# reg_add KEY [VALUE DATA]: creates KEY (with a string value) in the prefix's registry.
reg_add() {
  if [ $# -ge 3 ]; then
    winreg add "$1" /v "$2" /d "$3" /f >/dev/null || fail "reg add $1 failed"
  else
    winreg add "$1" /f >/dev/null || fail "reg add $1 failed"
  fi
}

# reg_subkeys KEY: the names of KEY's direct subkeys, one a line; fails when KEY is missing.
reg_subkeys() {
  local out
  out=$(winreg query "$1" 2>/dev/null | tr -d '\r') || return 1
  printf '%s\n' "$out" | grep '^HKEY_' | tail -n +2 | sed 's|.*\\||'
}

# reg_value KEY NAME: the data of a string value.
reg_value() {
  winreg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}

# reg_dword KEY NAME: the data of a DWORD value as reg prints it (0x10); empty for another type.
reg_dword() {
  winreg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_DWORD *//p"
}

# use_wine_desktop [SIZE]: from then on every program of the prefix, the driver
# included, shares one Wine desktop of SIZE (default 800x600) with a taskbar.
# Before the program starts: it waits until the prefix's processes are gone, as
# the desktop is made anew only then.
use_wine_desktop() {
  crlf 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"Default\"=\"${1:-800x600}\"" \
    > "$PREFIX/drive_c/desktop.reg"
  wine regedit /S 'C:\desktop.reg' || fail "regedit could not set the Wine desktop"
  driver_stop
  wineserver -w
}

# wait_visible CLASS CAPTION [SECONDS]: such a window is shown within SECONDS (default 10).
wait_visible() {
  local i
  for ((i = 0; i < ${3:-10} * 5 * SLOW; i++)); do
    [ "$(driver visible "$1" "$2")" = "1" ] && return 0
    sleep 0.2
  done
  return 1
}
