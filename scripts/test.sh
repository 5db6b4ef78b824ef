#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
build
ctest --test-dir "$BUILD_DIR" --output-on-failure --parallel "$(nproc)"
