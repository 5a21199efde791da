#!/usr/bin/env bash
# The editor in a real X window: starts its own Xvfb and drives the built
# gruskedit with xdotool through short scenarios (placing, runs, dragging,
# linking, connecting, the room map, clicks after menus and message boxes,
# zoom, a file dropped from another program, the Problems window), checked by screenshot pixels, captions and saved castles. Every wait is
# bounded, so a broken build fails instead of hanging.
# Run a few scenarios only: scripts/test.d/55-window.sh NAME...
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${BUILD_DIR:-build}
for tool in python3 Xvfb xdotool xwd import; do
  command -v "$tool" >/dev/null || { echo "window: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done
[ -x "$BUILD_DIR/program/gruskedit" ] || { echo "window: $BUILD_DIR/program/gruskedit is not built"; exit 1; }
exec timeout 600 python3 tests/window/scenarios.py "$BUILD_DIR/program" "$@"
