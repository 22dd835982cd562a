#!/usr/bin/env bash
# Packs the 32-bit Windows build for the users:
#   dist/Kavrolis-<version>-win32.zip        the program and a short read-me
#   dist/Kavrolis-<version>-win32-setup.exe  an NSIS installer
# and first checks that Kavrolis.exe is a 32-bit GUI program that imports
# only Windows' own DLLs (so it runs on a bare Windows without anything else).
# Usage: scripts/windows-package.sh [build folder, default build-win32]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-win32}" && pwd)

packages=(nsis zip binutils-mingw-w64-i686)
bash "$root/scripts/install-packages.sh" "${packages[@]}"

exe="$build/src/app/Kavrolis.exe"
cli="$build/src/cli/kvrcfg.exe"
version=$(sed -n 's/^project(Kavrolis VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -f "$exe" ] || { echo "windows-package: $exe is missing" >&2; exit 1; }
[ -f "$cli" ] || { echo "windows-package: $cli is missing" >&2; exit 1; }
[ -n "$version" ] || { echo "windows-package: no version in CMakeLists.txt" >&2; exit 1; }

# 32-bit programs (the editor a GUI one, kvrcfg a console one) importing only
# Windows' own DLLs.
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll uxtheme.dll ole32.dll oleaut32.dll advapi32.dll shell32.dll msvcrt.dll "
check_program() {
  local program=$1 subsystem=$2 name headers dlls dll
  name=$(basename "$program")
  headers=$(i686-w64-mingw32-objdump -p "$program")
  grep -q "^Magic.*010b" <<<"$headers" || { echo "windows-package: $name is not a 32-bit program" >&2; exit 1; }
  grep -q "^Subsystem.*($subsystem)" <<<"$headers" || { echo "windows-package: $name is not a $subsystem program" >&2; exit 1; }
  dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers")
  for dll in $dlls; do
    if [[ "$allowed" != *" ${dll,,} "* ]]; then
      echo "windows-package: $name imports $dll, which Windows does not have" >&2
      exit 1
    fi
  done
  echo "$name imports:" $dlls
}
check_program "$exe" "Windows GUI"
check_program "$cli" "Windows CUI"

dist="$root/dist"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$dist"
cp "$exe" "$stage/Kavrolis.exe"
cp "$cli" "$stage/kvrcfg.exe"
# UTF-8 with a byte order mark and CR LF: Notepad reads it right whatever
# the machine's code page (Big5 included).
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' "$root/packaging/windows/README.txt"; } >"$stage/README.txt"
zip="$dist/Kavrolis-$version-win32.zip"
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" Kavrolis.exe kvrcfg.exe README.txt)
setup="$dist/Kavrolis-$version-win32-setup.exe"
makensis -V2 -DVERSION="$version" -DEXE="$stage/Kavrolis.exe" -DCLI="$stage/kvrcfg.exe" -DREADME="$stage/README.txt" \
  -DICON="$root/src/app/win32/Kavrolis.ico" -DOUTFILE="$setup" \
  "$root/packaging/windows/Kavrolis.nsi"
echo "Made $zip and $setup"
