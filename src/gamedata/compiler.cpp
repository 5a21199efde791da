#include "gamedata/compiler.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/program_layout.h"
#include "model/safe_file.h"

namespace grusk {

namespace {

namespace fs = std::filesystem;

// Model values may hold anything a file brought in; only their low 8 bits are
// written, computed without overflow.
uint8_t low8(long long v) { return static_cast<uint8_t>(static_cast<unsigned long long>(v) & 0xFFu); }

class ProgramWriter {
public:
    explicit ProgramWriter(std::vector<uint8_t>& out) : out_(out) {}

    void byte(long long v) { out_.push_back(low8(v)); }
    void position(long long column, long long row) {
        byte(column * 4 + 16);
        byte(row * 8);
    }
    void tag(int code) {
        byte(code);
        byte(kListTagHigh);
    }
    size_t placeholder() {
        out_.push_back(0);
        return out_.size() - 1;
    }
    void patch(size_t at, long long v) { out_[at] = low8(v); }

private:
    std::vector<uint8_t>& out_;
};

void putWord(std::vector<uint8_t>& out, size_t at, long long v) {
    out[at] = low8(v);
    out[at + 1] = low8(v >> 8);
}

// The record a link slot names, when the slot is used and lies inside the room.
const CellRecord* linkedRecord(const Room& room, const CellRecord& source, int slot) {
    const int lx = source.links[slot][0];
    const int ly = source.links[slot][1];
    if (lx == -1 || !isInsideRoom(lx, ly)) return nullptr;
    return &room.object(lx, ly);
}

bool isWalkwayPiece(int v) { return v >= kWalkway && v <= kWalkwaySlideM; }

template <typename F>
void forEachCell(F&& f) {
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) f(x, y);
}

// The cells of one record layer grouped by the type they hold, each group in
// scan order, gathered in one pass: a record is 344 bytes, so every list
// walking all 1000 cells would load a cache line per cell.
class CellIndex {
public:
    explicit CellIndex(const std::array<CellRecord, kCellsPerRoom>& layer) : types_(own_) {
        for (int i = 0; i < kCellsPerRoom; ++i) own_[static_cast<size_t>(i)] = layer[static_cast<size_t>(i)].type;
        group();
    }
    // Types gathered beforehand; they must outlive the index.
    explicit CellIndex(const std::array<int32_t, kCellsPerRoom>& types) : types_(types) { group(); }
    CellIndex(const CellIndex&) = delete;
    CellIndex& operator=(const CellIndex&) = delete;

    int32_t type(int x, int y) const { return types_[static_cast<size_t>(y * kColumns + x)]; }
    int32_t type(int i) const { return types_[static_cast<size_t>(i)]; }
    int count(int type) const { return start_[static_cast<size_t>(type) + 1] - start_[static_cast<size_t>(type)]; }
    // The cells holding the type in scan order: cell(first(type)) and the
    // count(type) - 1 after it.
    int first(int type) const { return start_[static_cast<size_t>(type)]; }
    int cell(int k) const { return cells_[static_cast<size_t>(k)]; }
    // Calls f(x, y) for every cell holding the type, in scan order.
    template <typename F>
    void forEachOf(int type, F&& f) const {
        for (int k = start_[static_cast<size_t>(type)]; k < start_[static_cast<size_t>(type) + 1]; ++k) {
            const int i = cells_[static_cast<size_t>(k)];
            f(i % kColumns, i / kColumns);
        }
    }

private:
    std::array<int32_t, kCellsPerRoom> own_;
    const std::array<int32_t, kCellsPerRoom>& types_;
    std::array<int16_t, kCellsPerRoom> cells_;
    std::array<int, kObjectTypes + 1> start_;

