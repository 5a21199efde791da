#include "gamedata/castle_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/compiler.h"
#include "gamedata/program_layout.h"

namespace grusk {

namespace {

// Every placement recounts its room. A damaged or hostile file may repeat
// lists without end (and point all 64 rooms at them), so the placements and
// walkway shapings are bounded by the file's size. The compiler's richest
// entry, a ladder run, is three bytes for at most 25 placements, and no two
// rooms share data: ten per byte reads any program it writes whole. Shaping
// a room's walkways costs about as much as 25 placements; the compiler
// writes one walkway list per room, which the header and the end-room data
// alone pay for.
constexpr long long kWorkPerByte = 10;
constexpr long long kShapingWork = 25;

long long workBudget(size_t size) { return kWorkPerByte * static_cast<long long>(size); }

// How the reading of a room's lists ended.
enum class ListsEnd { Closed, DataEnded, OutOfWork };

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size, long long offset) : data_(data), size_(size) {
        pos_ = offset < 0 ? size : static_cast<size_t>(offset) > size ? size : static_cast<size_t>(offset);
    }
    bool byte(int& v) {
        if (pos_ >= size_) return false;
        v = data_[pos_++];
        return true;
    }
    bool skip(size_t n) {
        if (size_ - pos_ < n) {
            pos_ = size_;
            return false;
        }
        pos_ += n;
        return true;
    }
    bool cell(int& column, int& row) {
        int xb = 0, yb = 0;
        if (!byte(xb) || !byte(yb)) return false;
        column = columnOfXByte(xb);
        row = rowOfYByte(yb);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_;
};

// Reads one room's lists. Placing an object recounts the room, which makes a
// program of 64 full rooms take thousands of recounts. In the quick mode,
// for a room that starts empty, placements only write and keep the counts the
// automatic numbers need; the room is recounted once at the end. That gives
// the same room as long as no placement lands on an object or joins a run of
// the same type from above: those records would keep what the recount after
// each placement wrote into them. Such a placement ends the quick reading
// (aborted()), and the room is read again the careful way.
class RoomListReader {
public:
    RoomListReader(CastleModel& castle, ByteReader& in, long long& budget, bool quick)
        : castle_(castle), room_(castle.current()), in_(in), budget_(budget), quick_(quick) {}

    bool aborted() const { return aborted_; }

    ListsEnd run() {
        for (;;) {
            int code = 0, high = 0;
            if (!in_.byte(code) || !in_.byte(high)) return ListsEnd::DataEnded;
            if (code == 0 && high == 0) return ListsEnd::Closed;
            if (!list(code)) return outOfWork_ ? ListsEnd::OutOfWork : ListsEnd::DataEnded;
        }
    }

private:
    CastleModel& castle_;
    Room& room_;
    ByteReader& in_;
    long long& budget_;
    const bool quick_;
    bool aborted_ = false;
    bool outOfWork_ = false;
    // Quick mode: anchors in the object layer and tops of vertical runs placed
    // so far, by type (what the recount would count).
    std::array<int, kObjectTypes> anchors_{};
    std::array<int, kObjectTypes> runTops_{};

    bool spend(long long work = 1) {
        if (budget_ < work) {
            budget_ = 0;
            outOfWork_ = true;
            return false;
        }
        budget_ -= work;
        return true;
    }

    // false when the work budget has run out or the quick reading gave up.
    bool place(int type, int x, int y, int number = -1) {
        if (!isInsideRoom(x, y)) return true;  // refused without any work
        if (!spend()) return false;
        if (quick_) return placeQuickly(type, x, y, number);
        placeObject(castle_, type, x, y, number);
        return true;
    }

    bool giveUp() {
        aborted_ = true;
        return false;
    }

