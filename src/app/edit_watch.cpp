#include "app/edit_watch.h"

#include <cstring>

#include "editor/catalogue.h"
#include "editor/draw/map_renderer.h"

namespace grusk {

// What a mouse step needs at its end to tell what it did: the modes at the
// press, and which cells of the room were occupied and how the room table was.
struct EditWatch::PressLook {
    int room = 0;
    int placeType = -1;
    int mouseMode = kMouseNormal;
    bool mapDoorMode = false;
    bool hasPopup = false;
    CellPos popupCell;
    CellRecord popup{};
    std::array<int32_t, kCellsPerRoom> objects{}, verticals{}, walkways{}, camouflage{};
    std::array<MapRect, kRooms> rects{};
    std::array<int32_t, kRooms> colours{}, inUse{};
};

namespace {

bool sameRect(const MapRect& a, const MapRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int64_t width(const MapRect& r) { return int64_t(r.right) - r.left; }
int64_t height(const MapRect& r) { return int64_t(r.bottom) - r.top; }

std::string typeName(int type) { return std::string(objectTypeName(type)); }

}  // namespace

void keepDoorRoomOnMap(CastleModel& castle, int room) {
    if (!isValidRoom(room)) return;
    Room& r = castle.room(room);
    if (r.roomInUse) return;
    for (const CellRecord& rec : r.objectLayer()) {
        if (rec.type != kDoor) continue;
        r.roomMapRect = kDefaultRoomMapRect;
        r.roomInUse = 1;
        return;
    }
}

EditWatch::EditWatch(AppState& app) : app_(app), press_(std::make_unique<PressLook>()) {}
EditWatch::~EditWatch() = default;

bool EditWatch::beginCommand(const std::string& name) {
    if (open()) return false;
    history_.begin(app_.castle, name, {app_.castle.currentRoom});
    return true;
}

bool EditWatch::beginCommand(const std::string& name, std::vector<int> rooms) {
    if (open()) return false;
    rooms.push_back(app_.castle.currentRoom);
    history_.begin(app_.castle, name, std::move(rooms));
    return true;
}

void EditWatch::nameCommand(const std::string& name) {
    if (open() && !mouseOwnsStep_) history_.relabel(name, -1);
}

bool EditWatch::endCommand() {
    if (!open() || mouseOwnsStep_) return false;
    finishStep();
    return history_.end(app_.castle);
}

void EditWatch::mousePressed() {
    if (open()) return;
    const CastleModel& castle = app_.castle;
    std::vector<int> rooms{castle.currentRoom};
    // Connecting and placing a door's marker change the waiting door's room too.
    if (app_.mouseMode == kMouseConnecting || app_.mapDoorMode) rooms.push_back(app_.pendingDoorRoom);
    history_.begin(castle, "", rooms);
    mouseOwnsStep_ = true;

    PressLook& p = *press_;
    p.room = castle.currentRoom;
    p.placeType = app_.placeType;
    p.mouseMode = app_.mouseMode;
    p.mapDoorMode = app_.mapDoorMode;
    const CellRecord* popup = app_.popupRecord();
    p.hasPopup = popup != nullptr;
    p.popupCell = app_.popupCell;
    if (popup) p.popup = *popup;
    const Room& room = castle.room(p.room);
    for (int c = 0; c < kCellsPerRoom; ++c) {
        p.objects[c] = room.objectLayer()[c].type;
        p.verticals[c] = room.verticalLayer()[c].type;
        p.walkways[c] = room.walkwayLayer()[c];
        p.camouflage[c] = room.camouflageLayer()[c];
    }
    for (int r = 0; r < kRooms; ++r) {
        p.rects[r] = castle.room(r).roomMapRect;
        p.colours[r] = castle.room(r).roomColour;
        p.inUse[r] = castle.room(r).roomInUse;
    }
}

bool EditWatch::mouseReleased() {
    if (!mouseOwnsStep_) {
        mouseStepOverride_.clear();
        return false;
    }
    mouseOwnsStep_ = false;
    if (!open()) return false;
    finishStep();
    // The room the span ended in is the one to show: a map click may have
    // switched to the room it then moved or removed.
    const std::string name = mouseStepOverride_.empty() ? mouseStepName() : mouseStepOverride_;
    mouseStepOverride_.clear();
    history_.relabel(name, app_.castle.currentRoom);
    return history_.end(app_.castle);
}

void EditWatch::finishStep() { keepDoorRoomOnMap(app_.castle, app_.castle.currentRoom); }

void EditWatch::roomSelected(int room) {
    if (open()) history_.watchRoom(app_.castle, room);
}

void EditWatch::clear() {
    history_.clear();
    mouseOwnsStep_ = false;
}

std::string EditWatch::mouseStepName() const {
    const PressLook& p = *press_;
    const CastleModel& castle = app_.castle;

    // A click that ended a mode did what the mode was waiting for.
    if (p.mapDoorMode && !app_.mapDoorMode) return "Door Map Position";
    if (p.mouseMode == kMouseConnecting && app_.mouseMode != kMouseConnecting) return "Connect Doors";
    if (p.mouseMode == kMouseLinking && app_.mouseMode != kMouseLinking && p.hasPopup &&
        app_.popupCell == p.popupCell && app_.castle.currentRoom == p.room) {
        const CellRecord* source = app_.popupRecord();
        if (source && std::memcmp(source, &p.popup, sizeof(CellRecord)) != 0) return "Link";
    }

    // Cells that were filled or emptied in the room of the press.
    const Room& room = castle.room(p.room);
    bool added = false, removed = false;
    int addedObject = -1;
    for (int c = 0; c < kCellsPerRoom; ++c) {
        const int before = p.objects[c], after = room.objectLayer()[c].type;
        if (before != after) {
            if (isObjectType(after)) {
                added = true;
                if (addedObject < 0) addedObject = after;
            }
            if (isObjectType(before)) removed = true;
        }
        const int vBefore = p.verticals[c], vAfter = room.verticalLayer()[c].type;
        if (vBefore != vAfter) {
            if (vAfter != kEmpty) added = true;
            if (vBefore != kEmpty) removed = true;
        }
        // Walkway pieces change their shape by themselves: only laying and removing count.
        if ((p.walkways[c] == kEmpty) != (room.walkwayLayer()[c] == kEmpty)) {
            if (room.walkwayLayer()[c] != kEmpty) added = true;
            else removed = true;
        }
        if ((p.camouflage[c] == 0) != (room.camouflageLayer()[c] == 0)) {
            if (room.camouflageLayer()[c] != 0) added = true;
            else removed = true;
        }
    }
    if (added && isObjectType(p.placeType)) return "Place " + typeName(p.placeType);
    if (added && removed && addedObject >= 0) return "Move " + typeName(addedObject);
    if (removed) return "Delete";
    if (added) return addedObject >= 0 ? "Place " + typeName(addedObject) : "Place";

    // The map: rooms created, removed, resized, moved or coloured.
    bool created = false, gone = false, resized = false, moved = false, coloured = false;
    for (int r = 0; r < kRooms; ++r) {
        const Room& now = castle.room(r);
        if (now.roomInUse != p.inUse[r]) {
            (now.roomInUse ? created : gone) = true;
        } else if (!sameRect(now.roomMapRect, p.rects[r])) {
            // A rectangle drawn for a room off the map that came out too small.
            if (!now.roomInUse)
                created = true;
            else if (width(now.roomMapRect) != width(p.rects[r]) || height(now.roomMapRect) != height(p.rects[r]))
                resized = true;
            else
                moved = true;
        } else if (now.roomColour != p.colours[r]) {
            coloured = true;
        }
    }
    if (created) return "Create Room";
    if (gone) return "Remove Room";
    if (resized) return "Resize Room";
    if (moved) return "Move Room";
    if (coloured) return "Room Color";
    return "Change State";
}

}  // namespace grusk