    // A counting sort of the cells holding an object. They are picked out
    // first without a branch on the type, which a room's mix of objects,
    // covered cells and gaps would make unpredictable.
    void group() {
        std::array<int16_t, kCellsPerRoom> objects;
        int n = 0;
        for (int i = 0; i < kCellsPerRoom; ++i) {
            objects[static_cast<size_t>(n)] = static_cast<int16_t>(i);
            n += isObjectType(types_[static_cast<size_t>(i)]) ? 1 : 0;
        }
        std::array<int, kObjectTypes + 1> count{};
        for (int k = 0; k < n; ++k) ++count[static_cast<size_t>(types_[static_cast<size_t>(objects[static_cast<size_t>(k)])])];
        int at = 0;
        for (int t = 0; t <= kObjectTypes; ++t) {
            start_[static_cast<size_t>(t)] = at;
            at += count[static_cast<size_t>(t)];
        }
        std::array<int, kObjectTypes> next;
        for (int t = 0; t < kObjectTypes; ++t) next[static_cast<size_t>(t)] = start_[static_cast<size_t>(t)];
        for (int k = 0; k < n; ++k) {
            const int16_t i = objects[static_cast<size_t>(k)];
            cells_[static_cast<size_t>(next[static_cast<size_t>(types_[static_cast<size_t>(i)])]++)] = i;
        }
    }
};

void compileDoors(Room& room, const CellIndex& cells, ProgramWriter& w, int& entries) {
    w.tag(kListDoor);
    const size_t countAt = w.placeholder();
    cells.forEachOf(kDoor, [&](int x, int y) {
        const CellRecord& d = room.object(x, y);
        w.position(x, y);
        w.byte(d.direction);
        w.byte(d.destRoom);
        w.byte(d.destDoor);
        w.byte(d.mapX);
        w.byte(d.mapY);
        w.byte(d.variant);
        ++entries;
    });
    w.patch(countAt, entries);
}

void compileWalkways(const Room& room, ProgramWriter& w) {
    w.tag(kListWalkway);
    for (int y = 0; y < kRows; ++y) {
        int x = 0;
        while (x < kColumns) {
            if (!isWalkwayPiece(room.walkway(x, y))) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < kColumns && isWalkwayPiece(room.walkway(x, y))) ++x;
            w.byte(x - start);
            w.position(start, y);
        }
    }
    w.byte(0);
}

void compileVerticalRuns(const Room& room, const CellIndex& runs, ProgramWriter& w, int code, int type) {
    w.tag(code);
    runs.forEachOf(type, [&](int x, int y) {
        const CellRecord& v = room.vertical(x, y);
        if (v.length <= 0) return;
        w.byte(v.length);
        w.position(x, y);
    });
    w.byte(0);
}

void compileDoorBells(const Room& room, const CellIndex& cells, ProgramWriter& w, int& entries) {
    w.tag(kListDoorBell);
    const size_t countAt = w.placeholder();
    cells.forEachOf(kDoorBell, [&](int x, int y) {
        const CellRecord& bell = room.object(x, y);
        for (int slot = 0; slot < kLinkSlots; ++slot) {
            if (bell.links[slot][0] == -1) continue;
            const CellRecord* door = linkedRecord(room, bell, slot);
            w.position(x, y);
            w.byte(door ? door->number : 0);
            ++entries;
        }
    });
    w.patch(countAt, entries);
}

void compileLightning(const Room& room, const CellIndex& cells, ProgramWriter& w, int& farMachineLinks) {
    w.tag(kListLightning);
    cells.forEachOf(kLightningMachine, [&](int x, int y) {
        const CellRecord& m = room.object(x, y);
        w.byte(m.variant == 0 ? kMachineOn : kMachineOff);
        w.byte((x + 1LL) * 4 + 16);
        w.byte((y - static_cast<long long>(m.length)) * 8);
        w.byte(m.length);
        for (int i = 0; i < 4; ++i) w.byte(0);
    });
    cells.forEachOf(kLightningSwitch, [&](int x, int y) {
        const CellRecord& s = room.object(x, y);
        w.byte(s.variant == 0 ? kSwitchOn : kSwitchOff);
        w.position(x, y);
        w.byte(0);
        for (int slot = 0; slot < 4; ++slot) {
            const CellRecord* machine = s.links[slot][0] < 0 ? nullptr : linkedRecord(room, s, slot);
            // The byte holds number * 8: a later machine would read back as another one.
            if (machine && (machine->number < 0 || machine->number >= kMaxSwitchedMachines)) ++farMachineLinks;
            w.byte(machine ? machine->number * kMachineEntryStride : kFreeSwitchSlot);
        }
    });
    w.byte(0x20);
}

