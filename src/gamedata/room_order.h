// Copying and reordering whole rooms. The order of rooms matters to the game
// (the castle is the leading run of rooms in use), and everything that names
// a room by its number (door destinations, the players' start rooms, the
// records' own room) must follow a room when it changes place.
#pragma once

#include <vector>

#include "model/castle_model.h"

namespace grusk {

// Whether a room holds anything on any layer.
bool roomHoldsAnything(const Room& room);

// The first room neither in use nor holding anything, other than except, or -1.
int firstFreeRoom(const CastleModel& castle, int except = -1);

// The rooms whose contents swapping a and b rewrites: a, b and every room
// with a door leading to either (the castle settings change as well).
std::vector<int> roomsTouchedBySwap(const CastleModel& castle, int a, int b);

// Exchanges rooms a and b with everything that belongs to them (cells, map
// rectangle, colour, in-use flag, counts); every door destination, start
// room and record room number naming one of them names the other. Swapping
// twice gives back the castle as it was. False for a room number out of range.
bool swapRooms(CastleModel& castle, int a, int b);

// Copies room source into the first free room, puts the copy on the map
// beside the source's rectangle and returns its number (-1 when no room is
// free or the source is out of range). Doors of the copy that led within the
// source now lead within the copy; the others lead nowhere, as new doors do.
int duplicateRoom(CastleModel& castle, int source);

}  // namespace grusk