    // placeObject without the recount; the automatic number is what the
    // recount would have given: the count of the type's objects, less one.
    bool placeQuickly(int type, int x, int y, int number) {
        if (isVerticalType(type)) {
            // A run placed again (rails shared by two guns) changes nothing but the number.
            const int before = room_.vertical(x, y).type;
            if (before != type) {
                if (isObjectType(before)) return giveUp();
                if (y + 1 < kRows && room_.vertical(x, y + 1).type == type) return giveUp();
                if (y == 0 || room_.vertical(x, y - 1).type != type) ++runTops_[static_cast<size_t>(type)];
            }
            CellRecord* placed = placeObjectNoRecount(castle_, type, x, y, true);
            placed->number = static_cast<int8_t>(number >= 0 ? number : runTops_[static_cast<size_t>(type)] - 1);
            return true;
        }
        // Types whose count is not their number of anchors are not placed by
        // the lists without a number; anything else takes the careful way.
        const bool plainCount = type != kDoorBell && type != kLightningMachine && type != kPicLightningOff;
        if (!isObjectType(type) || type == kCamouflage || (type >= kWalkway && type <= kWalkwaySlideM) ||
            (number < 0 && !plainCount))
            return giveUp();
        const bool force = number >= 0;
        const Size s = placementCells(type);
        if (!isInsideRoom(x + s.width - 1, y + s.height - 1)) return true;  // refused, nothing written
        // Forced placements may cover markers and may be repeated on their own
        // anchor (a bell linked to two doors is listed twice), but not cover
        // another object.
        for (int by = y; by < y + s.height; ++by)
            for (int bx = x; bx < x + s.width; ++bx) {
                const int t = room_.object(bx, by).type;
                if (force && isObjectType(t) && !(bx == x && by == y && t == type)) return giveUp();
                if (!force && t != kEmpty) return true;  // refused, nothing written
            }
        const bool newAnchor = room_.object(x, y).type != type;
        CellRecord* placed = placeObjectNoRecount(castle_, type, x, y, force);
        if (newAnchor) ++anchors_[static_cast<size_t>(type)];
        placed->number = static_cast<int8_t>(force ? number : anchors_[static_cast<size_t>(type)] - 1);
        return true;
    }

    // The object of that type anchored at the cell, if any.
    CellRecord* anchor(int type, int x, int y) {
        if (!isInsideRoom(x, y)) return nullptr;
        CellRecord& rec = room_.object(x, y);
        return rec.type == type ? &rec : nullptr;
    }

    // The first free link slot, or the last one when all are used.
    static int freeSlot(const CellRecord& rec) {
        for (int s = 0; s < kLinkSlots; ++s)
            if (rec.links[s][0] == -1) return s;
        return kLinkSlots - 1;
    }

    static void setLink(CellRecord& rec, int slot, int x, int y) {
        rec.links[slot][0] = x;
        rec.links[slot][1] = y;
        rec.mark = kMarkPlain;
    }

    // Links the source to every Door of the room whose number has these low 8 bits.
    void linkDoorsNumbered(CellRecord& source, int number) {
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x) {
                const CellRecord& d = room_.object(x, y);
                if (d.type == kDoor && (d.number & 0xFF) == number) setLink(source, freeSlot(source), x, y);
            }
    }

    bool list(int code) {
        switch (code) {
            case kListDoor: return doors();
            case kListWalkway: return walkways();
            case kListSlide: return verticalRuns(kSlidingPole);
            case kListLadder: return verticalRuns(kLadder);
            case kListDoorBell: return doorBells();
            case kListLightning: return lightning();
            case kListForceField: return forceFields();
            case kListMummy: return mummies();
            case kListKey: return keys();
            case kListLock: return locks();
            case kListRayGun: return rayGuns();
            case kListTransmitter: return transmitter();
            case kListTrap: return traps();
            case kListConveyor: return conveyors();
            case kListFrankie: return frankensteins();
            case kListText: return texts();
            default: return true;  // unknown code: only its tag is consumed
        }
    }

    bool doors() {
        int count = 0;
        if (!in_.byte(count)) return false;
        for (int i = 0; i < count; ++i) {
            int x = 0, y = 0;
            if (!in_.cell(x, y) || !place(kDoor, x, y, i)) return false;
            int f[6] = {};
            for (int& v : f)
                if (!in_.byte(v)) return false;
            CellRecord* d = anchor(kDoor, x, y);
            if (!d) continue;
            d->direction = f[0];
            d->destRoom = f[1];
            d->destDoor = f[2];
            d->mapX = f[3];
            d->mapY = f[4];
            d->variant = f[5];
            d->picture = f[5] == 0 ? kDoor : kExitDoor;
        }
        return true;
    }

