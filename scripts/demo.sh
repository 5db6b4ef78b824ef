#!/usr/bin/env bash
# Installs what is missing and builds the configurator.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
build
