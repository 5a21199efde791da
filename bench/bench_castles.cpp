#include "bench_castles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "app/castle_builder.h"
#include "app/castle_program_commands.h"
#include "app/disk_commands.h"
#include "app/door_links.h"
#include "app/object_commands.h"
#include "disk/game_disk.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/compiler.h"
#include "gamedata/program_layout.h"
#include "model/safe_file.h"

namespace grusk::bench {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void broken(const std::string& what) {
    std::fprintf(stderr, "bench castle: %s\n", what.c_str());
    std::abort();
}


// Map rectangles: an 8 x 8 grid of 64 x 32 map pixels, on 16-pixel steps so
// that they survive the castle program's map cells.
MapRect mapRectOf(int room) {
    const int left = (room % 8) * 80;
    const int top = (room / 8) * 48;
    return MapRect{left, top, left + 64, top + 32};
}

// The castle builder with the benchmark castle's colours and map places;
// colours are C64 colour numbers 1..7, and any refusal stops the generator.
class Builder : public CastleBuilder {
public:
    using CastleBuilder::CastleBuilder;

    void room(int r) { CastleBuilder::room(r, 2 + r % 13, mapRectOf(r)); }
    void colour(int x, int y, int c) { CastleBuilder::colour(x, y, kCmdColourWhite + c - 1); }
    void key(int x, int y, int c) {
        put(kKey, x, y);
        colour(x, y, c);
    }
    void lock(int x, int y, int c) {
        put(kLock, x, y);
        colour(x, y, c);
    }
    void text(int x, int y, const std::string& words, int c, bool doubleHeight) {
        CastleBuilder::text(x, y, words, kCmdColourWhite + c - 1, doubleHeight);
    }
    // Puts a text into the first free two-cell slot in scan order; false when the room is full.
    bool addText(const std::string& words, int c) {
        const Room& room = app_.castle.current();
        const Size s = cellSize(kText);
        for (int y = 0; y + s.height <= kRows; ++y)
            for (int x = 0; x + s.width <= kColumns; ++x) {
                bool free = true;
                for (int dy = 0; free && dy < s.height; ++dy)
                    for (int dx = 0; free && dx < s.width; ++dx) free = room.object(x + dx, y + dy).type == kEmpty;
                if (!free) continue;
                text(x, y, words, c, false);
                return true;
            }
        return false;
    }

protected:
    void refused(const std::string& what) override { broken(what); }
};

// Door anchors: the left doors lead back to the room before, the right doors
// on to the next room.
constexpr CellPos kLeftDoors[3] = {{0, 2}, {0, 8}, {0, 20}};
constexpr CellPos kRightDoors[3] = {{37, 2}, {37, 8}, {37, 20}};

// Rows 0-4 above the first floor.
void upperHall(Builder& b) {
    b.door(0, 2, Builder::kLeft, 4);
    b.door(37, 2, Builder::kRight, 4);
    b.put(kDoorBell, 3, 3);
    b.link(3, 3, 0, 2);
    b.link(3, 3, 37, 2);
    b.column(kLightningSuspension, 5, 0, 0);
    b.put(kLightningMachine, 4, 1);
    b.column(kLightningSuspension, 8, 0, 0);
    b.put(kLightningMachine, 7, 1);
    b.put(kLightningSwitch, 10, 3);
    b.link(10, 3, 4, 1);
    b.link(10, 3, 7, 1);
    b.put(kFrankenstein, 11, 2);
    b.put(kMummy, 13, 2);
    b.put(kMummySwitch, 15, 3);
    b.link(13, 2, 15, 3);
    b.put(kTransmitter, 16, 2);
    for (int x : {18, 20, 22})
        for (int y : {4, 2}) {
            b.put(kTransmitterTarget, x, y);
            b.link(16, 2, x, y);
        }
    b.put(kFrankenstein, 24, 2);
    b.put(kMummy, 26, 2);
    b.put(kMummySwitch, 28, 3);
    b.link(26, 2, 28, 3);
    b.column(kLightningSuspension, 30, 0, 0);
    b.put(kLightningMachine, 29, 1);
    b.put(kLightningSwitch, 32, 3);
    b.link(32, 3, 29, 1);
    b.lock(33, 3, 2);
    b.link(33, 3, 37, 2);
    b.lock(34, 3, 3);
    b.link(34, 3, 0, 2);
    b.key(35, 4, 2);
    b.text(12, 0, "GRUSK", 7, true);
    b.floor(5, 0, 9);
    b.floor(5, 11, 29);
    b.floor(5, 31, 39);
}

// Rows 6-10: force fields, the ray guns on their rails, traps, keys and locks.
void armoury(Builder& b) {
    b.door(0, 8, Builder::kLeft, 12);
    b.door(37, 8, Builder::kRight, 12);
    b.put(kDoorBell, 3, 9);
    b.link(3, 9, 0, 8);
    b.link(3, 9, 37, 8);
    for (int x : {4, 6}) {
        b.put(kForceField, x, 7);
        b.put(kForceFieldSwitch, x + 1, 9);
        b.link(x, 7, x + 1, 9);
    }
    b.column(kGunRailLeft, 8, 6, 10);
    b.put(kGunLeft, 9, 8);
    b.put(kGunControl, 11, 9);
    b.link(11, 9, 9, 8);
    b.put(kGunControl, 12, 9);
    b.put(kGunRight, 13, 8);
    b.column(kGunRailRight, 15, 6, 10);
    b.link(12, 9, 13, 8);
    for (int x : {16, 19}) {
        b.put(kTrap, x, 10);
        b.put(kTrapSwitch, x + 2, 9);
        b.link(x, 10, x + 2, 9);
    }
    b.key(22, 10, 4);
    b.key(24, 10, 5);
    b.lock(26, 9, 4);
    b.link(26, 9, 0, 8);
    b.lock(27, 9, 5);
    b.link(27, 9, 37, 8);
    b.put(kFrankenstein, 28, 8);
    b.put(kMummy, 30, 8);
    b.put(kMummySwitch, 32, 9);
    b.link(30, 8, 32, 9);
    b.key(33, 10, 6);
    b.floor(11, 0, 19);
    b.floor(11, 21, 39);
}

// Rows 12-16: three conveyors with their switches, camouflage, a transmitter.
void engineRoom(Builder& b, AppState& app) {
    for (int x : {0, 10, 20}) {
        b.put(kConveyor, x, 16);
        b.put(kConveyorSwitch, x + 8, 15);
        b.link(x + 8, 15, x, 16);
    }
    toggleObjectState(app, 10, 16);  // running left
    toggleObjectState(app, 20, 16);
    toggleObjectState(app, 20, 16);  // running right
    b.put(kFrankenstein, 30, 14);
    toggleObjectState(app, 30, 14);  // facing right
    b.put(kMummy, 32, 14);
    b.put(kMummySwitch, 34, 15);
    b.link(32, 14, 34, 15);
    b.put(kTransmitter, 35, 14);
    for (int y : {16, 14, 12}) {
        b.put(kTransmitterTarget, 37, y);
        b.link(35, 14, 37, y);
    }
    for (int x = 0; x < 12; x += 2) b.put(kCamouflage, x, 12);
    b.floor(17, 0, 29);
    b.floor(17, 31, 39);
}

// Rows 18-24: the lower doors, a second lightning machine, traps, guns and
// the conveyors of the cellar.
void cellar(Builder& b, AppState& app) {
    b.door(0, 20, Builder::kLeft, 20);
    b.door(37, 20, Builder::kRight, 20);
    b.put(kDoorBell, 3, 21);
    b.link(3, 21, 0, 20);
    b.link(3, 21, 37, 20);
    b.lock(4, 21, 7);
    b.link(4, 21, 0, 20);
    b.link(4, 21, 37, 20);
    b.key(5, 22, 7);
    b.key(7, 22, 3);
    b.key(9, 22, 1);
    b.column(kLightningSuspension, 12, 18, 18);
    b.put(kLightningMachine, 11, 19);
    b.put(kLightningSwitch, 14, 21);
    b.link(14, 21, 11, 19);
    toggleObjectState(app, 14, 21);  // switched off, machine with it
    b.put(kTrap, 15, 22);
    b.put(kTrapSwitch, 17, 21);
    b.link(15, 22, 17, 21);
    toggleObjectState(app, 15, 22);  // closed
    b.put(kForceField, 18, 19);
    b.put(kForceFieldSwitch, 19, 21);
    b.link(18, 19, 19, 21);
    b.column(kGunRailLeft, 20, 18, 22);
    b.put(kGunLeft, 21, 20);
    b.put(kGunControl, 23, 21);
    b.link(23, 21, 21, 20);
    b.put(kGunRight, 24, 20);
    b.column(kGunRailRight, 26, 18, 22);
    b.put(kGunControl, 27, 21);
    b.link(27, 21, 24, 20);
    b.put(kFrankenstein, 28, 20);
    b.put(kMummy, 30, 20);
    b.put(kMummySwitch, 32, 21);
    b.link(30, 20, 32, 21);
    b.put(kTransmitter, 33, 20);
    b.put(kTransmitterTarget, 35, 22);
    b.link(33, 20, 35, 22);
    b.put(kTransmitterTarget, 35, 18);
    b.link(33, 20, 35, 18);
    b.floor(23, 0, 39);
    for (int x : {0, 10}) {
        b.put(kConveyor, x, 24);
        b.put(kConveyorSwitch, x + 8, 23);
        b.link(x + 8, 23, x, 24);
    }
}

// Ladders and sliding poles between the floors.
void shafts(Builder& b) {
    b.column(kLadder, 35, 5, 10);
    b.column(kLadder, 25, 11, 16);
    b.column(kLadder, 33, 17, 22);
    b.column(kSlidingPole, 23, 5, 10);
    b.column(kSlidingPole, 9, 11, 16);
    b.column(kSlidingPole, 36, 17, 22);
}

std::string fillerText(int room, int n, size_t length) {
    static const char* const kWords[] = {"BEWARE THE MUMMY ", "THE KEY IS BELOW ", "MIND THE TRAPS ",
                                         "LIGHTNING AHEAD ", "FIND THE EXIT ", "GRUSK WAS HERE "};
    std::string s = kWords[(room + n) % 6];
    s += std::to_string(room + 1) + "." + std::to_string(n + 1) + " ";
    while (s.size() < length) s += s;
    s.resize(length);
    if (s.back() == ' ') s.back() = '!';
    return s;
}

// The program's length, counted without the refusal of programs over the limit.
size_t compiledLength(AppState& app) {
    if (checkCastle(app, false) != 0) {
        if (const auto* fake = dynamic_cast<const FakePlatform*>(&app.ui))
            for (const std::string& line : fake->log) std::fprintf(stderr, "%s\n", line.c_str());
        broken("the castle does not pass the check");
    }
    const int rooms = roomsInUseRun(app.castle);
    std::vector<uint8_t> lists;
    for (int r = 0; r < rooms; ++r) compileRoom(app.castle, r, lists);
    return kHeaderSize + kRoomEntrySize * static_cast<size_t>(rooms) + 1 + lists.size() + kEndRoomSize;
}

}  // namespace

