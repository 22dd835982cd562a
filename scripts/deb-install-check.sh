#!/usr/bin/env bash
# Installs, uses and purges the Debian package. It changes the machine it
# runs on (users, groups, /etc/kavrolis, /usr/bin/Kavrolis): run it only in a
# throw-away root, as scripts/test-deb.sh does.
set -euo pipefail
deb=$1
fail() {
  echo "deb-install-check: $*" >&2
  exit 1
}
expect_eq() {
  [ "$2" = "$3" ] || fail "$1: expected '$3', got '$2'"
}

export DEBIAN_FRONTEND=noninteractive
install_package() {
  apt-get install -y -q --no-install-recommends "$deb" >/dev/null
}
registry=/etc/kavrolis/registry.reg

# First installation over a folder and registry the editor made when run as
# root: both are given to the group, the values kept; purge removes them,
# since they hold only our values.
rm -rf /etc/kavrolis
mkdir -m 0755 /etc/kavrolis
ours='REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"KVRPath"="/root/"\r\n"Vesk_UDP_Port"=""\r\n\r\n'
printf "$ours" >$registry
chmod 0644 $registry
install_package
expect_eq "/etc/kavrolis made by hand" "$(stat -c '%U:%G %a' /etc/kavrolis)" "root:kavrolis 2775"
expect_eq "registry made by hand" "$(stat -c '%U:%G %a' $registry)" "root:kavrolis 664"
expect_eq "registry made by hand, content" "$(od -An -c $registry)" "$(printf "$ours" | od -An -c)"
dpkg --purge kavrolis >/dev/null
[ ! -e /etc/kavrolis ] || fail "purge left /etc/kavrolis: $(ls -la /etc/kavrolis)"

# Installation: the group, the folder and an empty registry that members may
# replace, whatever their umask.
install_package
getent group kavrolis >/dev/null || fail "no group kavrolis"
expect_eq "/etc/kavrolis" "$(stat -c '%U:%G %a' /etc/kavrolis)" "root:kavrolis 2775"
expect_eq "registry file" "$(stat -c '%U:%G %a' $registry)" "root:kavrolis 664"
expect_eq "registry content" "$(od -An -c $registry | tr -s ' ')" " R E G E D I T 4 \r \n \r \n"
if ldd /usr/bin/Kavrolis | grep 'not found'; then
  fail "Kavrolis misses libraries"
fi

useradd -m -G kavrolis member
useradd -m -G kavrolis member2
useradd -m outsider
mkdir -p /srv/aliases /srv/other
chmod 0777 /srv/aliases /srv/other

# Publishes DIR as USER (umask 077, the strictest), with kvrcfg when the
# package has it, else by the editor's first activation.
publish_as() {
  if [ -x /usr/bin/kvrcfg ]; then
    runuser -u "$1" -- sh -c "umask 077; kvrcfg --dir $2 publish" >/dev/null 2>&1 || true
  else
    runuser -u "$1" -- sh -c "umask 077; cd $2 && QT_QPA_PLATFORM=offscreen timeout 10 Kavrolis" \
      >/dev/null 2>&1 || true
  fi
}
published() {
  tr -d '\r' <$registry | sed -n 's/^"KVRPath"="\(.*\)"$/\1/p'
}

# Members publish without root, one after the other; an outsider cannot.
publish_as member /srv/other
expect_eq "published by a member" "$(published)" "/srv/other/"
publish_as member2 /srv/aliases
expect_eq "published by another member" "$(published)" "/srv/aliases/"
expect_eq "registry after members' rewrites" "$(stat -c '%U:%G %a' $registry)" "member2:kavrolis 664"
publish_as outsider /srv/other
expect_eq "published by an outsider" "$(published)" "/srv/aliases/"

# A member's link in the group's folder is not followed: root's publication
# neither creates nor overwrites the file it points at.
cp -p $registry /tmp/registry.members
runuser -u member -- ln -sfn /root/planted $registry
kvrcfg --dir /srv/other publish >/dev/null 2>&1 && fail "root published through a member's link"
[ ! -e /root/planted ] || fail "root's publication created the target of a member's link"
rm -f $registry
cp -p /tmp/registry.members $registry

# A user who may only read the registry cannot hold its lock (flock).
rm -f /tmp/release
runuser -u outsider -- flock -x $registry \
  sh -c 'while [ ! -e /tmp/release ]; do sleep 0.05; done' &
holder=$!
while flock -n -s $registry true; do sleep 0.05; done
publish_as member /srv/other
expect_eq "published while a reader holds flock" "$(published)" "/srv/other/"
touch /tmp/release
wait $holder
publish_as member2 /srv/aliases

# The menu's launcher starts the editor in the published directory, else in
# the user's home; a published directory the user cannot enter starts nothing
# and says why. Stand-ins for the editor and the error box report instead.
cp /usr/bin/Kavrolis /tmp/Kavrolis.real
printf '#!/bin/sh\npwd\n' >/usr/bin/Kavrolis
box=/usr/libexec/kavrolis/launch-problem
cp $box /tmp/launch-problem.real
printf '#!/bin/sh\nprintf "box: %%s" "$1"\n' >$box
launch() {
  runuser -u outsider -- env HOME=/home/outsider /usr/libexec/kavrolis/start-in-workdir
}
refused() {
  out=$(launch)
  case $out in
    "box: "*"$2"*"$3"*) ;;
    *) fail "$1: expected a box naming '$2' and '$3', got '$out'" ;;
  esac
}
expect_eq "menu start, published" "$(launch)" "/srv/aliases"
chmod 0660 $registry
expect_eq "menu start, unreadable registry" "$(launch)" "/home/outsider"
chmod 0664 $registry
chmod 0700 /srv/aliases
refused "menu start, directory not enterable" "/srv/aliases/" "group"
chmod 0755 /srv/aliases
cp $registry /tmp/registry.published
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"KVRPath"="/srv/gone/"\r\n' >$registry
refused "menu start, missing directory" "/srv/gone/" "kvrcfg --dir FOLDER publish"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"KVRPath"="C:\\\\Kavrolis\\\\"\r\n' >$registry
refused "menu start, not a Linux path" 'C:\Kavrolis\' "kvrcfg --dir FOLDER publish"
rm $registry
expect_eq "menu start, no registry" "$(launch)" "/home/outsider"
cp /tmp/registry.published $registry
cp /tmp/Kavrolis.real /usr/bin/Kavrolis
cp /tmp/launch-problem.real $box

# Purge of a registry holding only our values removes it, the folder and the group.
dpkg --purge kavrolis >/dev/null
[ ! -e /etc/kavrolis ] || fail "purge left /etc/kavrolis: $(ls -la /etc/kavrolis)"
getent group kavrolis >/dev/null && fail "purge left the group kavrolis"

# Purge of a registry holding other programs' values keeps it byte for byte.
install_package
shared='REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"KVRPath"="/srv/aliases/"\r\n"Vesk_UDP_Port"="5000"\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n"ACP"="950"\r\n'
printf "$shared" >$registry
before=$(sha256sum <$registry)
dpkg --remove kavrolis >/dev/null
expect_eq "registry after remove" "$(sha256sum <$registry)" "$before"
install_package
dpkg --purge kavrolis >/dev/null 2>&1
expect_eq "shared registry after purge" "$(sha256sum <$registry)" "$before"
getent group kavrolis >/dev/null || fail "purge removed the group of a kept registry"
echo "deb-install-check: install, menu start and purge behave"
