#!/usr/bin/env bash
# Makes, once per machine, the emulated guest that runs 32-bit Windows programs
# where this machine's kernel refuses them: a Debian 12 amd64 system with Wine
# (32- and 64-bit loaders) and Xvfb, booted by qemu-system-x86_64 in software
# emulation, whose stock kernel runs 32-bit code. Prints the folder that holds
# it: root.img, vmlinuz, initrd.img.
#
# The image lives outside the checkout, in $MERVANE_GUEST_CACHE (default
# ~/.cache/mervane-guest), in a folder named after a hash of this script: what
# the image holds is written down here and nowhere else, so an edit of this
# file is what makes the next run build a new one (and remove the old).
# --rebuild throws the present one away first.
#
# The image holds no part of the program: each run hands it the program, the
# scenarios and their helpers on a disk of their own (scripts/guest-run.sh).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
cache=${MERVANE_GUEST_CACHE:-$HOME/.cache/mervane-guest}
rebuild=0
[ "${1:-}" = --rebuild ] && rebuild=1

key=$(sha256sum "$src/scripts/guest-image.sh" | cut -c1-16)
img="$cache/image-$key"
mkdir -p "$cache"
exec 8>"$cache/lock"
flock 8
[ "$rebuild" = 1 ] && rm -rf "$img"
if [ -f "$img/ready" ]; then
  echo "$img"
  exit 0
fi

say() { echo "guest-image: $*" >&2; }
t0=$SECONDS
need=()
for p in qemu-system-x86 qemu-utils debootstrap e2fsprogs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq || say "apt-get update reported errors; going on with the indexes there are"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >&2
fi
[ "$(id -u)" -eq 0 ] || { say "debootstrap, chroot and the mounts need root"; exit 1; }

# The Debian mirror this machine's apt already uses.
mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
[ -n "$mirror" ] || mirror=$(awk '$1=="deb"{for(i=2;i<=NF;i++) if($i ~ /^[a-z]+:\/\//){print $i; exit}}' \
                              /etc/apt/sources.list 2>/dev/null || true)
[ -n "$mirror" ] || { say "no Debian mirror configured in /etc/apt"; exit 1; }

rm -rf "$cache"/image-* "$cache/build"
work="$cache/build"
root="$work/root"
mkdir -p "$work"
say "building the guest image in $img (about 5 minutes and 400 MB of downloads; once per machine)"
debootstrap --variant=minbase --arch=amd64 --keyring=/usr/share/keyrings/debian-archive-keyring.gpg \
  bookworm "$root" "$mirror" > "$work/debootstrap.log" 2>&1 || { tail -20 "$work/debootstrap.log" >&2; exit 1; }

