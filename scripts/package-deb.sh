#!/usr/bin/env bash
# Builds the Debian package with dpkg-buildpackage from a copy of the sources
# and leaves it in dist/ as kavrolis_<version>_<arch>.deb. Installs the build
# dependencies it misses (Debian 12; as root or with sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! command -v dpkg-checkbuilddeps >/dev/null || ! dpkg-checkbuilddeps 2>/dev/null; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends dpkg-dev
  $sudo apt-get build-dep -y -q --no-install-recommends "$root"
fi

version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)

# A fresh copy of the sources in build-deb/: no build folders of a hand
# build get in, and dpkg-buildpackage's results land in build-deb/ instead
# of next to the clone.
work="$root/build-deb"
src="$work/kavrolis-$version"
rm -rf "$work"
mkdir -p "$src"
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  # Tracked files and new ones not ignored, as they are in the working tree.
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do
      if [ -e "$f" ] || [ -L "$f" ]; then printf '%s\0' "$f"; fi
    done | tar --null -T - -cf - | tar -C "$src" -xf -
else
  tar -C "$root" --exclude='./build*' --exclude=./dist --exclude=./.git -cf - . | tar -C "$src" -xf -
fi

jobs=${KAVROLIS_JOBS:-$(nproc)}
(cd "$src" && DEB_BUILD_OPTIONS="parallel=$jobs noautodbgsym ${DEB_BUILD_OPTIONS:-}" \
  dpkg-buildpackage -us -uc -b)

deb="kavrolis_${version}_${arch}.deb"
mkdir -p "$root/dist"
cp "$work/$deb" "$root/dist/$deb"
echo "$root/dist/$deb"
