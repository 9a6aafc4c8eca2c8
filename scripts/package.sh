#!/usr/bin/env bash
# Builds the shipped i686 program and packs it into dist/ (or $MERVANE_DIST):
#   Mervane-<version>.zip        Mervane.exe, Readme.ENU.txt, Mervane.ini.example, and the
#                                administrative templates in PolicyDefinitions/
#   Mervane-<version>-setup.exe  the installer (NSIS, 32-bit)
#   Mervane-<version>.msi        the Windows Installer package (wixl, 32-bit), for Group Policy
# --amd64 also makes Mervane-<version>-amd64-setup.exe and -amd64.msi from the x86_64 tree
# ($MERVANE_BUILD_X64, default $MERVANE_BUILD-x64), for the tests only: no machine here runs 32-bit code.
# --no-build packs the trees as they are (the tests use it).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${MERVANE_BUILD:-$src/build}
x64=${MERVANE_BUILD_X64:-$build-x64}
dist=${MERVANE_DIST:-$src/dist}
amd64=0 nobuild=0
for a in "$@"; do
  case $a in
    --amd64) amd64=1 ;;
    --no-build) nobuild=1 ;;
    *) echo "usage: $0 [--amd64] [--no-build]" >&2; exit 2 ;;
  esac
done

if [ "$nobuild" = 0 ]; then
  "$src/scripts/setup.sh"
  MERVANE_BUILD="$build" "$src/scripts/build.sh" --target Mervane
  if [ "$amd64" = 1 ]; then
    MERVANE_BUILD="$x64" MERVANE_ARCH=x86_64 MERVANE_SHIPPED_EXE="$build/Mervane.exe" \
      "$src/scripts/build.sh" --target Mervane
  fi
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ $version =~ ^[0-9]+(\.[0-9]+){3}$ ]] || { echo "package: no version in $build/CMakeCache.txt" >&2; exit 1; }

mkdir -p "$dist"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/zip/PolicyDefinitions/en-US"
cp "$build/Mervane.exe" "$src/res/Readme.ENU.txt" "$src/packaging/Mervane.ini.example" "$stage/zip/"
cp "$src/packaging/Mervane.admx" "$stage/zip/PolicyDefinitions/"
cp "$src/packaging/en-US/Mervane.adml" "$stage/zip/PolicyDefinitions/en-US/"
rm -f "$dist/Mervane-$version.zip"
(cd "$stage/zip" && python3 - "$dist/Mervane-$version.zip" Mervane.exe Readme.ENU.txt Mervane.ini.example \
  PolicyDefinitions/Mervane.admx PolicyDefinitions/en-US/Mervane.adml <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for name in sys.argv[2:]:
        z.write(name)
PY
)

installer() { # EXE OUTFILE [makensis options]
  local exe=$1 out=$2; shift 2
  makensis -V2 -NOCD "-DVERSION=$version" "-DEXE=$exe" "-DREADME=$src/res/Readme.ENU.txt" \
    "-DINIEXAMPLE=$src/packaging/Mervane.ini.example" "-DOUTFILE=$out" "$@" "$src/packaging/Mervane.nsi"
}
installer "$build/Mervane.exe" "$dist/Mervane-$version-setup.exe"
if [ "$amd64" = 1 ]; then
  installer "$x64/Mervane.exe" "$dist/Mervane-$version-amd64-setup.exe" -DAMD64
fi

msi() { # EXE OUTFILE [wixl options]: wixl takes the files from the folder it runs in
  local exe=$1 out=$2; shift 2
  mkdir -p "$stage/msi" && cp "$exe" "$stage/msi/Mervane.exe"
  cp "$src/res/Readme.ENU.txt" "$src/packaging/Mervane.ini.example" "$stage/msi/"
  (cd "$stage/msi" && wixl -D "Version=$version" "$@" -o "$out" "$src/packaging/Mervane.wxs")
}
msi "$build/Mervane.exe" "$dist/Mervane-$version.msi" -D ProgramFiles=ProgramFilesFolder -D SystemFolder=SystemFolder -D Win64=no
if [ "$amd64" = 1 ]; then
  msi "$x64/Mervane.exe" "$dist/Mervane-$version-amd64.msi" -a x64 -D ProgramFiles=ProgramFiles64Folder -D SystemFolder=System64Folder -D Win64=yes
fi
echo "package: $(cd "$dist" && ls Mervane-"$version"*)"
