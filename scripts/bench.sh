#!/usr/bin/env bash
# Speed and memory figures of GruskEdit:
#   1. builds the release binaries in their own folder (build-bench),
#   2. runs the benchmark suite (medians of repeated runs) and checks its goals,
#   3. times whole processes against independent tools, in the same
#      invocation and interleaved run by run: gruskedit-cli gamedisk against
#      cc1541 writing the same thirteen files and castle to a new D64, and a
#      project save and load against cp of a file of the same size,
#      The same for the sample castle (examples/sample.prg), and a decompile
#      of it to a project file against cp of a file of that size,
#   4. measures peak memory (/usr/bin/time -v) of every gruskedit-cli command
#      and of the editor after start-up (also with the sample castle open),
#      with its time to the first paint.
# Environment: BENCH_BUILD_DIR (build-bench), BENCH_RUNS (21 runs per
# whole-process figure), BENCH_REPETITIONS (5 per benchmark), BENCH_SKIP_DEPS=1.
# Other programs running at the same time change every figure: the load
# average is printed with each part.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BENCH_BUILD_DIR:-build-bench}
RUNS=${BENCH_RUNS:-21}
REPS=${BENCH_REPETITIONS:-5}

if [ "${BENCH_SKIP_DEPS:-0}" != 1 ]; then scripts/deps.sh; fi
for tool in cc1541 /usr/bin/time cmake; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
if (( BASH_VERSINFO[0] < 5 )); then echo "bench: needs bash 5 (EPOCHREALTIME)" >&2; exit 1; fi

load() { cut -d' ' -f1-3 /proc/loadavg; }

# --- 1. Build ---------------------------------------------------------------
GUI=OFF
if pkg-config --exists Qt6Widgets 2>/dev/null || [ -d /usr/lib/x86_64-linux-gnu/cmake/Qt6Widgets ]; then GUI=ON; fi
GEN=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$BUILD/CMakeCache.txt" ]; then GEN=(-G Ninja); fi
cmake -S . -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Release -DGRUSK_BUILD_BENCH=ON -DGRUSK_BUILD_TESTS=OFF \
  -DGRUSK_BUILD_GUI="$GUI" >/dev/null
TARGETS=(gruskedit-bench gruskedit-benchdata gruskedit-cli grusk_endroom d64_placeholders pictures)
if [ "$GUI" = ON ]; then TARGETS+=(gruskedit); fi
cmake --build "$BUILD" --target "${TARGETS[@]}" -j"$(nproc)"

