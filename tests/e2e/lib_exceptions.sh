# Sourced by the exceptions scenarios after lib.sh: the exceptions dialog, its
# file dialog and the description prompt, worked as a user does.
DLG="$PRODUCT. Exceptions Setup"
OPEN_TITLE='Select Autorun.inf file to add to exception list'
ASK='Give description to this Autorun.inf'

# open_exceptions: "Exceptions" in the main window opens the dialog.
open_exceptions() {
  # Made, hidden, once the main window's start-up is over.
  driver wait TForm2 "$DLG" 10000 >/dev/null || fail "the exceptions dialog was not made"
  driver press TForm1 "$TITLE" Exceptions || fail "could not press Exceptions"
  shown TForm2 "$DLG" || fail "the exceptions dialog is not shown"
  [ "$(driver enabled TForm1 "$TITLE" -)" = "0" ] || fail "the main window is not blocked"
}

# choose_file PATH: "Add", then PATH into the file dialog's name box and "Open".
choose_file() {
  driver press TForm2 "$DLG" Add || fail "could not press Add"
  driver wait '#32770' "$OPEN_TITLE" 10000 >/dev/null || fail "no file dialog"
  driver type '#32770' "$OPEN_TITLE" Edit 1 "$1" || fail "could not type the file name"
  driver press '#32770' "$OPEN_TITLE" '&Open' || fail "could not press Open"
  driver gone '#32770' "$OPEN_TITLE" 5000 || fail "the file dialog did not close"
}

# prompt_shown: the description prompt is up, with its prompt and an empty field.
prompt_shown() {
  shown TForm3 "$PRODUCT" || fail "no description prompt"
  [ "$(driver text TForm3 "$PRODUCT" Static 1)" = "$ASK" ] || fail "the prompt's text differs"
  [ "$(driver text TForm3 "$PRODUCT" Edit 1)" = "" ] || fail "the prompt's field is not empty"
}

# describe TEXT: the prompt answered with TEXT and OK.
describe() {
  prompt_shown
  driver type TForm3 "$PRODUCT" Edit 1 "$1" || fail "could not type the description"
  driver press TForm3 "$PRODUCT" OK || fail "could not press the prompt's OK"
  hidden TForm3 "$PRODUCT" || fail "the prompt stayed"
}

# hidden CLASS CAPTION, shown CLASS CAPTION: the window is hidden (shown)
# within about two seconds.
hidden() { becomes 0 "$@"; }
shown() { becomes 1 "$@"; }
becomes() {
  local i
  for ((i = 0; i < 50 * SLOW; i++)); do
    [ "$(driver visible "$2" "$3")" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# expect_dialog NAMES SELECTED BODY: the list's items (one a line), the
# selected index and the text shown beside them.
expect_dialog() {
  local items memo i
  # A typed key may still be on its way.
  for ((i = 0; i < 50 * SLOW; i++)); do
    items=$(driver items TForm2 "$DLG") && [ "$items" = "$1" ] &&
      [ "$(driver selected TForm2 "$DLG")" = "$2" ] && break
    sleep 0.1
  done
  items=$(driver items TForm2 "$DLG") || fail "no list in the dialog"
  [ "$items" = "$1" ] || fail "the list holds '$items', not '$1'"
  [ "$(driver selected TForm2 "$DLG")" = "$2" ] || fail "selected $(driver selected TForm2 "$DLG"), not $2"
  memo=$(driver text TForm2 "$DLG" Edit 1; printf x)
  memo=${memo%x}
  [ "$memo" = "$3" ] || { printf '%s' "$memo" | od -c | head >&2; fail "the body shown differs"; }
}

# refused TEXT: a plain message box with TEXT, closed with OK.
refused() {
  local text
  text=$(driver box "$TITLE" 10000) || fail "no message box for: $1"
  [ "$text" = "$1" ] || fail "the box says '$text', not '$1'"
  driver click "$TITLE" OK 5000 || fail "could not close the box"
}

# close_dialog BUTTON: OK or Cancel; the dialog goes, the main window is usable again.
close_dialog() {
  driver press TForm2 "$DLG" "$1" || fail "could not press $1"
  dialog_closed
}

dialog_closed() {
  hidden TForm2 "$DLG" || fail "the dialog is still shown"
  [ "$(driver enabled TForm1 "$TITLE" -)" = "1" ] || fail "the main window is still blocked"
}

# quit_mervane: ends the program as another program would ask it to.
quit_mervane() {
  driver post TForm1 "$TITLE" 1025
  wait_exit || fail "the program did not end"
}
