#include "app/room_map_input.h"

#include <algorithm>
#include <cstdint>

#include "editor/catalogue.h"

namespace grusk {

namespace {

constexpr PixelRect kWholeMap{0, 0, kMapWidth, kMapHeight};

// Rectangles read from files may hold any value: keep arithmetic on them in a
// range where it cannot overflow.
int32_t tame(int64_t v) { return int32_t(std::clamp<int64_t>(v, -(int64_t(1) << 24), int64_t(1) << 24)); }

PixelRect toPixelRect(const MapRect& r) {
    return PixelRect{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                     std::max(r.top, r.bottom)};
}

}  // namespace

void beginDoorPositioning(AppState& app) {
    app.mapDoorMode = true;
    app.pendingDoorRoom = app.castle.currentRoom;
    app.pendingDoor = app.popupCell;
}

RoomMapInput::RoomMapInput(AppState& app) : app_(app) {}

void RoomMapInput::invalidateRoomRect(int room) {
    if (!isValidRoom(room)) return;
    app_.ui.invalidateMap(toPixelRect(app_.castle.room(room).roomMapRect), false);
}

void RoomMapInput::mouseMove(int x, int y, bool leftHeld) {
    raw_ = CellPos{x, y};
    snapped_ = CellPos{snapToMapGrid(x), snapToMapGrid(y)};
    app_.ui.setControlText(WindowId::RoomMap, kMapStatusLine, "");

    const CastleModel& castle = app_.castle;
    const bool overCorner = findRoomCornerAt(castle, x, y) >= 0;
    const bool overRoom = findRoomAt(castle, x, y) >= 0;
    if (app_.mapDoorMode)
        cursor_ = CursorShape::Arrow;
    else if (overCorner)
        cursor_ = CursorShape::SizeDiagonal;
    else if (overRoom)
        cursor_ = CursorShape::SizeAll;
    else
        cursor_ = CursorShape::Arrow;

    const int sx = snapped_.x, sy = snapped_.y;
    if (!leftHeld || sx < 0 || sx >= kMapWidth + 1 || sy < 0 || sy >= kMapHeight + 1) return;
    // While a door's marker is awaited, the click is for the marker: rectangles stay put.
    if (app_.mapDoorMode) return;

    const int room = castle.currentRoom;
    MapRect& r = app_.castle.current().roomMapRect;
    if (creating_) {
        invalidateRoomRect(room);
        grab_ = CellPos{0, 0};
        r.right = sx + 16;
        r.bottom = sy + 16;
        if (int64_t(r.right) - r.left > kMaxRoomSide) r.right = tame(int64_t(r.left) + kMaxRoomSide);
        if (int64_t(r.bottom) - r.top > kMaxRoomSide) r.bottom = tame(int64_t(r.top) + kMaxRoomSide);
        invalidateRoomRect(room);
    } else if (overCorner && !moving_) {
        creating_ = true;
    } else if (overRoom || moving_) {
        // Once a rectangle follows the mouse it keeps following until the
        // release, even where the pointer runs ahead of the grid-snapped
        // rectangle or crosses another room's corner.
        moving_ = true;
        const int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
        if (grab_.x == 0) grab_ = CellPos{tame(int64_t(x) - r.left), tame(int64_t(y) - r.top)};
        // Keep the rectangle inside the map: shift the grab point instead of the rectangle.
        int64_t gx = grab_.x, gy = grab_.y;
        gx = std::max<int64_t>(gx, x + w - kMapWidth);
        gx = std::min<int64_t>(gx, x);
        gy = std::max<int64_t>(gy, y + h - kMapHeight);
        gy = std::min<int64_t>(gy, y);
        grab_ = CellPos{tame(gx), tame(gy)};
        invalidateRoomRect(room);
        r.left = tame((x - gx) / 16 * 16);
        r.top = tame((y - gy) / 16 * 16);
        r.right = tame(r.left + w);
        r.bottom = tame(r.top + h);
        invalidateRoomRect(room);
    }
}

void RoomMapInput::leftDown(int x, int y) {
    grab_ = CellPos{0, 0};
    moving_ = false;
    raw_ = CellPos{x, y};
    snapped_ = CellPos{snapToMapGrid(x), snapToMapGrid(y)};
    const int sx = snapped_.x, sy = snapped_.y;
    if (!(0 < sx && sx < kMapWidth && 0 < sy && sy < kMapHeight)) return;
    // A click placing a door's marker must not switch to another room first.
    if (app_.mapDoorMode) return;

    Room& current = app_.castle.current();
    if (current.roomInUse) {
        const int room = findRoomAt(app_.castle, sx, sy);
        if (room >= 0) selectRoom(app_, room);
        app_.ui.invalidateMap(kWholeMap, false);
    } else {
        creating_ = true;
        current.roomInUse = 1;
        current.roomColour = mapColour_;
        current.roomMapRect = MapRect{sx, sy, sx, sy};
        app_.ui.invalidateMap(kWholeMap, true);
    }
}

void RoomMapInput::leftUp(int x, int y) {
    grab_ = CellPos{0, 0};
    moving_ = false;
    raw_ = CellPos{x, y};
    snapped_ = CellPos{snapToMapGrid(x), snapToMapGrid(y)};
    const int sx = snapped_.x, sy = snapped_.y;

    if (kColourStripLeft <= x && x < kColourStripRight && 0 <= y / 16 && y / 16 < 16) {
        mapColour_ = y / 16;
        app_.castle.current().roomColour = mapColour_;
        app_.ui.invalidateMap(kMapSwatchRect, false);
        invalidateWholeCanvas(app_, false);
    }

    const bool inMap = 0 <= sx && sx < kMapWidth && 0 <= sy && sy < kMapHeight;
    if (inMap && app_.mapDoorMode) {
        app_.mapDoorMode = false;
        app_.ui.showWindow(WindowId::MapDoor, false);
        placeDoorMarker(x, y);
    } else if (creating_) {
        // Any release ends a creation or resize, also one outside the map area.
        cursor_ = CursorShape::Arrow;
        creating_ = false;
        Room& current = app_.castle.current();
        const MapRect& r = current.roomMapRect;
        if (int64_t(r.right) - r.left < 2 || int64_t(r.bottom) - r.top < 2) current.roomInUse = 0;
    }
    app_.ui.invalidateMap(kWholeMap, true);
}

void RoomMapInput::placeDoorMarker(int x, int y) {
    // The door waiting for its position; its room's rectangle holds the bands.
    int room = app_.pendingDoorRoom;
    CellRecord* door = app_.pendingDoorRecord();
    if (!door || door->type != kDoor) {
        room = app_.castle.currentRoom;
        door = app_.popupRecord();
        if (door && door->type != kDoor) door = nullptr;
    }
    const auto position = doorMapPositionAt(app_.castle.room(room).roomMapRect, x, y);
    if (!position) return;
    if (door) {
        door->direction = position->direction;
        door->mapX = position->mapX;
        door->mapY = position->mapY;
    }
    app_.doorMapXEdit = position->mapX;
    app_.doorMapYEdit = position->mapY;
    app_.doorDirectionResult = position->direction;
}

void RoomMapInput::rightUp(int x, int y) {
    raw_ = CellPos{x, y};
    snapped_ = CellPos{snapToMapGrid(x), snapToMapGrid(y)};
    const int sx = snapped_.x, sy = snapped_.y;
    if (!(0 < sx && sx < kMapWidth && 0 < sy && sy < kMapHeight)) return;
    const int room = findRoomAt(app_.castle, sx, sy);
    if (room >= 0) {
        // Through selectRoom, so that the canvas shows the room edits now go to.
        selectRoom(app_, room);
        app_.castle.room(room).roomInUse = 0;
    }
    app_.ui.invalidateMap(kWholeMap, true);
}

bool RoomMapInput::command(int id) {
    const int current = app_.castle.currentRoom;
    switch (id) {
        case kMapHideButton:
            app_.ui.showWindow(WindowId::RoomMap, false);
            app_.mapperVisible = false;
            return true;
        case kMapNextRoomButton: selectRoom(app_, (current + 1) % kRooms); return true;
        case kMapPrevRoomButton: selectRoom(app_, (current + kRooms - 1) % kRooms); return true;
        default: return false;
    }
}

void RoomMapInput::doorHovered(CellPos anchor) {
    hovered_ = anchor;
    markersOnly_ = true;
    app_.ui.invalidateMap(kWholeMap, false);
    const CastleModel& castle = app_.castle;
    if (const CellRecord* popup = app_.popupRecord(); popup && popup->type == kDoor)
        app_.ui.invalidateMap(doorMarkerRect(castle, castle.currentRoom, *popup), false);
    if (isInsideRoom(anchor.x, anchor.y)) {
        const CellRecord& door = castle.current().object(anchor.x, anchor.y);
        if (door.type == kDoor) app_.ui.invalidateMap(doorMarkerRect(castle, castle.currentRoom, door), false);
    }
}

void RoomMapInput::setMapPosition() {
    app_.ui.showWindow(WindowId::RoomMap, true);
    app_.mapperVisible = true;
    beginDoorPositioning(app_);
    app_.ui.showWindow(WindowId::MapDoor, true);
}

MapPaintState RoomMapInput::beginPaint() {
    MapPaintState state;
    if (firstPaint_) {
        mapColour_ = 2;
        selectRoom(app_, app_.castle.currentRoom);
    }
    state.markersOnly = markersOnly_ && !firstPaint_;
    markersOnly_ = false;
    firstPaint_ = false;
    if (hovered_.x >= 0) state.hoveredDoor = hovered_;
    state.labels = app_.labelMap;
    return state;
}

}  // namespace grusk