PROGRAM=$ROOT/$BUILD/program
CLI=$PROGRAM/gruskedit-cli
DATA=$ROOT/$BUILD/bench/gruskedit-benchdata
WORK=$(mktemp -d "${TMPDIR:-/tmp}/gruskedit-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

echo
echo "== Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(load)"

# --- 2. The suite -------------------------------------------------------------
echo
echo "== Benchmark suite (median of $REPS repetitions; load $(load))"
"$ROOT/$BUILD/bench/gruskedit-bench" --benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=true \
  --benchmark_out="$WORK/suite.json" --benchmark_out_format=json | grep -v '_mean\|_stddev\|_cv'
echo "(load after the suite: $(load))"

# Median real time of a benchmark in milliseconds, from the suite's JSON (the
# single run when there is no median).
suite_ms() {
  awk -v want="$1" '
    /"name":/ { n = $0; sub(/.*"name": *"/, "", n); sub(/".*/, "", n) }
    /"real_time":/ { t = $0; sub(/.*"real_time": */, "", t); sub(/,.*/, "", t) }
    /"time_unit":/ && (n == want "_median" || n == want) {
      u = $0; sub(/.*"time_unit": *"/, "", u); sub(/".*/, "", u)
      if (u == "ns") t /= 1e6; else if (u == "us") t /= 1e3; else if (u == "s") t *= 1e3
      if (n == want "_median" || !found) ms = t
      found = 1
    }
    END { if (found) printf "%.4f", ms; else print "nan" }' "$WORK/suite.json"
}
# Prints "name: value unit (goal ...) met/MISSED" for "value < limit" or "value <= limit".
goal() {
  local label=$1 value=$2 op=$3 limit=$4 unit=$5
  awk -v l="$label" -v v="$value" -v op="$op" -v lim="$limit" -v u="$unit" 'BEGIN {
    ok = (op == "<") ? (v < lim) : (v <= lim)
    printf "  %-44s %10.3f %-3s (goal %s %s)  %s\n", l, v, u, op, lim, ok ? "met" : "MISSED" }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

COMPILE=$(suite_ms BM_QuietCompile64Rooms)
READ=$(suite_ms BM_ReadCastleProgram64Rooms)
DRAW=$(suite_ms BM_DrawFullRoom)
MAP=$(suite_ms BM_PaintMap64Rooms)
PROBLEMS=$(suite_ms BM_QuietProblems64Rooms)
SAVE=$(suite_ms BM_ProjectSave/real_time)
LOADP=$(suite_ms BM_ProjectLoad/real_time)
COPY=$(suite_ms BM_CopyFileOfProjectSize/real_time)
echo
echo "== Goals of the suite"
goal "quiet compile incl. check, 64 rooms" "$COMPILE" "<" 2 ms
goal "reading that castle program back" "$READ" "<" 20 ms
goal "drawRoom of a dense room" "$DRAW" "<" 1 ms
goal "map paint of 64 rooms" "$MAP" "<" 1 ms
goal "quiet problem look, 64 dense rooms" "$PROBLEMS" "<" 2 ms
goal "project save / file copy (in process)" "$(ratio "$SAVE" "$COPY")" "<=" 2 x
goal "project load / file copy (in process)" "$(ratio "$LOADP" "$COPY")" "<=" 2 x

# --- 3. Whole processes -------------------------------------------------------
"$DATA" castle "$WORK/data" "$PROGRAM" >"$WORK/data.txt"
CASTLE=$WORK/data/zbench.prg
SAMPLE=$ROOT/examples/sample.prg
PROJECT=$WORK/data/bench.cas
FOLDER=$WORK/data/program   # end-room data and game file stand-ins of realistic sizes
echo
echo "== Whole-process data: $(tr '\n' ' ' <"$WORK/data.txt")"

now_us() { echo "${EPOCHREALTIME/./}"; }
# Runs a command once, appends its wall time in ms to a file; output discarded.
timed() {
  local out=$1; shift
  local t0 t1
  t0=$(now_us)
  "$@" >/dev/null 2>&1 || { echo "bench: failed: $*" >&2; exit 1; }
  t1=$(now_us)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", (b - a) / 1000 }' >>"$out"
}
# min, median and mean of a file of numbers
stats() { sort -n "$1" | awk '{ v[NR] = $1; s += $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.3f %.3f %.3f\n", v[1], m, s / NR }'; }
show() {
  read -r min med mean < <(stats "$2")
  printf "  %-44s median %8.3f ms  (min %.3f, mean %.3f, %d runs)\n" "$1" "$med" "$min" "$mean" "$(wc -l <"$2")"
}
median() { stats "$1" | cut -d' ' -f2; }

# (1) gruskedit-cli gamedisk against cc1541: the thirteen game files and the castle.
CC_ARGS=(-q -n "grusk 2008" -i 00)
for f in castles grusk music0 music1 music2 music3 music4 music5 music6 music7 music8 object "pic a title"; do
  CC_ARGS+=(-f "$f" -w "$FOLDER/d64/$f.prg")
done
# Builds a game disk of the castle both ways RUNS times; the ratio of the medians.
gamedisk_against_cc1541() {
  local castle=$1 tag=$2 title=$3 label=$4 limit=$5
  local args=("${CC_ARGS[@]}" -f zcastle -w "$castle")
  for ((i = 0; i < RUNS; i++)); do
    rm -f "$WORK/g$tag.d64" "$WORK/c$tag.d64"
    timed "$WORK/gamedisk$tag.ms" "$CLI" --program-folder "$FOLDER" gamedisk "$WORK/g$tag.d64" "$castle"
    timed "$WORK/cc1541$tag.ms" cc1541 "${args[@]}" "$WORK/c$tag.d64"
  done
  echo
  echo "== gamedisk against cc1541, $title (load $(load))"
  show "gruskedit-cli gamedisk IMAGE $label" "$WORK/gamedisk$tag.ms"
  show "cc1541 (same files, names and disk name)" "$WORK/cc1541$tag.ms"
  goal "ratio gamedisk / cc1541${tag:+, sample castle}" \
    "$(ratio "$(median "$WORK/gamedisk$tag.ms")" "$(median "$WORK/cc1541$tag.ms")")" "<=" "$limit" x
}
gamedisk_against_cc1541 "$CASTLE" "" "the same 13 files and castle to a new D64" CASTLE 1.0
"$CLI" disk dir "$WORK/g.d64" | tail -n 2 | sed 's/^/  gruskedit image: /'
printf '  cc1541 image:    %s\n' "$(cc1541 "$WORK/c.d64" 2>/dev/null | grep -m1 'blocks free' || true)"
# A castle of a few rooms costs a few rooms.
gamedisk_against_cc1541 "$SAMPLE" "-sample" "with the sample castle" sample.prg 1.5

# The sample castle decompiled to a project file against cp of a file of that size.
for ((i = 0; i < RUNS; i++)); do
  rm -f "$WORK/decompiled.cas" "$WORK/copied.cas"
  timed "$WORK/decompile.ms" "$CLI" decompile "$SAMPLE" "$WORK/decompiled.cas"
  timed "$WORK/cp-decompile.ms" cp "$PROJECT" "$WORK/copied.cas"
done
[ "$(stat -c %s "$WORK/decompiled.cas")" = "$(stat -c %s "$PROJECT")" ] ||
  echo "  (the project file and the file copied differ in size)"
echo
echo "== decompile of the sample castle to a project file against cp (load $(load))"
show "gruskedit-cli decompile sample.prg OUT.cas" "$WORK/decompile.ms"
show "cp of a project file" "$WORK/cp-decompile.ms"
goal "ratio decompile / cp" "$(ratio "$(median "$WORK/decompile.ms")" "$(median "$WORK/cp-decompile.ms")")" "<=" 2 x

# (2) a project save and a project load against cp of a file of the same size.
for ((i = 0; i < RUNS; i++)); do
  rm -f "$WORK/saved.cas" "$WORK/copied.cas"
  timed "$WORK/save.ms" "$DATA" save "$WORK/saved.cas"
  timed "$WORK/cp.ms" cp "$PROJECT" "$WORK/copied.cas"
  timed "$WORK/load.ms" "$DATA" load "$PROJECT"
done
echo
echo "== Project file ($(stat -c %s "$PROJECT") bytes) against cp (load $(load))"
show "save: new castle, project file written" "$WORK/save.ms"
show "load: project file read into the castle" "$WORK/load.ms"
show "cp of the project file" "$WORK/cp.ms"
goal "ratio save / cp (whole process)" "$(ratio "$(median "$WORK/save.ms")" "$(median "$WORK/cp.ms")")" "<=" 2 x
goal "ratio load / cp (whole process)" "$(ratio "$(median "$WORK/load.ms")" "$(median "$WORK/cp.ms")")" "<=" 2 x

# --- 4. Peak memory -----------------------------------------------------------
# "Maximum resident set size" in MB, the wall time and exit status of one run.
peak() {
  local label=$1; shift
  local t0 t1
  t0=$(now_us)
  /usr/bin/time -v "$@" >/dev/null 2>"$WORK/time.txt" || true
  t1=$(now_us)
  awk -v l="$label" -v ms="$(((t1 - t0) / 1000))" -F': ' '
    /Maximum resident set size/ { kb = $2 }
    /Exit status/ { rc = $2 }
    END { printf "  %-44s %7.1f MB  %6d ms  exit %s\n", l, kb / 1024, ms, rc }' "$WORK/time.txt"
}
# The peak of the last run in MB.
last_peak_mb() { awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$WORK/time.txt"; }
echo
echo "== Peak memory of gruskedit-cli, one run per command (load $(load))"
cd "$WORK"
rm -f x.d64 g.d64
peak "check sample.prg" "$CLI" check "$SAMPLE"
CHECK_SAMPLE_MB=$(last_peak_mb)
peak "check CASTLE.prg" "$CLI" check "$CASTLE"
peak "check PROJECT.cas" "$CLI" check "$PROJECT"
peak "compile CASTLE OUT" "$CLI" --program-folder "$FOLDER" compile "$CASTLE" out.prg
peak "decompile PROGRAM OUT" "$CLI" decompile "$CASTLE" out.cas
peak "disk make IMAGE" "$CLI" disk make x.d64
peak "disk insert IMAGE FILE" "$CLI" disk insert x.d64 "$CASTLE"
peak "disk list IMAGE" "$CLI" disk list x.d64
peak "disk dir IMAGE" "$CLI" disk dir x.d64
peak "disk extract IMAGE NAME FILE" "$CLI" disk extract x.d64 zbench extracted.prg
peak "disk delete IMAGE NAME" "$CLI" disk delete x.d64 zbench
peak "disk free IMAGE" "$CLI" disk free x.d64
peak "gamedisk IMAGE" "$CLI" --program-folder "$FOLDER" gamedisk g.d64
peak "gamedisk IMAGE CASTLE" "$CLI" --program-folder "$FOLDER" gamedisk g.d64 "$CASTLE"
peak "render CASTLE ROOM OUT.png" "$CLI" --program-folder "$PROGRAM" render "$CASTLE" 1 room.png
peak "render-map CASTLE OUT.png" "$CLI" --program-folder "$PROGRAM" render-map "$CASTLE" map.png
peak "decompile sample.prg OUT" "$CLI" decompile "$SAMPLE" sample.cas
peak "gamedisk IMAGE sample.prg" "$CLI" --program-folder "$FOLDER" gamedisk gs.d64 "$SAMPLE"
cd "$ROOT"
goal "check of the sample castle, peak memory" "$CHECK_SAMPLE_MB" "<" 12 MB

# The editor: started off-screen, it ends right after its first paint (the
# title screen, every picture loaded) and reports the time from main() to it.
echo
if [ -x "$PROGRAM/gruskedit" ]; then
  echo "== Editor start-up to first paint, off-screen ($RUNS runs; load $(load))"
  : >"$WORK/startup.ms"
  : >"$WORK/startup-main.ms"
  for ((i = 0; i < RUNS; i++)); do
    t0=$(now_us)
    (cd "$WORK" && QT_QPA_PLATFORM=offscreen GRUSKEDIT_QUIT_AFTER_FIRST_PAINT=1 "$PROGRAM/gruskedit" 2>"$WORK/startup.txt" >/dev/null)
    t1=$(now_us)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", (b - a) / 1000 }' >>"$WORK/startup.ms"
    sed -n 's/^first paint after \([0-9.]*\) ms$/\1/p' "$WORK/startup.txt" >>"$WORK/startup-main.ms"
  done
  if [ -s "$WORK/startup-main.ms" ]; then
    show "start of process to its end" "$WORK/startup.ms"
    show "main() to end of first paint" "$WORK/startup-main.ms"
    goal "editor start-up (whole process, median)" "$(median "$WORK/startup.ms")" "<" 300 ms
    goal "editor main() to first paint (median)" "$(median "$WORK/startup-main.ms")" "<" 100 ms
    (cd "$WORK" && QT_QPA_PLATFORM=offscreen GRUSKEDIT_QUIT_AFTER_FIRST_PAINT=1 /usr/bin/time -v "$PROGRAM/gruskedit" \
      >/dev/null 2>"$WORK/time.txt" || true)
    KB=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt")
    goal "editor peak memory after start-up" "$(awk -v k="$KB" 'BEGIN { print k / 1024 }')" "<" 120 MB
    (cd "$WORK" && QT_QPA_PLATFORM=offscreen GRUSKEDIT_QUIT_AFTER_FIRST_PAINT=1 /usr/bin/time -v "$PROGRAM/gruskedit" \
      "$SAMPLE" >/dev/null 2>"$WORK/time.txt" || true)
    sed -n 's/^first paint after \([0-9.]*\) ms$/  with the sample castle open: first paint after \1 ms/p' "$WORK/time.txt"
    KB=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt")
    goal "editor peak memory, sample castle open" "$(awk -v k="$KB" 'BEGIN { print k / 1024 }')" "<" 60 MB
  else
    echo "  the editor did not report a first paint:"
    sed 's/^/    /' "$WORK/startup.txt"
  fi
else
  echo "== Editor: not built (Qt 6 development files missing), no start-up figures"
fi
echo
echo "(load at the end: $(load))"