    bool walkways() {
        for (;;) {
            int n = 0, x = 0, y = 0;
            if (!in_.byte(n)) return false;
            if (n == 0) break;
            if (!in_.cell(x, y)) return false;
            // Placing a walkway only sets its layer cell, which no count depends on.
            for (int j = 0; j < n && x + j < kColumns; ++j)
                if (isInsideRoom(x + j, y)) room_.walkway(x + j, y) = kWalkway;
        }
        if (!spend(kShapingWork)) return false;
        shapeWalkways(castle_, castle_.currentRoom);
        return true;
    }

    bool verticalRuns(int type) {
        for (;;) {
            int n = 0, x = 0, y = 0;
            if (!in_.byte(n)) return false;
            if (n == 0) return true;
            if (!in_.cell(x, y)) return false;
            for (int j = 0; j < n; ++j)
                if (!place(type, x, y + j)) return false;
        }
    }

    bool doorBells() {
        int count = 0;
        if (!in_.byte(count)) return false;
        for (int i = 0; i < count; ++i) {
            int x = 0, y = 0, k = 0;
            if (!in_.cell(x, y) || !in_.byte(k) || !place(kDoorBell, x, y, i)) return false;
            if (CellRecord* bell = anchor(kDoorBell, x, y)) linkDoorsNumbered(*bell, k);
        }
        return true;
    }

    bool lightning() {
        int machines = 0;
        for (;;) {
            int flag = 0;
            if (!in_.byte(flag)) return false;
            if (flag == 0x20) return true;
            int x = 0, y = 0;
            if (!in_.cell(x, y)) return false;
            if (flag == kMachineOff || flag == kMachineOn) {
                int n = 0;
                if (!in_.byte(n)) return false;
                if (x > 0) {
                    if (!place(kLightningMachine, x - 1, y + n, machines)) return false;
                    if (flag == kMachineOff && anchor(kLightningMachine, x - 1, y + n))
                        toggleObjectState(castle_, x - 1, y + n);
                }
                for (int j = 0; j < n; ++j)
                    if (!place(kLightningSuspension, x, y + j)) return false;
                ++machines;
                if (!in_.skip(4)) return false;
            } else {
                if (!place(kLightningSwitch, x, y)) return false;
                CellRecord* sw = anchor(kLightningSwitch, x, y);
                if (sw && flag == kSwitchOff) toggleObjectState(castle_, x, y);
                if (!in_.skip(1)) return false;
                for (int slot = 0; slot < 4; ++slot) {
                    int b = 0;
                    if (!in_.byte(b)) return false;
                    // $FF marks a free slot; it names no machine.
                    if (!sw || b == kFreeSwitchSlot) continue;
                    for (int i = 0; i < kCellsPerRoom; ++i) {
                        const CellRecord& m = room_.objectLayer()[static_cast<size_t>(i)];
                        if (m.type != kLightningMachine || (m.number & 0xFF) != (b >> 3)) continue;
                        // A machine's recorded position is its cell once it has been
                        // recounted; the quick mode recounts only at the end.
                        if (quick_)
                            setLink(*sw, slot, i % kColumns, i / kColumns);
                        else
                            setLink(*sw, slot, m.x, m.y);
                    }
                }
            }
        }
    }

    bool forceFields() {
        for (;;) {
            int xb = 0, yb = 0;
            if (!in_.byte(xb)) return false;
            if (xb == 0) return true;
            if (!in_.byte(yb)) return false;
            const int sx = columnOfXByte(xb), sy = rowOfYByte(yb);
            int fx = 0, fy = 0;
            if (!place(kForceFieldSwitch, sx, sy, 1) || !in_.cell(fx, fy) || !place(kForceField, fx, fy))
                return false;
            CellRecord* field = anchor(kForceField, fx, fy);
            if (field && isInsideRoom(sx, sy)) setLink(*field, 0, sx, sy);
        }
    }

