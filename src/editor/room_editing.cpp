#include "editor/room_editing.h"

#include <algorithm>

#include "editor/catalogue.h"

namespace grusk {

namespace {

CellPos coveredAnchor(int marker) {
    const int index = marker - kCoveredBase;
    return CellPos{index / 40, index % 40};
}

// Block size in cells for placing or removing an object; at least one cell so
// that a picture narrower than a cell still occupies its anchor.
Size blockCells(int type) {
    Size s = cellSize(type);
    if (s.width < 1) s.width = 1;
    if (s.height < 1) s.height = 1;
    return s;
}

// An object removed from the anchor takes every link naming it along: an
// object placed there later must not inherit them. Other links stay; a source
// left without any link is marked unlinked again.
void unlinkSourcesOf(Room& room, CellPos anchor) {
    for (CellRecord& rec : room.objectLayer()) {
        if (!isObjectType(rec.type)) continue;
        bool changed = false;
        for (auto& link : rec.links) {
            if (link[0] != anchor.x || link[1] != anchor.y) continue;
            link[0] = link[1] = -1;
            changed = true;
        }
        if (changed && needsLink(rec.type) && rec.usedLinkCount() == 0) rec.mark = kMarkUnlinked;
    }
}

// A covered-cell marker whose anchor is outside the room or holds no object
// (after a forced overlap or from a damaged file) covers nothing.
bool isStaleMarker(const Room& room, int x, int y) {
    const int t = room.object(x, y).type;
    if (!isCoveredMarker(t)) return false;
    const CellPos a = coveredAnchor(t);
    return !isInsideRoom(a.x, a.y) || !isObjectType(room.object(a.x, a.y).type);
}

// The record a link slot names, when it lies inside the room and holds the wanted type.
CellRecord* linkedRecord(Room& room, const CellRecord& source, int slot, int wantedType) {
    const int lx = source.links[slot][0];
    const int ly = source.links[slot][1];
    if (!isInsideRoom(lx, ly)) return nullptr;
    CellRecord& target = room.object(lx, ly);
    return target.type == wantedType ? &target : nullptr;
}

void stepLightningMachine(CellRecord& machine) {
    if (machine.variant == 0) {
        machine.variant = 1;
        machine.picture = kPicLightningOff;
    } else {
        machine.variant = 0;
        machine.picture = kLightningMachine;
    }
}

}  // namespace

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

FoundObject findObjectAt(const CastleModel& castle, int x, int y, int roomIndex) {
    if (!isInsideRoom(x, y)) return {};
    const Room& room = castle.room(isValidRoom(roomIndex) ? roomIndex : castle.currentRoom);
    const int t = room.object(x, y).type;
    if (isCoveredMarker(t)) {
        const CellPos anchor = coveredAnchor(t);
        // A marker read from a damaged file may point anywhere: only trust it inside the room.
        if (!isInsideRoom(anchor.x, anchor.y)) return {kEmpty, {}};
        return {room.object(anchor.x, anchor.y).type, anchor};
    }
    if (t == kEmpty) {
        const int v = room.vertical(x, y).type;
        if (v != kEmpty) return {v, {x, y}};
        return {kEmpty, {}};
    }
    return {t, {x, y}};
}

Size placementCells(int type) { return blockCells(type); }

CellRecord* placeObjectNoRecount(CastleModel& castle, int type, int x, int y, bool force, int* result,
                                 TouchedCells* touched) {
    if (result) *result = 0;
    if (!isInsideRoom(x, y)) return nullptr;
    Room& room = castle.current();
    CellRecord* placed = nullptr;
    int outcome = 1;

    // Every placement names its cells to be redrawn: runs drawn with the
    // button held must show at once, not at the release.
    if (isVerticalType(type)) {
        placed = &room.vertical(x, y);
        placed->type = type;
        if (touched) *touched = TouchedCells{x, y, 1, 1};
    } else if (type == kWalkway) {
        room.walkway(x, y) = kWalkway;
        if (touched) *touched = TouchedCells{x, y, 1, 1};
    } else if (type == kCamouflage) {
        const bool rightFree = x >= kColumns - 1 || room.camouflage(x + 1, y) == 0;
        if (room.camouflage(x, y) == 0 && rightFree) {
            room.camouflage(x, y) = 1;
            if (x < kColumns - 1) room.camouflage(x + 1, y) = 2;
            if (touched) *touched = TouchedCells{x, y, 2, 1};
        }
    } else if (isObjectType(type)) {
        const Size s = blockCells(type);
        bool refused = !isInsideRoom(x + s.width - 1, y + s.height - 1);
        if (!refused && !force) {
            for (int by = y; by < y + s.height && !refused; ++by)
                for (int bx = x; bx < x + s.width; ++bx)
                    if (room.object(bx, by).type != kEmpty && !isStaleMarker(room, bx, by)) {
                        refused = true;
                        break;
                    }
        }
        if (refused) {
            outcome = 0;
        } else {
            const int marker = kCoveredBase + x * 40 + y;
            for (int by = y; by < y + s.height; ++by)
                for (int bx = x; bx < x + s.width; ++bx) room.object(bx, by).type = marker;
            placed = &room.object(x, y);
            placed->type = type;
            placed->picture = type;
            placed->room = castle.currentRoom;
            if (type == kKey || type == kLock) {
                placed->colour = 1;
                placed->picture = type + 36;
            }
            if (needsLink(type)) placed->mark = kMarkUnlinked;
            if (type == kText) {
                setRecordText(*placed, "TEXT");
                placed->colour = 1;
            }
            if (touched) *touched = TouchedCells{x, y, s.width, s.height};
        }
    } else {
        outcome = 0;  // not an object type
    }
    if (result) *result = outcome;
    return placed;
}

int placeObject(CastleModel& castle, int type, int x, int y, int number, TouchedCells* touched) {
    if (!isInsideRoom(x, y)) return 0;
    int result = 0;
    CellRecord* placed = placeObjectNoRecount(castle, type, x, y, number >= 0, &result, touched);
    recountRoom(castle, castle.currentRoom);
    if (placed) placed->number = static_cast<int8_t>(number >= 0 ? number : placed->typeCount - 1);
    return result;
}

int deleteObjectAt(CastleModel& castle, int x, int y, TouchedCells* touched) {
    auto repaint = [&](int bx, int by, int w, int h) {
        if (touched) *touched = TouchedCells{bx, by, w, h};
    };
    Room& room = castle.current();
    if (isInsideRoom(x, y)) {
        const int camo = room.camouflage(x, y);
        if (camo == 2 || camo == 1) {
            room.camouflage(x, y) = 0;
            const int other = camo == 2 ? x - 1 : x + 1;
            if (other >= 0 && other < kColumns) room.camouflage(other, y) = 0;
            repaint(std::min(x, other), y, 2, 1);
            return 1;
        }
    }
    if (isInsideRoom(x, y) && isStaleMarker(room, x, y)) {
        room.object(x, y).reset();
        repaint(x, y, 1, 1);
        recountRoom(castle, castle.currentRoom);
        return kEmpty;
    }
    const FoundObject found = findObjectAt(castle, x, y);
    const int t = found.type;
    if (t == -1) {
        recountRoom(castle, castle.currentRoom);
        return -1;
    }
    if (t == kEmpty) {
        room.walkway(x, y) = kEmpty;
        repaint(x, y, 1, 1);
        recountRoom(castle, castle.currentRoom);
        return kEmpty;
    }
    const bool inObjectLayer = room.object(x, y).type != kEmpty;
    if (inObjectLayer) {
        unlinkSourcesOf(room, found.anchor);
        const CellPos a = found.anchor;
        const int anchorType = room.object(a.x, a.y).type;
        if (isObjectType(anchorType)) {
            const Size s = blockCells(anchorType);
            for (int by = a.y; by < a.y + s.height; ++by)
                for (int bx = a.x; bx < a.x + s.width; ++bx)
                    if (isInsideRoom(bx, by)) room.object(bx, by).reset();
            repaint(a.x, a.y, s.width, s.height);
        } else {
            // A broken record from a damaged file: remove what can be reached.
            room.object(a.x, a.y).reset();
            room.object(x, y).reset();
            if (touched) touched->whole = true;
        }
    } else {
        room.vertical(x, y).reset();
        repaint(x, y, 1, 1);
    }
    recountRoom(castle, castle.currentRoom);
    return t;
}

void toggleObjectState(CastleModel& castle, int x, int y) {
    const FoundObject found = findObjectAt(castle, x, y);
    if (!isObjectType(found.type)) return;
    Room& room = castle.current();
    CellRecord& rec = room.object(found.anchor.x, found.anchor.y);
    if (rec.type != found.type) return;  // a vertical piece has no cycle
    switch (rec.type) {
        case kConveyor:
            rec.variant = rec.variant == 0 ? 1 : rec.variant == 1 ? 2 : 0;
            rec.picture = rec.variant == 1 ? kPicConveyorLeft : rec.variant == 2 ? kPicConveyorRight : kConveyor;
            break;
        case kConveyorSwitch: {
            CellRecord* conveyor = linkedRecord(room, rec, 0, kConveyor);
            if (!conveyor) break;
            conveyor->variant = conveyor->variant == 0 ? 1 : conveyor->variant == 1 ? 2 : 0;
            static constexpr int kSwitchPic[3] = {kPicConveyorSwitchOff, kPicConveyorSwitchLeft,
                                                  kPicConveyorSwitchRight};
            static constexpr int kConveyorPic[3] = {kConveyor, kPicConveyorLeft, kPicConveyorRight};
            rec.picture = kSwitchPic[conveyor->variant];
            conveyor->picture = kConveyorPic[conveyor->variant];
            break;
        }
        case kFrankenstein:
            rec.variant = rec.variant == 0 ? 1 : 0;
            rec.picture = rec.variant == 1 ? kPicFrankensteinRight : kFrankenstein;
            break;
        case kLightningMachine: stepLightningMachine(rec); break;
        case kLightningSwitch:
            if (rec.variant == 0) {
                rec.variant = 1;
                rec.picture = kPicLightningSwitchOff;
            } else {
                rec.variant = 0;
                rec.picture = kLightningSwitch;
            }
            for (int slot = 0; slot < kLinkSlots; ++slot)
                if (CellRecord* machine = linkedRecord(room, rec, slot, kLightningMachine))
                    stepLightningMachine(*machine);
            break;
        case kTrap: {
            if (!rec.hasLink(0)) break;
            CellRecord* sw = linkedRecord(room, rec, 0, kTrapSwitch);
            if (rec.variant == 0) {
                rec.variant = 1;
                rec.picture = kPicTrapClosed;
                if (sw) sw->picture = kPicTrapSwitchClosed;
            } else {
                rec.variant = 0;
                rec.picture = kTrap;
                if (sw) sw->picture = kPicTrapSwitchOpen;
            }
            break;
        }
        default: break;
    }
}

ObjectMenuChoice objectMenuFor(const CastleModel& castle, int x, int y) {
    const FoundObject found = findObjectAt(castle, x, y);
    if (found.type == -1 || found.type == kEmpty) return {};
    ObjectMenuChoice choice;
    choice.anchor = found.anchor;
    const int anchorType = castle.current().object(found.anchor.x, found.anchor.y).type;
    choice.menuId = popupMenuOf(anchorType);
    choice.stepsState = choice.menuId == 0;
    return choice;
}

void shapeWalkways(CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    auto empty = [&](int x, int y) { return room.walkway(x, y) == kEmpty; };
    auto vertical = [&](int x, int y, int type) { return isInsideRoom(x, y) && room.vertical(x, y).type == type; };

    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            int32_t& w = room.walkway(x, y);
            switch (w) {
                case kWalkway:
                    if (x > 0 && x < kColumns - 1 && empty(x - 1, y) && empty(x + 1, y)) break;
                    if (x < kColumns - 1 && empty(x + 1, y)) w = kWalkwayR;
                    else if (x > 0 && empty(x - 1, y)) w = kWalkwayL;
                    break;
                case kWalkwayLadderL:
                    if (!(x == kColumns - 1 || vertical(x + 1, y, kLadder))) w = kWalkway;
                    break;
                case kWalkwayLadderR:
                    if (!(x == 0 || vertical(x - 1, y, kLadder))) w = kWalkway;
                    break;
                case kWalkwayLadderM:
                    if (!vertical(x, y, kLadder)) w = kWalkway;
                    break;
                case kWalkwaySlideL:
                    if (!(x == kColumns - 1 || vertical(x + 1, y, kSlidingPole))) w = kWalkway;
                    break;
                case kWalkwaySlideR:
                    if (!(x == 0 || vertical(x - 1, y, kSlidingPole))) w = kWalkway;
                    break;
                case kWalkwaySlideM:
                    if (!vertical(x, y, kSlidingPole)) w = kWalkway;
                    break;
                default: break;
            }
        }
    }

    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            if (room.object(x, y).type != kConveyor) continue;
            if (x > 0 && room.walkway(x - 1, y) == kWalkwayR) room.walkway(x - 1, y) = kWalkway;
            if (x < 32 && room.walkway(x + 8, y) == kWalkwayL) room.walkway(x + 8, y) = kWalkway;
        }
    }

    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const int v = room.vertical(x, y).type;
            if ((v != kLadder && v != kSlidingPole) || empty(x, y)) continue;
            const bool ladder = v == kLadder;
            if (x > 0 && !empty(x - 1, y)) room.walkway(x - 1, y) = ladder ? kWalkwayLadderL : kWalkwaySlideL;
            room.walkway(x, y) = ladder ? kWalkwayLadderM : kWalkwaySlideM;
            if (x < kColumns - 1 && !empty(x + 1, y))
                room.walkway(x + 1, y) = ladder ? kWalkwayLadderR : kWalkwaySlideR;
        }
    }
}

void setObjectColour(CellRecord& rec, int commandId) {
    rec.colour = colourFromCommand(commandId);
    if (rec.type == kKey || rec.type == kLock) rec.picture = keyLockPicture(rec.type, rec.colour);
}

void toggleDoubleHeight(CellRecord& rec) { rec.variant = rec.variant != 1 ? 1 : 0; }

std::string textDialogInitial(const CellRecord& record) {
    return upperAscii(recordText(record).substr(0, kMaxTextLength));
}

std::string textDialogOnChange(const std::string& typed) {
    const std::string s = typed.substr(0, 63);
    return s.size() >= 21 ? s.substr(0, kMaxTextLength) : s;
}

void textDialogOk(CellRecord& record, const std::string& typed) {
    // A text beginning with a space would read back from a castle program as camouflage.
    std::string text = upperAscii(typed.substr(0, kMaxTextLength));
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    setRecordText(record, text);
}

}  // namespace grusk
