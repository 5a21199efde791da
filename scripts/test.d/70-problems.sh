#!/usr/bin/env bash
# The Problems window in a real X window: the sample castle (no problems)
# gets one unlinked Force Field placed with the mouse; the Problems window
# (F8) counts one problem; after moving to another room, a double click on the
# problem brings its room back with the force field framed. Every wait is bounded.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${BUILD_DIR:-build}
BUILD=$(cd "$BUILD_DIR" && pwd)
EDITOR="$BUILD/program/gruskedit"
SAMPLE="$PWD/examples/sample.prg"

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "problems: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done
[ -x "$EDITOR" ] || { echo "problems: $EDITOR is not built"; exit 1; }

WORK=$(mktemp -d)
XVFB_PID=""
EDITOR_PID=""
cleanup() {
  [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  [ -n "${SMOKE_KEEP:-}" ] && cp "$WORK"/*.png /tmp/ 2>/dev/null; rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "problems: $*"
  cp "$WORK"/*.png /tmp/ 2>/dev/null || true
  cat "$WORK/editor.log" 2>/dev/null || true
  exit 1
}

DISPLAY_NUM=""
for n in $(seq 141 190); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISPLAY_NUM=$n; break; fi
done
[ -n "$DISPLAY_NUM" ] || { echo "problems: no free X display"; exit 1; }
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 1 50); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "problems: Xvfb did not start"; cat "$WORK/xvfb.log"; exit 1; }

# What the editor remembers goes to a program folder and a settings folder of
# the test's own, so it starts from nothing and leaves the build as it was.
mkdir -p "$WORK/prog"
for item in resource d64 help.txt; do ln -s "$BUILD/program/$item" "$WORK/prog/$item"; done
export XDG_CONFIG_HOME="$WORK/config"
unset QT_QPA_PLATFORM
(cd "$WORK/prog" && exec "$EDITOR" "$SAMPLE") >"$WORK/editor.log" 2>&1 &
EDITOR_PID=$!

WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --name 'sample\.prg' 2>/dev/null | head -n1 || true)
  [ -n "$WID" ] && break
  kill -0 "$EDITOR_PID" 2>/dev/null || fail "the editor ended early"
  sleep 0.1
done
[ -n "$WID" ] || fail "no window named after the castle"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"
CLIENT_TOP=$((Y + HEIGHT - 22 - 456))
CANVAS_X=$((X + 9))
CANVAS_Y=$((CLIENT_TOP + 11))
LIST_X=$((X + 9 + 640 + 13 + 40))

# "Force Field" is the sixth row of the object list (types in order from 0).
xdotool mousemove "$LIST_X" $((CANVAS_Y + 8)) click 1
sleep 0.3
for _ in 1 2 3 4 5; do xdotool key Down; sleep 0.1; done
sleep 0.3
# An empty part of the first room: column 10, row 14.
FX=10
FY=14
xdotool mousemove $((CANVAS_X + FX * 16 + 8)) $((CANVAS_Y + FY * 16 + 8))
sleep 0.3
xdotool click 1
sleep 0.5
xdotool mousemove $((X + 700)) $((CLIENT_TOP + 440))
xdotool key Escape
sleep 0.3

# The Problems window counts one problem in its title.
xdotool windowfocus --sync "$WID" 2>/dev/null || true
xdotool key F8
PWID=""
for _ in $(seq 1 50); do
  PWID=$(xdotool search --onlyvisible --name '^Problems - 1 problem$' 2>/dev/null | head -n1 || true)
  [ -n "$PWID" ] && break
  sleep 0.1
done
if [ -z "$PWID" ]; then
  import -window root "$WORK/screen.png" || true
  fail "no Problems window counting one problem ($(xdotool search --onlyvisible --name '^Problems' getwindowname 2>/dev/null || true))"
fi
echo "problems: \"$(xdotool getwindowname "$PWID")\""
# Out of the way of the main window: nothing manages the windows here.
xdotool windowmove --sync "$PWID" 860 560 2>/dev/null || xdotool windowmove "$PWID" 860 560
sleep 0.3

# Another room, then a double click on the problem goes back to it.
xdotool windowfocus --sync "$WID" 2>/dev/null || true
xdotool key Next
sleep 0.5
import -window "$WID" "$WORK/other-room.png"
eval "$(xdotool getwindowgeometry --shell "$PWID")"
xdotool mousemove $((X + 30)) $((Y + 20))
sleep 0.2
xdotool click --repeat 2 --delay 80 1
sleep 1
import -window "$WID" "$WORK/framed.png"

# The frame: yellow, two pixels just outside the force field's top left corner.
pixel() {
  local file=$1 px=$2 py=$3
  local height top
  height=$(convert "$file" -format '%h' info:)
  top=$((height - 22 - 456 + 11))
  convert "$file" -format "%[fx:int(255*p{$((9 + px)),$((top + py))}.r)],%[fx:int(255*p{$((9 + px)),$((top + py))}.g)],%[fx:int(255*p{$((9 + px)),$((top + py))}.b)]" info:
}
FRAME=$(pixel "$WORK/framed.png" $((FX * 16 - 2)) $((FY * 16 - 2)))
BEFORE=$(pixel "$WORK/other-room.png" $((FX * 16 - 2)) $((FY * 16 - 2)))
echo "problems: frame corner $FRAME, in the other room $BEFORE"
[ "$FRAME" = "255,255,0" ] || fail "the force field is not framed after the double click"
[ "$BEFORE" != "255,255,0" ] || fail "the frame showed before going to the problem"
echo "problems: passed"
