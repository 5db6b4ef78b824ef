#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator over simulated readers.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
# Only what the demo needs: the tests, fuzz replays and benchmarks wait for the test command.
build kx12r-config-demo
exec "$BUILD_DIR/bin/kx12r-config-demo"
