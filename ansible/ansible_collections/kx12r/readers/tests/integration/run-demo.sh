#!/usr/bin/env bash
# The collection over kx12rctl's demo readers, which keep their settings in a state file: check
# mode reports the change and writes nothing; the first run writes; the second is ok.
# Usage: run-demo.sh KX12RCTL
set -euo pipefail
kx12rctl="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ANSIBLE_COLLECTIONS_PATH="$(cd "$here/../../../../.." && pwd)"
export KX12R_DEMO_STATE="$work/demo.json" ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP="$work/tmp"
export ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 PYTHONDONTWRITEBYTECODE=1
failures=0
play() {
  ansible-playbook -i localhost, -c local -e "kx12rctl=$kx12rctl" "$@" "$here/site.yml" 2>&1
}
# The recap's changed count for the host.
changed() { grep -oE 'localhost +: ok=[0-9]+ +changed=[0-9]+' | grep -oE '[0-9]+$'; }
expect() {
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: $2 instead of $3"
    failures=$((failures + 1))
  fi
}
expect "check mode" "$(play --check --diff | tee "$work/check.out" | changed)" 1
grep -q '"prefix": "#S"' "$work/check.out" || grep -q 'prefix: "#S"\|+.*#S' "$work/check.out" ||
  { echo "FAIL: check mode showed no diff"; cat "$work/check.out"; failures=$((failures + 1)); }
expect "the first run" "$(play | changed)" 1
expect "the second run" "$(play | tee "$work/second.out" | changed)" 0
grep -q '"msg": "#S"' "$work/second.out" || { echo "FAIL: the reader does not hold #S"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "1 passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
