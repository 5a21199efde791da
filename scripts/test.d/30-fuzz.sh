#!/usr/bin/env bash
# Runs every fuzz target for a short while (FUZZ_SECONDS, default 20 each);
# any crash, leak or timeout fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