void buildDenseRoom(AppState& app, int room) {
    Builder b(app);
    b.room(room);
    upperHall(b);
    armoury(b);
    engineRoom(b, app);
    cellar(b, app);
    shafts(b);
    shapeWalkways(app);
}

void buildLargestCastle(AppState& app, size_t programLimit) {
    clearCastle(app);
    app.castle.settings = CastleSettings{};
    for (int r = 0; r < kRooms; ++r) buildDenseRoom(app, r);

    Builder b(app);
    for (int r = 0; r < kRooms; ++r) {
        const int next = (r + 1) % kRooms;
        for (int k = 0; k < 3; ++k) {
            if (r == kRooms - 1 && k == 2) continue;  // the way out instead
            b.connect(r, kRightDoors[k].x, kRightDoors[k].y, next, kLeftDoors[k].x, kLeftDoors[k].y);
        }
    }
    selectRoom(app, kRooms - 1);
    app.popupCell = kRightDoors[2];
    setDoorType(app, true);
    selectRoom(app, 0);
    app.popupCell = kLeftDoors[0];
    setPlayerStart(app, 1);
    app.popupCell = kLeftDoors[1];
    setPlayerStart(app, 2);

    // Texts fill what the size limit leaves, spread over the rooms; each costs
    // its length plus four bytes in the program.
    const size_t rooms = compiledLength(app);
    if (rooms > programLimit) broken("the rooms alone are larger than " + std::to_string(programLimit) + " bytes");
    size_t left = programLimit - rooms;
    int added = 0;
    while (left >= 5) {
        const int r = added % kRooms;
        const size_t length = left >= 24 + 5 ? 20 : std::min<size_t>(left - 4, 20);
        selectRoom(app, r);
        if (!b.addText(fillerText(r, added / kRooms, length), 1 + added % 7)) broken("no room for more texts");
        left -= length + 4;
        ++added;
    }
    app.mouseMode = kMouseNormal;
    app.popupCell = {};
    if (auto* fake = dynamic_cast<FakePlatform*>(&app.ui)) fake->clearRecords();
    selectRoom(app, 0);
}

