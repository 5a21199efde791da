#!/usr/bin/env bash
# End-to-end smoke test in a real X window: starts the editor on the sample
# castle under Xvfb, waits for its window, checks that the caption names the
# castle and that the canvas shows the room, and closes it with Ctrl+Q.
# Every wait is bounded, so a broken build fails instead of hanging.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${BUILD_DIR:-build}
EDITOR="$BUILD_DIR/program/gruskedit"
SAMPLE="$PWD/examples/sample.prg"

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "smoke: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done
[ -x "$EDITOR" ] || { echo "smoke: $EDITOR is not built"; exit 1; }

WORK=$(mktemp -d)
XVFB_PID=""
EDITOR_PID=""
cleanup() {
  [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  [ -n "${SMOKE_KEEP:-}" ] && cp "$WORK"/*.png /tmp/ 2>/dev/null; rm -rf "$WORK"
}
trap cleanup EXIT

# A display number nobody uses.
DISPLAY_NUM=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISPLAY_NUM=$n; break; fi
done
[ -n "$DISPLAY_NUM" ] || { echo "smoke: no free X display"; exit 1; }
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 1 50); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "smoke: Xvfb did not start"; cat "$WORK/xvfb.log"; exit 1; }

unset QT_QPA_PLATFORM
"$EDITOR" "$SAMPLE" >"$WORK/editor.log" 2>&1 &
EDITOR_PID=$!

# The caption becomes the castle's path once the file is read after the first paint.
WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --name 'sample\.prg' 2>/dev/null | head -n1 || true)
  [ -n "$WID" ] && break
  kill -0 "$EDITOR_PID" 2>/dev/null || { echo "smoke: the editor ended early"; cat "$WORK/editor.log"; exit 1; }
  sleep 0.1
done
[ -n "$WID" ] || { echo "smoke: no window named after the castle"; cat "$WORK/editor.log"; exit 1; }
TITLE=$(xdotool getwindowname "$WID")
case "$TITLE" in
  *sample.prg*) echo "smoke: caption \"$TITLE\"" ;;
  *) echo "smoke: unexpected caption \"$TITLE\""; exit 1 ;;
esac

# Let the canvas paint the room, then take the window's picture. The client
# area (456 pixels high) sits below the menu bar and above the 22-pixel status
# line; the canvas is at (9, 11) in it.
sleep 1
import -window "$WID" "$WORK/window.png"
HEIGHT=$(convert "$WORK/window.png" -format '%h' info:)
TOP=$((HEIGHT - 22 - 456 + 11))
convert "$WORK/window.png" -crop "640x400+9+$TOP" +repage "$WORK/canvas.png"
COLOURS=$(convert "$WORK/canvas.png" -format '%k' info:)
echo "smoke: the canvas shows $COLOURS colours"
if [ "$COLOURS" -lt 4 ]; then
  echo "smoke: the canvas is blank"
  cp "$WORK/window.png" /tmp/gruskedit-smoke.png 2>/dev/null || true
  exit 1
fi

# Ctrl+Q ends an unchanged castle without a question.
xdotool windowfocus --sync "$WID" 2>/dev/null || true
xdotool key ctrl+q
for _ in $(seq 1 100); do
  kill -0 "$EDITOR_PID" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$EDITOR_PID" 2>/dev/null; then
  echo "smoke: the editor did not end on Ctrl+Q"
  exit 1
fi
wait "$EDITOR_PID" || { echo "smoke: the editor ended with an error"; cat "$WORK/editor.log"; exit 1; }
EDITOR_PID=""

# Drawing with the mouse: a fresh editor, "Walkway" chosen in the object list,
# the left button dragged along row 12 from column 5 to 15; the screenshot
# must show the walkway in that row and nothing in the rows below it.
"$EDITOR" >"$WORK/editor2.log" 2>&1 &
EDITOR_PID=$!
WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --name 'NO CASTLE LOADED' 2>/dev/null | head -n1 || true)
  [ -n "$WID" ] && break
  kill -0 "$EDITOR_PID" 2>/dev/null || { echo "smoke: the editor ended early"; cat "$WORK/editor2.log"; exit 1; }
  sleep 0.1
done
[ -n "$WID" ] || { echo "smoke: no editor window without a castle"; cat "$WORK/editor2.log"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"
CLIENT_TOP=$((Y + HEIGHT - 22 - 456))
LIST_X=$((X + 9 + 640 + 13 + 40))
CANVAS_X=$((X + 9))
CANVAS_Y=$((CLIENT_TOP + 11))
# A click on the list's first row gives it the focus; End moves to its last row, "Walkway".
xdotool mousemove "$LIST_X" $((CANVAS_Y + 8)) click 1
sleep 0.3
xdotool key End
sleep 0.3
ROW_Y=$((CANVAS_Y + 12 * 16 + 8))
xdotool mousemove $((CANVAS_X + 5 * 16 + 8)) "$ROW_Y"
sleep 0.2
xdotool mousedown 1
for c in $(seq 5 15); do
  xdotool mousemove $((CANVAS_X + c * 16 + 8)) "$ROW_Y"
  sleep 0.05
done
xdotool mouseup 1
sleep 1
import -window "$WID" "$WORK/walkway.png"
WIN_H=$(convert "$WORK/walkway.png" -format '%h' info:)
ROW_TOP=$((WIN_H - 22 - 456 + 11 + 12 * 16))
WALKWAY=$(convert "$WORK/walkway.png" -crop "176x16+$((9 + 5 * 16))+$ROW_TOP" +repage -format '%[fx:mean]' info:)
BELOW=$(convert "$WORK/walkway.png" -crop "176x32+$((9 + 5 * 16))+$((ROW_TOP + 32))" +repage -format '%[fx:mean]' info:)
echo "smoke: walkway row brightness $WALKWAY, rows below $BELOW"
if ! awk -v w="$WALKWAY" -v b="$BELOW" 'BEGIN { exit !(w > 0.1 && b < 0.02) }'; then
  echo "smoke: the walkway drawn with the mouse is not on the canvas"
  cp "$WORK/walkway.png" /tmp/gruskedit-walkway.png 2>/dev/null || true
  exit 1
fi
kill "$EDITOR_PID" 2>/dev/null || true
wait "$EDITOR_PID" 2>/dev/null || true
EDITOR_PID=""
echo "smoke: passed"
