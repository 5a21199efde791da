// Editing operations on the current room: lookup, placing, deleting, state
// steps, popup menus, colour/text/height commands and walkway shaping.
#pragma once

#include <string>

#include "editor/catalogue.h"
#include "model/castle_model.h"
#include "model/geometry.h"

namespace grusk {

struct FoundObject {
    int type = -1;  // -1 outside the room, 255 nothing, else the type at the anchor
    CellPos anchor;  // (-1, -1) when nothing was found
};

// Looks a cell up in the given room (the current room by default),
// resolving covered cells to their anchor.
FoundObject findObjectAt(const CastleModel& castle, int x, int y, int room = -1);

// The cells an edit changed, for the caller to repaint (erasing them); whole
// asks for the whole canvas. Empty when nothing needs repainting.
struct TouchedCells {
    int x = 0, y = 0, width = 0, height = 0;
    bool whole = false;
    bool any() const { return whole || (width > 0 && height > 0); }
};

// Places an object with its anchor at (x, y) in the current room. number -1
// numbers it automatically and refuses occupied cells; number >= 0 forces the
// placement with that number. Returns 0 when an objectLayer placement was refused.
int placeObject(CastleModel& castle, int type, int x, int y, int number = -1, TouchedCells* touched = nullptr);
// placeObject without its recount and number, for readers that place many
// objects and recount once: the writes only. force
// places over occupied cells (as a number >= 0 does). Returns the record that
// took the type (nullptr when refused, or for walkway and camouflage); *result
// gets what placeObject would return.
CellRecord* placeObjectNoRecount(CastleModel& castle, int type, int x, int y, bool force, int* result = nullptr,
                                 TouchedCells* touched = nullptr);
// The cells a placement of the type writes: its size, at least one cell each way.
Size placementCells(int type);
// Removes one thing at the cell: camouflage first, then an object, then a walkway.
// Returns the type removed (255 walkway or nothing, -1 outside, 1 camouflage).
int deleteObjectAt(CastleModel& castle, int x, int y, TouchedCells* touched = nullptr);
// One step along the object's state cycle, in the current room.
void toggleObjectState(CastleModel& castle, int x, int y);

// What a right click on an object does: open a popup menu, step its state, or nothing.
struct ObjectMenuChoice {
    int menuId = 0;          // popup to open, 0 none
    bool stepsState = false; // types without a menu step their state
    CellPos anchor;
};
ObjectMenuChoice objectMenuFor(const CastleModel& castle, int x, int y);

void shapeWalkways(CastleModel& castle, int room);

// Popup commands on an object's record.
void setObjectColour(CellRecord& record, int commandId);  // 1284..1290
void toggleDoubleHeight(CellRecord& record);

// The Enter Text dialog's rules.
std::string textDialogInitial(const CellRecord& record);    // cut to 20, upper case
std::string textDialogOnChange(const std::string& typed);   // cut a 21+ char text to 20
void textDialogOk(CellRecord& record, const std::string& typed);  // store upper case, at most 20, no leading spaces

std::string upperAscii(std::string s);

}  // namespace grusk
