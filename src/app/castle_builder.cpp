#include "app/castle_builder.h"

#include "app/door_links.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"

namespace grusk {

void CastleBuilder::room(int r, int colour, const MapRect& rect) {
    selectRoom(app_, r);
    Room& room = app_.castle.room(r);
    room.roomInUse = 1;
    room.roomColour = colour;
    room.roomMapRect = rect;
}

bool CastleBuilder::put(int type, int x, int y) {
    if (placeObject(app_, type, x, y, -1)) return true;
    refused("room " + std::to_string(app_.castle.currentRoom) + ": cannot place type " + std::to_string(type) +
            " at " + std::to_string(x) + "," + std::to_string(y));
    return false;
}

void CastleBuilder::floor(int row, int from, int to) {
    for (int x = from; x <= to; ++x) put(kWalkway, x, row);
}

void CastleBuilder::column(int type, int x, int top, int bottom) {
    for (int y = top; y <= bottom; ++y) put(type, x, y);
}

void CastleBuilder::door(int x, int y, Side side, int along) {
    put(kDoor, x, y);
    CellRecord& d = app_.castle.current().object(x, y);
    const MapRect& rect = app_.castle.current().roomMapRect;
    const int rx = side == kLeft ? 0 : side == kRight ? rect.right - rect.left - 8 : along;
    const int ry = side == kTop ? 0 : side == kBottom ? rect.bottom - rect.top - 8 : along;
    d.direction = side;
    d.mapX = rx / 4;
    d.mapY = ry / 2;
}

bool CastleBuilder::link(int sx, int sy, int tx, int ty) {
    app_.popupCell = {sx, sy};
    startLinking(app_);
    linkObjectAt(app_, tx, ty);
    if (app_.castle.current().object(sx, sy).mark != kMarkUnlinked) return true;
    refused("room " + std::to_string(app_.castle.currentRoom) + ": link from " + std::to_string(sx) + "," +
            std::to_string(sy) + " refused");
    return false;
}

void CastleBuilder::colour(int x, int y, int colourCommand) {
    app_.popupCell = {x, y};
    setObjectColour(app_, colourCommand);
}

void CastleBuilder::text(int x, int y, const std::string& words, int colourCommand, bool doubleHeight) {
    put(kText, x, y);
    setRecordText(app_.castle.current().object(x, y), words);
    colour(x, y, colourCommand);  // leaves popupCell on the text
    if (doubleHeight) toggleDoubleHeight(app_);
}

void CastleBuilder::connect(int r1, int x1, int y1, int r2, int x2, int y2) {
    selectRoom(app_, r1);
    app_.popupCell = {x1, y1};
    startConnecting(app_);
    selectRoom(app_, r2);
    connectDoorAt(app_, x2, y2);
}

void CastleBuilder::startDoor(int player, int r, int x, int y) {
    selectRoom(app_, r);
    app_.popupCell = {x, y};
    setPlayerStart(app_, player);
}

void CastleBuilder::exitDoor(int r, int x, int y) {
    selectRoom(app_, r);
    app_.popupCell = {x, y};
    setDoorType(app_, true);
}

void CastleBuilder::finishRoom() { shapeWalkways(app_); }

}  // namespace grusk
