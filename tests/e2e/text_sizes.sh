#!/usr/bin/env bash
# At each text size (96, then 120, 144 and 192 dpi) the main window, the
# exceptions dialog and the prompt are laid out for it: the client areas and
# every control's place are the 96-dpi ones scaled, the list's items are as
# high as their text, and every caption fits its control.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

# The 192-dpi main window is higher than the default X screen.
use_wine_desktop 1600x1200

# scaled DPI N: N pixels at 96 dpi, at DPI, rounded as the program rounds.
scaled() { echo $(( ($2 * $1 + 48) / 96 )); }
# near A B: within 2 pixels.
near() { (( $1 - $2 <= 2 && $2 - $1 <= 2 )); }

# check_window DPI NAME CLASS CAPTION FONT: NAME's places against those seen
# at 96 dpi (kept in $PREFIX/NAME.96), and its captions against the font.
check_window() {
  local dpi=$1 name=$2 lines line kind caption place extent item x y w h tw th ref rx ry rw rh cw ch
  read -r cw ch < <(driver client "$3" "$4" | tr -d '\r')
  lines=$(driver measure "$3" "$4" "$5" 8 | tr -d '\r') || fail "$name: could not measure"
  if [ "$dpi" = 96 ]; then
    printf '%s\n' "$cw $ch" "$lines" > "$PREFIX/$name.96"
    return 0
  fi
  read -r rw rh < "$PREFIX/$name.96"
  near "$cw" "$(scaled "$dpi" "$rw")" && near "$ch" "$(scaled "$dpi" "$rh")" ||
    fail "$name at $dpi dpi: client area $cw x $ch, not $rw x $rh scaled"
  note "$name at $dpi dpi: client area $cw x $ch"
  local i=1
  while IFS='|' read -r kind caption place extent item; do
    i=$((i + 1))
    IFS=, read -r x y w h <<<"$place"
    IFS=, read -r tw th <<<"$extent"
    IFS='|' read -r _ _ ref _ < <(sed -n "${i}p" "$PREFIX/$name.96")
    IFS=, read -r rx ry rw rh <<<"$ref"
    for pair in "$x $rx" "$y $ry" "$w $rw" "$h $rh"; do
      set -- $pair
      near "$1" "$(scaled "$dpi" "$2")" || fail "$name at $dpi dpi: '$caption' at $place, not $ref scaled"
    done
    # Room the control's own drawing takes beside its text: the box of a
    # check box, the frames of a button or a field.
    local room=0 rows=$th
    case $kind in
      Check) room=$(scaled "$dpi" 17) ;;
      Button | Group) room=$(scaled "$dpi" 8) ;;
      Edit) rows=$((th + $(scaled "$dpi" 4))) ;;
      ListBox) [ "$item" -ge "$th" ] || fail "$name at $dpi dpi: list items $item high, text $th" ;;
    esac
    (( tw + room <= w )) || fail "$name at $dpi dpi: '$caption' is $tw wide, its control $w"
    [ "$kind" = Group ] || [ "$kind" = ListBox ] || (( rows <= h )) ||
      fail "$name at $dpi dpi: '$caption' is $th high, its control $h"
  done < <(printf '%s\n' "$lines")
}

for dpi in 96 120 144 192; do
  winreg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null ||
    fail "could not set LogPixels"
  mkdir -p "$USERDIR"
  crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"
  start_mervane
  wait_main_window
  wait_visible TForm1 "$TITLE" || fail "window not shown at $dpi dpi"
  check_window "$dpi" main TForm1 "$TITLE" Tahoma
  item=$(driver measure TForm1 "$TITLE" Tahoma 8 | grep '^ListBox' | cut -d'|' -f5 | tr -d '\r')
  [ "$item" = "$(scaled "$dpi" 13)" ] || fail "list items $item high at $dpi dpi"

  # After the start-up scan, which deletes it.
  driver wait TForm2 "$DLG" 20000 >/dev/null || fail "the start-up did not end"
  printf '[autorun]\r\nopen=setup.exe\r\n' > "$PREFIX/drive_c/Autorun.inf"
  open_exceptions
  check_window "$dpi" exceptions TForm2 "$DLG" 'MS Sans Serif'
  choose_file 'C:\Autorun.inf'
  prompt_shown
  check_window "$dpi" prompt TForm3 "$PRODUCT" 'MS Sans Serif'
  driver press TForm3 "$PRODUCT" Cancel || fail "could not cancel the prompt"
  close_dialog Cancel

  quit_mervane
  wait_exit || fail "the program did not end at $dpi dpi"
  driver_stop
  wineserver -w
done
echo "text sizes: ok"
