#!/usr/bin/env bash
# The editor at 200% in a real X window: a project file dragged onto the
# window from another program loads; an object is dragged to a new place,
# then Ctrl-clicked away; a type chosen in the list is placed; a double click on a
# door goes through it and puts the pointer on the door it leads to; Ctrl+0
# brings back the 640 x 400 canvas; on a screen with device pixel ratio 2 the
# canvas stays crisp. Every check reads screenshot pixels or the pointer
# position. Every wait is bounded.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${BUILD_DIR:-build}
BUILD=$(cd "$BUILD_DIR" && pwd)
EDITOR="$BUILD/program/gruskedit"
CLI="$BUILD/program/gruskedit-cli"
DROPSOURCE="$BUILD/tools/dropsource/dropsource"
SAMPLE="$PWD/examples/sample.prg"

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "zoom: $tool is missing (scripts/deps.sh installs it)"; exit 1; }
done
for f in "$EDITOR" "$CLI" "$DROPSOURCE"; do
  [ -x "$f" ] || { echo "zoom: $f is not built"; exit 1; }
done

WORK=$(mktemp -d)
XVFB_PID=""
EDITOR_PID=""
SOURCE_PID=""
cleanup() {
  for p in "$SOURCE_PID" "$EDITOR_PID" "$XVFB_PID"; do [ -n "$p" ] && kill "$p" 2>/dev/null || true; done
  [ -n "${ZOOM_KEEP:-}" ] && cp "$WORK"/*.png /tmp/ 2>/dev/null; rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "zoom: $*"
  cp "$WORK/last.png" /tmp/gruskedit-zoom-failed.png 2>/dev/null || true
  cat "$WORK/editor.log" 2>/dev/null || true
  exit 1
}

# A program folder of its own, so that the settings the editor remembers
# (GruskEdit.ini) stay out of the build and start from nothing.
mkdir -p "$WORK/prog"
for item in resource d64 help.txt; do ln -s "$BUILD/program/$item" "$WORK/prog/$item"; done
"$CLI" --program-folder "$BUILD/program" decompile "$SAMPLE" "$WORK/dropped.cas" >/dev/null

DISPLAY_NUM=""
for n in $(seq 141 190); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISPLAY_NUM=$n; break; fi
done
[ -n "$DISPLAY_NUM" ] || fail "no free X display"
Xvfb ":$DISPLAY_NUM" -screen 0 1920x1200x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 1 50); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb did not start"
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
[ -n "$WID" ] || fail "no editor window"
sleep 1

# Window geometry: the client area sits between the menu bar and the
# 22-pixel status line; at 100% it is 456 pixels high.
eval "$(xdotool getwindowgeometry --shell "$WID")"
START_W=$WIDTH
START_H=$HEIGHT
MENU=$((HEIGHT - 22 - 456))
[ "$MENU" -gt 0 ] || fail "unexpected window height $HEIGHT"

shot() { import -window root "$WORK/last.png"; cp "$WORK/last.png" "$WORK/$1.png"; }
# Mean brightness (0..1) of a block of the last screenshot.
mean() { convert "$WORK/last.png" -crop "$3x$4+$1+$2" +repage -format '%[fx:mean]' info:; }
above() { awk -v v="$1" -v t="$2" 'BEGIN { exit !(v > t) }'; }

xdotool windowfocus --sync "$WID" 2>/dev/null || true
xdotool key ctrl+plus
sleep 0.3
xdotool key ctrl+plus
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"
CX=$((X + 9))
CY=$((Y + MENU + 11))
echo "zoom: window ${START_W}x${START_H} at 100%, ${WIDTH}x${HEIGHT} at 200%"
[ "$HEIGHT" -ge $((START_H + 400)) ] || fail "the window did not grow for 200%"
# Screen position of the middle of a cell at 200%.
cellx() { echo $((CX + $1 * 32 + 16)); }
celly() { echo $((CY + $1 * 32 + 16)); }

# A project file dragged from another program onto the window loads.
"$DROPSOURCE" "$WORK/dropped.cas" >"$WORK/drop.log" 2>&1 &
SOURCE_PID=$!
for _ in $(seq 1 50); do
  xdotool search --onlyvisible --name '^dropsource$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 0.5
xdotool mousemove 60 40
sleep 0.2
xdotool mousedown 1
TX=$(cellx 20)
TY=$(celly 16)
for i in $(seq 1 12); do
  xdotool mousemove $((60 + (TX - 60) * i / 12)) $((40 + (TY - 40) * i / 12))
  sleep 0.08
done
sleep 0.3
xdotool mouseup 1
TITLE=""
for _ in $(seq 1 100); do
  TITLE=$(xdotool getwindowname "$WID")
  case "$TITLE" in *dropped.cas*) break ;; esac
  sleep 0.1
done
case "$TITLE" in *dropped.cas*) echo "zoom: dropped file loaded, caption \"$TITLE\"" ;;
  *) cat "$WORK/drop.log"; fail "the dropped project file did not load (caption \"$TITLE\")" ;; esac
wait "$SOURCE_PID" 2>/dev/null || true
SOURCE_PID=""
xdotool windowfocus --sync "$WID" 2>/dev/null || true

# The hall's Frankenstein (two cells wide, three high, at (25, 21)) is dragged
# by its lower right cell; the drag starts on the first move into another cell
# of it and the object lands with its anchor on the cell of the release.
FX=$(cellx 26)
FY=$(celly 23)
xdotool mousemove "$FX" "$FY"
sleep 0.2
xdotool mousedown 1
xdotool mousemove "$FX" $((FY - 32))
sleep 0.1
for i in $(seq 1 10); do
  xdotool mousemove $(($(cellx 25) + ($(cellx 8) - $(cellx 25)) * i / 10)) $(($(celly 21) + ($(celly 14) - $(celly 21)) * i / 10))
  sleep 0.05
done
xdotool mouseup 1
xdotool mousemove "$(cellx 14)" "$(celly 19)"
sleep 0.8
shot dragged
NEW=$(mean $((CX + 8 * 32)) $((CY + 14 * 32)) 64 96)
OLD=$(mean $((CX + 25 * 32)) $((CY + 21 * 32)) 64 96)
echo "zoom: after the drag, new place $NEW, old place $OLD"
above "$NEW" 0.05 || fail "the dragged object is not at (8, 14)"
above 0.01 "$OLD" || fail "the dragged object is still at (25, 21)"

# Ctrl-click takes it away again.
xdotool mousemove "$(cellx 9)" "$(celly 15)"
sleep 0.2
xdotool keydown ctrl click 1 keyup ctrl
xdotool mousemove "$(cellx 14)" "$(celly 19)"
sleep 0.8
shot erased
GONE=$(mean $((CX + 8 * 32)) $((CY + 14 * 32)) 64 96)
echo "zoom: after the Ctrl-click, $GONE"
above 0.01 "$GONE" || fail "the Ctrl-click did not remove the object"

# "Key" (the list's eighth row) placed with a click at (8, 16); a right click
# on an empty cell drops the choice.
LIST_X=$((CX + 1280 + 13 + 60))
xdotool mousemove "$LIST_X" $((CY + 12)) click 1
sleep 0.3
for _ in $(seq 1 7); do xdotool key Down; sleep 0.05; done
sleep 0.3
xdotool mousemove "$(cellx 8)" "$(celly 16)"
sleep 0.2
xdotool click 1
xdotool mousemove "$(cellx 3)" "$(celly 18)"
sleep 0.2
xdotool click 3
sleep 0.8
shot placed
PLACED=$(mean $((CX + 8 * 32)) $((CY + 16 * 32)) 32 32)
# The key is two cells wide: the cells after it and above it stay empty.
NEXT=$(mean $((CX + 10 * 32)) $((CY + 16 * 32)) 32 32)
UP=$(mean $((CX + 8 * 32)) $((CY + 15 * 32)) 64 32)
echo "zoom: placed key cell $PLACED, beside it $NEXT, above it $UP"
above "$PLACED" 0.05 || fail "no key placed in cell (8, 16)"
above 0.01 "$NEXT" || fail "something was placed beside the key"
above 0.01 "$UP" || fail "something was placed above the key"

# A double click on the hall's first door (2, 7) goes to the laboratory and
# puts the pointer on its door (35, 21), 24 raster pixels into it: at 200%
# the middle of raster pixel (584, 360) is device pixel (1168, 720).
xdotool mousemove "$(cellx 3)" "$(celly 8)"
sleep 0.3
xdotool click --repeat 2 --delay 80 1
sleep 0.8
eval "$(xdotool getmouselocation --shell)"
echo "zoom: pointer after the door double click at ($((X - CX)), $((Y - CY))) of the canvas"
[ $((X - CX)) -eq 1168 ] && [ $((Y - CY)) -eq 720 ] || fail "the pointer is not on the destination door"
xdotool mousemove "$(cellx 12)" "$(celly 17)"
sleep 0.3

# Ctrl+0: back to 640 x 400 and the window's first size.
xdotool key ctrl+0
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"
echo "zoom: window ${WIDTH}x${HEIGHT} after Ctrl+0"
[ "$WIDTH" -eq "$START_W" ] && [ "$HEIGHT" -eq "$START_H" ] || fail "Ctrl+0 did not bring back the first size"
CX=$((X + 9))
CY=$((Y + MENU + 11))
shot actual
INSIDE=$(convert "$WORK/last.png" -crop "640x400+$CX+$CY" +repage -format '%k' info:)
RIGHT=$(mean $((CX + 640 + 3)) $((CY + 100)) 8 200)
echo "zoom: canvas at 100% shows $INSIDE colours; beyond its right edge brightness $RIGHT"
[ "$INSIDE" -ge 4 ] || fail "the canvas is blank at 100%"
above "$RIGHT" 0.5 || fail "the canvas reaches past 640 pixels at 100%"

kill "$EDITOR_PID" 2>/dev/null || true
wait "$EDITOR_PID" 2>/dev/null || true
EDITOR_PID=""

# On a screen with a device pixel ratio of 2 the canvas at 100% is 1280 x 800
# device pixels and stays crisp: every room pixel is a block of 2 x 2 equal
# device pixels.
(cd "$WORK/prog" && rm -f GruskEdit.ini && QT_SCALE_FACTOR=2 exec "$EDITOR" "$SAMPLE") >"$WORK/editor.log" 2>&1 &
EDITOR_PID=$!
WID=""
for _ in $(seq 1 150); do
  WID=$(xdotool search --onlyvisible --name 'sample\.prg' 2>/dev/null | head -n1 || true)
  [ -n "$WID" ] && break
  kill -0 "$EDITOR_PID" 2>/dev/null || fail "the editor ended early at ratio 2"
  sleep 0.1
done
[ -n "$WID" ] || fail "no editor window at ratio 2"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"
CX=$((X + 18))
CY=$((Y + HEIGHT - 44 - 912 + 22))
shot ratio2
convert "$WORK/last.png" -crop "1280x800+$CX+$CY" +repage "$WORK/canvas2.png"
convert "$WORK/canvas2.png" -sample 50% -sample 200% "$WORK/blocks2.png"
DIFF=$(compare -metric AE "$WORK/canvas2.png" "$WORK/blocks2.png" null: 2>&1 || true)
COLOURS=$(convert "$WORK/canvas2.png" -format '%k' info:)
echo "zoom: ratio 2: $COLOURS colours, $DIFF device pixels off their 2 x 2 block"
[ "$COLOURS" -ge 4 ] || fail "the canvas is blank at ratio 2"
[ "$DIFF" = "0" ] || fail "the canvas is not crisp at ratio 2"
kill "$EDITOR_PID" 2>/dev/null || true
wait "$EDITOR_PID" 2>/dev/null || true
EDITOR_PID=""
echo "zoom: passed"
