#!/usr/bin/env bash
# Starts the real program under Wine again and again against generated bad
# input and counts what went wrong. Each start gets a fresh prefix with four
# drives (E: removable, G: remote, H: RAM disk, I: fixed) on folders inside it,
# one bad user settings file (random bytes, huge values, missing sections,
# duplicate keys) and on each drive one bad Autorun.inf (binary, huge, UTF-16,
# empty, NUL-led, read-only, held open), about half of them accepted by an
# entry of the settings file. A start is then shown, its warning boxes are
# answered and it is ended with WM_USER + 1. The prefix of a start that
# crashed or hung stays in build/wine/campaign for a look.
# usage: bench/campaign.sh [-n STARTS] [-s SEED]     (defaults: 24 starts, seed 15)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${MERVANE_BUILD:-$src/build}
starts=24 seed=15
while getopts n:s: option; do
  case $option in
    n) starts=$OPTARG ;;
    s) seed=$OPTARG ;;
    *) sed -n 's/^# usage: //p' "$0"; exit 2 ;;
  esac
done
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" -n "$starts" -s "$seed"
fi
. "$src/scripts/winelib.sh"
targets=(Mervane mvdriver campaign_probe)
"$src/scripts/build.sh" --target "${targets[@]}" >/dev/null
grep -q '^CMAKE_TOOLCHAIN_FILE:.*x86_64' "$build/CMakeCache.txt" ||
  mv_use_runnable_build campaign --target "${targets[@]}" >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
TITLE="OSTREL(R) Mervane $version" PRODUCT="OSTREL(R) Mervane"
work="$build/wine/campaign"
mv_template "$build/wine/template"
rm -rf "$work"
mkdir -p "$work/host"
# Host files beside the prefixes: no drive reaches them, and they must stay so.
for f in Autorun.inf notes.txt; do printf '[autorun]\r\nopen=host.exe\r\n' > "$work/host/$f"; done

drives=(e g h i) kinds=(floppy network ramdisk hd)
setting_kinds=("random bytes" "huge values" "missing sections" "duplicate keys")
file_kinds=(binary huge UTF-16 empty NUL-led read-only "held open")
declare -A tried
crashed=0 hung=0 accepted=0 lost=0 kept_deleted=0 watched=0 changed=0 left_held=0 left_other=0

