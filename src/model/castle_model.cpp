#include "model/castle_model.h"

#include <cstring>

#include "editor/catalogue.h"

namespace grusk {

void CellRecord::reset() {
    std::memset(static_cast<void*>(this), 0, sizeof(CellRecord));
    type = kEmpty;
    for (int32_t& e : extra) e = -1;
    for (auto& link : links) link[0] = link[1] = -1;
}

int CellRecord::usedLinkCount() const {
    int n = 0;
    for (const auto& link : links) n += link[0] != -1 ? 1 : 0;
    return n;
}

std::unique_ptr<CastleModel> allocateCells() {
    auto castle = std::make_unique<CastleModel>();
    for (Room& room : castle->rooms) {
        for (CellRecord& r : room.objectLayer) r.reset();
        for (CellRecord& r : room.verticalLayer) r.reset();
        room.walkwayLayer.fill(kEmpty);
        room.camouflageLayer.fill(0);
    }
    return castle;
}

void clearRoom(CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    room.roomObjectCount.fill(0);
    room.roomColour = 2;
    for (int i = 0; i < kCellsPerRoom; ++i) {
        room.objectLayer[i].reset();  // picture stays 0 here, unlike a castle clear
        room.walkwayLayer[i] = kEmpty;
        room.verticalLayer[i].type = kEmpty;
        room.camouflageLayer[i] = 0;
    }
}

void clearCastleRecords(CastleModel& castle) {
    for (int r = 0; r < kRooms; ++r) {
        clearRoom(castle, r);
        castle.room(r).roomInUse = 0;
    }
    for (Room& room : castle.rooms) {
        for (int i = 0; i < kCellsPerRoom; ++i) {
            room.objectLayer[i].reset();
            room.objectLayer[i].picture = kEmpty;
            room.verticalLayer[i].reset();
            room.verticalLayer[i].picture = kEmpty;
            room.walkwayLayer[i] = kEmpty;
            room.camouflageLayer[i] = 0;
        }
    }
    castle.castleTitle = "<NO CASTLE LOADED>";
    castle.currentRoom = 0;
}

namespace {

bool isRunTop(const Room& room, int x, int y) {
    return y == 0 || room.vertical(x, y - 1).type != room.vertical(x, y).type;
}

}  // namespace

void recountRoom(CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    auto& counter = room.roomObjectCount;
    counter.fill(0);

    // Vertical runs: the top cell carries the run's length. Cells below the
    // top carry 0, so a run extended upwards is not compiled twice.
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.vertical(x, y);
            if (!isVerticalType(rec.type)) continue;
            if (!isRunTop(room, x, y)) {
                rec.length = 0;
                continue;
            }
            int n = 0;
            while (y + n < kRows && room.vertical(x, y + n).type == rec.type) ++n;
            rec.length = n;
        }
    }

    // Lightning machines measure the suspension hanging over their middle column;
    // without one their length is 0 (a removed suspension must not be compiled).
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.object(x, y);
            if (rec.type != 13 && rec.type != 40) continue;
            int n = 0;
            if (y >= 1 && x < kColumns - 1) {
                while (y - 1 - n >= 0 && room.object(x + 1, y - 1 - n).type == 11) ++n;
            }
            rec.length = n;
        }
    }

    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            if (room.camouflage(x, y) == 1) ++counter[26];
            CellRecord& rec = room.object(x, y);
            const int t = rec.type;
            if (!isObjectType(t)) continue;
            if (t == 2) {
                rec.ordinal = counter[2];
                counter[2] += rec.usedLinkCount();
            } else if (t == 40) {
                ++counter[13];
            } else {
                rec.ordinal = counter[t]++;
            }
        }
    }

    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.vertical(x, y);
            if (isVerticalType(rec.type) && isRunTop(room, x, y)) rec.ordinal = counter[rec.type]++;
        }
    }

    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            for (CellRecord* rec : {&room.object(x, y), &room.vertical(x, y)}) {
                if (!isObjectType(rec->type)) continue;
                rec->typeCount = counter[rec->type];
                rec->x = x;
                rec->y = y;
            }
        }
    }
}

int countObjects(const CastleModel& castle, int roomIndex, int type) {
    if (!isValidRoom(roomIndex)) return 0;
    int n = 0;
    for (const CellRecord& rec : castle.room(roomIndex).objectLayer) n += rec.type == type ? 1 : 0;
    return n;
}

