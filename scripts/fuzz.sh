#!/usr/bin/env bash
# Builds the fuzz harnesses with clang's libFuzzer and runs each from a copy of its corpus:
#   scripts/fuzz.sh            each target for 60 seconds
#   scripts/fuzz.sh SECONDS    each target for SECONDS
#   scripts/fuzz.sh --smoke    each target a bounded number of runs (what CI does)
# Any crash, leak or time-out fails; its input is kept under build-fuzz/findings/.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(clang libclang-rt-14-dev)
install_missing_packages

limit=(-max_total_time="${1:-60}")
[ "${1:-}" = "--smoke" ] && limit=(-runs=100000)
FUZZ_DIR="$ROOT/build-fuzz"

cmake -S "$ROOT" -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKX12R_BUILD_FUZZERS=ON -DKX12R_BUILD_TESTS=OFF -DKX12R_BUILD_BENCH=OFF
IFS=';' read -r -a TARGETS < "$FUZZ_DIR/fuzz-targets.txt" || true  # the list ends without a newline
cmake --build "$FUZZ_DIR" --parallel --target "${TARGETS[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failed=0
for target in "${TARGETS[@]}"; do
  scratch="$(mktemp -d)"
  findings="$FUZZ_DIR/findings/$target"
  rm -rf "$findings"
  mkdir -p "$findings"
  cp -r "$ROOT/fuzz/corpus/$target/." "$scratch/"
  log="$FUZZ_DIR/findings/$target.log"
  verdict=ok
  "$FUZZ_DIR/fuzz/fuzz_$target" "$scratch" "${limit[@]}" -timeout=10 -rss_limit_mb=2560 \
    -max_len=4096 -artifact_prefix="$findings/" > "$log" 2>&1 || verdict="FAILED, see $log"
  if [ -n "$(ls -A "$findings")" ]; then verdict="FAILED, inputs kept in $findings"; fi
  [ "$verdict" = ok ] || failed=1
  runs="$(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1 || true)"
  echo "fuzz_$target: ${runs:-no summary}: $verdict"
  rm -rf "$scratch"
done
exit "$failed"
