#include "bench_world.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "app/castle_program_commands.h"
#include "gamedata/compiler.h"
#include "gamedata/program_layout.h"

namespace grusk::bench {

namespace fs = std::filesystem;

BenchWorld::BenchWorld() {
    std::random_device seed;
    folder = (fs::temp_directory_path() / ("gruskedit-bench-" + std::to_string(seed()))).string();
    programFolder = (fs::path(folder) / "program").string();
    if (!makeBenchProgramFolder(programFolder, GRUSK_PROGRAM_DIR)) {
        std::fprintf(stderr, "no end-room data in %s: build the program folder first\n", GRUSK_PROGRAM_DIR);
        std::exit(1);
    }
    app.programFolder = programFolder;
    endRoom = *readEndRoom(app);
    program = largestCastleProgram(app, endRoom);
    if (program.empty() || program.size() > kMaxProgramSize) {
        std::fprintf(stderr, "the largest castle could not be compiled\n");
        std::exit(1);
    }
}

BenchWorld::~BenchWorld() {
    std::error_code ec;
    fs::remove_all(folder, ec);
}

std::string BenchWorld::file(const std::string& name) const { return (fs::path(folder) / name).string(); }

BenchWorld& world() {
    static BenchWorld w;
    return w;
}

}  // namespace grusk::bench
