# Shared by the quick-start commands: install the Debian packages that are missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$ROOT/build"
PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n libqt6sql6-sqlite libqt6svg6 sqlite3 libsqlite3-dev
  fonts-dejavu-core fonts-wine
  libhidapi-dev libudev-dev libgtest-dev libgmock-dev
  ansible-core python3-pytest python3-pycodestyle python3-voluptuous yamllint
)

install_missing_packages() {
  local missing=() package
  for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
}

# Builds the given targets, or everything.
build() {
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build "$BUILD_DIR" --parallel "${targets[@]}"
}
