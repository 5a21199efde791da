#include "app/room_navigation.h"

#include <algorithm>

#include "editor/catalogue.h"

namespace grusk {

namespace {

bool inUse(const CastleModel& castle, int room) { return isValidRoom(room) && castle.room(room).roomInUse != 0; }

// Walks down from r to the first room that can be reached.
int reachableAtOrBelow(const CastleModel& castle, int r) {
    while (r > 0 && !inUse(castle, r - 1)) --r;
    return r;
}

}  // namespace

int nextRoomTarget(const CastleModel& castle) {
    int r = std::min(castle.currentRoom + 1, kRooms - 1);
    if (!inUse(castle, r - 1)) --r;
    return std::max(r, 0);
}

int previousRoomTarget(const CastleModel& castle) { return std::max(castle.currentRoom - 1, 0); }

int lastRoomTarget(const CastleModel& castle) {
    int r = kRooms - 1;
    while (!inUse(castle, r) && r > 0) --r;
    return r;
}

int roomChoiceTarget(const CastleModel& castle, int commandId) {
    switch (commandId) {
        case kCmdRoom1: return 0;
        case kCmdRoom10: return reachableAtOrBelow(castle, 9);
        case kCmdRoom20: return reachableAtOrBelow(castle, 19);
        case kCmdRoom30: return reachableAtOrBelow(castle, 29);
        case kCmdRoom40: return reachableAtOrBelow(castle, 39);
        case kCmdRoom50: return reachableAtOrBelow(castle, 49);
        case kCmdRoom60: return reachableAtOrBelow(castle, 59);
        default: return -1;
    }
}

bool isRoomNavigationCommand(int commandId) {
    switch (commandId) {
        case kCmdNextRoom:
        case kCmdPrevRoom:
        case kCmdFirstRoom:
        case kCmdLastRoom:
        case kCmdRoomButton:
            return true;
        case kCmdRoom1:
        case kCmdRoom10:
        case kCmdRoom20:
        case kCmdRoom30:
        case kCmdRoom40:
        case kCmdRoom50:
        case kCmdRoom60:
            return true;
        default:
            return false;
    }
}

void navigateRooms(AppState& app, int commandId) {
    const CastleModel& castle = app.castle;
    switch (commandId) {
        case kCmdNextRoom: selectRoom(app, nextRoomTarget(castle)); return;
        case kCmdPrevRoom: selectRoom(app, previousRoomTarget(castle)); return;
        case kCmdFirstRoom: selectRoom(app, 0); return;
        case kCmdLastRoom: selectRoom(app, lastRoomTarget(castle)); return;
        case kCmdRoomButton: {
            const int choice = app.ui.popupMenu(kMenuRoomChoice);
            if (choice != kCmdRoomButton && isRoomNavigationCommand(choice)) navigateRooms(app, choice);
            return;
        }
        default: {
            const int r = roomChoiceTarget(castle, commandId);
            if (r >= 0) selectRoom(app, r);
        }
    }
}

}  // namespace grusk