std::vector<uint8_t> largestCastleProgram(AppState& app, const std::vector<uint8_t>& endRoom,
                                          size_t programLimit) {
    buildLargestCastle(app, programLimit);
    if (checkCastle(app, false) != 0) return {};
    std::optional<std::vector<uint8_t>> program = buildCastleProgram(app.castle, endRoom);
    if (!program) return {};
    return *program;
}

void writeGameFileStandIns(const std::string& folder) {
    // Sizes in bytes, in the order of the game disk.
    static constexpr size_t kSizes[kGameFiles.size()] = {1800, 30000, 3100, 2900, 3300, 3000, 2800,
                                                         3200, 3050, 2950, 3150, 16000, 10003};
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::mt19937 random(2008);
    for (size_t i = 0; i < kGameFiles.size(); ++i) {
        std::vector<uint8_t> bytes(kSizes[i]);
        for (uint8_t& v : bytes) v = static_cast<uint8_t>(random());
        bytes[0] = 0x01;  // a load address, as a prg file has
        bytes[1] = 0x08;
        if (!writeFileAtomically((fs::path(folder) / kGameFiles[i]).string(), bytes))
            broken("cannot write " + std::string(kGameFiles[i]));
    }
}

bool makeBenchProgramFolder(const std::string& folder, const std::string& sourceProgramFolder) {
    std::error_code ec;
    fs::create_directories(fs::path(folder) / "resource", ec);
    const auto endRoom = readWholeFile((fs::path(sourceProgramFolder) / "resource" / "endroom.bin").string(), 1 << 16);
    if (!endRoom || endRoom->size() < kEndRoomSize) return false;
    if (!writeFileAtomically((fs::path(folder) / "resource" / "endroom.bin").string(), *endRoom)) return false;
    writeGameFileStandIns((fs::path(folder) / "d64").string());
    return true;
}

}  // namespace grusk::bench