void compileForceFields(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListForceField);
    cells.forEachOf(kForceField, [&](int x, int y) {
        const CellRecord& f = room.object(x, y);
        w.position(f.links[0][0], f.links[0][1]);
        w.position(x, y);
    });
    w.byte(0);
}

void compileMummies(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListMummy);
    cells.forEachOf(kMummy, [&](int x, int y) {
        const CellRecord& m = room.object(x, y);
        w.byte(1);
        w.position(m.links[0][0], m.links[0][1]);
        w.position(x, y);
        w.byte(0);
        w.byte(0);
    });
    w.byte(0);
}

void compileKeys(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListKey);
    cells.forEachOf(kKey, [&](int x, int y) {
        const CellRecord& k = room.object(x, y);
        w.byte(k.colour);
        w.byte(k.colour + static_cast<long long>(kKeyCodeOffset));
        w.position(x, y);
    });
    w.byte(0);
}

void compileLocks(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListLock);
    cells.forEachOf(kLock, [&](int x, int y) {
        const CellRecord& lock = room.object(x, y);
        for (int slot = 0; slot < kLinkSlots; ++slot) {
            if (lock.links[slot][0] == -1) continue;
            const CellRecord* door = linkedRecord(room, lock, slot);
            w.byte(lock.colour);
            w.byte(lock.colour + static_cast<long long>(kLockCodeOffset));
            w.byte(door ? door->number : 0);
            w.position(x, y);
        }
    });
    w.byte(0);
}

void compileRayGuns(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListRayGun);
    cells.forEachOf(kGunControl, [&](int x, int y) {
        const CellRecord& control = room.object(x, y);
        // What cannot be found (no gun at the link, no rail beside it) is written as zero bytes.
        uint8_t side = 0, railX = 0, railY = 0, railLength = 0, gunRow = 0;
        const int gx = control.links[0][0];
        const int gy = control.links[0][1];
        if (const CellRecord* gun = linkedRecord(room, control, 0)) {
            const bool right = gun->type == kGunRight;
            if (right || gun->type == kGunLeft) {
                side = right ? 1 : 0;
                const int railType = right ? kGunRailRight : kGunRailLeft;
                int column = 0, top = 0;
                if (findRunTop(room, right ? gx + 2 : gx - 1, gy, &column, &top) == railType) {
                    railX = low8(xByteOfColumn(column));
                    railY = low8(yByteOfRow(top));
                    railLength = low8(room.vertical(column, top).length);
                    gunRow = low8(gun->y * 8LL);
                }
            }
        }
        w.byte(side);
        w.byte(railX);
        w.byte(railY);
        w.byte(railLength);
        w.byte(gunRow);
        w.position(x, y);
    });
    w.byte(0x80);
}

void compileTransmitters(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    cells.forEachOf(kTransmitter, [&](int x, int y) {
        const CellRecord& t = room.object(x, y);
        w.tag(kListTransmitter);
        w.position(x, y);
        w.byte(t.colour);
        for (int slot = 0; slot < kLinkSlots; ++slot)
            if (t.links[slot][0] >= 0) w.position(t.links[slot][0], t.links[slot][1]);
        w.byte(0);
    });
}

void compileTraps(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListTrap);
    cells.forEachOf(kTrap, [&](int x, int y) {
        const CellRecord& trap = room.object(x, y);
        w.byte(trap.variant == 0 ? 1 : 0);
        w.position(x, y);
        if (const CellRecord* sw = linkedRecord(room, trap, 0)) {
            w.position(sw->x, sw->y);
        } else {
            w.byte(0);
            w.byte(0);
        }
    });
    w.byte(0x80);
}