int roomsInUseRun(const CastleModel& castle) {
    int n = 0;
    while (n < kRooms && castle.room(n).roomInUse) ++n;
    return n;
}

std::string recordText(const CellRecord& record) {
    return std::string(record.text, strnlen(record.text, kTextSize));
}

void setRecordText(CellRecord& record, const std::string& text) {
    const size_t n = std::min(text.size(), static_cast<size_t>(kTextSize - 1));
    std::memcpy(record.text, text.data(), n);
    record.text[n] = '\0';
}

int getCellField(const CastleModel& castle, int roomIndex, int x, int y, int field, int index,
                 int* second) {
    if (!isValidRoom(roomIndex) || !isInsideRoom(x, y) || field < 0 || field >= kCellFieldCount) return 0;
    const CellRecord& r = castle.room(roomIndex).object(x, y);
    const int slot = index & 15;
    switch (static_cast<CellField>(field)) {
        case CellField::Type: return r.type;
        case CellField::Mark: return r.mark;
        case CellField::Picture: return r.picture;
        case CellField::Extra: return r.extra[slot];
        case CellField::TypeCount: return r.typeCount;
        case CellField::Ordinal: return r.ordinal;
        case CellField::X: return r.x;
        case CellField::Y: return r.y;
        case CellField::MapX: return r.mapX;
        case CellField::MapY: return r.mapY;
        case CellField::DestRoom: return r.destRoom;
        case CellField::DestDoor: return r.destDoor;
        case CellField::DestXY:
            if (second) *second = r.destY;
            return r.destX;
        case CellField::Variant: return r.variant;
        case CellField::Direction: return r.direction;
        case CellField::Length: return r.length;
        case CellField::Links:
            if (second) *second = r.links[slot][1];
            return r.links[slot][0];
        case CellField::Room: return r.room;
        case CellField::Colour: return r.colour;
        case CellField::ColourCode: return r.colourCode;
        case CellField::Text: return 0;
        case CellField::Number: return r.number;
    }
    return 0;
}

void setCellField(CastleModel& castle, int roomIndex, int x, int y, int field, int value, int index,
                  int second) {
    if (!isValidRoom(roomIndex) || !isInsideRoom(x, y) || field < 0 || field >= kCellFieldCount) return;
    CellRecord& r = castle.room(roomIndex).object(x, y);
    const int slot = index & 15;
    switch (static_cast<CellField>(field)) {
        case CellField::Type: r.type = value; break;
        case CellField::Mark: r.mark = value; break;
        case CellField::Picture: r.picture = value; break;
        case CellField::Extra: r.extra[slot] = value; break;
        case CellField::TypeCount: r.typeCount = value; break;
        case CellField::Ordinal: r.ordinal = value; break;
        case CellField::X: r.x = value; break;
        case CellField::Y: r.y = value; break;
        case CellField::MapX: r.mapX = value; break;
        case CellField::MapY: r.mapY = value; break;
        case CellField::DestRoom: r.destRoom = value; break;
        case CellField::DestDoor: r.destDoor = value; break;
        case CellField::DestXY: r.destX = value; r.destY = second; break;
        case CellField::Variant: r.variant = value; break;
        case CellField::Direction: r.direction = value; break;
        case CellField::Length: r.length = value; break;
        case CellField::Links: r.links[slot][0] = value; r.links[slot][1] = second; break;
        case CellField::Room: r.room = value; break;
        case CellField::Colour: r.colour = value; r.colourCode = value + 80; break;
        case CellField::ColourCode: r.colourCode = value; r.colour = value - 80; break;
        case CellField::Text: break;  // texts go through setCellText
        case CellField::Number: r.number = static_cast<int8_t>(value); break;
    }
}

std::string getCellText(const CastleModel& castle, int roomIndex, int x, int y) {
    if (!isValidRoom(roomIndex) || !isInsideRoom(x, y)) return {};
    return recordText(castle.room(roomIndex).object(x, y));
}

void setCellText(CastleModel& castle, int roomIndex, int x, int y, const std::string& text) {
    if (!isValidRoom(roomIndex) || !isInsideRoom(x, y)) return;
    setRecordText(castle.room(roomIndex).object(x, y), text);
}

}  // namespace grusk
