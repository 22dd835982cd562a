#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-win32/ (the 32-bit
# program the users run) and build-win64/ (64-bit, with the tests), then runs
# every test of the 64-bit build (the core's and the window's) under wine64 in
# a fresh Wine prefix. Last, packs the 32-bit program for the users
# (scripts/windows-package.sh: zip and installer in dist/).
# This machine's kernel cannot run 32-bit code, so the 32-bit build is built
# but not run. Debian 12; installs what it needs (run as root or with sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest nlohmann-json3-dev wine64 xvfb xauth
)
bash "$root/scripts/install-packages.sh" "${packages[@]}"

wine=/usr/lib/wine/wine64
export WINEDEBUG=-all
WINEPREFIX=$(mktemp -d)/prefix
export WINEPREFIX
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$(dirname "$WINEPREFIX")"
}
trap cleanup EXIT

cmake -S "$root" -B "$root/build-win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" -DKAVROLIS_TESTS=OFF
cmake --build "$root/build-win32" -j "$jobs"

cmake -S "$root" -B "$root/build-win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/x86_64-w64-mingw32.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine"
cmake --build "$root/build-win64" -j "$jobs"

# Make the prefix once, before tests start in parallel.
"$wine" wineboot --init >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
# The window tests need a display; the core tests do not mind one.
# Every Wine process first waits, up to two minutes, for its session to boot
# (services, drivers), and the first window waits for the desktop to start. On
# a loaded machine that took 50-100 s, charged to whichever tests started
# first (a test then ran into its timeout), and a session ends 3 s after its
# last process, so a pause between tests booted it anew. So the tests run in
# one session, kept for the whole run, whose services and desktop are up before
# the first test starts: asking for the desktop window does both.
# shellcheck disable=SC2016  # expanded by the inner shell
xvfb-run -a bash -c '
  /usr/lib/wine/wineserver -p
  "$1" rundll32.exe user32.dll,GetDesktopWindow
  status=0
  ctest --test-dir "$2" --output-on-failure -j "$3" || status=$?
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  exit "$status"' wine-tests "$wine" "$root/build-win64" "$jobs"

# kvrcfg.exe: one round trip through the alias file under Wine.
kvrcfg="$root/build-win64/src/cli/kvrcfg.exe"
cli_work=$(mktemp -d)
cli_check() {
  cd "$cli_work" &&
    "$wine" "$kvrcfg" add Sales &&
    printf 'pw\n' | "$wine" "$kvrcfg" set sales --server 'db,1433' --user sa --password-stdin &&
    "$wine" "$kvrcfg" show SALES --json --reveal | tr -d '\r' | grep -q '"password": "pw"' &&
    { "$wine" "$kvrcfg" add Kavrolis 2>/dev/null; [ $? -eq 1 ]; }
}
if ! (cli_check); then
  echo "windows: kvrcfg.exe failed its round trip" >&2
  rm -rf "$cli_work"
  exit 1
fi
rm -rf "$cli_work"
echo "== kvrcfg.exe round trip passed"

# The users' packages from the 32-bit build: dist/Kavrolis-<version>-win32.zip
# (the program and its read-me) and the NSIS installer beside it.
bash "$root/scripts/windows-package.sh" "$root/build-win32"