void compileConveyors(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListConveyor);
    cells.forEachOf(kConveyorSwitch, [&](int x, int y) {
        const CellRecord& sw = room.object(x, y);
        if (const CellRecord* conveyor = linkedRecord(room, sw, 0)) {
            const int v = conveyor->variant;
            w.byte(v == 1 ? 3 : v == 2 ? 1 : v);
            w.position(conveyor->x, conveyor->y);
        } else {
            for (int i = 0; i < 3; ++i) w.byte(0);
        }
        w.position(x, y);
    });
    w.byte(0x80);
}

void compileFrankensteins(const Room& room, const CellIndex& cells, ProgramWriter& w) {
    w.tag(kListFrankie);
    cells.forEachOf(kFrankenstein, [&](int x, int y) {
        const CellRecord& f = room.object(x, y);
        w.byte(f.variant);
        w.position(x, y);
        for (int i = 0; i < 4; ++i) w.byte(0);
    });
    w.byte(0x80);
}

void compileTexts(Room& room, const CellIndex& cells, ProgramWriter& w) {
    // A text beginning with a space reads back as camouflage: it is written
    // from its first other letter, which stands a letter's width (two
    // columns) further right per space. Letters past the right edge are
    // never drawn, so such a text writes nothing, as does one without letters.
    struct TextEntry {
        int cell;  // where the letters begin
        int anchor;
        size_t spaces;
    };
    std::vector<TextEntry> texts;
    for (int k = cells.first(kText); k < cells.first(kText) + cells.count(kText); ++k) {
        const int anchor = cells.cell(k);
        CellRecord& t = room.object(anchor % kColumns, anchor / kColumns);
        if (t.text[0] == '\0') continue;
        const std::string upper = upperAscii(recordText(t));
        setRecordText(t, upper);
        const size_t spaces = upper.find_first_not_of(' ');
        if (spaces == std::string::npos) continue;
        const int column = anchor % kColumns + 2 * static_cast<int>(spaces);
        if (spaces > 0 && column > kColumns - 2) continue;
        texts.push_back({anchor + 2 * static_cast<int>(spaces), anchor, spaces});
    }
    // In scan order of where the letters stand, as reading back places them.
    std::stable_sort(texts.begin(), texts.end(), [](const TextEntry& a, const TextEntry& b) { return a.cell < b.cell; });

    // Every cell is looked at for both a camouflage patch and a text, so a
    // text standing on the left half of a patch is not lost: the patches and
    // the texts are taken in scan order, a patch first.
    std::array<int16_t, kCellsPerRoom> patches;
    int patchCount = 0;
    for (int i = 0; i < kCellsPerRoom; ++i) {
        patches[static_cast<size_t>(patchCount)] = static_cast<int16_t>(i);
        patchCount += room.camouflageLayer()[static_cast<size_t>(i)] == 1 ? 1 : 0;
    }
    // Texts that write no letters leave no list: reading it back gives none either.
    if (patchCount == 0 && texts.empty()) return;
    w.tag(kListText);
    int nextPatch = 0;
    size_t nextText = 0;
    while (nextPatch < patchCount || nextText < texts.size()) {
        const int patch = nextPatch < patchCount ? patches[static_cast<size_t>(nextPatch)] : kCellsPerRoom;
        const int textCell = nextText < texts.size() ? texts[nextText].cell : kCellsPerRoom;
        if (patch <= textCell) {
            w.position(patch % kColumns, patch / kColumns);
            w.byte(0);
            w.byte(kTextSingleHeight);
            w.byte(kCamouflageCharacter);
            ++nextPatch;
            continue;
        }
        const TextEntry& e = texts[nextText++];
        const CellRecord& t = room.object(e.anchor % kColumns, e.anchor / kColumns);
        const std::string text = recordText(t).substr(e.spaces);
        w.position(e.cell % kColumns, e.cell / kColumns);
        w.byte(t.colour);
        w.byte(kTextSingleHeight + static_cast<long long>(t.variant));
        // Only the last character may carry bit 7: it ends the text in the game.
        for (size_t i = 0; i < text.size(); ++i) {
            const uint8_t c = static_cast<uint8_t>(text[i]) & 0x7F;
            w.byte(i + 1 == text.size() ? (c | kLastCharacterBit) : c);
        }
    }
    w.byte(0);
}

}  // namespace

