#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/fuzz_*.cpp) with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60) on its
# seed corpus fuzz/corpus/<name without fuzz_>. Prints per target the
# executions run; a crash, leak or timeout leaves its input under fuzz/crashes/
# and fails the script. The seed corpora are only read: inputs the fuzzer
# finds go to a temporary folder. fuzz/dict/<name>.dict, when present, gives
# the fuzzer the byte values the format uses.
#   FUZZ_BUILD_DIR  build folder (default build-fuzz)
#   FUZZ_TARGETS    names of the targets to run (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${1:-60}
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
scripts/deps.sh >/dev/null

GEN=()
if command -v ninja >/dev/null 2>&1; then GEN=(-G Ninja); fi
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGRUSK_BUILD_FUZZ=ON -DGRUSK_BUILD_GUI=OFF -DGRUSK_BUILD_TESTS=OFF -DGRUSK_WERROR=ON >/dev/null
fi
targets=${FUZZ_TARGETS:-$(cd fuzz && ls fuzz_*.cpp | grep -v '^fuzz_support\.cpp$' | sed 's/\.cpp$//')}
# shellcheck disable=SC2086
if ! cmake --build "$BUILD_DIR" -j"$(nproc)" --target $targets >"$BUILD_DIR/fuzz-build.log" 2>&1; then
  tail -n 40 "$BUILD_DIR/fuzz-build.log"
  echo "fuzz targets failed to build"
  exit 1
fi

mkdir -p fuzz/crashes
failed=0
for t in $targets; do
  work=$(mktemp -d)
  corpus="fuzz/corpus/${t#fuzz_}"
  mkdir -p "$corpus"
  log="$work/log"
  mkdir "$work/found"
  dict=()
  if [ -f "fuzz/dict/${t#fuzz_}.dict" ]; then dict=(-dict="fuzz/dict/${t#fuzz_}.dict"); fi
  set +e
  # -timeout: seconds one input may take (the slowest legal inputs take a few
  # under the sanitizers); -rss_limit_mb and -malloc_limit_mb catch runaway
  # allocations; leaks are checked after every input that allocated more than it freed.
  "$BUILD_DIR/fuzz/$t" "$work/found" "$corpus" -max_total_time="$SECONDS_PER_TARGET" -timeout=25 \
    -rss_limit_mb=4096 -malloc_limit_mb=1024 -max_len=1000000 -print_final_stats=1 \
    -artifact_prefix="fuzz/crashes/$t-" "${dict[@]}" >"$log" 2>&1
  status=$?
  set -e
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  if [ $status -ne 0 ]; then
    echo "$t: FAILED after ${execs:-?} executions (exit $status)"
    grep -E 'ERROR|SUMMARY|Test unit written|==[0-9]+==' "$log" | head -n 8 || true
    failed=1
  else
    echo "$t: ${execs:-?} executions, no crash"
  fi
  rm -rf "$work"
done
exit $failed
