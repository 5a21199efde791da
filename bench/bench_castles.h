// The data the benchmarks work on: the largest castle an author can make (64
// rooms in use, each dense with objects of every kind, the castle program just
// under the size limit), built through the editor's own operations, and
// stand-ins for the game's files with sizes like the real ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "gamedata/program_layout.h"
#include "ui/fake_platform.h"

namespace grusk::bench {

using grusk::QuietPlatform;

// Fills one room with the dense layout: six doors, bells, locks and keys,
// lightning machines with their switches, force fields, mummies, ray guns on
// their rails, transmitters with targets, traps, conveyors, Frankensteins,
// ladders, sliding poles, walkways on four floors, camouflage and texts. The
// room becomes the current room and is marked in use.
void buildDenseRoom(AppState& app, int room);

// The largest castle whose program the game can load (and the compiler
// writes): it is loaded at $7800, and past 34,818 bytes the addresses wrap.
inline constexpr size_t kLoadableProgramLimit = kMaxProgramSize;

// The largest castle: every room dense, doors connected from room to room,
// texts added until the castle program is within four bytes of programLimit.
// The castle passes the error check.
void buildLargestCastle(AppState& app, size_t programLimit = kLoadableProgramLimit);

// buildLargestCastle, checked and compiled with the given end-room data.
// Empty when the castle does not pass the check or cannot be built.
std::vector<uint8_t> largestCastleProgram(AppState& app, const std::vector<uint8_t>& endRoom,
                                          size_t programLimit = kLoadableProgramLimit);

// The thirteen game files (names of the game disk) with sizes like the real
// ones, pseudo-random contents; about 330 blocks, so that the largest castle
// still fits on the disk beside them. Written into folder (created if needed).
void writeGameFileStandIns(const std::string& folder);

// Makes folder a program folder for the benchmarks: resource/endroom.bin
// copied from sourceProgramFolder, and the game file stand-ins in d64/.
// False when endroom.bin could not be copied.
bool makeBenchProgramFolder(const std::string& folder, const std::string& sourceProgramFolder);

}  // namespace grusk::bench
