#include "editor/object_info.h"

#include <cstdio>

#include "editor/catalogue.h"

namespace grusk {

namespace {

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string cellText(int x, int y) { return "X: " + twoDigits(x) + " Y: " + twoDigits(y); }

std::string typeName(int type) {
    const std::string_view name = objectTypeName(type);
    return name.empty() ? std::string("nothing") : std::string(name);
}

const char* directionWord(int direction) {
    switch (direction) {
        case 0: return "top";
        case 1: return "right";
        case 2: return "bottom";
        case 3: return "left";
        default: return "?";
    }
}

bool hasColour(int type) { return type == kKey || type == kLock || type == kText; }

}  // namespace

bool objectAnchorAt(const Room& room, int x, int y, int* anchorX, int* anchorY) {
    if (!isInsideRoom(x, y)) return false;
    const int t = room.object(x, y).type;
    if (isObjectType(t)) {
        *anchorX = x;
        *anchorY = y;
        return true;
    }
    if (!isCoveredMarker(t)) return false;
    // Covered cells hold 1000 + anchor column * 40 + anchor row; a marker from a
    // damaged file is trusted only when it names an object inside the room.
    const long long v = static_cast<long long>(t) - kCoveredBase;
    const int ax = static_cast<int>(v / kColumns), ay = static_cast<int>(v % kColumns);
    if (!isInsideRoom(ax, ay) || !isObjectType(room.object(ax, ay).type)) return false;
    *anchorX = ax;
    *anchorY = ay;
    return true;
}

bool findDoorByNumber(const Room& room, int number, int* x, int* y) {
    bool found = false;
    for (int i = 0; i < kCellsPerRoom; ++i) {
        const CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
        if (rec.type != kDoor || rec.number != number) continue;
        *x = i % kColumns;
        *y = i / kColumns;
        found = true;
    }
    return found;
}

DoorLeads doorLeads(const CastleModel& castle, const CellRecord& door) {
    if (door.variant == 1) return DoorLeads::Exit;
    if (!isValidRoom(door.destRoom) || !castle.room(door.destRoom).roomInUse) return DoorLeads::Nowhere;
    int x = 0, y = 0;
    return findDoorByNumber(castle.room(door.destRoom), door.destDoor, &x, &y) ? DoorLeads::Door : DoorLeads::Nowhere;
}

std::string doorLabel(const CastleModel& castle, const CellRecord& door) {
    switch (doorLeads(castle, door)) {
        case DoorLeads::Exit: return "EXIT";
        case DoorLeads::Nowhere: return "?";
        case DoorLeads::Door: break;
    }
    return std::to_string(door.destRoom + 1) + ":" + std::to_string(door.destDoor + 1);
}

std::vector<std::string> inspectorLines(const CastleModel& castle, int roomIndex, int x, int y) {
    if (!isValidRoom(roomIndex) || !isInsideRoom(x, y)) return {"-"};
    const Room& room = castle.room(roomIndex);
    int ax = 0, ay = 0;
    if (!objectAnchorAt(room, x, y, &ax, &ay)) {
        // Ladders, poles and gun rails live in their own layer, one piece per cell.
        const CellRecord& piece = room.vertical(x, y);
        if (!isObjectType(piece.type)) return {"-"};
        return {typeName(piece.type), "Cell: " + cellText(x, y)};
    }
    const CellRecord& rec = room.object(ax, ay);
    const int t = rec.type;
    std::vector<std::string> lines;
    lines.push_back(typeName(t));
    lines.push_back("Cell: " + cellText(ax, ay));
    lines.push_back("Number: " + std::to_string(rec.number + 1));
    lines.push_back("State: " + typeName(rec.picture));
    if (hasColour(t)) lines.push_back("Colour: " + std::string(c64ColourNames[static_cast<unsigned>(rec.colour) & 15u]));
    if (t == kText) {
        lines.push_back("Text: \"" + recordText(rec) + "\"");
        lines.push_back(rec.variant == 1 ? "Height: double" : "Height: single");
    }
    if (const LinkRule* rule = linkRuleFor(t)) {
        int shown = 0;
        for (int slot = 0; slot < kLinkSlots; ++slot) {
            if (!rec.hasLink(slot)) continue;
            const int lx = rec.links[slot][0], ly = rec.links[slot][1];
            const int target = isInsideRoom(lx, ly) ? room.object(lx, ly).type : kEmpty;
            lines.push_back("Link " + std::to_string(++shown) + ": " + typeName(target) + " at " + cellText(lx, ly));
        }
        if (shown == 0) lines.push_back("Links: none (up to " + std::to_string(rule->slots) + ")");
    }
    if (t == kDoor) {
        switch (doorLeads(castle, rec)) {
            case DoorLeads::Exit:
                lines.push_back("Destination: exit door");
                break;
            case DoorLeads::Door:
                lines.push_back("Destination: Room " + std::to_string(rec.destRoom + 1LL) + ", Door " +
                                std::to_string(rec.destDoor + 1LL));
                break;
            case DoorLeads::Nowhere:
                lines.push_back("Destination: Room " + std::to_string(rec.destRoom + 1LL) + ", Door " +
                                std::to_string(rec.destDoor + 1LL) + " (not connected)");
                break;
        }
        lines.push_back("Map position: X " + std::to_string(rec.mapX) + " Y " + std::to_string(rec.mapY) + ", " +
                        directionWord(rec.direction));
    }
    return lines;
}

}  // namespace grusk
