#include "model/castle_model.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "model/object_types.h"

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

namespace {

// Blocks of room cells, carved from chunks on 2 MiB boundaries that are
// offered to the system for huge pages. Blocks given back are kept for the
// next room: clearing and reading castles again costs no new memory. The
// chunks live as long as the process.
class CellsPool {
public:
    RoomCells* take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.empty()) grow();
        RoomCells* cells = free_.back();
        free_.pop_back();
        return cells;
    }
    void give(RoomCells* cells) {
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(cells);
    }

private:
    static constexpr size_t kHugePage = size_t{2} << 20;
    // Six rooms fill two huge pages almost exactly (4,176,000 of 4,194,304 bytes).
    static constexpr size_t kRoomsPerChunk = 6;
    static constexpr size_t kChunkSize = (kRoomsPerChunk * sizeof(RoomCells) + kHugePage - 1) / kHugePage * kHugePage;

    void grow() {
        void* chunk = std::aligned_alloc(kHugePage, kChunkSize);
        if (!chunk) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        madvise(chunk, kChunkSize, MADV_HUGEPAGE);  // only advice: without huge pages nothing changes
#endif
        chunks_.push_back(chunk);
        // Taken from the back: the first room comes from the start of the chunk.
        auto* rooms = static_cast<RoomCells*>(chunk);
        for (size_t i = kRoomsPerChunk; i-- > 0;) free_.push_back(rooms + i);
    }

    std::mutex mutex_;
    std::vector<RoomCells*> free_;
    std::vector<void*> chunks_;
};

CellsPool& cellsPool() {
    static CellsPool* const pool = new CellsPool;  // outlives every castle, even static ones
    return *pool;
}

using OwnCells = std::unique_ptr<RoomCells, void (*)(RoomCells*)>;

OwnCells makeBlank(int32_t picture) {
    OwnCells cells(cellsPool().take(), [](RoomCells* c) { cellsPool().give(c); });
    for (auto* layer : {&cells->objectLayer, &cells->verticalLayer})
        for (CellRecord& r : *layer) {
            r.reset();
            r.picture = picture;
        }
    cells->walkwayLayer.fill(kEmpty);
    cells->camouflageLayer.fill(0);
    return cells;
}

}  // namespace

const RoomCells& Room::blankCells(BlankRoom blank) {
    if (blank == BlankRoom::Cleared) {
        static const OwnCells cleared = makeBlank(kEmpty);
        return *cleared;
    }
    static const OwnCells fresh = makeBlank(0);
    return *fresh;
}

void Room::GiveBack::operator()(RoomCells* cells) const noexcept { cellsPool().give(cells); }

std::unique_ptr<RoomCells, Room::GiveBack> Room::takeCells() {
    return std::unique_ptr<RoomCells, GiveBack>(cellsPool().take());
}

RoomCells& Room::ownCells() {
    own_ = takeCells();
    std::memcpy(static_cast<void*>(own_.get()), &blankCells(blank_), sizeof(RoomCells));
    view_ = own_.get();
    return *own_;
}

void Room::holdCellsToOverwrite() {
    if (own_) return;
    own_ = takeCells();
    own_->verticalLayer = blankCells(blank_).verticalLayer;
    view_ = own_.get();
}

void Room::releaseCells(BlankRoom blank) {
    own_.reset();
    blank_ = blank;
    view_ = &blankCells(blank);
}

Room::Room(const Room& other)
    : roomMapRect(other.roomMapRect),
      roomColour(other.roomColour),
      roomInUse(other.roomInUse),
      roomObjectCount(other.roomObjectCount),
      own_(other.own_ ? takeCells() : nullptr),
      blank_(other.blank_) {
    if (own_) std::memcpy(static_cast<void*>(own_.get()), other.own_.get(), sizeof(RoomCells));
    view_ = own_ ? own_.get() : &blankCells(blank_);
}

Room::Room(Room&& other) noexcept
    : roomMapRect(other.roomMapRect),
      roomColour(other.roomColour),
      roomInUse(other.roomInUse),
      roomObjectCount(other.roomObjectCount),
      own_(std::move(other.own_)),
      blank_(other.blank_),
      view_(own_ ? own_.get() : &blankCells(blank_)) {
    other.view_ = &blankCells(other.blank_);
}

Room& Room::operator=(Room&& other) noexcept {
    if (this == &other) return *this;
    roomMapRect = other.roomMapRect;
    roomColour = other.roomColour;
    roomInUse = other.roomInUse;
    roomObjectCount = other.roomObjectCount;
    own_ = std::move(other.own_);
    blank_ = other.blank_;
    view_ = own_ ? own_.get() : &blankCells(blank_);
    other.view_ = &blankCells(other.blank_);
    return *this;
}

