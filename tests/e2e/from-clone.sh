#!/usr/bin/env bash
# The end-to-end suite from a fresh clone under /tmp, a folder the guest covers with scratch
# space of its own: the suite must find its scenarios and the build wherever the checkout lies.
# Runs what is committed; the clone's logs (idle and busy runs) are kept in build/e2e-clone/ when
# it fails.
set -euo pipefail
source_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
clone="$(mktemp -d /tmp/kx12r-e2e.XXXXXX)"
trap 'rm -rf "$clone"' EXIT
git clone --quiet --no-hardlinks "$source_root" "$clone/kx12r-config"
if ! "$clone/kx12r-config/scripts/e2e.sh"; then
  rm -rf "$source_root/build/e2e-clone"
  mkdir -p "$source_root/build"
  mkdir -p "$source_root/build/e2e-clone"
  cp -r "$clone/kx12r-config/build/e2e"* "$source_root/build/e2e-clone/"
  exit 1
fi
