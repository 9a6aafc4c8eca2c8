#!/usr/bin/env bash
# Files and descriptions that the list cannot take: a file of another name, a
# text holding an encoding marker (in the file or the description), a file
# over 64 KB and a UTF-16 file without an ANSI form are refused with their
# message, and nothing is added. A file of exactly 64 KB is taken.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/lib_exceptions.sh"

F="$PREFIX/drive_c/files"
mkdir -p "$USERDIR" "$F/marker" "$F/big" "$F/utf16" "$F/limit"
printf '[autorun]\r\nopen=setup.exe\r\n' > "$F/Autorun.inf.txt"
printf '[autorun]\r\nopen=<<n2>>setup.exe\r\n' > "$F/marker/Autorun.inf"
head -c 65537 /dev/zero | tr '\0' a > "$F/big/Autorun.inf"
head -c 65536 /dev/zero | tr '\0' b > "$F/limit/Autorun.inf"
printf '\xff\xfe[\0a\0]\0\r\0\n\0\x2d\x4e\r\0\n\0' > "$F/utf16/Autorun.inf"
crlf '[General]' 'RunMinimized=0' > "$USERDIR/Mervane.ini"
start_mervane
wait_main_window
open_exceptions

choose_file 'C:\files\Autorun.inf.txt'
refused "File name is not Autorun.inf"
[ "$(driver visible TForm3 "$PRODUCT")" = "0" ] || fail "the prompt came for another name"
choose_file 'C:\files\marker\Autorun.inf'
describe 'Marker in the file'
refused "This text contains <<R>>, <<N>>, <<R2>> or <<N2>> and cannot be stored"
choose_file 'C:\files\limit\Autorun.inf'
describe 'Disc <<R>> A'
refused "This text contains <<R>>, <<N>>, <<R2>> or <<N2>> and cannot be stored"
choose_file 'C:\files\big\Autorun.inf'
describe 'Too big'
refused "The file is larger than 64 KB and cannot be added to the exception list"
choose_file 'C:\files\utf16\Autorun.inf'
describe 'No ANSI form'
refused "Cannot read file"
expect_dialog '' -1 ''

choose_file 'C:\files\limit\Autorun.inf'
describe 'Just fits'
[ "$(driver selected TForm2 "$DLG")" = "0" ] || fail "the 64 KB file was not added"
close_dialog OK
expect_saved "$USERDIR/Mervane.ini" "$(crlf '[General]' 'RunMinimized=0' 'FirstRun=0' \
  'Behaviour=00001111111111111111' 'RepairShortcuts=01000' 'Vaccinate=00000' 'ARNames=Just fits<<R2>><<N2>>' \
  "ARBodies=$(head -c 65536 /dev/zero | tr '\0' b)<<R>><<N>><<R2>><<N2>>")"
quit_mervane
echo "exceptions refused: ok"
