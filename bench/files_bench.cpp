// Project files: saving and loading the largest castle's project file
// (22,785,546 bytes), next to copying a file of the same size the way cp
// does. Goal: save and load each at most twice the copy.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/project_commands.h"
#include "bench_world.h"
#include "model/castle_files.h"
#include "model/safe_file.h"

namespace grusk::bench {
namespace {

namespace fs = std::filesystem;

const std::string& savedProject() {
    static const std::string path = [] {
        const std::string p = world().file("saved.cas");
        saveCastleFileTo(world().app.castle, p);
        return p;
    }();
    return path;
}

void BM_ProjectSave(benchmark::State& state) {
    BenchWorld& w = world();
    const std::string path = w.file("bench.cas");
    for (auto _ : state)
        if (!saveCastleFileTo(w.app.castle, path)) state.SkipWithError("cannot save");
    if (fileSize(path) != static_cast<long long>(kProjectFileSize)) state.SkipWithError("wrong size");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kProjectFileSize));
}
BENCHMARK(BM_ProjectSave)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProjectLoad(benchmark::State& state) {
    const std::string& path = savedProject();
    QuietPlatform ui;
    AppState app(ui);
    for (auto _ : state)
        if (!loadProjectFrom(app, path)) state.SkipWithError("cannot load");
    if (castleFileImage(app.castle) != castleFileImage(world().app.castle))
        state.SkipWithError("the loaded castle differs");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kProjectFileSize));
}
BENCHMARK(BM_ProjectLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// The project file image in memory, without the file system.
void BM_ProjectImage(benchmark::State& state) {
    const CastleModel& castle = world().app.castle;
    for (auto _ : state) benchmark::DoNotOptimize(castleFileImage(castle));
}
BENCHMARK(BM_ProjectImage)->Unit(benchmark::kMillisecond);

// The yardstick: a copy of a file of the project's size, in the kernel as cp makes it.
void BM_CopyFileOfProjectSize(benchmark::State& state) {
    const std::string& from = savedProject();
    const std::string to = world().file("copy.cas");
    for (auto _ : state) {
        std::error_code ec;
        fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
        if (ec) state.SkipWithError("cannot copy");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kProjectFileSize));
}
BENCHMARK(BM_CopyFileOfProjectSize)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace grusk::bench
