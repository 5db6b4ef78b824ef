#!/usr/bin/env bash
# Builds the Debian package kx12r-config_<version>_amd64.deb into build-package/ and checks it
# with lintian.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
# appstream: lintian and scripts/package-check.sh read the AppStream metadata with it.
PACKAGES+=(dpkg-dev lintian appstream)
install_missing_packages
PACKAGE_DIR="$ROOT/build-package"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || date +%s)}"
cmake -S "$ROOT" -B "$PACKAGE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr -DKX12R_PACKAGE_LAYOUT=ON \
  -DKX12R_BUILD_TESTS=OFF -DKX12R_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$PACKAGE_DIR" --parallel
(cd "$PACKAGE_DIR" && cpack -G DEB)
deb="$(ls "$PACKAGE_DIR"/kx12r-config_*_amd64.deb)"
lintian --fail-on error "$deb"
echo "$deb"