unmount_all() { umount "$root/dev/pts" "$root/dev" "$root/sys" "$root/proc" 2>/dev/null || true; }
trap unmount_all EXIT
mount --bind /proc "$root/proc"; mount --bind /sys "$root/sys"
mount --bind /dev "$root/dev"; mount --bind /dev/pts "$root/dev/pts"
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"; chmod +x "$root/usr/sbin/policy-rc.d"
# The amd64 programs run natively in the chroot. Two i386 maintainer-script steps
# (glib's caches) fail with "Exec format error" here; Wine needs neither.
chroot "$root" /bin/bash -ec '
  export DEBIAN_FRONTEND=noninteractive LC_ALL=C
  dpkg --add-architecture i386
  for i in 1 2 3; do apt-get update -q && break; sleep 60; done
  apt-get install -y -q --no-install-recommends linux-image-amd64 wine wine32:i386 wine64 libwine:i386 \
    xvfb xauth x11-utils procps kmod diffutils libfreetype6 libfreetype6:i386 libfontconfig1:i386 fonts-wine
  apt-get clean
  rm -rf /var/lib/apt/lists/*' > "$work/packages.log" 2>&1 || { tail -30 "$work/packages.log" >&2; exit 1; }
unmount_all
trap - EXIT
[ -x "$root/usr/lib/wine/wine" ] && [ -x "$root/usr/lib/wine/wine64" ] || { say "Wine is missing in the image"; exit 1; }

# The guest's first process. "prepare" (once, here) makes the Wine prefix that
# every scenario copies; otherwise it unpacks the run's disk (/dev/vdb) into
# /work, runs /work/scripts/guest-scenarios.sh, and puts /results as a tar on
# /dev/vdc. Either way it powers the machine off.
cat > "$root/sbin/mervane-guest" <<'INIT'
#!/bin/bash
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root USER=root LANG=C.UTF-8
mount -t proc proc /proc; mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm; mount -t devpts devpts /dev/pts; mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp; mount -t tmpfs tmpfs /run
hostname guest
exec >/dev/ttyS0 2>&1
off() { sync; mount -o remount,ro / 2>/dev/null; echo "guest: power off"; echo o > /proc/sysrq-trigger; sleep 60; }
echo "guest: up after $(cut -d' ' -f1 /proc/uptime) s, $(nproc) processors"
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY=:99
Xvfb :99 -screen 0 1024x768x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
for i in $(seq 100); do [ -e /tmp/.X11-unix/X99 ] && break; sleep 0.1; done
if grep -qw mervane_prepare /proc/cmdline; then
  # A 64-bit (WoW64) prefix: the 32-bit program runs in it as on 64-bit
  # Windows, and the installer's writes to the 64-bit registry view can be seen.
  # Stamped as scripts/winelib.sh stamps its templates.
  t=/root/wine/template
  mkdir -p /root/wine
  WINEPREFIX=$t.tmp wine wineboot -i >/tmp/wineboot.log 2>&1
  WINEPREFIX=$t.tmp wineserver -w
  if [ -f $t.tmp/system.reg ]; then
    rm -f $t.tmp/dosdevices/z:
    cp /usr/share/wine/fonts/*.ttf $t.tmp/drive_c/windows/Fonts/
    echo "$(wine --version) with fonts" > $t.tmp/.mervane-template
    mv $t.tmp $t && echo "guest: prefix ready"
  else
    cat /tmp/wineboot.log
  fi
  off
fi
mkdir -p /work /results
tar -xf /dev/vdb -C /work && bash /work/scripts/guest-scenarios.sh /work /results
tar -C /results -cf /dev/vdc . 
off
INIT
chmod 755 "$root/sbin/mervane-guest"
mkdir -p "$img.tmp"
cp "$(ls "$root"/boot/vmlinuz-* | sort -V | tail -1)" "$img.tmp/vmlinuz"
cp "$(ls "$root"/boot/initrd.img-* | sort -V | tail -1)" "$img.tmp/initrd.img"
truncate -s 6G "$img.tmp/root.img"
mkfs.ext4 -q -F -L root -d "$root" "$img.tmp/root.img"
rm -rf "$root"

say "making the guest's Wine prefix (a boot of the guest, about 2 minutes)"
timeout 1200 qemu-system-x86_64 -m 4G -smp 2 -accel tcg,thread=multi -nographic -no-reboot \
  -kernel "$img.tmp/vmlinuz" -initrd "$img.tmp/initrd.img" \
  -append "root=/dev/vda rw console=ttyS0 init=/sbin/mervane-guest rootflags=noinit_itable panic=1 quiet mervane_prepare" \
  -drive file="$img.tmp/root.img",format=raw,if=virtio -nic none </dev/null > "$work/prepare.log" 2>&1 || true
grep -q 'guest: prefix ready' "$work/prepare.log" || { tail -30 "$work/prepare.log" >&2; say "the guest made no prefix"; exit 1; }
mv "$img.tmp" "$img"
touch "$img/ready"
rm -rf "$work"
say "guest image ready after $((SECONDS - t0)) s: $(du -sh "$img" | cut -f1) on disk"
echo "$img"
