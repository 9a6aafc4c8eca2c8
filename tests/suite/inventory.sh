#!/usr/bin/env bash
# What every run must hold, checked against what CTest registered in this tree,
# so that no scenario drops out of the suite without a word on one kind of machine:
#   on both kinds   every end-to-end scenario, every unit suite, the packages read
#                   back and the event messages against their documents, and the install, update and removal of an installer and
#                   an MSI;
#   where 32-bit code runs (this tree is the shipped i686 one): the shipped
#                   packages' cycles in a 64-bit prefix natively, and the start-up,
#                   the inspection of every drive kind, the AutoPlay policy, start
#                   at logon and each package's cycle on 32-bit Windows (win32_*);
#   where it does not (an x86_64 tree): the shipped program checked, and the
#                   shipped program and packages run in the emulated guest.
# usage: inventory.sh SOURCE_DIR BUILD_DIR ARCH
set -euo pipefail
src=$1 build=$2 arch=$3
. "$src/scripts/winelib.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
if mv_runs_32bit; then kind=i686; else kind=x86_64; fi
[ "$arch" = "$kind" ] ||
  fail "this machine $( [ "$kind" = i686 ] && echo runs || echo 'does not run') 32-bit code, but this tree builds $arch: the suite would not be the one for this machine"

registered=$(cd "$build" && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
required=(package_templates package_event_messages package_contents package_install_cycle package_msi_cycle "exe_$arch")
for f in "$src"/tests/e2e/*.sh; do
  name=$(basename "$f" .sh)
  case $name in lib*) ;; *) required+=("e2e_$name") ;; esac
done
if [ "$arch" = i686 ]; then
  required+=(win32_e2e_first_start win32_e2e_startup_scan win32_e2e_autoplay win32_e2e_start_at_logon
             win32_install_cycle win32_msi_cycle)
else
  required+=(exe_i686_shipped guest_boot guest_install_cycle guest_msi_cycle)
  for name in first_start startup_scan main_window exceptions_add quit_question start_at_logon; do
    required+=("guest_$name")
  done
fi
missing=()
for name in "${required[@]}"; do
  grep -qx "$name" <<<"$registered" || missing+=("$name")
done
# A unit suite runs when an entry unit_X exists whose X begins its name (the
# entry's filter is X*).
entries=$(sed -n 's/^unit_//p' <<<"$registered")
for suite in $(sed -n 's/^ *TEST\(_F\|_P\)\?( *\([A-Za-z0-9_]*\) *,.*/\2/p' "$src"/tests/unit/*.cpp | sort -u); do
  found=0
  for e in $entries; do [ "${suite#"$e"}" != "$suite" ] && found=1 && break; done
  [ "$found" = 1 ] || missing+=("the unit suite $suite")
done
[ ${#missing[@]} -eq 0 ] || fail "not registered on this $kind machine: ${missing[*]}"
echo "inventory: a machine that $( [ "$kind" = i686 ] && echo runs || echo 'does not run') 32-bit code; $(wc -l <<<"$registered") entries, the ${#required[@]} required ones among them"