    bool mummies() {
        for (;;) {
            int flag = 0;
            if (!in_.byte(flag)) return false;
            if (flag == 0) return true;
            int sx = 0, sy = 0, mx = 0, my = 0;
            if (!in_.cell(sx, sy) || !place(kMummySwitch, sx, sy) || !in_.cell(mx, my) || !place(kMummy, mx, my))
                return false;
            CellRecord* mummy = anchor(kMummy, mx, my);
            if (mummy && isInsideRoom(sx, sy)) setLink(*mummy, 0, sx, sy);
            if (!in_.skip(2)) return false;
        }
    }

    static bool isKeyColour(int c) { return c >= 1 && c <= 7; }

    bool keys() {
        for (;;) {
            int colour = 0, x = 0, y = 0;
            if (!in_.byte(colour)) return false;
            if (colour == 0) return true;
            if (!in_.skip(1) || !in_.cell(x, y) || !place(kKey, x, y)) return false;
            if (CellRecord* key = anchor(kKey, x, y)) {
                key->colour = colour;
                if (isKeyColour(colour)) key->picture = colour * 2 + 41;
            }
        }
    }

    bool locks() {
        for (;;) {
            int colour = 0, door = 0, x = 0, y = 0;
            if (!in_.byte(colour)) return false;
            if (colour == 0) return true;
            if (!in_.skip(1) || !in_.byte(door) || !in_.cell(x, y) || !place(kLock, x, y)) return false;
            if (CellRecord* lock = anchor(kLock, x, y)) {
                linkDoorsNumbered(*lock, door);
                lock->colour = colour;
                if (isKeyColour(colour)) lock->picture = colour * 2 + 42;
            }
        }
    }

    bool rayGuns() {
        for (;;) {
            int side = 0, rx = 0, ry = 0, n = 0, gunY = 0, cx = 0, cy = 0;
            if (!in_.byte(side)) return false;
            if (side == 0x80) return true;
            if (!in_.cell(rx, ry) || !in_.byte(n)) return false;
            const bool left = side == 0;
            for (int j = 0; j < n; ++j)
                if (!place(left ? kGunRailLeft : kGunRailRight, rx, ry + j)) return false;
            if (!in_.byte(gunY)) return false;
            const int gx = left ? rx + 1 : rx - 2;
            const int gy = rowOfYByte(gunY);
            if (!place(left ? kGunLeft : kGunRight, gx, gy) || !in_.cell(cx, cy) || !place(kGunControl, cx, cy))
                return false;
            CellRecord* control = anchor(kGunControl, cx, cy);
            if (control && isInsideRoom(gx, gy)) setLink(*control, 0, gx, gy);
        }
    }

    bool transmitter() {
        int tx = 0, ty = 0;
        if (!in_.cell(tx, ty) || !place(kTransmitter, tx, ty) || !in_.skip(1)) return false;
        for (int i = 0;; ++i) {
            int xb = 0, yb = 0;
            if (!in_.byte(xb)) return false;
            if (xb == 0) return true;
            if (!in_.byte(yb)) return false;
            const int x = columnOfXByte(xb), y = rowOfYByte(yb);
            if (!place(kTransmitterTarget, x, y, i & 0xFF)) return false;
            CellRecord* t = anchor(kTransmitter, tx, ty);
            if (t && i < kLinkSlots && isInsideRoom(x, y)) setLink(*t, i, x, y);
        }
    }

    bool traps() {
        for (;;) {
            int flag = 0, tx = 0, ty = 0, sx = 0, sy = 0;
            if (!in_.byte(flag)) return false;
            if (flag == 0x80) return true;
            if (!in_.cell(tx, ty) || !place(kTrap, tx, ty) || !in_.cell(sx, sy) || !place(kTrapSwitch, sx, sy))
                return false;
            CellRecord* trap = anchor(kTrap, tx, ty);
            CellRecord* sw = anchor(kTrapSwitch, sx, sy);
            if (flag == 0 || flag == 1) {
                const bool open = flag == 1;
                if (sw) sw->picture = open ? kPicTrapSwitchOpen : kPicTrapSwitchClosed;
                if (trap) {
                    trap->picture = open ? kTrap : kPicTrapClosed;
                    trap->variant = open ? 0 : 1;
                }
            }
            if (trap && isInsideRoom(sx, sy)) setLink(*trap, 0, sx, sy);
        }
    }