int findRunTop(const Room& room, int x, int y, int* column, int* top) {
    if (!isInsideRoom(x, y)) return kEmpty;
    const int type = room.vertical(x, y).type;
    if (type == kEmpty) return kEmpty;
    int t = y;
    while (t > 0 && room.vertical(x, t - 1).type == type) --t;
    if (column) *column = x;
    if (top) *top = t;
    return type;
}

void compileRoom(CastleModel& castle, int roomIndex, std::vector<uint8_t>& out, int* doorEntries, int* bellEntries,
                 const RoomTypes* types, int* farMachineLinks) {
    int doors = 0, bells = 0, farMachines = 0;
    if (isValidRoom(roomIndex)) {
        Room& room = castle.room(roomIndex);
        const auto& count = room.roomObjectCount;
        ProgramWriter w(out);
        const CellIndex cells = types ? CellIndex(types->object) : CellIndex(room.objectLayer());
        if (count[kDoor] != 0) compileDoors(room, cells, w, doors);
        compileWalkways(room, w);
        if (count[kSlidingPole] != 0 || count[kLadder] != 0) {
            const CellIndex runs = types ? CellIndex(types->vertical) : CellIndex(room.verticalLayer());
            if (count[kSlidingPole] != 0) compileVerticalRuns(room, runs, w, kListSlide, kSlidingPole);
            if (count[kLadder] != 0) compileVerticalRuns(room, runs, w, kListLadder, kLadder);
        }
        if (count[kDoorBell] != 0) compileDoorBells(room, cells, w, bells);
        if (count[kLightningMachine] != 0) compileLightning(room, cells, w, farMachines);
        if (count[kForceField] != 0) compileForceFields(room, cells, w);
        if (count[kMummy] != 0) compileMummies(room, cells, w);
        if (count[kKey] != 0) compileKeys(room, cells, w);
        if (count[kLock] != 0) compileLocks(room, cells, w);
        if (count[kGunControl] != 0) compileRayGuns(room, cells, w);
        compileTransmitters(room, cells, w);
        if (count[kTrap] != 0) compileTraps(room, cells, w);
        if (count[kConveyorSwitch] != 0) compileConveyors(room, cells, w);
        if (count[kFrankenstein] != 0) compileFrankensteins(room, cells, w);
        if (count[kText] != 0 || count[kCamouflage] != 0) compileTexts(room, cells, w);
        w.byte(0);
        w.byte(0);
    }
    if (doorEntries) *doorEntries = doors;
    if (bellEntries) *bellEntries = bells;
    if (farMachineLinks) *farMachineLinks = farMachines;
}

CastleTypes::CastleTypes(const CastleModel& castle)
    : rooms_(new RoomTypes[kRooms]), castleRooms_(roomsInUseRun(castle)) {
    // A room without cells of its own reads as a blank room, whose types are
    // those of the shared copy: written out afresh for every such room they
    // would cost fresh memory and nothing else.
    static const RoomTypes* const blank = [] {
        auto* types = new RoomTypes;
        gatherRoomTypes(Room(), *types);
        return types;
    }();
    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        RoomTypes& t = rooms_[static_cast<size_t>(r)];
        view_[static_cast<size_t>(r)] = room.holdsCells() ? &t : blank;
        if (!room.holdsCells()) continue;
        if (r < castleRooms_) {
            gatherRoomTypes(room, t);
            continue;
        }
        // Outside the castle only the check looks, and only at the object layer.
        for (size_t i = 0; i < kCellsPerRoom; ++i) {
            t.object[i] = room.objectLayer()[i].type;
            t.mark[i] = room.objectLayer()[i].mark;
        }
        t.vertical.fill(kEmpty);
    }
}

