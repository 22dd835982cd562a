#!/usr/bin/env bash
# Builds the Debian package from this clone and checks it: its contents, the
# desktop entry, the AppStream metainfo, lintian, and, where the machine lets
# us mount an overlay, installation, the menu's start and purge in a
# throw-away copy of the root file system. Debian 12, as root or with sudo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
tools=(lintian appstream desktop-file-utils man-db)
bash "$root/scripts/install-packages.sh" "${tools[@]}"

# One version: the package's (debian/changelog) is the project's.
project_version=$(sed -n 's/^project(Kavrolis VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package_version=$(sed -n '1s/^kavrolis (\([^)]*\)).*/\1/p' debian/changelog)
if [ "$project_version" != "$package_version" ]; then
  echo "debian/changelog is at $package_version, CMakeLists.txt at $project_version" >&2
  exit 1
fi

deb=$(bash scripts/package-deb.sh | tail -n 1)
echo "== $deb"

# Contents: what a user of the package relies on.
listing=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
expected=(
  /usr/bin/Kavrolis
  /usr/libexec/kavrolis/start-in-workdir
  /usr/libexec/kavrolis/published-workdir
  /usr/libexec/kavrolis/launch-problem
  /usr/share/applications/org.kavrolis.Kavrolis.desktop
  /usr/share/metainfo/org.kavrolis.Kavrolis.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/org.kavrolis.Kavrolis.svg
  /usr/share/man/man1/Kavrolis.1.gz
  /usr/share/doc/kavrolis/copyright
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/org.kavrolis.Kavrolis.png")
done
# Every manual page of docs/, and the program it describes.
for page in docs/*.1; do
  name=$(basename "$page" .1)
  expected+=("/usr/share/man/man1/$name.1.gz" "/usr/bin/$name")
done
status=0
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$listing" || { echo "missing from the package: $path" >&2; status=1; }
done
((status == 0)) || exit 1
echo "== contents: ${#expected[@]} expected files present"

# Our own texts' translations are built into every program (the table the
# build generates from the .ts file): one of them must be found in each.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for program in Kavrolis kvrcfg kvrcodepage; do
  grep -qF '連線失敗，原因請見下方驅動程式的訊息。' "$unpacked/usr/bin/$program" ||
    { echo "translations not in $program" >&2; exit 1; }
  echo "== translations in $program"
done

# Validators, on the files as the package holds them.
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.xml
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done
echo "== desktop entry, metainfo and manual pages valid"

# No error and no warning. A warning we chose to keep would go to
# debian/kavrolis.lintian-overrides with its reason; none is kept today.
lintian --fail-on error,warning --display-info "$deb"
echo "== lintian clean"

# Install, use and purge in a throw-away root: an overlay over / whose
# changes live in memory and vanish with the mount namespace.
if [ "$(id -u)" -ne 0 ] || ! unshare --mount true 2>/dev/null; then
  echo "== install check skipped: needs root and a mount namespace" >&2
  exit 0
fi
# The copy must not catch the machine's own package database half-way
# through an installation.
for _ in $(seq 150); do
  pgrep -x 'dpkg|apt|apt-get' >/dev/null || break
  sleep 2
done
check=$(mktemp -d /dev/shm/kavrolis-deb.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$unpacked" "$check"' EXIT
cp "$deb" "$check/kavrolis.deb"
cp scripts/deb-install-check.sh "$check/"
unshare --mount --propagation private bash -euo pipefail -s "$check" <<'INNER' || exit 1
check=$1
mkdir "$check/upper" "$check/work" "$check/root"
if ! mount -t overlay overlay -o "lowerdir=/,upperdir=$check/upper,workdir=$check/work" "$check/root" 2>/dev/null; then
  echo "== install check skipped: this machine cannot mount an overlay" >&2
  exit 0
fi
mount -t proc proc "$check/root/proc"
mount --rbind /dev "$check/root/dev"
mkdir -p "$check/root/tmp/kavrolis-check"
mount -t tmpfs tmpfs "$check/root/tmp/kavrolis-check"
cp "$check/kavrolis.deb" "$check/deb-install-check.sh" "$check/root/tmp/kavrolis-check/"
chroot "$check/root" bash /tmp/kavrolis-check/deb-install-check.sh /tmp/kavrolis-check/kavrolis.deb
INNER