    bool conveyors() {
        for (;;) {
            int flag = 0, cx = 0, cy = 0, sx = 0, sy = 0;
            if (!in_.byte(flag)) return false;
            if (flag == 0x80) return true;
            if (!in_.cell(cx, cy) || !place(kConveyor, cx, cy) || !in_.cell(sx, sy) ||
                !place(kConveyorSwitch, sx, sy))
                return false;
            CellRecord* sw = anchor(kConveyorSwitch, sx, sy);
            CellRecord* conveyor = anchor(kConveyor, cx, cy);
            if (sw && conveyor) setLink(*sw, 0, cx, cy);
            // Every switch of a conveyor repeats its state: set it, never step
            // it, so a second switch does not turn the belt round.
            if (flag != 1 && flag != 3) continue;
            if (conveyor) {
                conveyor->variant = flag == 1 ? 2 : 1;
                conveyor->picture = flag == 1 ? kPicConveyorRight : kPicConveyorLeft;
            }
            if (sw) sw->picture = flag == 1 ? kPicConveyorSwitchRight : kPicConveyorSwitchLeft;
        }
    }

    bool frankensteins() {
        for (;;) {
            int flag = 0, x = 0, y = 0;
            if (!in_.byte(flag)) return false;
            if (flag == 0x80) return true;
            if (!in_.cell(x, y) || !place(kFrankenstein, x, y)) return false;
            if (flag != 0 && anchor(kFrankenstein, x, y)) toggleObjectState(castle_, x, y);
            if (!in_.skip(4)) return false;
        }
    }

    bool texts() {
        for (;;) {
            int xb = 0, yb = 0, colour = 0, style = 0;
            if (!in_.byte(xb)) return false;
            if (xb == 0) return true;
            if (!in_.byte(yb) || !in_.byte(colour) || !in_.byte(style)) return false;
            const int x = columnOfXByte(xb), y = rowOfYByte(yb);
            // Characters up to the one with bit 7 set; a style byte with bit 7 ends the text at once.
            std::string text;
            bool ended = false;
            for (int last = style; last < 0x80;) {
                if (!in_.byte(last)) return false;
                const char c = static_cast<char>(last & 0x7F);
                if (c == '\0') ended = true;
                if (!ended && text.size() < static_cast<size_t>(kTextSize - 1)) text.push_back(c);
            }
            if (!text.empty() && text[0] == ' ') {
                for (int row = y; row <= y + (style - kTextSingleHeight); ++row)
                    for (int j = 0; j < static_cast<int>(text.size()); ++j) {
                        if (isInsideRoom(x + 2 * j, row)) room_.camouflage(x + 2 * j, row) = 1;
                        if (isInsideRoom(x + 2 * j + 1, row)) room_.camouflage(x + 2 * j + 1, row) = 2;
                    }
                continue;
            }
            if (!place(kText, x, y)) return false;
            if (CellRecord* t = anchor(kText, x, y)) {
                setRecordText(*t, text);
                t->variant = style - kTextSingleHeight;
                t->colour = colour;
            }
        }
    }
};

// roomIsClear: the room is as clearing the castle left it, so that it can be
// read quickly and be put back that way when the quick reading gives up.
ListsEnd readLists(CastleModel& castle, int room, const uint8_t* data, size_t size, long long offset,
                   long long& budget, bool roomIsClear) {
    if (!isValidRoom(room)) return ListsEnd::Closed;
    castle.currentRoom = room;
    if (roomIsClear) {
        const long long budgetBefore = budget;
        ByteReader in(data, size, offset);
        RoomListReader quick(castle, in, budget, true);
        const ListsEnd end = quick.run();
        if (!quick.aborted()) {
            recountRoom(castle, room);
            return end;
        }
        resetRoomRecords(castle, room);
        budget = budgetBefore;
    }
    ByteReader in(data, size, offset);
    const ListsEnd end = RoomListReader(castle, in, budget, false).run();
    // Camouflage and links were written directly; bring the counts up to date.
    recountRoom(castle, room);
    return end;
}