std::optional<std::vector<uint8_t>> buildCastleProgram(CastleModel& castle, const std::vector<uint8_t>& endRoom,
                                                       std::vector<std::string>* errors,
                                                       const std::function<void(int)>& beforeRoom,
                                                       const CastleTypes* types) {
    auto fail = [&](const std::string& line) {
        if (errors) errors->push_back(line);
    };
    if (endRoom.size() < kEndRoomSize) {
        fail(kEndRoomMissing);
        return std::nullopt;
    }

    std::vector<uint8_t> out(kHeaderSize, 0);
    out.reserve(kMaxProgramSize + 1);
    putWord(out, kHeaderLoadAddressOffset, kProgramLoadAddress);
    putWord(out, kHeaderLengthOffset, 0xEEEE);
    out[kHeaderMarkerOffset] = kHeaderMarker;
    const CastleSettings& s = castle.settings;
    for (int p = 0; p < 2; ++p) {
        out[kHeaderStartRoomOffset[p]] = s.playerStartRoom[p];
        out[kHeaderStartDoorOffset[p]] = s.playerStartDoor[p];
        out[kHeaderLivesOffset[p]] = s.playerLives[p];
    }
    putWord(out, kHeaderEndRoomAddressOffset, 0xFFFF);

    const int rooms = roomsInUseRun(castle);
    for (int r = 0; r < rooms; ++r) {
        const Room& room = castle.room(r);
        const MapRect& m = room.roomMapRect;
        const long long width = static_cast<long long>(m.right) - m.left;
        const long long height = static_cast<long long>(m.bottom) - m.top;
        out.push_back(static_cast<uint8_t>(roomColourByte(room.roomColour)));
        out.push_back(low8(m.left / kMapCellPixels * 4LL + 16));
        out.push_back(low8(m.top / kMapCellPixels * 8LL));
        out.push_back(low8((width / kMapCellPixels) * 8 | (height / kMapCellPixels)));
        for (int i = 0; i < 4; ++i) out.push_back(0);
    }
    out.push_back(kRoomTableEnd);

    bool ok = true;
    for (int r = 0; r < rooms; ++r) {
        const long long p = static_cast<long long>(out.size());
        const size_t entry = kRoomTableOffset + kRoomEntrySize * static_cast<size_t>(r);
        putWord(out, entry + kRoomEntryDataPlus2, c64AddressOfOffset(p) + 2);
        putWord(out, entry + kRoomEntryData, c64AddressOfOffset(p));
        if (beforeRoom) beforeRoom(r);
        int doors = 0, bells = 0, farMachines = 0;
        compileRoom(castle, r, out, &doors, &bells, types ? &types->room(r) : nullptr, &farMachines);
        if (doors > kMaxCountByte || bells > kMaxCountByte) {
            fail("Error: Room " + std::to_string(r + 1) + " has more than 255 doors or door bell links.");
            ok = false;
        }
        if (farMachines > 0) {
            fail("Error: Room " + std::to_string(r + 1) + ": a Lightning Switch is linked to a machine after the 32nd.");
            ok = false;
        }
    }

    putWord(out, kHeaderEndRoomAddressOffset, c64AddressOfOffset(static_cast<long>(out.size())));
    out.insert(out.end(), endRoom.begin(), endRoom.begin() + kEndRoomSize);
    const size_t length = out.size();
    if (length > kMaxProgramSize) {
        fail("Error: castle program too large (" + std::to_string(length) + " bytes, at most " +
             std::to_string(kMaxProgramSize) + ").");
        ok = false;
    }
    putWord(out, kHeaderLengthOffset, static_cast<long long>(length));
    if (!ok) return std::nullopt;
    return out;
}

std::optional<std::vector<uint8_t>> readEndRoom(const std::string& dataFolder) {
    const std::string path = (fs::path(dataFolder) / fs::path("resource/endroom.bin")).string();
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes(kEndRoomSize);
    const size_t n = std::fread(bytes.data(), 1, kEndRoomSize, f);
    std::fclose(f);
    if (n != kEndRoomSize) return std::nullopt;
    return bytes;
}

std::string castleProgramTarget(const std::string& chosenPath) {
    const fs::path chosen(chosenPath);
    std::string name = chosen.filename().string();
    if (name.empty() || (name[0] != 'z' && name[0] != 'Z')) name = "z" + name;
    std::string target = chosen.has_parent_path() ? (chosen.parent_path() / name).string() : name;
    if (!endsWithNoCase(target, ".prg")) target += ".prg";
    return target;
}

