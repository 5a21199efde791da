// The castle error check: rooms without doors, doors leading nowhere, objects
// left unlinked and objects in rooms that are not part of the castle.
#pragma once

#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

class CastleTypes;

struct CastleCheck {
    int errors = 0;                  // warnings are not counted
    std::vector<std::string> lines;  // the findings, numbered, for the log
};

// Checks the castle. Leaves the rooms in use recounted and the castle
// renumbered. types, when given, must be current (the castle's types gathered
// beforehand).
CastleCheck checkCastle(CastleModel& castle, const CastleTypes* types = nullptr);

}  // namespace grusk