Room& Room::operator=(const Room& other) {
    if (this == &other) return *this;
    roomMapRect = other.roomMapRect;
    roomColour = other.roomColour;
    roomInUse = other.roomInUse;
    roomObjectCount = other.roomObjectCount;
    blank_ = other.blank_;
    if (!other.own_)
        own_.reset();
    else {
        if (!own_) own_ = takeCells();  // a snapshot taken again keeps its block
        std::memcpy(static_cast<void*>(own_.get()), other.own_.get(), sizeof(RoomCells));
    }
    view_ = own_ ? own_.get() : &blankCells(blank_);
    return *this;
}

bool sameRoom(const Room& a, const Room& b) {
    const MapRect& p = a.roomMapRect;
    const MapRect& q = b.roomMapRect;
    if (p.left != q.left || p.top != q.top || p.right != q.right || p.bottom != q.bottom) return false;
    if (a.roomColour != b.roomColour || a.roomInUse != b.roomInUse || a.roomObjectCount != b.roomObjectCount)
        return false;
    if (!a.holdsCells() && !b.holdsCells() && a.blank() == b.blank()) return true;
    return std::memcmp(a.objectLayer().data(), b.objectLayer().data(), sizeof(Room::RecordLayer)) == 0 &&
           std::memcmp(a.verticalLayer().data(), b.verticalLayer().data(), sizeof(Room::RecordLayer)) == 0 &&
           a.walkwayLayer() == b.walkwayLayer() && a.camouflageLayer() == b.camouflageLayer();
}

int CastleModel::roomsHoldingCells() const {
    int n = 0;
    for (const Room& room : rooms) n += room.holdsCells() ? 1 : 0;
    return n;
}

std::unique_ptr<CastleModel> allocateCells() { return std::make_unique<CastleModel>(); }

void clearRoom(CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    room.roomObjectCount.fill(0);
    room.roomColour = 2;
    // A fresh blank room already is what this leaves.
    if (!room.holdsCells() && room.blank() == BlankRoom::Fresh) return;
    Room::RecordLayer& objects = room.objectLayer();
    Room::RecordLayer& verticals = room.verticalLayer();
    for (int i = 0; i < kCellsPerRoom; ++i) {
        objects[i].reset();  // picture stays 0 here, unlike a castle clear
        room.walkwayLayer()[i] = kEmpty;
        verticals[i].type = kEmpty;
        room.camouflageLayer()[i] = 0;
    }
}

void resetRoomRecords(CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    room.roomObjectCount.fill(0);
    room.releaseCells(BlankRoom::Cleared);
}

void dropStaleMarkers(Room& room) {
    const Room& look = room;  // looking alone gives a blank room no cells
    for (int i = 0; i < kCellsPerRoom; ++i) {
        const int32_t type = look.objectLayer()[i].type;
        if (!isCoveredMarker(type)) continue;
        const int index = type - kCoveredBase;
        const int ax = index / 40, ay = index % 40;
        if (isInsideRoom(ax, ay) && isObjectType(look.object(ax, ay).type)) continue;
        room.objectLayer()[i].reset();
    }
}

void clearCastleRecords(CastleModel& castle) {
    // What clearRoom does to each room, then every record reset in full: the
    // rooms give their cells back and read as cleared blank rooms.
    for (int r = 0; r < kRooms; ++r) {
        Room& room = castle.room(r);
        room.roomColour = 2;
        room.roomInUse = 0;
        resetRoomRecords(castle, r);
    }
    castle.castleTitle = "<NO CASTLE LOADED>";
    castle.currentRoom = 0;
}