# bytes SEED N [LINE]: 1..N random bytes, none of them CR or LF when LINE is 1.
bytes() {
  perl -e 'my ($s, $n, $line) = @ARGV; srand $s;
    print map { my $c; do { $c = int rand 256 } while $line && ($c == 10 || $c == 13); chr $c } 1 .. 1 + int rand $n' \
    "$1" "$2" "${3:-0}"
}
# is_line FILE LIST: the whole of FILE is one of the lines of LIST.
is_line() {
  perl -e 'my ($file, $list) = @ARGV; open my $f, "<", $file or exit 1; my $want = do { local $/; <$f> };
    open my $l, "<", $list or exit 1; while (<$l>) { chomp; exit 0 if $_ eq $want } exit 1' "$1" "$2"
}
# A text Autorun.inf of about N bytes.
inf_text() { perl -e 'my ($s, $n) = @ARGV; srand $s; my $t = "[autorun]\r\n";
  $t .= "open=setup" . int(rand 1000) . ".exe\r\nlabel=Disc \xE9\xE0 " . int(rand 1000) . "\r\n" while length $t < $n; print $t' "$1" "$2"; }
utf16() { perl -e 'my $be = shift; local $/; my $t = <STDIN>; print $be ? "\xFE\xFF" : "\xFF\xFE";
  print map { $be ? "\0$_" : "$_\0" } split //, $t' "$1"; }

probe() { wine 'C:\tools\campaign_probe.exe' "$@"; }
driver() { wine 'C:\tools\mvdriver.exe' "$@"; }

p=""
trap '[ -z "$p" ] || mv_kill_prefix "$p"' EXIT
for ((start = 0; start < starts; start++)); do
  s=$((seed * 100000 + start * 100))
  p="$work/start-$start"
  mv_new_prefix "$build/wine/template" "$p"
  for d in 0 1 2 3; do mv_map_drive "$p" "${drives[d]}" "${kinds[d]}"; done
  # A crash ends the process at once instead of waiting in the debugger's dialog.
  printf '\n[Software\\\\Wine\\\\WineDbg] 1700000000\n"ShowCrashDialog"=dword:00000000\n' >> "$p/user.reg"
  export WINEPREFIX="$p"
  app="$p/drive_c/Mervane" tools="$p/drive_c/tools"
  user="$p/drive_c/users/$(id -un)/AppData/Roaming/Ostrel Software/Mervane"
  userwin="C:\\users\\$(id -un)\\AppData\\Roaming\\Ostrel Software\\Mervane\\Mervane.ini"
  mkdir -p "$app" "$tools" "$user" "$p/drive_c/data/sub"
  cp "$build/Mervane.exe" "$app/"
  cp "$build/tests/mvdriver.exe" "$build/bench/campaign_probe.exe" "$tools/"
  printf 'data\r\n' > "$p/drive_c/data/notes.txt"
  cp "$work/host/Autorun.inf" "$p/drive_c/data/sub/"

  names="" bodies="" held=()
  for d in 0 1 2 3; do
    root="$p/drives/${drives[d]}" letter=${drives[d]^^}
    kind=${file_kinds[$(((start * 4 + d) % 7))]}
    tried["$kind"]=$((${tried["$kind"]:-0} + 1))
    mkdir -p "$root/sub"
    printf 'keep\r\n' > "$root/keep.txt"
    printf 'not Autorun.*\r\n' > "$root/AutorunX.inf"
    cp "$work/host/Autorun.inf" "$root/sub/Autorun.inf"
    printf 'MZ' > "$root/sub/autorun.exe"
    printf 'MZ' > "$root/autorun.exe"
    f="$root/Autorun.inf"
    case $kind in
      binary) bytes $((s + d)) 4096 > "$f" ;;
      huge) inf_text $((s + d)) $(((1 + (s + d) % 3) << 20)) > "$f" ;;
      UTF-16) inf_text $((s + d)) 200 | utf16 $((d % 2)) > "$f" ;;
      empty) : > "$f" ;;
      NUL-led) { printf '\0'; bytes $((s + d)) 200; } > "$f" ;;
      *) inf_text $((s + d)) 100 > "$f" ;;
    esac
    probe body "$letter:\\Autorun.inf" 2>/dev/null | tr -d '\r\n' > "$p/body-$d" || rm "$p/body-$d"
    if (((s / 100 + d) % 2 == 0)) && [ -f "$p/body-$d" ]; then
      names+="Drive $letter<<R2>><<N2>>"
      bodies+="$(cat "$p/body-$d")<<R2>><<N2>>"
    fi
    [ "$kind" = read-only ] && chmod a-w "$f"
    if [ "$kind" = "held open" ]; then
      probe hold "$letter:\\Autorun.inf" 120000 > "$p/held-$d" &
      held+=("$d")
    fi
  done
  names+="Spare<<R2>><<N2>>" bodies+="[autorun]<<R>><<N>>open=spare.exe<<R>><<N>><<R2>><<N2>>"

  skind=${setting_kinds[$((start % 4))]}
  tried["$skind"]=$((${tried["$skind"]:-0} + 1))
  ini="$user/Mervane.ini"
  block=$(printf 'ARNames=%s\r\nARBodies=%s\r\n' "$names" "$bodies")
  case $skind in
    "random bytes")
      { bytes $s 300; printf '\r\n[General]\r\n%s\r\n' "$block"; bytes $((s + 1)) 60 1; printf '=%s\r\n' "$(bytes $((s + 2)) 60 1)"
        bytes $((s + 3)) 300; } > "$ini" ;;
    "huge values")
      key=$(printf 'Behaviour\nRunMinimized\nFirstRun\nLocked\nJunk\nARNames\n' | sed -n "$((start / 4 % 6 + 1))p")
      { printf '[General]\r\n'; [ "$key" = ARNames ] || printf '%s\r\n' "$block"
        printf '%s=' "$key"; head -c $(((1 + start / 4 % 4) << 20)) /dev/zero | tr '\0' "$((start / 4 % 10))"; printf '\r\n'
        [ "$key" != ARNames ] || printf 'ARBodies=x<<R2>><<N2>>\r\n'; } > "$ini" ;;
    "missing sections")
      case $((start / 4 % 4)) in
        0) printf '%s\r\nFirstRun=0\r\n' "$block" > "$ini" ;;
        1) printf '[Other]\r\n%s\r\n' "$block" > "$ini" ;;
        2) printf 'Behaviour=1\r\n[general]\r\n%s\r\n' "$block" > "$ini" ;;
        3) printf '[General\r\n%s\r\n[]\r\nFirstRun=0\r\n' "$block" > "$ini" ;;
      esac ;;
    "duplicate keys")
      printf '[General]\r\n%s\r\nBehaviour=0000\r\nBehaviour=11111111111111111111\r\nARNames=Other<<R2>><<N2>>\r\n[General]\r\nARBodies=\r\nFirstRun=x\r\nFirstRun=0\r\n%s\r\n' \
        "$block" "$block" > "$ini" ;;
  esac
  probe entries "$userwin" > "$p/before" 2>/dev/null || true
  accepted=$((accepted + $(wc -l < "$p/before")))

  snapshot() {
    { find "$p/drives" -mindepth 3 -type f; find "$p/drives" -mindepth 2 -maxdepth 2 -type f ! -iname 'autorun.*'
      find "$p/drive_c/data" "$work/host" -type f; } | sort | xargs -d '\n' sha1sum
  }
  snapshot > "$p/watched"
  watched=$((watched + $(wc -l < "$p/watched")))

  (cd "$app" && exec wine 'C:\Mervane\Mervane.exe') > "$p/program-output" 2>&1 &
  pid=$!
  outcome=ok
  if ! driver wait TForm1 "$TITLE" 20000 >/dev/null; then
    kill -0 "$pid" 2>/dev/null && outcome=hang || outcome=crash
  else
    # Answer warning boxes until the start-up is over: a sent message comes
    # back only once the program waits for input, in a box or in its own loop.
    for ((round = 0; round < 60; round++)); do
      driver send TForm1 "$TITLE" 0 >/dev/null || { kill -0 "$pid" 2>/dev/null || break; continue; }
      driver click "$PRODUCT" OK 300 >/dev/null 2>&1 || driver click "$TITLE" OK 300 >/dev/null 2>&1 || break
    done
    driver post TForm1 "$TITLE" 1025 >/dev/null || true
    for ((i = 0; i < 200; i++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then outcome=hang; fi
  fi
  if [ "$outcome" = ok ]; then
    wait "$pid" || outcome=crash
  fi
  case $outcome in crash) crashed=$((crashed + 1)) ;; hang) hung=$((hung + 1)) ;; esac

  probe entries "$userwin" > "$p/after" 2>/dev/null || true
  n=$(comm -23 <(LC_ALL=C sort "$p/before") <(LC_ALL=C sort "$p/after") | wc -l)
  lost=$((lost + n))
  # A file is accepted when the loaded list holds its body, by whichever entry.
  cut -f2- "$p/before" > "$p/bodies"
  left=""
  for d in 0 1 2 3; do
    if [ -f "$p/body-$d" ] && is_line "$p/body-$d" "$p/bodies"; then
      [ -e "$p/drives/${drives[d]}/Autorun.inf" ] || kept_deleted=$((kept_deleted + 1))
      continue
    fi
    [ -e "$p/drives/${drives[d]}/Autorun.inf" ] || continue
    if [[ " ${held[*]} " == *" $d "* ]]; then left_held=$((left_held + 1)); else left_other=$((left_other + 1)); fi
    left+=" ${drives[d]^^}:${file_kinds[$(((start * 4 + d) % 7))]// /-}"
  done
  n=$(snapshot | diff - "$p/watched" | grep -c '^>' || true)
  changed=$((changed + n))
  printf 'start %2d: %-16s %-26s %s\n' "$start" "$skind" "$(for d in 0 1 2 3; do printf '%s ' "${file_kinds[$(((start * 4 + d) % 7))]// /-}"; done)" "$outcome${left:+, left:$left}" >&2
  mv_kill_prefix "$p"
  [ "$outcome" = ok ] && rm -rf "$p"
done

printf '\n| tried | count |\n|---|---:|\n'
for k in "${setting_kinds[@]}"; do printf '| settings file: %s | %d |\n' "$k" "${tried[$k]:-0}"; done
for k in "${file_kinds[@]}"; do printf '| Autorun.inf: %s | %d |\n' "$k" "${tried[$k]:-0}"; done
printf '\n| failure | count |\n|---|---:|\n'
printf '| starts that crashed | %d of %d |\n' "$crashed" "$starts"
printf '| starts that hung (no window within 20 s, or no end within 20 s of WM_USER + 1) | %d of %d |\n' "$hung" "$starts"
printf '| accepted files lost from the settings file | %d of %d |\n' "$lost" "$accepted"
printf '| accepted Autorun.inf files deleted | %d |\n' "$kept_deleted"
printf '| files outside the drive roots changed | %d of %d |\n' "$changed" "$watched"
printf '\nUnaccepted Autorun.inf left on a drive: %d held open by another process (cannot be deleted), %d others.\n' \
  "$left_held" "$left_other"
