#include "gamedata/room_order.h"

#include <algorithm>
#include <utility>

#include "editor/catalogue.h"

namespace grusk {

namespace {

constexpr int kMapWidth = 640;
constexpr int kMapHeight = 400;

int swapped(int value, int a, int b) { return value == a ? b : value == b ? a : value; }

bool leadsTo(const Room& room, int a, int b) {
    for (const CellRecord& rec : room.objectLayer())
        if (rec.type == kDoor && (rec.destRoom == a || rec.destRoom == b)) return true;
    return false;
}

// Exchanges two rooms in place, record by record: a whole room is too large
// for a temporary on the stack.
void swapContents(Room& x, Room& y) {
    std::swap_ranges(x.objectLayer().begin(), x.objectLayer().end(), y.objectLayer().begin());
    std::swap_ranges(x.verticalLayer().begin(), x.verticalLayer().end(), y.verticalLayer().begin());
    std::swap_ranges(x.walkwayLayer().begin(), x.walkwayLayer().end(), y.walkwayLayer().begin());
    std::swap_ranges(x.camouflageLayer().begin(), x.camouflageLayer().end(), y.camouflageLayer().begin());
    std::swap(x.roomMapRect, y.roomMapRect);
    std::swap(x.roomColour, y.roomColour);
    std::swap(x.roomInUse, y.roomInUse);
    std::swap_ranges(x.roomObjectCount.begin(), x.roomObjectCount.end(), y.roomObjectCount.begin());
}

}  // namespace

bool roomHoldsAnything(const Room& room) {
    for (int i = 0; i < kCellsPerRoom; ++i) {
        if (room.objectLayer()[static_cast<size_t>(i)].type != kEmpty) return true;
        if (room.verticalLayer()[static_cast<size_t>(i)].type != kEmpty) return true;
        if (room.walkwayLayer()[static_cast<size_t>(i)] != kEmpty) return true;
        if (room.camouflageLayer()[static_cast<size_t>(i)] != 0) return true;
    }
    return false;
}

int firstFreeRoom(const CastleModel& castle, int except) {
    for (int r = 0; r < kRooms; ++r)
        if (r != except && !castle.room(r).roomInUse && !roomHoldsAnything(castle.room(r))) return r;
    return -1;
}

std::vector<int> roomsTouchedBySwap(const CastleModel& castle, int a, int b) {
    std::vector<int> rooms;
    if (!isValidRoom(a) || !isValidRoom(b)) return rooms;
    rooms.push_back(a);
    if (b != a) rooms.push_back(b);
    for (int r = 0; r < kRooms; ++r)
        if (r != a && r != b && leadsTo(castle.room(r), a, b)) rooms.push_back(r);
    return rooms;
}

bool swapRooms(CastleModel& castle, int a, int b) {
    if (!isValidRoom(a) || !isValidRoom(b)) return false;
    if (a == b) return true;
    swapContents(castle.room(a), castle.room(b));
    // Every use of a room number is an exchange of a and b, so a second swap undoes the first.
    for (int r = 0; r < kRooms; ++r) {
        Room& room = castle.room(r);
        const bool own = r == a || r == b;
        if (!own && !leadsTo(room, a, b)) continue;
        for (CellRecord& rec : room.objectLayer()) {
            if (rec.type == kDoor) rec.destRoom = swapped(rec.destRoom, a, b);
            if (own && isObjectType(rec.type)) rec.room = swapped(rec.room, a, b);
        }
        if (own)
            for (CellRecord& rec : room.verticalLayer())
                if (isObjectType(rec.type)) rec.room = swapped(rec.room, a, b);
    }
    for (uint8_t& start : castle.settings.playerStartRoom) start = static_cast<uint8_t>(swapped(start, a, b));
    return true;
}

int duplicateRoom(CastleModel& castle, int source) {
    if (!isValidRoom(source)) return -1;
    const int target = firstFreeRoom(castle, source);
    if (target < 0) return -1;
    castle.room(target) = castle.room(source);
    Room& copy = castle.room(target);
    for (CellRecord& rec : copy.objectLayer()) {
        if (!isObjectType(rec.type)) continue;
        rec.room = target;
        if (rec.mark == kMarkHighlighted) rec.mark = kMarkPlain;
        rec.dragging = 0;
        if (rec.type != kDoor) continue;
        if (rec.destRoom == source) {
            rec.destRoom = target;
        } else {
            // The doors beyond still lead to the original room.
            rec.destRoom = rec.destDoor = rec.destX = rec.destY = 0;
        }
    }
    for (CellRecord& rec : copy.verticalLayer())
        if (isObjectType(rec.type)) rec.room = target;

    // On the map beside the original, one grid step down and right, kept on the map.
    MapRect rect = castle.room(source).roomMapRect;
    const int w = std::clamp(rect.right - rect.left, 16, kMapWidth);
    const int h = std::clamp(rect.bottom - rect.top, 16, kMapHeight);
    rect.left = std::clamp(rect.left + 16, 0, kMapWidth - w);
    rect.top = std::clamp(rect.top + 16, 0, kMapHeight - h);
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
    copy.roomMapRect = rect;
    copy.roomInUse = 1;
    recountRoom(castle, target);
    return target;
}

}  // namespace grusk
