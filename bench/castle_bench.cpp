// The castle paths on the largest castle: recount and walkway shaping of a
// full room, the error check, the quiet compile (check included) and reading
// the castle program back, the quiet look for problems. Goals: compile under
// 2 ms, reading under 20 ms, the quiet look under 2 ms.
#include <benchmark/benchmark.h>

#include "app/castle_program_commands.h"
#include "app/object_commands.h"
#include "bench_world.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "editor/draw/link_overlay.h"
#include "gamedata/castle_check.h"
#include "gamedata/castle_problems.h"
#include "gamedata/castle_reader.h"
#include "gamedata/compiler.h"
#include "model/safe_file.h"

#include <cstdio>

namespace grusk::bench {
namespace {

void BM_RecountFullRoom(benchmark::State& state) {
    CastleModel& castle = world().app.castle;
    for (auto _ : state) {
        recountRoom(castle, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RecountFullRoom)->Unit(benchmark::kMicrosecond);

void BM_ShapeWalkwaysFullRoom(benchmark::State& state) {
    CastleModel& castle = world().app.castle;
    for (auto _ : state) {
        shapeWalkways(castle, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ShapeWalkwaysFullRoom)->Unit(benchmark::kMicrosecond);

// One placement into the full room and its removal, as a mouse edit does it.
void BM_PlaceAndDeleteInFullRoom(benchmark::State& state) {
    AppState& app = world().app;
    selectRoom(app, 0);
    for (auto _ : state) {
        placeObject(app, kLadder, 39, 24);
        shapeWalkways(app);
        deleteObjectAt(app, 39, 24);
        shapeWalkways(app);
    }
}
BENCHMARK(BM_PlaceAndDeleteInFullRoom)->Unit(benchmark::kMicrosecond);

void BM_CheckCastle64Rooms(benchmark::State& state) {
    AppState& app = world().app;
    for (auto _ : state) benchmark::DoNotOptimize(checkCastle(app, false));
    if (checkCastle(app, false) != 0) state.SkipWithError("the castle has errors");
}
BENCHMARK(BM_CheckCastle64Rooms)->Unit(benchmark::kMillisecond);

// The Problems window's look after every edit step: the same findings
// without recounting or renumbering. Goal: well under a frame (under 2 ms).
void BM_QuietProblems64Rooms(benchmark::State& state) {
    const CastleModel& castle = world().app.castle;
    for (auto _ : state) benchmark::DoNotOptimize(findCastleProblems(castle));
    if (!findCastleProblems(castle).empty()) state.SkipWithError("the castle has problems");
}
BENCHMARK(BM_QuietProblems64Rooms)->Unit(benchmark::kMillisecond);

// Drawing the room's links and door labels over the canvas.
void BM_LinkOverlayFullRoom(benchmark::State& state) {
    const CastleModel& castle = world().app.castle;
    RasterImage canvas(kCanvasWidth, kCanvasHeight);
    for (auto _ : state) {
        drawLinkOverlay(canvas, castle, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LinkOverlayFullRoom)->Unit(benchmark::kMicrosecond);

// What "Test Castle" and the game disk do first: check, build, write resource/ztest00.prg.
void BM_QuietCompile64Rooms(benchmark::State& state) {
    AppState& app = world().app;
    for (auto _ : state) benchmark::DoNotOptimize(compileCastle(app, false));
    state.SetLabel(std::to_string(world().program.size()) + " bytes");
    if (!compileCastle(app, false)) state.SkipWithError("the castle was not compiled");
}
BENCHMARK(BM_QuietCompile64Rooms)->Unit(benchmark::kMillisecond);

void BM_BuildCastleProgramInMemory(benchmark::State& state) {
    BenchWorld& w = world();
    for (auto _ : state) benchmark::DoNotOptimize(buildCastleProgram(w.app.castle, w.endRoom));
}
BENCHMARK(BM_BuildCastleProgramInMemory)->Unit(benchmark::kMillisecond);

void BM_ReadCastleProgram64Rooms(benchmark::State& state) {
    const std::vector<uint8_t>& program = world().program;
    QuietPlatform ui;
    AppState app(ui);
    for (auto _ : state) {
        readCastleProgramBytes(app, program.data(), program.size());
        benchmark::ClobberMemory();
    }
    // What was read must compile to the same program, or the figure means nothing.
    checkCastle(app, false);
    const auto again = buildCastleProgram(app.castle, world().endRoom);
    if (!again || *again != program) state.SkipWithError("the castle read back compiles differently");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * program.size()));
}
BENCHMARK(BM_ReadCastleProgram64Rooms)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace grusk::bench

namespace grusk::bench {
namespace {

// The last step of the quiet compile alone: the program written beside
// resource/ztest00.prg and renamed over it (arg 1: an older one is there).
void BM_WriteCastleProgramFile(benchmark::State& state) {
    BenchWorld& w = world();
    const std::string target = w.app.programPath("resource/ztest00.prg");
    for (auto _ : state) {
        if (state.range(0) == 0) {
            state.PauseTiming();
            std::remove(target.c_str());
            state.ResumeTiming();
        }
        if (!writeFileAtomically(target, w.program)) state.SkipWithError("cannot write");
    }
}
BENCHMARK(BM_WriteCastleProgramFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace grusk::bench
