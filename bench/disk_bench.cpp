// Disk images: a game disk with the thirteen game files and the largest
// castle, and a D64 filled with files until its directory is full.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "app/disk_commands.h"
#include "bench_world.h"
#include "disk/disk_image.h"
#include "disk/image_ops.h"
#include "model/safe_file.h"

namespace grusk::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kDirectoryEntries = 144;  // 18 directory blocks of 8 entries

// What "gruskedit-cli gamedisk IMAGE CASTLE" does once the castle is loaded:
// compile it quietly, make the disk with the game files, put the castle on it.
void BM_GameDiskWithCastle(benchmark::State& state) {
    BenchWorld& w = world();
    const std::string image = w.file("game.d64");
    std::ostringstream report;
    for (auto _ : state) {
        std::error_code ec;
        fs::remove(image, ec);
        std::string path = image;
        int castle = kInsertNoImage;
        if (!compileCastleForDisk(w.app) || !buildGameDiskWithCastle(w.app, path, report, &castle) ||
            castle != kInsertDone)
            state.SkipWithError("the game disk was not made");
        report.str({});
    }
    if (imageBlocksFree(image) < 0) state.SkipWithError("no image");
}
BENCHMARK(BM_GameDiskWithCastle)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::vector<std::string>& smallHostFiles() {
    static const std::vector<std::string> files = [] {
        std::vector<std::string> paths;
        const fs::path folder = fs::path(world().folder) / "small";
        std::error_code ec;
        fs::create_directories(folder, ec);
        for (int i = 0; i <= kDirectoryEntries; ++i) {
            const std::string p = (folder / ("file" + std::to_string(i) + ".prg")).string();
            std::vector<uint8_t> bytes(200, static_cast<uint8_t>(i));
            writeFileAtomically(p, bytes);
            paths.push_back(p);
        }
        return paths;
    }();
    return files;
}

// Through the image file operations, as the D64 manager and the command line do:
// every insertion loads the image and writes it back.
void BM_InsertFilesUntilDirectoryFull(benchmark::State& state) {
    const std::vector<std::string>& files = smallHostFiles();
    const std::string image = world().file("full.d64");
    std::ostringstream report;
    for (auto _ : state) {
        std::error_code ec;
        fs::remove(image, ec);
        makeImage(image, "full", "01", report);
        for (int i = 0; i < kDirectoryEntries; ++i)
            if (insertFile(image, files[static_cast<size_t>(i)]) != kInsertDone) state.SkipWithError("insert failed");
        report.str({});
    }
    if (insertFile(image, files.back()) == kInsertDone) state.SkipWithError("the directory was not full");
}
BENCHMARK(BM_InsertFilesUntilDirectoryFull)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same on one image held in memory: the disk image library alone.
void BM_InsertFilesUntilDirectoryFullInMemory(benchmark::State& state) {
    std::vector<uint8_t> bytes(200, 7);
    DiskName name = diskNameFromHost("full");
    const uint8_t id[2] = {'0', '1'};
    for (auto _ : state) {
        DiskImagePtr image = di_create_image({}, kD64Size);
        di_format(*image, name, id);
        for (int i = 0; i < kDirectoryEntries; ++i) {
            ImageFilePtr f = di_open_file(*image, diskNameFromHost("file" + std::to_string(i)), kTypePrg, "wb");
            if (!f || di_write_file(*f, bytes.data(), static_cast<int>(bytes.size())) != static_cast<int>(bytes.size()) ||
                !di_close_file(std::move(f)))
                state.SkipWithError("insert failed");
        }
        benchmark::DoNotOptimize(di_free_image_to_bytes(std::move(image)));
    }
}
BENCHMARK(BM_InsertFilesUntilDirectoryFullInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace grusk::bench
