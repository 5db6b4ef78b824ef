#!/usr/bin/env bash
# The collection's sanity with what Debian ships, offline: the documentation as ansible-doc
# reads it, ansible-test's validate-modules script (with Debian's voluptuous), pycodestyle with
# ansible-test's ignores, yamllint, and the archive ansible-galaxy builds. The sanity tests that
# need pip (ansible-test sanity itself) are not run here.
set -uo pipefail
collection="$(cd "$(dirname "$0")/../.." && pwd)"
export ANSIBLE_COLLECTIONS_PATH="$(cd "$collection/../../.." && pwd)" PYTHONDONTWRITEBYTECODE=1
validate=/usr/lib/python3/dist-packages/ansible_test/_util/controller/sanity/validate-modules
failures=0
check() {
  local name="$1"
  shift
  local out
  if out="$("$@" 2>&1)" && [ -z "$(grep -v '^$' <<< "$out")" ]; then
    echo "sanity: $name: ok"
  else
    echo "sanity: $name: FAILED"
    echo "$out"
    failures=$((failures + 1))
  fi
}
cd "$collection"
for module in plugins/modules/*.py; do
  name="$(basename "$module" .py)"
  check "ansible-doc $name" bash -c "ansible-doc kx12r.readers.$name > /dev/null"
done
# The modules are MIT, as the rest of the project: the GPLv3 header check is for Ansible's own.
version="$(sed -n 's/^version: *//p' galaxy.yml)"
check validate-modules bash -c "PYTHONPATH='$validate' /usr/bin/python3 '$validate/validate.py' \
  --collection ansible_collections/kx12r/readers --collection-version '$version' --arg-spec \
  --plugin-type module plugins/modules/*.py | { grep -v missing-gplv3-license || true; }"
check pycodestyle /usr/bin/python3 -m pycodestyle --max-line-length 160 \
  --ignore E402,W503,W504,E741 plugins tests
check yamllint yamllint -d '{extends: relaxed, rules: {line-length: {max: 160}}}' .
# The archive a site installs from a file: ansible-galaxy builds it, the modules inside.
check "collection archive" bash -c 'out="$(mktemp -d)"
  ansible-galaxy collection build . --output-path "$out" > /dev/null &&
    tar tzf "$out"/kx12r-readers-*.tar.gz | grep -qx plugins/modules/settings.py
  status=$?
  rm -rf "$out"
  exit $status'
[ "$failures" -eq 0 ] && echo "1 passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
