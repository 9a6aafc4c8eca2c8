#!/usr/bin/env bash
# "Readme" opens Readme.ENU.txt beside the program in the associated viewer,
# and does nothing at all while there is no such file.
. "$(dirname "$0")/lib.sh"

# A fresh Wine prefix has the txtfile class but, unlike Windows, no .txt
# extension pointing to it.
winreg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f >/dev/null 2>&1 || fail "could not associate .txt"
mkdir -p "$USERDIR"
crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
driver press TForm1 "$TITLE" "Readme" || fail "could not press Readme"
sleep 2
[ "$(driver count Notepad -)" = "0" ] || fail "a viewer opened without a read-me file"
driver nobox - 500 || fail "a message box appeared"

crlf 'Mervane read-me' > "$APPDIR/Readme.ENU.txt"
driver press TForm1 "$TITLE" "Readme"
driver wait Notepad - 20000 >/dev/null || fail "the read-me file was not opened"

quit_mervane
[ ! -e "$USERDIR/Mervane.log" ] || fail "something was logged"
echo "readme: ok"
