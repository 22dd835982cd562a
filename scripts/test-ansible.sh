#!/usr/bin/env bash
# Runs the Ansible collection of contrib/ansible against this machine, as an
# administrator's playbook would: kvrcfg apply through the kvr_aliases module,
# into a temporary work directory. Checks that the first run changes the file,
# the second changes nothing, check mode writes nothing and the file reads
# back as declared. Debian 12, as root or with sudo. Reuses build/ when there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-packages.sh" ansible-core
export LC_ALL=C.UTF-8 LANG=C.UTF-8

build="$root/build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  bash "$root/scripts/setup.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target kvrcfg -j "$(nproc)"
kvrcfg="$build/src/cli/kvrcfg"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/suite"
export ANSIBLE_COLLECTIONS_PATH="$root/contrib/ansible"
export ANSIBLE_LOCAL_TEMP="$work/ansible-local" ANSIBLE_REMOTE_TEMP="$work/ansible-remote"
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0

# The passwords come from a vault, as they would on a real fleet.
printf '%s\n' 'vault key of this run' >"$work/vault-key"
cat >"$work/secrets.yml" <<'YAML'
sales_password: "s3cret Sales"
stock_password: "密碼 stock"
YAML
ansible-vault encrypt --vault-password-file "$work/vault-key" "$work/secrets.yml" >/dev/null

cat >"$work/site.yml" <<'YAML'
- hosts: localhost
  connection: local
  gather_facts: false
  vars_files: [secrets.yml]
  vars:
    ansible_python_interpreter: "{{ ansible_playbook_python }}"
    stock_server: db2
  tasks:
    - name: The suite's aliases
      kavrolis.aliases.kvr_aliases:
        kvrcfg: "{{ kvrcfg }}"
        work_dir: "{{ work_dir }}"
        prune: true
        aliases:
          - {name: Sales, server: "db1,1433", database: sales, user: sales_app,
             password: "{{ sales_password }}"}
          - {name: 庫存, server: "{{ stock_server }}", database: stock, user: stock_app,
             password: "{{ stock_password }}"}
YAML

play() {
  ansible-playbook -i localhost, --vault-password-file "$work/vault-key" \
    -e "kvrcfg=$kvrcfg work_dir=$work/suite" "$work/site.yml" "$@" | tee "$work/run.log"
}
recap() { grep -E '^localhost +:' "$work/run.log"; }
fail() { echo "test-ansible: $*" >&2; exit 1; }

# An alias that the declaration does not hold: prune deletes it.
"$kvrcfg" --dir "$work/suite" add Old

play
recap | grep -q 'changed=1' || fail "the first run did not change the file"
cp "$work/suite/KVRCFG" "$work/first"

play
recap | grep -q 'changed=0' || fail "the second run changed something"
cmp "$work/first" "$work/suite/KVRCFG" || fail "the second run rewrote the file"

# Check mode with a new server: reported, with its diff, and nothing written.
play --check --diff -e stock_server=db9
recap | grep -q 'changed=1' || fail "check mode did not report the change"
grep -q 'server: "db2" -> "db9"' "$work/run.log" || fail "diff mode did not show the server"
! grep -q 's3cret\|密碼' "$work/run.log" || fail "a password was shown"
cmp "$work/first" "$work/suite/KVRCFG" || fail "check mode wrote the file"

# The file reads back as declared.
"$kvrcfg" --dir "$work/suite" export --reveal >"$work/export.json"
python3 - "$work/export.json" <<'PY'
import json, sys
aliases = json.load(open(sys.argv[1]))["aliases"]
want = [
    {"name": "Sales", "database": "sales", "server": "db1,1433", "user": "sales_app",
     "password": "s3cret Sales"},
    {"name": "庫存", "database": "stock", "server": "db2", "user": "stock_app",
     "password": "密碼 stock"},
]
if aliases != want:
    sys.exit("test-ansible: the alias file reads back as %r" % aliases)
PY
echo "test-ansible: passed"
