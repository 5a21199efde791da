#!/usr/bin/env bash
# Rewrites the seed corpora under fuzz/corpus/ from files the project itself
# produces: the sample castle program, the project and room files read from
# it, game disks and empty D64/D71/D81 images, and a few of the pictures.
# Needs the fuzz build (scripts/fuzz.sh makes it) and python3. Disk images are
# cut after their last non-zero byte: the disk target pads them back.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
PROGRAM_DIR="$BUILD_DIR/program"
cmake --build "$BUILD_DIR" --target gruskedit-cli fuzz_make_corpus pictures >/dev/null
CLI="$PROGRAM_DIR/gruskedit-cli"
C=fuzz/corpus
rm -rf "$C"
mkdir -p "$C/castle_program" "$C/project_file" "$C/room_file" "$C/disk_image" "$C/bmp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Castle programs: the sample, its first room alone, and an empty room table.
cp examples/sample.prg "$C/castle_program/sample.prg"
"$CLI" --program-folder "$PROGRAM_DIR" decompile examples/sample.prg "$work/sample.cas" >/dev/null
"$CLI" --program-folder "$PROGRAM_DIR" compile "$work/sample.cas" "$work/zsample.prg" >/dev/null
cmp -s "$work/zsample.prg" examples/sample.prg || cp "$work/zsample.prg" "$C/castle_program/recompiled.prg"
python3 - "$C/castle_program" <<'PY'
import sys
out = sys.argv[1]
d = bytearray(open(out + "/sample.prg", "rb").read())
one = bytearray(d); one[258 + 8] = 0x40          # the table ends after room 1
open(out + "/one-room.prg", "wb").write(one)
open(out + "/no-rooms.prg", "wb").write(d[:258] + b"\xff")
PY

"$BUILD_DIR/fuzz/fuzz_make_corpus" examples/sample.prg "$C"

# Disk images: a game disk with the sample castle, the same with an error
# table, and freshly made D71 and D81 images.
"$CLI" --program-folder "$PROGRAM_DIR" gamedisk "$work/game.d64" examples/sample.prg >/dev/null
"$CLI" disk make "$work/empty.d71" EMPTY 71 >/dev/null
"$CLI" disk make "$work/empty.d81" EMPTY 81 >/dev/null
python3 - "$work" "$C/disk_image" <<'PY'
import sys
work, out = sys.argv[1], sys.argv[2]
def trimmed(b):
    return b.rstrip(b"\0")
game = open(work + "/game.d64", "rb").read()
open(out + "/game-d64.bin", "wb").write(trimmed(game))
errors = bytearray([1] * 683); errors[357] = 0x05; errors[400] = 0x09
open(out + "/game-d64-errors.bin", "wb").write(game + bytes(errors))
for kind in ("d71", "d81"):
    open(out + "/empty-%s.bin" % kind, "wb").write(trimmed(open(work + "/empty." + kind, "rb").read()))
PY

# Pictures: a few as drawn, and one of them as 8-, 4-, 1- and 32-bit and top-down files.
R="$PROGRAM_DIR/resource"
cp "$R/Door.bmp" "$C/bmp/door.bmp"
cp "$R/Walkway (l).bmp" "$C/bmp/walkway.bmp"
cp "$R/a.bmp" "$C/bmp/glyph.bmp"
python3 - "$R/Key.bmp" "$C/bmp" <<'PY'
import struct, sys
src, out = sys.argv[1], sys.argv[2]
d = open(src, "rb").read()
off = struct.unpack_from("<I", d, 10)[0]
w, h = struct.unpack_from("<ii", d, 18)
stride = (w * 3 + 3) // 4 * 4
px = [[tuple(d[off + y * stride + x * 3: off + y * stride + x * 3 + 3]) for x in range(w)] for y in range(h)]
def bmp(bits, rows, table, topdown=False):
    colours = len(table)
    head = struct.pack("<IiiHHIIiiII", 40, w, -h if topdown else h, 1, bits, 0, len(rows), 2835, 2835, colours, 0)
    tab = b"".join(bytes(c) + b"\0" for c in table)
    start = 14 + 40 + len(tab)
    return b"BM" + struct.pack("<IHHI", start + len(rows), 0, 0, start) + head + tab + rows
def pack(indexes, bits):
    rowbytes = (w * bits + 31) // 32 * 4
    out = bytearray()
    for y in range(h):
        row = bytearray(rowbytes)
        for x, i in enumerate(indexes[y]):
            bit = x * bits
            row[bit // 8] |= i << (8 - bits - bit % 8)
        out += row
    return bytes(out)
table = sorted({c for row in px for c in row})
index = {c: i for i, c in enumerate(table)}
ix = [[index[c] for c in row] for row in px]
open(out + "/key8.bmp", "wb").write(bmp(8, pack(ix, 8), table))
if len(table) <= 16:
    open(out + "/key4.bmp", "wb").write(bmp(4, pack(ix, 4), table))
mono = [[1 if sum(c) > 0 else 0 for c in row] for row in px]
open(out + "/key1.bmp", "wb").write(bmp(1, pack(mono, 1), [(0, 0, 0), (255, 255, 255)]))
rows32 = b"".join(bytes(c) + b"\xff" for row in px for c in row)
open(out + "/key32.bmp", "wb").write(bmp(32, rows32, []))
rows24 = b"".join(d[off + y * stride: off + (y + 1) * stride] for y in reversed(range(h)))
open(out + "/key24-topdown.bmp", "wb").write(bmp(24, rows24, [], topdown=True))
PY
du -sh "$C"/* "$C"
