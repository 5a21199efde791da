// The room buttons of the main window and the room choice popup: which room
// each of them makes current. A room r can be reached when r is 0 or the room
// before it is in use, so the buttons never skip past the end of the castle.
#pragma once

#include "app/app_state.h"

namespace grusk {

int nextRoomTarget(const CastleModel& castle);      // ">"
int previousRoomTarget(const CastleModel& castle);  // "<"
int lastRoomTarget(const CastleModel& castle);      // ">>": the last room in use
// "Room #1" .. "Room #60" of popup 200; -1 for other ids.
int roomChoiceTarget(const CastleModel& castle, int commandId);

// True for the ids of the room buttons and of popup 200's items.
bool isRoomNavigationCommand(int commandId);
// Carries out one of them with selectRoom; the "1" button opens popup 200 at
// the pointer and follows the choice.
void navigateRooms(AppState& app, int commandId);

}  // namespace grusk
