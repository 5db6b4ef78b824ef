#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer and runs it; any
# finding, a leak included, fails.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing_packages
SANITIZE_DIR="$ROOT/build-sanitize"
cmake -S "$ROOT" -B "$SANITIZE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
  -DKX12R_SANITIZE=ON -DKX12R_BUILD_BENCH=OFF
cmake --build "$SANITIZE_DIR" --parallel
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$SANITIZE_DIR" --output-on-failure --parallel "$(nproc)"
