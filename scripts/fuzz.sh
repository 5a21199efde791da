#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 60). Prints per target the executions run;
# a crash, leak or timeout leaves its input under fuzz/crashes/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
scripts/deps.sh >/dev/null

if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGRUSK_BUILD_FUZZ=ON -DGRUSK_BUILD_GUI=OFF -DGRUSK_BUILD_TESTS=OFF -DGRUSK_WERROR=OFF >/dev/null
fi
targets=$(cd fuzz && ls fuzz_*.cpp | grep -v fuzz_support | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build "$BUILD_DIR" -j"$(nproc)" --target $targets gruskedit-cli >/dev/null

mkdir -p fuzz/crashes
failed=0
for t in $targets; do
  work=$(mktemp -d)
  corpus="fuzz/corpus/${t#fuzz_}"
  mkdir -p "$corpus"
  log="$work/log"
  set +e
  "$BUILD_DIR/fuzz/$t" "$work" "$corpus" -max_total_time="$SECONDS_PER_TARGET" -timeout=20 -rss_limit_mb=4096 \
    -max_len=1000000 -print_final_stats=1 -artifact_prefix="fuzz/crashes/$t-" >"$log" 2>&1
  status=$?
  set -e
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  if [ $status -ne 0 ]; then
    echo "$t: FAILED after $execs executions (exit $status)"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -n 5
    failed=1
  else
    echo "$t: $execs executions, no crash"
  fi
  rm -rf "$work"
done
exit $failed
