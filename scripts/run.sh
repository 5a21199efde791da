#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on the sample castle.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
SAMPLE=examples/sample.prg
if [ -f "$SAMPLE" ]; then
  exec build/program/gruskedit "$SAMPLE"
else
  exec build/program/gruskedit
fi
