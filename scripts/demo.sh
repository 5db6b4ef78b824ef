#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator over simulated readers.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
build
exec "$BUILD_DIR/bin/kx12r-config-demo"
