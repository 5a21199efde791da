#!/usr/bin/env bash
# The installed program: installs the main build into a temporary prefix and
# runs what landed there, from a folder that is no program folder:
#   - gruskedit-cli check, compile, gamedisk and render on the sample castle,
#     with the shipped files from <prefix>/share/gruskedit and the user's
#     files in the data folder of HOME, then of XDG_DATA_HOME; the user's own
#     game file wins over the shipped one, and nothing is written below the prefix;
#   - the installed editor, off-screen, on the sample castle (bounded wait);
#   - desktop-file-validate on the desktop entry, the icons, MIME package and
#     man page;
#   - cpack -G DEB from the same build folder and dpkg-deb --info of the
#     package. As root, with nothing to download and no gruskedit installed
#     already, the package is installed with apt and removed again.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
BUILD_DIR=${BUILD_DIR:-build}
SAMPLE=$ROOT/examples/sample.prg

fail() { echo "install: $*"; exit 1; }
[ -f "$BUILD_DIR/CMakeCache.txt" ] || fail "$BUILD_DIR is not configured (scripts/build.sh)"
for tool in desktop-file-validate dpkg-deb cpack; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/gruskedit-install.XXXXXX")
EDITOR_PID=""
cleanup() {
  [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
PREFIX=$WORK/prefix
SHARE=$PREFIX/share/gruskedit
CLI=$PREFIX/bin/gruskedit-cli

# --- The layout ----------------------------------------------------------------
cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log"; fail "cmake --install failed"; }
[ -x "$CLI" ] || fail "no bin/gruskedit-cli"
PICTURES=$(find "$SHARE/resource" -name '*.bmp' | wc -l)
[ "$PICTURES" -ge 153 ] || fail "only $PICTURES pictures in share/gruskedit/resource"
[ "$(stat -c %s "$SHARE/resource/endroom.bin")" = 545 ] || fail "no 545-byte endroom.bin"
[ "$(find "$SHARE/d64" -name '*.prg' | wc -l)" = 13 ] || fail "not the 13 game file stand-ins in share/gruskedit/d64"
[ -f "$SHARE/help.txt" ] || fail "no help.txt"
find "$SHARE" \( -name 'ztest00.prg' -o -name 'zcastle.prg' -o -name '*.d64' \) | grep -q . && fail "test run files were installed"
MAN=$PREFIX/share/man/man1/gruskedit-cli.1
[ -f "$MAN" ] || fail "no man page"
if command -v groff >/dev/null; then
  WARN=$(groff -man -ww -z "$MAN" 2>&1 || true)
  [ -z "$WARN" ] || fail "man page: $WARN"
fi
echo "install: $PICTURES pictures, end-room data, 13 stand-ins, help and man page in place"

# --- gruskedit-cli, installed -----------------------------------------------------
mkdir -p "$WORK/elsewhere" "$WORK/home"
cd "$WORK/elsewhere"
sleep 1  # a whole second between the install and the marker: coarse file times
touch "$WORK/marker"
export HOME=$WORK/home
unset XDG_DATA_HOME
"$CLI" check "$SAMPLE" >/dev/null || fail "check of the sample castle failed"
"$CLI" compile "$SAMPLE" out.prg || fail "compile failed"
cmp -s <(tail -c 545 out.prg) "$SHARE/resource/endroom.bin" || fail "the compiled castle lacks the shipped end-room data"
"$CLI" gamedisk game.d64 "$SAMPLE" >/dev/null || fail "gamedisk failed"
USER_DIR=$HOME/.local/share/GruskEdit
[ -f "$USER_DIR/resource/zcastle.prg" ] || fail "gamedisk did not compile into $USER_DIR/resource"
"$CLI" disk list game.d64 | grep -q zcastle || fail "no castle on the game disk"
"$CLI" disk extract game.d64 castles castles.prg >/dev/null
cmp -s castles.prg "$SHARE/d64/castles.prg" || fail "the game disk does not hold the shipped stand-in"
"$CLI" render "$SAMPLE" 1 room.png || fail "render with the shipped pictures failed"
echo "install: check, compile, gamedisk and render with the data folder of HOME"

# The game's own file in the user's folder (here through XDG_DATA_HOME) wins.
export XDG_DATA_HOME=$WORK/xdg
mkdir -p "$XDG_DATA_HOME/GruskEdit/d64"
printf '\001\010own castles file' >"$XDG_DATA_HOME/GruskEdit/d64/castles.prg"
"$CLI" gamedisk game2.d64 "$SAMPLE" >/dev/null || fail "gamedisk with XDG_DATA_HOME failed"
[ -f "$XDG_DATA_HOME/GruskEdit/resource/zcastle.prg" ] || fail "gamedisk did not use XDG_DATA_HOME"
"$CLI" disk extract game2.d64 castles castles2.prg >/dev/null
cmp -s castles2.prg "$XDG_DATA_HOME/GruskEdit/d64/castles.prg" || fail "the user's castles.prg was not taken"
"$CLI" disk extract game2.d64 grusk grusk2.prg >/dev/null
cmp -s grusk2.prg "$SHARE/d64/grusk.prg" || fail "the shipped grusk.prg did not fill in"
CHANGED=$(find "$PREFIX" -newer "$WORK/marker")
[ -z "$CHANGED" ] || fail "written below the prefix: $CHANGED"
echo "install: the user's game file wins over the shipped one; nothing written below the prefix"

# --- The editor, installed, off-screen ---------------------------------------------
if [ -x "$PREFIX/bin/gruskedit" ]; then
  export XDG_DATA_HOME=$WORK/xdg-editor
  set +e
  QT_QPA_PLATFORM=offscreen GRUSKEDIT_QUIT_AFTER_FIRST_PAINT=1 timeout 60 "$PREFIX/bin/gruskedit" "$SAMPLE" \
    >"$WORK/editor.log" 2>&1
  STATUS=$?
  set -e
  [ $STATUS = 0 ] || { cat "$WORK/editor.log"; fail "the installed editor ended with $STATUS"; }
  grep -q "^caption: .*sample\.prg" "$WORK/editor.log" || { cat "$WORK/editor.log"; fail "the editor did not open the sample castle"; }
  [ -d "$XDG_DATA_HOME/GruskEdit/resource" ] && [ -d "$XDG_DATA_HOME/GruskEdit/d64" ] \
    || fail "the editor did not make the user's data folder"
  echo "install: the installed editor started off-screen on the sample castle ($(grep '^first paint' "$WORK/editor.log"))"

  DESKTOP=$PREFIX/share/applications/gruskedit.desktop
  desktop-file-validate "$DESKTOP" || fail "desktop-file-validate"
  for size in 48 256; do
    ICON=$PREFIX/share/icons/hicolor/${size}x${size}/apps/gruskedit.png
    [ -f "$ICON" ] || fail "no ${size} px icon"
    # Width and height from the PNG header.
    DIM=$(od -An -tu1 -j16 -N8 "$ICON" | awk '{ printf "%d %d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
    [ "$DIM" = "$size $size" ] || fail "the ${size} px icon is $DIM"
  done
  MIME=$PREFIX/share/mime/packages/gruskedit.xml
  grep -q 'pattern="\*\.cas"' "$MIME" && grep -q 'pattern="\*\.crm"' "$MIME" || fail "the MIME package lacks .cas or .crm"
  for type in $(grep -o 'application/x-gruskedit-[a-z]*' "$MIME" | sort -u); do
    grep -q "^MimeType=.*$type;" "$DESKTOP" || fail "the desktop entry does not open $type"
  done
  echo "install: desktop entry valid, icons at 48 and 256 px, .cas and .crm open in the editor"
else
  echo "install: the editor is not built (no Qt 6): editor, desktop entry and icons not checked"
fi

CHANGED=$(find "$PREFIX" -newer "$WORK/marker")
[ -z "$CHANGED" ] || fail "the editor wrote below the prefix: $CHANGED"

# --- The Debian package -------------------------------------------------------------
cd "$ROOT/$BUILD_DIR"
rm -f gruskedit_*.deb
cpack -G DEB >"$WORK/cpack.log" 2>&1 || { tail -n 30 "$WORK/cpack.log"; fail "cpack failed"; }
DEB=$(ls "$ROOT/$BUILD_DIR"/gruskedit_*.deb)
dpkg-deb --info "$DEB" >"$WORK/info.txt"
DEPENDS=$(sed -n 's/^ Depends: //p' "$WORK/info.txt")
echo "install: $(basename "$DEB") depends on: $DEPENDS"
for need in libc6 libstdc++6 libpng16-16 xdg-utils; do
  grep -q "\b$need\b" <<<"$DEPENDS" || fail "the package does not declare $need"
done
if [ -x "$PREFIX/bin/gruskedit" ]; then
  grep -q "libqt6widgets6" <<<"$DEPENDS" || fail "the package does not declare libqt6widgets6"
fi
dpkg-deb --contents "$DEB" >"$WORK/contents.txt"
for f in ./usr/bin/gruskedit-cli ./usr/share/gruskedit/resource/endroom.bin ./usr/share/gruskedit/help.txt \
  ./usr/share/man/man1/gruskedit-cli.1; do
  grep -q " $f\$" "$WORK/contents.txt" || fail "the package lacks $f"
done

if [ "$(id -u)" != 0 ]; then
  echo "install: not root: the package is not installed here"
elif dpkg-query -W -f='${Status}' gruskedit 2>/dev/null | grep -q "install ok installed"; then
  echo "install: gruskedit is installed on this machine already: the package is not installed here"
elif [ "$(apt-get install -s "$DEB" 2>/dev/null | grep -c '^Inst ' || true)" != 1 ]; then
  echo "install: the package needs more packages than are on this machine: it is not installed here"
else
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$DEB" >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt install failed"; }
  trap 'apt-get remove -y -qq gruskedit >/dev/null 2>&1 || true; cleanup' EXIT
  cd "$WORK/elsewhere"
  /usr/bin/gruskedit-cli check "$SAMPLE" >/dev/null || fail "the packaged gruskedit-cli failed"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq gruskedit >"$WORK/apt.log" 2>&1 || { cat "$WORK/apt.log"; fail "apt remove failed"; }
  trap cleanup EXIT
  [ ! -e /usr/bin/gruskedit-cli ] && [ ! -e /usr/share/gruskedit ] || fail "apt remove left files behind"
  echo "install: the package installed with apt, ran, and was removed cleanly"
fi
echo "install: passed"
