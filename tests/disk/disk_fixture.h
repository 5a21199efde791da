// A scratch program folder for the game disk and D64 manager tests: d64/
// with the thirteen game files (distinct contents), resource/ with end-room
// data, and a castle that passes the error check.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/disk_commands.h"
#include "disk/game_disk.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk::test {

inline std::vector<uint8_t> gameFileBytes(size_t index) {
    // Sizes from 0 blocks up to several, to see each file land whole.
    std::vector<uint8_t> bytes(1 + index * 300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + index * 13);
    return bytes;
}

struct ProgramFolder {
    TempDir dir;
    FakePlatform ui;
    AppState app{ui};
    std::filesystem::path savedCwd = std::filesystem::current_path();

    ProgramFolder() {
        app.programFolder = dir.path().string();
        std::filesystem::create_directories(dir.path() / "d64");
        std::filesystem::create_directories(dir.path() / "resource");
        for (size_t i = 0; i < kGameFiles.size(); ++i)
            writeBytes(dir.file(std::string("d64/") + kGameFiles[i]), gameFileBytes(i));
        std::vector<uint8_t> endRoom(545);
        for (size_t i = 0; i < endRoom.size(); ++i) endRoom[i] = static_cast<uint8_t>(i);
        writeBytes(dir.file("resource/endroom.bin"), endRoom);
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::current_path(savedCwd, ec);
    }
    std::string path(const std::string& relative) const { return dir.file(relative); }
};

}  // namespace grusk::test
