#!/usr/bin/env bash
# The Ansible collection's overhead on one host: a playbook that puts a settings file on the demo
# readers (kx12r.readers.settings, all: true, through ansible-playbook -c local) against
# `kx12rctl --demo apply --all` alone, each run ROUNDS times from readers that differ; the
# ratio is printed last. The demo has three readers (one too old to be set, so apply --all
# passes it over and the playbook asks only the two that can be).
# Run: bench/collection_bench.sh [ROUNDS]   (after a build; needs ansible-core)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kx12rctl="$root/build/bin/kx12rctl"
rounds="${1:-5}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ANSIBLE_COLLECTIONS_PATH="$root/ansible" ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_NOCOLOR=1
export ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 PYTHONDONTWRITEBYTECODE=1
export KX12R_DEMO_STATE="$work/demo.json"
printf 'Variant=8\r\nPrefix=#B\r\nCode_format=3\r\nSuffix=\r\nEnding=13\r\nbuZzer_off=0\r\nstandAlone=0\r\nRepeat_message=0\r\n\r\n' > "$work/site.kxr"
printf -- '- hosts: all\n  gather_facts: false\n  tasks:\n    - kx12r.readers.settings: {src: %s, serial: ["00417", "00158"], demo: true, executable: %s}\n' \
  "$work/site.kxr" "$kx12rctl" > "$work/play.yml"
milliseconds() { echo $((${EPOCHREALTIME/./} / 1000)); }
timed() {
  local total=0 start round
  for ((round = 0; round < rounds; round++)); do
    rm -f "$KX12R_DEMO_STATE"  # the readers as the demo is born: they differ from the file
    start=$(milliseconds)
    "$@" > /dev/null 2>&1 || true
    total=$((total + $(milliseconds) - start))
  done
  echo $((total / rounds))
}
alone=$(timed "$kx12rctl" --demo apply "$work/site.kxr" --all)
collection=$(timed ansible-playbook -i localhost, -c local "$work/play.yml")
echo "kx12rctl --demo apply --all: ${alone} ms a run"
echo "ansible-playbook with kx12r.readers.settings: ${collection} ms a run"
echo "ratio collection/kx12rctl: $(awk -v a="$collection" -v b="$alone" 'BEGIN { printf "%.1f", a / b }')"
