#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds the editor and starts it in the current
# directory, which is its work directory (KVRCFG lives there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target Kavrolis -j "$(nproc)"
exec "$root/build/src/app/Kavrolis"
