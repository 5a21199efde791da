#!/usr/bin/env bash
# Mutation testing of the core: scripts/mutants.sh [N] flips N operators,
# one at a time, and prints how many of them the test suite catches.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/mutants.py "$@"
