#include "app/door_links.h"

#include <cctype>
#include <climits>

#include "app/object_commands.h"
#include "editor/catalogue.h"

namespace grusk {

namespace {

CellRecord* popupDoor(AppState& app) {
    CellRecord* rec = app.popupRecord();
    return rec && rec->type == kDoor ? rec : nullptr;
}

void invalidateObject(AppState& app, const CellPos& anchor, int type) {
    const Size s = cellSize(type);
    invalidateCells(app, anchor.x, anchor.y, s.width > 0 ? s.width : 1, s.height > 0 ? s.height : 1, true);
}

std::string number(long long v) { return std::to_string(v); }

}  // namespace

void linkObjectAt(AppState& app, int x, int y) {
    app.mouseMode = kMouseNormal;
    app.ui.setCursor(CursorShape::Arrow);
    const FoundObject found = findObjectAt(app, x, y);
    if (!isObjectType(found.type)) return;
    CellRecord* source = app.popupRecord();
    if (!source) return;
    if (!linkAllowed(source->type, found.type)) {
        app.ui.message(number(app.popupCell.x) + " " + number(app.popupCell.y) + " - " + number(found.anchor.x) +
                           " " + number(found.anchor.y),
                       kCaptionKvt);
        return;
    }
    const CellRecord& target = app.castle.current().object(found.anchor.x, found.anchor.y);
    const LinkRule* rule = linkRuleFor(source->type);
    // A full source keeps its links: nothing is replaced and nothing is said.
    for (int slot = 0; slot < rule->slots && slot < kLinkSlots; ++slot) {
        if (source->links[slot][0] != -1) continue;
        source->mark = kMarkPlain;
        source->links[slot][0] = target.x;
        source->links[slot][1] = target.y;
        break;
    }
    if (found.type == kConveyor) {
        switch (target.variant) {
            case 0: source->picture = kPicConveyorSwitchOff; break;
            case 1: source->picture = kPicConveyorSwitchLeft; break;
            case 2: source->picture = kPicConveyorSwitchRight; break;
            default: break;
        }
    }
}

void connectDoorAt(AppState& app, int x, int y) {
    app.mouseMode = kMouseNormal;
    app.ui.setCursor(CursorShape::Arrow);
    app.ui.showWindow(WindowId::SelectDoor, false);
    const FoundObject found = findObjectAt(app, x, y);
    if (found.type != kDoor) return;
    CellRecord* d = app.pendingDoorRecord();
    if (!d || d->type != kDoor) return;
    CellRecord& e = app.castle.current().object(found.anchor.x, found.anchor.y);
    d->destRoom = app.castle.currentRoom;
    d->destDoor = e.number;
    d->destX = e.x;
    d->destY = e.y;
    // The room the pending door stands in, not its record's room field, which
    // an older room file may have brought from another room.
    e.destRoom = app.pendingDoorRoom;
    e.destDoor = d->number;
    e.destX = d->x;
    e.destY = d->y;
    app.ui.message("Connected to Room " + number(app.castle.currentRoom + 1) + " : Door " + number(e.number + 1),
                   kCaptionKvt);
}

void killConnections(AppState& app, int room) {
    if (!isValidRoom(room)) return;
    for (CellRecord& rec : app.castle.room(room).objectLayer()) {
        if (rec.type != kDoor) continue;
        rec.destRoom = 0;
        rec.destDoor = 0;
    }
}

void startLinking(AppState& app) {
    app.savedMouseMode = app.mouseMode;
    app.mouseMode = kMouseLinking;
    app.ui.setCursor(CursorShape::Link);
}

void unlinkObject(AppState& app) {
    CellRecord* rec = app.popupRecord();
    if (!rec || !needsLink(rec->type)) return;
    for (auto& link : rec->links) link[0] = link[1] = -1;
    rec->mark = kMarkUnlinked;
    invalidateWholeCanvas(app, true);  // the link lines go away
}

void setDoorType(AppState& app, bool exitDoor) {
    CellRecord* door = popupDoor(app);
    if (!door) return;
    door->picture = exitDoor ? kExitDoor : kDoor;
    door->variant = exitDoor ? 1 : 0;
    invalidateObject(app, app.popupCell, kDoor);
}

void startConnecting(AppState& app) {
    app.savedMouseMode = app.mouseMode;
    app.mouseMode = kMouseConnecting;
    app.ui.setCursor(CursorShape::Connect);
    app.pendingDoorRoom = app.castle.currentRoom;
    app.pendingDoor = app.popupCell;
    app.ui.showWindow(WindowId::SelectDoor, true);
}

void setPlayerStart(AppState& app, int player) {
    if (player != 1 && player != 2) return;
    const CellRecord* door = popupDoor(app);
    if (!door) return;
    app.castle.settings.playerStartRoom[player - 1] = static_cast<uint8_t>(app.castle.currentRoom);
    app.castle.settings.playerStartDoor[player - 1] = static_cast<uint8_t>(door->number);
}

int parseDialogNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const size_t firstDigit = i;
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
        ++i;
    }
    const size_t lastDigit = i;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (lastDigit == firstDigit || i != text.size()) return 0;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// --- Door Properties --------------------------------------------------------

