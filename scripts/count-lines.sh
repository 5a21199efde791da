#!/usr/bin/env bash
# Non-blank lines of C++, Python and shell in tests/ against src/ and tools/,
# and the tests' share of the program code.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \) -print0 |
    xargs -0 cat | grep -c '[^[:space:]]'
}
tests=$(count tests)
code=$(count src tools)
# One decimal: rounding down would hide a share just over a limit.
share=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.1f", 100 * t / c }')
echo "tests: $tests lines; src and tools: $code lines; tests are $share% of the code"
