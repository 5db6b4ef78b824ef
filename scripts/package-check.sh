#!/usr/bin/env bash
# The Debian package as a technician meets it, on this machine (needs root): build it, install
# it, start the demo program as its menu entry says, edit the service database as a member of
# the administrators' group without root, upgrade to a rebuilt package and find the edit still
# there, purge it and find nothing left. Leaves the machine as it found it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ "$(id -u)" -eq 0 ] || { echo "package-check.sh needs root" >&2; exit 2; }
TECH=kx12r-check
STATE=/var/lib/kx12r-config

fail() { echo "package check FAILED: $*" >&2; exit 1; }
cleanup() {
  apt-get purge -y kx12r-config > /dev/null 2>&1 || true
  userdel -r "$TECH" > /dev/null 2>&1 || true
}
trap cleanup EXIT

deb="$("$ROOT/scripts/package.sh" | tail -n 1)"
getent group sudo > /dev/null || groupadd --system sudo
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb"

for path in /usr/bin/kx12r-config /usr/bin/kx12r-config-demo /usr/bin/kx12rctl \
    /usr/lib/udev/rules.d/70-kx12r.rules /usr/share/applications/kx12r-config.desktop \
    /usr/share/bash-completion/completions/kx12rctl \
    /usr/share/icons/hicolor/scalable/apps/kx12r-config.svg \
    /usr/share/doc/kx12r-config/copyright /usr/share/kx12r-config/kx12rConfig.db \
    /usr/share/metainfo/ru.salvion.kx12r_config.metainfo.xml "$STATE/kx12rConfig.db" \
    /usr/share/ansible/collections/ansible_collections/kx12r/readers/plugins/modules/settings.py \
    /usr/lib/udev/rules.d/71-kx12r-apply.rules /usr/lib/systemd/system/kx12r-apply@.service \
    /usr/lib/systemd/system/kx12r-apply-on-plug.target; do
  [ -e "$path" ] || fail "$path is missing"
done
# The unit that sets a reader when it is plugged in, and its switch, as systemd reads them.
systemd-analyze verify --man=no /usr/lib/systemd/system/kx12r-apply@.service \
  /usr/lib/systemd/system/kx12r-apply-on-plug.target || fail "systemd-analyze verify"
grep -q '^ExecStart=/usr/bin/kx12rctl apply /etc/kx12r/site.kxr --serial %I' \
  /usr/lib/systemd/system/kx12r-apply@.service || fail "the unit does not run the packaged kx12rctl"
# Debian's Ansible finds the collection where the package puts it, without being told.
if command -v ansible-doc > /dev/null; then
  ansible-doc kx12r.readers.settings > /dev/null || fail "ansible-doc does not find the collection"
fi
# A software centre lists the program, and offers it when a reader is plugged in.
appstreamcli validate --no-net /usr/share/metainfo/ru.salvion.kx12r_config.metainfo.xml ||
  fail "the AppStream metadata does not validate"
for product in 0002 F002 F6F1 00DF; do
  grep -qF "<modalias>usb:v04D8p${product}d*</modalias>" \
    /usr/share/metainfo/ru.salvion.kx12r_config.metainfo.xml ||
    fail "the AppStream metadata does not offer the program for product $product"
done
cmp -s <(sed -n '/^ Permission/,$p' /usr/share/doc/kx12r-config/copyright |
  sed -e 's/^ //' -e 's/^\.$//') <(sed -n '/^Permission/,$p' "$ROOT/LICENSE") ||
  fail "the package's copyright is not the licence of LICENSE"
[ "$(readlink /usr/lib/kx12r-config/kx12rConfig.db)" = "$STATE/kx12rConfig.db" ] ||
  fail "the programs' database is no link to $STATE"
[ "$(stat -c %G "$STATE/kx12rConfig.db")" = sudo ] || fail "the database is not the admins'"

# The demo program, as the menu entry starts it, comes up and stays up.
command="$(sed -n 's/^Exec=//p' /usr/share/applications/kx12r-config-demo.desktop)"
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$command" || status=$?
[ "$status" -eq 124 ] || fail "$command ended by itself with status $status"
kx12rctl --demo list > /dev/null || fail "kx12rctl --demo list"

# A member of sudo, not root, edits a code format; SQLite's journal goes beside the real file.
useradd --create-home --groups sudo "$TECH"
runuser -u "$TECH" -- sqlite3 /usr/lib/kx12r-config/kx12rConfig.db \
  "UPDATE CodeVariantsTable SET NAME='edited by $TECH' WHERE ID=1;" ||
  fail "a member of sudo cannot edit the database"

# Installing the package again is an upgrade: the edit stays.
dpkg -i "$deb" > /dev/null
[ "$(sqlite3 "$STATE/kx12rConfig.db" 'SELECT NAME FROM CodeVariantsTable WHERE ID=1;')" = \
  "edited by $TECH" ] || fail "the upgrade lost the edit"

apt-get remove -y kx12r-config > /dev/null
[ -e "$STATE/kx12rConfig.db" ] || fail "remove took the database"
apt-get purge -y kx12r-config > /dev/null
[ ! -e "$STATE" ] || fail "purge left $STATE"
[ ! -e /usr/lib/kx12r-config ] || fail "purge left /usr/lib/kx12r-config"
echo "package check passed: $deb"