CellRecord* DoorPropertiesLogic::door() const {
    if (!isValidRoom(room_) || !isInsideRoom(door_.x, door_.y)) return nullptr;
    CellRecord& rec = app_.castle.room(room_).object(door_.x, door_.y);
    return rec.type == kDoor ? &rec : nullptr;
}

bool DoorPropertiesLogic::load() {
    if (!popupDoor(app_)) return false;
    room_ = app_.castle.currentRoom;
    door_ = app_.popupCell;
    const CellRecord& d = *door();
    app_.doorDestDoorEdit = d.destDoor;
    app_.doorDestRoomEdit = d.destRoom;
    app_.doorDirectionResult = d.direction;
    app_.doorMapXEdit = d.mapX;
    app_.doorMapYEdit = d.mapY;
    return true;
}

std::string DoorPropertiesLogic::directionWord(int direction) {
    switch (direction) {
        case 0: return "top";
        case 1: return "right";
        case 2: return "bottom";
        case 3: return "left";
        default: return std::to_string(direction);
    }
}

void DoorPropertiesLogic::open() {
    texts_[kDoorRoomField] = number(app_.doorDestRoomEdit + 1LL);
    texts_[kDoorNumberField] = number(app_.doorDestDoorEdit + 1LL);
    texts_[kDoorMapXField] = number(app_.doorMapXEdit);
    texts_[kDoorMapYField] = number(app_.doorMapYEdit);
    app_.doorDirectionEdit = app_.doorDirectionResult;
    texts_[kDoorDirectionButton] = directionWord(app_.doorDirectionEdit);
}

std::string DoorPropertiesLogic::text(int controlId) const {
    const auto it = texts_.find(controlId);
    return it == texts_.end() ? std::string() : it->second;
}

void DoorPropertiesLogic::setText(int controlId, const std::string& typed) { texts_[controlId] = typed; }

void DoorPropertiesLogic::stepDirection() {
    const int d = app_.doorDirectionEdit;
    app_.doorDirectionEdit = d >= 0 && d < 3 ? d + 1 : 0;
    texts_[kDoorDirectionButton] = directionWord(app_.doorDirectionEdit);
}

void DoorPropertiesLogic::startMapPosition() {
    app_.mapDoorMode = true;
    // The map click writes the marker into the door waiting for it.
    app_.pendingDoorRoom = room_;
    app_.pendingDoor = door_;
}

void DoorPropertiesLogic::mapPositionPicked() {
    texts_[kDoorMapXField] = number(app_.doorMapXEdit);
    texts_[kDoorMapYField] = number(app_.doorMapYEdit);
    app_.doorDirectionEdit = app_.doorDirectionResult;
    texts_[kDoorDirectionButton] = directionWord(app_.doorDirectionEdit);
}

void DoorPropertiesLogic::ok() {
    app_.doorDestRoomEdit = static_cast<int>(parseDialogNumber(text(kDoorRoomField)) - 1LL);
    app_.doorDestDoorEdit = static_cast<int>(parseDialogNumber(text(kDoorNumberField)) - 1LL);
    app_.doorMapXEdit = parseDialogNumber(text(kDoorMapXField));
    app_.doorMapYEdit = parseDialogNumber(text(kDoorMapYField));
    app_.doorDirectionResult = app_.doorDirectionEdit;
}

void DoorPropertiesLogic::apply() {
    CellRecord* d = door();
    if (!d) return;
    d->destDoor = app_.doorDestDoorEdit;
    d->destRoom = app_.doorDestRoomEdit;
    d->direction = app_.doorDirectionResult;
    d->mapX = app_.doorMapXEdit;
    d->mapY = app_.doorMapYEdit;
    invalidateWholeCanvas(app_, false);
}

// --- Castle Settings --------------------------------------------------------

void CastleSettingsLogic::open() {
    const CastleSettings& s = app_.castle.settings;
    texts_[kSettingsStartRoom1] = number(s.playerStartRoom[0] + 1);
    texts_[kSettingsStartDoor1] = number(s.playerStartDoor[0] + 1);
    texts_[kSettingsLives1] = number(s.playerLives[0]);
    texts_[kSettingsStartRoom2] = number(s.playerStartRoom[1] + 1);
    texts_[kSettingsStartDoor2] = number(s.playerStartDoor[1] + 1);
    texts_[kSettingsLives2] = number(s.playerLives[1]);
}

std::string CastleSettingsLogic::text(int controlId) const {
    const auto it = texts_.find(controlId);
    return it == texts_.end() ? std::string() : it->second;
}

void CastleSettingsLogic::setText(int controlId, const std::string& typed) { texts_[controlId] = typed; }

void CastleSettingsLogic::ok() {
    CastleSettings& s = app_.castle.settings;
    auto byte = [&](int id, int minus) {
        const long long v = static_cast<long long>(parseDialogNumber(text(id))) - minus;
        return static_cast<uint8_t>(static_cast<unsigned long long>(v) & 0xFFu);
    };
    s.playerStartRoom[0] = byte(kSettingsStartRoom1, 1);
    s.playerStartDoor[0] = byte(kSettingsStartDoor1, 1);
    s.playerLives[0] = byte(kSettingsLives1, 0);
    s.playerStartRoom[1] = byte(kSettingsStartRoom2, 1);
    s.playerStartDoor[1] = byte(kSettingsStartDoor2, 1);
    s.playerLives[1] = byte(kSettingsLives2, 0);
}

}  // namespace grusk
