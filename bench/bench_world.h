// What the benchmarks share, made once per run: a program folder of their own
// (end-room data, game file stand-ins) in a temporary folder, the largest
// castle and its compiled program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "bench_castles.h"

namespace grusk::bench {

struct BenchWorld {
    BenchWorld();
    ~BenchWorld();
    BenchWorld(const BenchWorld&) = delete;
    BenchWorld& operator=(const BenchWorld&) = delete;

    std::string folder;         // temporary; removed at the end of the run
    std::string programFolder;  // folder/program
    std::vector<uint8_t> endRoom;
    QuietPlatform ui;
    AppState app{ui};           // holds the largest castle, checked
    std::vector<uint8_t> program;  // its castle program

    std::string file(const std::string& name) const;
};

BenchWorld& world();

}  // namespace grusk::bench