ProgramRead readProgram(CastleModel& castle, const uint8_t* data, size_t size, RoomReading reading) {
    CastleSettings& s = castle.settings;
    auto at = [&](size_t offset, uint8_t& field) {
        if (offset < size) field = data[offset];
    };
    for (int p = 0; p < 2; ++p) {
        at(kHeaderStartRoomOffset[p], s.playerStartRoom[p]);
        at(kHeaderStartDoorOffset[p], s.playerStartDoor[p]);
        at(kHeaderLivesOffset[p], s.playerLives[p]);
    }

    long long budget = workBudget(size);
    size_t entry = kRoomTableOffset;
    int rooms = 0;
    int damagedAt = -1;
    for (int r = 0; r < kRooms; ++r, entry += kRoomEntrySize) {
        // A table that the file cuts off, a room whose data lies outside the
        // file or lists that stop before their end: the rooms from there on
        // are not shown as rooms in use.
        if (entry >= size || (data[entry] != kRoomTableEnd && data[entry] != kRoomTableEndAlt &&
                              size - entry < kRoomEntrySize)) {
            damagedAt = r;
            break;
        }
        const uint8_t colour = data[entry];
        if (colour == kRoomTableEnd || colour == kRoomTableEndAlt) break;
        const uint8_t* e = data + entry;
        const long address = e[kRoomEntryData] | (e[kRoomEntryData + 1] << 8);
        const long offset = offsetOfC64Address(address);
        if (offset < 0 || static_cast<size_t>(offset) >= size) {
            damagedAt = r;
            break;
        }
        Room& room = castle.room(r);
        room.roomColour = roomColourByte(colour);
        MapRect& m = room.roomMapRect;
        m.left = e[kRoomEntryMapX] * 4 - 64;
        m.top = e[kRoomEntryMapY] * 2;
        m.right = m.left + (e[kRoomEntryMapSize] >> 3) * kMapCellPixels;
        m.bottom = m.top + (e[kRoomEntryMapSize] & 7) * kMapCellPixels;
        // Clearing the castle emptied the room; nothing has been read into it yet.
        const ListsEnd end = readLists(castle, r, data, size, offset, budget, reading == RoomReading::Quick);
        // A room read in part keeps what it holds.
        room.roomInUse = 1;
        rooms = r + 1;
        shapeWalkways(castle, r);
        if (end != ListsEnd::Closed) {
            damagedAt = r;
            break;
        }
    }
    if (damagedAt < 0 && size > kRoomTableOffset) {
        // The end-room data follows the last room; its address must lead to all of it.
        const long address = data[kHeaderEndRoomAddressOffset] | (data[kHeaderEndRoomAddressOffset + 1] << 8);
        const long offset = offsetOfC64Address(address);
        if (offset < static_cast<long>(kRoomTableOffset) || static_cast<size_t>(offset) + kEndRoomSize > size)
            damagedAt = rooms;
    }

    renumberObjects(castle);
    castle.currentRoom = 0;
    shapeWalkways(castle, 0);
    return ProgramRead{rooms, damagedAt};
}

}  // namespace

std::optional<std::vector<uint8_t>> readCastleProgramFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t chunk[16384];
    while (bytes.size() < kMaxProgramFileRead) {
        const size_t want = std::min(sizeof chunk, kMaxProgramFileRead - bytes.size());
        const size_t n = std::fread(chunk, 1, want, f);
        if (n == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(f);
    return bytes;
}

std::string programDamageLine(int room) {
    return "Error: castle program damaged at room " + std::to_string(room + 1) + ".";
}

void readRoomLists(CastleModel& castle, int room, const uint8_t* data, size_t size, long long offset) {
    long long budget = workBudget(size);
    readLists(castle, room, data, size, offset, budget, false);
}

ProgramRead readCastleProgramBytes(CastleModel& castle, const uint8_t* data, size_t size, RoomReading reading) {
    clearCastleRecords(castle);
    return readProgram(castle, data, size, reading);
}

ProgramRead readCastleProgramIntoClearedCastle(CastleModel& castle, const uint8_t* data, size_t size,
                                               RoomReading reading) {
    return readProgram(castle, data, size, reading);
}

}  // namespace grusk
