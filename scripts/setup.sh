#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine; skips what is there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools googletest wine wine32:i386 wine64 xvfb xauth xdotool nsis wixl msitools fuse3 python3-fusepy; do
  have "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  echo "setup: installing ${need[*]}"
  # A mirror caught mid-sync fails one index with a hash error; the other indexes are still good, so go
  # on and let the install say whether what it needs is reachable.
  $SUDO apt-get update -qq || echo "setup: apt-get update reported errors; installing from the indexes it has"
  apt_install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$@" >/tmp/mervane-setup.log 2>&1; }
  if ! apt_install "${need[@]}"; then
    # Without the i386 index the 32-bit Wine loader cannot be matched to the 64-bit one. The tests
    # then run the x86_64 build under the 64-bit loader, as on machines that run no 32-bit code.
    rest=()
    for p in "${need[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    if [ ${#rest[@]} -lt ${#need[@]} ] && apt_install "${rest[@]}"; then
      echo "setup: wine32:i386 could not be installed; Wine runs 64-bit programs only here" >&2
    else
      cat /tmp/mervane-setup.log >&2
      echo "setup: installing ${need[*]} failed" >&2
      exit 1
    fi
  fi
fi
