// The sample castle shipped with the editor, built from code so that it can
// be regenerated: four rooms on the map (hall, laboratory, crypt, armoury),
// doors connected both ways, a start door for each player, an exit, and every
// placeable object type with its links.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"

namespace grusk {

// Replaces the castle in memory with the sample castle.
void buildSampleCastle(AppState& app);

// Builds the sample castle and compiles it with the end-room data of the
// program folder. nullopt (with the reasons in errors) when the castle does
// not pass the check or cannot be compiled.
std::optional<std::vector<uint8_t>> sampleCastleProgram(AppState& app, std::vector<std::string>* errors);

}  // namespace grusk
