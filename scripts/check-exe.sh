#!/usr/bin/env bash
# Statically checks a built program: a GUI PE of the right width, importing
# only DLLs every Windows install has, with version and manifest resources
# that match the architecture (and the version, when one is given).
# Usage: scripts/check-exe.sh i686|x86_64 EXE [VERSION]
set -euo pipefail

usage() { echo "usage: $0 i686|x86_64 EXE [a.b.c.d]" >&2; exit 2; }
[[ $# -ge 2 && $# -le 3 ]] || usage
arch=$1 exe=$2 want_version=${3:-}
case $arch in
  i686)   format=pei-i386   magic=010b manifest_arch=x86 ;;
  x86_64) format=pei-x86-64 magic=020b manifest_arch=amd64 ;;
  *) usage ;;
esac
[[ -z $want_version || $want_version =~ ^[0-9]+(\.[0-9]+){3}$ ]] || usage
[ -f "$exe" ] || { echo "check-exe: $exe: no such file" >&2; exit 2; }

allowed=$(printf '%s\n' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll \
  ole32.dll oleaut32.dll comctl32.dll comdlg32.dll version.dll mpr.dll shlwapi.dll \
  msvcrt.dll ws2_32.dll)

failures=0
fail() { echo "check-exe: FAIL $exe: $*" >&2; failures=$((failures + 1)); }

# 1. Format and subsystem.
headers=$("$arch-w64-mingw32-objdump" -p "$exe" 2>&1) ||
  { fail "not a PE file for $arch (objdump: ${headers##*: })"; exit 1; }
got_format=$(sed -n 's/.*file format \(.*\)$/\1/p' <<<"$headers" | head -n1)
got_magic=$(awk '$1 == "Magic" { print $2; exit }' <<<"$headers")
got_subsystem=$(awk '$1 == "Subsystem" { print $2, $3, $4; exit }' <<<"$headers")
if [ "$got_format" != "$format" ] || [ "$got_magic" != "$magic" ]; then
  fail "format $got_format (magic $got_magic), expected $format (magic $magic)"
fi
if [ "${got_subsystem%% *}" != 00000002 ]; then
  fail "subsystem $got_subsystem, expected 00000002 (Windows GUI)"
fi

# 2. Imported DLLs.
while read -r dll; do
  grep -qixF -- "$dll" <<<"$allowed" || fail "imports $dll, which a clean Windows does not ship"
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")

# 3. Version and manifest resources. windres's rc output is no good here: it
# guesses how to print each resource, and prints some manifests as UTF-16
# escapes or hex words, so dump a binary .res and read that.
res=$(mktemp)
trap 'rm -f "$res"' EXIT
facts=
if ! err=$("$arch-w64-mingw32-windres" -J coff -i "$exe" -O res -o "$res" 2>&1); then
  [[ $err == *"no resource section"* ]] || fail "cannot read its resources: $err"
else
  facts=$(python3 - "$res" <<'EOF'
import struct, sys
import xml.etree.ElementTree as ET

def ident(data, pos):
    if data[pos:pos + 2] == b'\xff\xff':
        return struct.unpack_from('<H', data, pos + 2)[0], pos + 4
    end = pos
    while end < len(data) and data[end:end + 2] != b'\0\0':
        end += 2
    return data[pos:end].decode('utf-16-le'), end + 2

def local(tag):
    return tag.rsplit('}', 1)[-1]

data = open(sys.argv[1], 'rb').read()
pos = 0
while pos + 8 <= len(data):
    size, header = struct.unpack_from('<II', data, pos)
    rtype, at = ident(data, pos + 8)
    name, _ = ident(data, at)
    body = data[pos + header:pos + header + size]
    pos = (pos + header + size + 3) & ~3
    if rtype == 16:
        at = body.find(struct.pack('<I', 0xFEEF04BD))
        if at >= 0:
            ms, ls = struct.unpack_from('<II', body, at + 8)
            print('version', f'{ms >> 16}.{ms & 0xffff}.{ls >> 16}.{ls & 0xffff}')
    # The loader only applies manifest ID 1 to an .exe.
    elif rtype == 24 and name == 1:
        try:
            root = ET.fromstring(body)
        except ET.ParseError:
            print('manifest unparsable')
            continue
        self_arch = comctl_arch = 'none'
        for child in root:
            if local(child.tag) == 'assemblyIdentity':
                self_arch = child.get('processorArchitecture', 'none')
        for dep in root.iter():
            if (local(dep.tag) == 'assemblyIdentity'
                    and dep.get('name', '').lower() == 'microsoft.windows.common-controls'):
                comctl_arch = dep.get('processorArchitecture', 'none')
        print('manifest', self_arch.lower(), comctl_arch.lower())
        for setting in root.iter():
            if local(setting.tag) in ('dpiAware', 'dpiAwareness'):
                print('dpi', setting.tag, ''.join((setting.text or '').split()))
EOF
  )
fi
versions=$(awk '$1 == "version" { print $2 }' <<<"$facts")
if [ -z "$versions" ]; then
  fail "no version resource (RT_VERSION)"
elif [ -n "$want_version" ]; then
  for v in $versions; do
    [ "$v" = "$want_version" ] || fail "file version $v, expected $want_version"
  done
fi
manifests=$(awk '$1 == "manifest"' <<<"$facts")
[ -n "$manifests" ] || fail "no manifest resource (RT_MANIFEST, ID 1)"
[ -z "$manifests" ] || while read -r _ self comctl; do
  if [ "$self" = unparsable ]; then
    fail "manifest is not well-formed XML"
    continue
  fi
  [ "$self" = "$manifest_arch" ] ||
    fail "manifest processorArchitecture \"$self\", expected \"$manifest_arch\""
  # "*" lets the loader pick the common controls matching the process.
  [ "$comctl" = none ] || [ "$comctl" = "$manifest_arch" ] || [ "$comctl" = '*' ] ||
    fail "manifest common-controls processorArchitecture \"$comctl\", expected \"$manifest_arch\""
done <<<"$manifests"

# 4. Laid out at the monitors' dpi by the program itself, on every version
# that knows of it; the functions for it are looked up at run time, since
# Windows XP and 7 lack them.
grep -qxF 'dpi {http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware true' <<<"$facts" ||
  fail "manifest does not declare dpiAware true (2005 namespace)"
grep -qxF 'dpi {http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness PerMonitorV2,PerMonitor' <<<"$facts" ||
  fail "manifest does not declare dpiAwareness PerMonitorV2, PerMonitor (2016 namespace)"
newer=$(grep -owE 'GetDpiFor(Window|System)|GetSystemMetricsForDpi|AdjustWindowRectExForDpi|SetProcessDpiAware[A-Za-z]*' \
  <<<"$headers" | sort -u | tr '\n' ' ') || true
[ -z "$newer" ] || fail "imports $newer- Windows XP and 7 would refuse to start it"

[ "$failures" -eq 0 ] || exit 1
echo "check-exe: OK $exe ($arch)"
