#!/usr/bin/env bash
# Runs end-to-end scenarios against the shipped 32-bit program and installer,
# in the emulated guest of scripts/guest-image.sh (made first when missing).
#
#   guest-run.sh BUILD OUT SCENARIO...
#       boots the guest once and runs there, one after the other, each
#       SCENARIO: a script of tests/e2e/ by name, or install_cycle (the 32-bit
#       installer in a 64-bit prefix). BUILD is the i686 build folder: its
#       Mervane.exe, its end-to-end driver, and the installer made from them.
#       OUT gets SCENARIO.log, SCENARIO.status and the guest's console.log.
#       Fails only when the guest itself did not get through the list.
#   guest-run.sh --result OUT SCENARIO
#       prints what SCENARIO printed in the guest, and fails as it did.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = --result ]; then
  out=$2 name=$3
  [ -f "$out/$name.status" ] || { echo "guest: $name did not run (see $out/console.log)" >&2; exit 1; }
  cat "$out/$name.log"
  echo "guest: $name took $(cat "$out/$name.seconds") s in the guest"
  exit "$(cat "$out/$name.status")"
fi

build=$(cd "$1" && pwd) out=$2
shift 2
[ $# -gt 0 ] || { echo "usage: $0 BUILD OUT SCENARIO... | --result OUT SCENARIO" >&2; exit 2; }
t0=$SECONDS
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
exe="$build/Mervane.exe" driver="$build/tests/mvdriver.exe"
for f in "$exe" "$driver"; do
  [ -f "$f" ] || { echo "guest: no $f; build the i686 tree first (scripts/build.sh)" >&2; exit 1; }
  i686-w64-mingw32-objdump -f "$f" | grep -q 'file format pei-i386' || { echo "guest: $f is not 32-bit" >&2; exit 1; }
done

image=$("$src/scripts/guest-image.sh")
echo "guest: image $image ($((SECONDS - t0)) s)"

rm -rf "$out"
mkdir -p "$out"
stage="$out/disk"
mkdir -p "$stage/bin" "$stage/scripts" "$stage/tests"
MERVANE_BUILD="$build" MERVANE_DIST="$out/dist" "$src/scripts/package.sh" --no-build >/dev/null
cp "$exe" "$driver" "$stage/bin/"
cp "$out/dist/Mervane-$version-setup.exe" "$stage/bin/setup.exe"
cp "$out/dist/Mervane-$version.msi" "$stage/bin/setup.msi"
# The guest has no msitools: the package's product code goes along.
product=$(msiinfo export "$stage/bin/setup.msi" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
cp "$src/scripts/winelib.sh" "$src/scripts/guest-scenarios.sh" "$stage/scripts/"
cp -r "$src/tests/e2e" "$src/tests/package" "$stage/tests/"
printf 'MERVANE_VERSION=%q\nSCENARIOS=%q\nMSI_PRODUCT_CODE=%q\n' "$version" "$*" "$product" > "$stage/run.env"
# A disk is a whole number of sectors; tar's records are 10 KiB.
tar -C "$stage" -cf "$out/input.img" .
truncate -s 256M "$out/results.img"

echo "guest: booting (software emulation; the console is in $out/console.log)"
set +e
# snapshot=on: the run's writes go to a throw-away overlay, the image stays as made.
timeout "${MERVANE_GUEST_TIMEOUT:-2400}" qemu-system-x86_64 -m 4G -smp 2 -accel tcg,thread=multi -nographic \
  -no-reboot -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
  -append "root=/dev/vda rw console=ttyS0 init=/sbin/mervane-guest rootflags=noinit_itable panic=1 quiet" \
  -drive file="$image/root.img",format=raw,if=virtio,snapshot=on \
  -drive file="$out/input.img",format=raw,if=virtio,readonly=on \
  -drive file="$out/results.img",format=raw,if=virtio -nic none </dev/null 2>&1 |
  sed -u 's/\r$//' | tee "$out/console.log" | grep --line-buffered '^guest:'
qemu=${PIPESTATUS[0]}
set -e
tar -C "$out" -xf "$out/results.img" 2>/dev/null || true
rm -f "$out/results.img" "$out/input.img"
echo "guest: qemu ended with $qemu after $((SECONDS - t0)) s"
missing=0
for name in "$@"; do
  if [ -f "$out/$name.status" ]; then
    echo "guest: $name status $(cat "$out/$name.status") ($(cat "$out/$name.seconds") s)"
  else
    echo "guest: $name did not run"
    missing=1
  fi
done
exit $missing
