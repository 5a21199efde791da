// Editing commands on the current room as the canvas and its popup menus give
// them: the room editing operations with their repaint requests, and the
// popup commands on the object whose menu opened last (popupCell).
#pragma once

#include <string>

#include "app/app_state.h"
#include "editor/room_editing.h"

namespace grusk {

inline FoundObject findObjectAt(const AppState& app, int x, int y) { return findObjectAt(app.castle, x, y); }

// The room editing operations on the current room; changed cells are repainted.
int placeObject(AppState& app, int type, int x, int y, int number = -1);
CellRecord* placeObjectNoRecount(AppState& app, int type, int x, int y, bool force, int* result = nullptr);
int deleteObjectAt(AppState& app, int x, int y);
// One step along the object's state cycle. Does not repaint.
void toggleObjectState(AppState& app, int x, int y);

ObjectMenuChoice objectMenuFor(const AppState& app, int x, int y);
// Sets popupCell and opens the popup (or steps the state). Returns the chosen command id or 0;
// the caller routes the command through the command table after the button release.
int showObjectMenu(AppState& app, int x, int y);

void shapeWalkways(AppState& app);

// Popup commands on the popupCell object.
void setObjectColour(AppState& app, int commandId);  // 1284..1290
void toggleDoubleHeight(AppState& app);
void textDialogOk(AppState& app, const std::string& typed);  // store upper case, at most 20, no leading spaces

// findRunTop in the current room.
int findRunTop(const AppState& app, int x, int y, int* column, int* top);

}  // namespace grusk
