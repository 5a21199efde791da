#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
# Warnings are errors here and in CI, not for everyone who builds.
scripts/build.sh -DGRUSK_WERROR=ON
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir build --output-on-failure -j"$(nproc)"
# Further stages (sanitizer build, short fuzz runs, real-window stage) are
# listed in scripts/test.d and run in order.
if [ -d scripts/test.d ]; then
  for stage in scripts/test.d/*.sh; do
    [ -e "$stage" ] || continue
    echo "== $(basename "$stage")"
    bash "$stage"
  done
fi
echo "All tests passed."