namespace {

bool isRunType(int32_t t) {
    return t == kLadder || t == kSlidingPole || t == kGunRailLeft || t == kGunRailRight;
}

// Works on the types alone where it can: a record is 344 bytes, so reading a
// type from the records costs a cache line per cell. Nothing here changes a type.
void recountWithTypes(Room& room, const int32_t* object, const int32_t* vertical) {
    auto& counter = room.roomObjectCount;
    counter.fill(0);

    // The cells holding an object, in scan order (index = y * 40 + x).
    std::array<int16_t, kCellsPerRoom> objectCells;
    std::array<int16_t, kCellsPerRoom> verticalCells;
    int objects = 0;
    int verticals = 0;
    bool camouflageRecords = false;
    for (int i = 0; i < kCellsPerRoom; ++i) {
        objectCells[static_cast<size_t>(objects)] = static_cast<int16_t>(i);
        objects += isObjectType(object[i]) ? 1 : 0;
        verticalCells[static_cast<size_t>(verticals)] = static_cast<int16_t>(i);
        verticals += isObjectType(vertical[i]) ? 1 : 0;
        camouflageRecords |= object[i] == kCamouflage;
    }
    auto isRunTop = [&](int i) { return i < kColumns || vertical[i - kColumns] != vertical[i]; };

    // Vertical runs: the top cell carries the run's length. Cells below the
    // top carry 0, so a run extended upwards is not compiled twice.
    for (int k = 0; k < verticals; ++k) {
        const int i = verticalCells[static_cast<size_t>(k)];
        const int32_t t = vertical[i];
        if (!isRunType(t)) continue;
        CellRecord& rec = room.verticalLayer()[static_cast<size_t>(i)];
        if (!isRunTop(i)) {
            rec.length = 0;
            continue;
        }
        int n = 0;
        for (int j = i; j < kCellsPerRoom && vertical[j] == t; j += kColumns) ++n;
        rec.length = n;
    }

    // Lightning machines measure the suspension hanging over their middle column;
    // without one their length is 0 (a removed suspension must not be compiled).
    for (int k = 0; k < objects; ++k) {
        const int i = objectCells[static_cast<size_t>(k)];
        if (object[i] != 13 && object[i] != 40) continue;
        const int x = i % kColumns;
        const int y = i / kColumns;
        int n = 0;
        if (y >= 1 && x < kColumns - 1) {
            while (y - 1 - n >= 0 && object[(y - 1 - n) * kColumns + x + 1] == 11) ++n;
        }
        room.objectLayer()[static_cast<size_t>(i)].length = n;
    }

    // Counting in scan order. Camouflage cells only add to counter 26, so
    // their order matters only when records of type 26 take an ordinal from it.
    auto countObject = [&](int i) {
        const int t = object[i];
        CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
        if (t == 2) {
            rec.ordinal = counter[2];
            counter[2] += rec.usedLinkCount();
        } else if (t == 40) {
            ++counter[13];
        } else {
            rec.ordinal = counter[static_cast<size_t>(t)]++;
        }
    };
    const Room::ValueLayer& camouflage = std::as_const(room).camouflageLayer();
    if (camouflageRecords) {
        for (int i = 0; i < kCellsPerRoom; ++i) {
            if (camouflage[static_cast<size_t>(i)] == 1) ++counter[26];
            if (isObjectType(object[i])) countObject(i);
        }
    } else {
        int patches = 0;
        for (int32_t c : camouflage) patches += c == 1 ? 1 : 0;
        counter[26] = patches;
        for (int k = 0; k < objects; ++k) countObject(objectCells[static_cast<size_t>(k)]);
    }

    for (int k = 0; k < verticals; ++k) {
        const int i = verticalCells[static_cast<size_t>(k)];
        const int32_t t = vertical[i];
        if (isRunType(t) && isRunTop(i)) room.verticalLayer()[static_cast<size_t>(i)].ordinal = counter[static_cast<size_t>(t)]++;
    }

    for (int k = 0; k < objects; ++k) {
        const int i = objectCells[static_cast<size_t>(k)];
        CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
        rec.typeCount = counter[static_cast<size_t>(object[i])];
        rec.x = i % kColumns;
        rec.y = i / kColumns;
    }
    for (int k = 0; k < verticals; ++k) {
        const int i = verticalCells[static_cast<size_t>(k)];
        CellRecord& rec = room.verticalLayer()[static_cast<size_t>(i)];
        rec.typeCount = counter[static_cast<size_t>(vertical[i])];
        rec.x = i % kColumns;
        rec.y = i / kColumns;
    }
}

}  // namespace

void gatherRoomTypes(const Room& room, RoomTypes& out) {
    // Asking ahead keeps more loads in flight; every 12 records cross a 4 KiB page.
    constexpr size_t kAhead = 24;
    const Room::RecordLayer& objects = room.objectLayer();
    const Room::RecordLayer& verticals = room.verticalLayer();
    for (size_t i = 0; i < kCellsPerRoom; ++i) {
        if (i + kAhead < kCellsPerRoom) {
            __builtin_prefetch(&objects[i + kAhead]);
            __builtin_prefetch(&verticals[i + kAhead]);
        }
        out.object[i] = objects[i].type;
        out.mark[i] = objects[i].mark;
        out.vertical[i] = verticals[i].type;
    }
}

void recountRoom(CastleModel& castle, int roomIndex, const RoomTypes& types) {
    if (!isValidRoom(roomIndex)) return;
    recountWithTypes(castle.room(roomIndex), types.object.data(), types.vertical.data());
}

void recountRoom(CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    const Room::RecordLayer& objects = std::as_const(room).objectLayer();
    const Room::RecordLayer& verticals = std::as_const(room).verticalLayer();
    std::array<int32_t, kCellsPerRoom> object;
    std::array<int32_t, kCellsPerRoom> vertical;
    for (size_t i = 0; i < kCellsPerRoom; ++i) {
        object[i] = objects[i].type;
        vertical[i] = verticals[i].type;
    }
    recountWithTypes(room, object.data(), vertical.data());
}

int countObjects(const CastleModel& castle, int roomIndex, int type) {
    if (!isValidRoom(roomIndex)) return 0;
    int n = 0;
    for (const CellRecord& rec : castle.room(roomIndex).objectLayer()) n += rec.type == type ? 1 : 0;
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
