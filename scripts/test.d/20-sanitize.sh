#!/usr/bin/env bash
# Builds the core test programs with AddressSanitizer and
# UndefinedBehaviorSanitizer (gcc) into build-asan and runs them. Any
# finding (bad access, leak, undefined behaviour) fails the test that met it.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${SANITIZE_BUILD_DIR:-build-asan}
GEN=()
if command -v ninja >/dev/null 2>&1; then GEN=(-G Ninja); fi
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  export CC=gcc CXX=g++
fi
cmake -S . -B "$BUILD_DIR" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DGRUSK_SANITIZE=ON -DGRUSK_BUILD_GUI=OFF -DGRUSK_BUILD_TESTS=ON -DGRUSK_BUILD_FUZZ=OFF -DGRUSK_WERROR=ON >/dev/null

# The core areas whose tests exist in this tree.
areas=()
for area in model gamedata disk draw app cli; do
  if compgen -G "tests/$area/*.cpp" >/dev/null; then areas+=("$area"); fi
done
targets=("${areas[@]/#/test_}")
cmake --build "$BUILD_DIR" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
pattern="^($(IFS='|'; echo "${targets[*]}"))\$"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$(nproc)" -R "$pattern"