namespace {

// The doors a destination number names in a room: for each number (signed
// 8-bit) the cell of the last door in scan order holding it, or -1.
using DoorTable = std::array<int16_t, 256>;

}  // namespace

void renumberObjects(CastleModel& castle, const CastleTypes* types) {
    const int rooms = roomsInUseRun(castle);
    auto typeAt = [&](int room, int i) {
        return types ? types->room(room).object[static_cast<size_t>(i)]
                     : castle.room(room).objectLayer()[static_cast<size_t>(i)].type;
    };
    CastleSettings& settings = castle.settings;
    uint8_t newStartDoor[2] = {settings.playerStartDoor[0], settings.playerStartDoor[1]};

    // The doors of the castle's rooms in scan order, found in one pass.
    std::vector<int16_t> doors;
    std::array<size_t, kRooms + 1> doorsStart{};
    for (int r = 0; r < rooms; ++r) {
        doorsStart[static_cast<size_t>(r)] = doors.size();
        for (int i = 0; i < kCellsPerRoom; ++i)
            if (typeAt(r, i) == kDoor) doors.push_back(static_cast<int16_t>(i));
    }
    doorsStart[static_cast<size_t>(rooms)] = doors.size();

    // Each destination room's doors by number, made once per room instead of
    // searching the room for every door leading there. Nothing they hold
    // changes before the numbers are rewritten at the end.
    std::vector<DoorTable> tables;
    tables.reserve(kRooms);
    std::array<int, kRooms> tableOf;
    tableOf.fill(-1);
    auto tableFor = [&](int room) -> const DoorTable& {
        int& t = tableOf[static_cast<size_t>(room)];
        if (t < 0) {
            t = static_cast<int>(tables.size());
            DoorTable& table = tables.emplace_back();
            table.fill(-1);
            const Room& dest = castle.room(room);
            auto add = [&](int i) {
                table[static_cast<size_t>(dest.objectLayer()[static_cast<size_t>(i)].number + 128)] = static_cast<int16_t>(i);
            };
            if (room < rooms) {
                for (size_t k = doorsStart[static_cast<size_t>(room)]; k < doorsStart[static_cast<size_t>(room) + 1]; ++k)
                    add(doors[k]);
            } else {
                for (int i = 0; i < kCellsPerRoom; ++i)
                    if (typeAt(room, i) == kDoor) add(i);
            }
        }
        return tables[static_cast<size_t>(t)];
    };

    for (int r = 0; r < rooms; ++r) {
        Room& room = castle.room(r);
        for (size_t k = doorsStart[static_cast<size_t>(r)]; k < doorsStart[static_cast<size_t>(r) + 1]; ++k) {
            CellRecord& d = room.objectLayer()[static_cast<size_t>(doors[k])];
            for (int p = 0; p < 2; ++p)
                if (settings.playerStartRoom[p] == r && d.number == settings.playerStartDoor[p])
                    newStartDoor[p] = static_cast<uint8_t>(d.ordinal);
            // A destination outside the castle's rooms is left for the check to report.
            if (!isValidRoom(d.destRoom)) continue;
            const int oldDestDoor = d.destDoor;
            if (oldDestDoor < -128 || oldDestDoor > 127) continue;  // no door holds such a number
            const int cell = tableFor(d.destRoom)[static_cast<size_t>(oldDestDoor + 128)];
            if (cell < 0) continue;
            const CellRecord& e = castle.room(d.destRoom).objectLayer()[static_cast<size_t>(cell)];
            d.destX = e.x;
            d.destY = e.y;
            d.destDoor = e.ordinal;
        }
    }

    settings.playerStartDoor[0] = newStartDoor[0];
    settings.playerStartDoor[1] = newStartDoor[1];

    for (int r = 0; r < rooms; ++r) {
        Room& room = castle.room(r);
        for (int i = 0; i < kCellsPerRoom; ++i) {
            if (!isObjectType(typeAt(r, i))) continue;
            CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
            rec.number = static_cast<int8_t>(rec.ordinal & 0xFF);
        }
    }
}

}  // namespace grusk
