// What the error check finds, as a list: the same findings, in the same order
// and with the same numbered lines, worked out without recounting or
// renumbering anything, so that a live view can look at the castle after
// every edit and leave every record as it is.
#pragma once

#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

enum class ProblemKind {
    ObjectsInRoomNotInUse,  // warning, one per cell
    DoorToRoomNotInUse,
    DoorToMissingDoor,
    NoRooms,
    RoomWithoutDoor,
    Unlinked,
};

struct CastleProblem {
    ProblemKind kind = ProblemKind::NoRooms;
    bool warning = false;
    std::string message;  // the check's line, "Error #1: ..." or "Warning #1: ..."
    int room = -1;        // 0-based; -1 for the castle as a whole
    int x = -1;           // the cell the finding is about; -1 for a whole room
    int y = -1;
    // The object it concerns: its type and anchor cell (-1 when none).
    int objectType = -1;
    int objectX = -1;
    int objectY = -1;
    bool operator==(const CastleProblem&) const = default;
};

// The findings of the error check for the castle as it would be after the
// check's own recount and renumbering. Reads the castle only. types, when
// given, holds for each of the 64 rooms its gathered types and marks, which
// must be current.
std::vector<CastleProblem> findCastleProblems(const CastleModel& castle, const RoomTypes* const* types = nullptr);

// Number of findings that are errors (warnings do not count).
int countErrors(const std::vector<CastleProblem>& problems);

}  // namespace grusk
