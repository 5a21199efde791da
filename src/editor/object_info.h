// What the editor can tell about an object beyond its picture: where a door
// leads, and the Inspector's read-only description of the object at a cell.
// Pure functions of the castle.
#pragma once

#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

// The anchor of the object covering a cell (the cell itself for an anchor);
// false when the cell holds no object.
bool objectAnchorAt(const Room& room, int x, int y, int* anchorX, int* anchorY);

// The anchor cell of the last door in scan order whose number is given, in a
// room; false when there is none.
bool findDoorByNumber(const Room& room, int number, int* x, int* y);

// Where a door leads: out of the castle (an exit door), to a door of a room
// in use, or nowhere (its room is not in use or has no door of that number).
enum class DoorLeads { Exit, Door, Nowhere };
DoorLeads doorLeads(const CastleModel& castle, const CellRecord& door);

// The door's label on the canvas: "3:2" for room 3, door 2 (1-based, as the
// dialogs show them), "EXIT" for an exit door, "?" for one leading nowhere.
std::string doorLabel(const CastleModel& castle, const CellRecord& door);

// The Inspector's lines for the object at a cell of a room: type name,
// anchor cell, number, state, colour, text, links, a door's destination and
// map position. One line "-" when the cell holds no object.
std::vector<std::string> inspectorLines(const CastleModel& castle, int room, int x, int y);

}  // namespace grusk
