// Generated castles through every way the editor stores them: the castle
// program (compile, read back, compile again), the project file and the room
// file. GRUSK_ROUNDTRIP_CASTLES sets how many castles (a longer run) and
// GRUSK_ROUNDTRIP_SEED the first seed (to repeat a failure).
#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <set>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include <random>

#include "app/door_links.h"
#include "app/object_commands.h"
#include "editor/room_editing.h"
#include "editor/catalogue.h"
#include "gamedata/castle_check.h"
#include "gamedata/castle_reader.h"
#include "gamedata/compiler.h"
#include "gamedata/program_layout.h"
#include "gamedata_fixture.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

using Bytes = std::vector<uint8_t>;

// Seeded valid castles: every type the object list offers in every state,
// links of every kind, connected doors, texts, camouflage and vertical runs,
// over 1 to 64 rooms, made through the editor's own operations.
class CastleGenerator {
public:
    // The castle must be as clearing leaves it, or as the last castle made
    // here left it (its rooms are put back first).
    explicit CastleGenerator(AppState& app) : app_(app) {}

    // A castle that passes the check and compiles within the size limit; its rooms.
    int generate(uint32_t seed);

private:
    AppState& app_;
    std::mt19937 rng_;
    int usedRooms_ = 0;

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    void room(int r, double density);
    bool put(int type, int x, int y);
    void lay(int type, int x, int y);  // without the recount
    // Places the type at a random free spot; false when none was found.
    bool putSomewhere(int type, int& x, int& y, int maxX = 39, int minY = 0);
    void link(int sx, int sy, int tx, int ty);
    void link(int sx, int sy, CellPos to) { link(sx, sy, to.x, to.y); }
    CellPos any(const std::vector<CellPos>& v) { return v[static_cast<size_t>(pick(0, static_cast<int>(v.size()) - 1))]; }
    // A Text of that length at a random free spot of the current room.
    bool addText(int length, int* placedX = nullptr, int* placedY = nullptr);
    void fillToLimit(size_t limit);
    void settleLeadingSpaces(int rooms);
};


constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.!?,- ";
constexpr char kOldFileLetters[] = "abcdefghijklmnopqrstuvwxyzABCXYZ019.!?,- ";

bool isAnchor(const Room& room, int x, int y, int type) { return room.object(x, y).type == type; }

// The bytes a Text at column x writes: its letters after any leading spaces,
// none when they would begin past column 38.
size_t writtenLetters(const CellRecord& t, int x) {
    const std::string text = recordText(t);
    const size_t lead = text.find_first_not_of(' ');
    if (lead == std::string::npos || (lead > 0 && x + 2 * static_cast<int>(lead) > kColumns - 2)) return 0;
    return text.size() - lead;
}


void resetRooms(CastleModel& castle, int rooms) {
    for (int r = 0; r < rooms && r < kRooms; ++r) {
        resetRoomRecords(castle, r);
        Room& room = castle.room(r);
        room.roomColour = 2;
        room.roomInUse = 0;
        room.roomMapRect = MapRect{};
    }
    castle.settings = CastleSettings{};
    castle.currentRoom = 0;
}

bool CastleGenerator::put(int type, int x, int y) {
    // A refused placement still recounts the room: most random spots in a
    // full room are taken, so they are looked at first.
    const Room& room = app_.castle.current();
    if (storageLayer(type) == Layer::Object) {
        const Size s = placementCells(type);
        if (!isInsideRoom(x + s.width - 1, y + s.height - 1)) return false;
        for (int by = y; by < y + s.height; ++by)
            for (int bx = x; bx < x + s.width; ++bx)
                if (room.object(bx, by).type != kEmpty) return false;
    }
    return placeObject(app_, type, x, y) == 1;
}

void CastleGenerator::lay(int type, int x, int y) {
    // Walkways, camouflage, vertical pieces and suspensions are what a drag
    // lays cell by cell; nothing links to them, so the room is recounted once
    // they are all down.
    placeObjectNoRecount(app_, type, x, y, false);
}

bool CastleGenerator::putSomewhere(int type, int& x, int& y, int maxX, int minY) {
    for (int tries = 0; tries < 12; ++tries) {
        x = pick(0, maxX);
        y = pick(minY, kRows - 1);
        if (put(type, x, y)) return true;
    }
    return false;
}

void CastleGenerator::link(int sx, int sy, int tx, int ty) {
    app_.popupCell = {sx, sy};
    startLinking(app_);
    linkObjectAt(app_, tx, ty);
}

void CastleGenerator::room(int r, double density) {
    selectRoom(app_, r);
    Room& room = app_.castle.room(r);
    room.roomInUse = 1;
    room.roomColour = pick(0, 15);
    // Anywhere on the map, not only on its 16-pixel grid, at most 7 cells each way.
    const int left = pick(0, 600), top = pick(0, 300);
    room.roomMapRect = MapRect{left, top, left + pick(16, 127), top + pick(16, 127)};
    auto some = [&](int most) { return std::max(0, static_cast<int>(pick(0, most) * density + 0.5)); };

    // Doors: at least one in every room.
    std::vector<CellPos> doors;
    const int doorCount = 1 + some(5);
    for (int i = 0; i < doorCount; ++i) {
        int x = 0, y = 0;
        if (!putSomewhere(kDoor, x, y, 37) && !doors.empty()) continue;
        if (doors.empty() && !isAnchor(room, x, y, kDoor)) {
            // The room is still empty enough for the top-left corner.
            put(kDoor, 0, 0);
            x = y = 0;
        }
        doors.push_back({x, y});
        app_.popupCell = {x, y};
        if (chance(0.3)) setDoorType(app_, true);
        if (chance(0.2)) setDoorType(app_, false);
        CellRecord& d = room.object(x, y);
        d.direction = pick(0, 3);
        d.mapX = pick(0, 255);
        d.mapY = pick(0, 255);
    }

    // Guns on their rails, worked by one or more controls.
    for (int i = some(3); i > 0; --i) {
        const bool right = chance(0.5);
        int gx = 0, gy = 0;
        if (!putSomewhere(right ? kGunRight : kGunLeft, gx, gy, right ? 37 : 38)) continue;
        const int railX = right ? gx + 2 : gx - 1;
        const int railType = right ? kGunRailRight : kGunRailLeft;
        bool free = railX >= 0 && railX < kColumns;
        const int top = free ? pick(0, gy) : 0, bottom = free ? pick(gy, kRows - 1) : 0;
        for (int y = top; free && y <= bottom; ++y) free = room.vertical(railX, y).type == kEmpty;
        if (!free) {
            deleteObjectAt(app_, gx, gy);
            continue;
        }
        for (int y = top; y <= bottom; ++y) lay(railType, railX, y);
        recountRoom(app_.castle, r);
        const int controls = 1 + (chance(0.3) ? pick(1, 2) : 0);
        bool linked = false;
        for (int c = 0; c < controls; ++c) {
            int cx = 0, cy = 0;
            if (!putSomewhere(kGunControl, cx, cy)) continue;
            link(cx, cy, gx, gy);
            linked = true;
        }
        if (!linked) {
            deleteObjectAt(app_, gx, gy);
            for (int y = top; y <= bottom; ++y) deleteObjectAt(app_, railX, y);
        }
    }

    // Lightning machines with the suspension above them, and their switches.
    std::vector<CellPos> machines;
    for (int i = some(4); i > 0; --i) {
        int mx = 0, my = 0;
        if (!putSomewhere(kLightningMachine, mx, my, 37)) continue;
        machines.push_back({mx, my});
        const int hang = pick(0, my);
        for (int k = 1; k <= hang && room.object(mx + 1, my - k).type == kEmpty; ++k)
            lay(kLightningSuspension, mx + 1, my - k);
        if (chance(0.4)) toggleObjectState(app_, mx, my);
    }
    if (!machines.empty()) {
        for (int i = 1 + some(2); i > 0; --i) {
            int sx = 0, sy = 0;
            if (!putSomewhere(kLightningSwitch, sx, sy)) continue;
            if (chance(0.4)) toggleObjectState(app_, sx, sy);
            for (int l = 1 + pick(0, 3); l > 0; --l) link(sx, sy, any(machines));
            if (chance(0.3)) toggleObjectState(app_, sx, sy);  // steps its machines too
        }
    }

    // Switch and what it works: force fields, mummies, traps; one switch may serve several.
    for (const auto& [switchType, sourceType] :
         {std::pair{kForceFieldSwitch, kForceField}, std::pair{kMummySwitch, kMummy}, std::pair{kTrapSwitch, kTrap}}) {
        for (int i = some(3); i > 0; --i) {
            int sx = 0, sy = 0;
            if (!putSomewhere(switchType, sx, sy)) continue;
            int served = 0;
            for (int k = 1 + (chance(0.3) ? pick(1, 2) : 0); k > 0; --k) {
                int ox = 0, oy = 0;
                if (!putSomewhere(sourceType, ox, oy)) continue;
                link(ox, oy, sx, sy);
                ++served;
                if (sourceType == kTrap)
                    for (int t = pick(0, 3); t > 0; --t) toggleObjectState(app_, ox, oy);
            }
            if (served == 0) deleteObjectAt(app_, sx, sy);
        }
    }

    // Conveyors, each with one or more switches.
    for (int i = some(3); i > 0; --i) {
        int cx = 0, cy = 0;
        if (!putSomewhere(kConveyor, cx, cy, 32)) continue;
        std::vector<CellPos> switches;
        for (int k = 1 + (chance(0.5) ? pick(1, 3) : 0); k > 0; --k) {
            int sx = 0, sy = 0;
            if (!putSomewhere(kConveyorSwitch, sx, sy, 38)) continue;
            if (chance(0.5)) toggleObjectState(app_, cx, cy);
            link(sx, sy, cx, cy);
            switches.push_back({sx, sy});
        }
        if (switches.empty()) deleteObjectAt(app_, cx, cy);
        for (int t = switches.empty() ? 0 : pick(0, 2); t > 0; --t) {
            const CellPos s = any(switches);
            toggleObjectState(app_, s.x, s.y);
        }
    }

    // Transmitters and their targets; every target is linked.
    for (int i = some(2); i > 0; --i) {
        int tx = 0, ty = 0;
        if (!putSomewhere(kTransmitter, tx, ty, 38)) continue;
        std::vector<CellPos> targets;
        for (int k = 1 + some(4); k > 0; --k) {
            int x = 0, y = 0;
            if (putSomewhere(kTransmitterTarget, x, y, 38)) targets.push_back({x, y});
        }
        if (targets.empty()) {
            deleteObjectAt(app_, tx, ty);
            continue;
        }
        std::shuffle(targets.begin(), targets.end(), rng_);
        for (const CellPos& t : targets) link(tx, ty, t);
        // The same targets again, up to all 16 slots.
        for (int k = chance(0.2) ? pick(1, 16) : 0; k > 0; --k) link(tx, ty, any(targets));
    }

    // Keys, locks and bells; locks and bells open doors of their room.
    for (const int type : {kKey, kLock, kDoorBell}) {
        for (int i = some(3); i > 0; --i) {
            int x = 0, y = 0;
            if (!putSomewhere(type, x, y, type == kKey ? 38 : 39)) continue;
            if (type != kDoorBell) {
                app_.popupCell = {x, y};
                setObjectColour(app_, kCmdColourWhite + pick(0, 6));
            }
            for (int l = type == kKey ? 0 : chance(0.1) ? 16 : pick(1, 3); l > 0; --l) link(x, y, any(doors));
        }
    }

    for (int i = some(3); i > 0; --i) {
        int x = 0, y = 0;
        if (putSomewhere(kFrankenstein, x, y, 38) && chance(0.5)) toggleObjectState(app_, x, y);
    }

    // Floors, ladders and sliding poles; ladders and poles only where no rail runs.
    for (int i = some(6); i > 0; --i) {
        const int y = pick(0, kRows - 1), x0 = pick(0, kColumns - 1), x1 = std::min(kColumns - 1, x0 + pick(0, 20));
        for (int x = x0; x <= x1; ++x) lay(kWalkway, x, y);
    }
    for (int i = some(6); i > 0; --i) {
        const int type = chance(0.5) ? kLadder : kSlidingPole;
        const int x = pick(0, kColumns - 1), top = pick(0, kRows - 1), bottom = std::min(kRows - 1, top + pick(0, 24));
        for (int y = top; y <= bottom && room.vertical(x, y).type == kEmpty; ++y) lay(type, x, y);
    }
    for (int i = some(8); i > 0; --i) lay(kCamouflage, pick(0, kColumns - 1), pick(0, kRows - 1));
    recountRoom(app_.castle, r);

    // Something placed and taken away again leaves its cells as deletion does.
    if (chance(0.3)) {
        int x = 0, y = 0;
        if (putSomewhere(pick(0, 1) ? kFrankenstein : kKey, x, y, 38)) deleteObjectAt(app_, x, y);
    }

    for (int i = some(5); i > 0; --i) addText(chance(0.2) ? kMaxTextLength : pick(1, kMaxTextLength));
    shapeWalkways(app_);
}

bool CastleGenerator::addText(int length, int* placedX, int* placedY) {
    Room& room = app_.castle.current();
    int x = 0, y = 0;
    if (!putSomewhere(kText, x, y, 38)) return false;
    if (placedX) *placedX = x;
    if (placedY) *placedY = y;
    app_.popupCell = {x, y};
    setObjectColour(app_, kCmdColourWhite + pick(0, 6));
    if (chance(0.3)) toggleDoubleHeight(app_);
    std::string text;
    if (chance(0.6)) {
        for (int k = 0; k < length; ++k) text += kLetters[pick(0, static_cast<int>(sizeof kLetters) - 2)];
        textDialogOk(app_, text);
        return true;
    }
    // As an older project file may hold it: lower case, spaces in front.
    const int spaces = chance(0.5) ? pick(1, 6) : 0;
    text.assign(static_cast<size_t>(std::min(spaces, length)), ' ');
    while (static_cast<int>(text.size()) < length)
        text += kOldFileLetters[pick(0, static_cast<int>(sizeof kOldFileLetters) - 2)];
    setRecordText(room.object(x, y), text);
    return true;
}

void CastleGenerator::fillToLimit(size_t limit) {
    // Texts of the right length bring the program to the limit or just under
    // it. A text costs four bytes and its letters, and three more for the
    // room's text list when it is the room's first entry.
    const int rooms = roomsInUseRun(app_.castle);
    size_t size = kHeaderSize + 1 + kEndRoomSize;
    std::vector<bool> hasList(static_cast<size_t>(rooms));
    std::vector<uint8_t> lists;
    for (int r = 0; r < rooms; ++r) {
        lists.clear();
        compileRoom(app_.castle, r, lists);
        size += kRoomEntrySize + lists.size();
        const Room& room = app_.castle.room(r);
        bool list = room.roomObjectCount[kCamouflage] > 0;
        for (int i = 0; i < kCellsPerRoom && !list; ++i)
            list = room.objectLayer()[static_cast<size_t>(i)].type == kText &&
                   writtenLetters(room.objectLayer()[static_cast<size_t>(i)], i % kColumns) > 0;
        hasList[static_cast<size_t>(r)] = list;
    }
    for (int tries = 0; tries < 4000 && size + 8 <= limit; ++tries) {
        const int r = pick(0, rooms - 1);
        selectRoom(app_, r);
        const size_t room = limit - size;
        int x = 0, y = 0;
        if (!addText(static_cast<int>(std::min<size_t>(kMaxTextLength, room - 7)), &x, &y)) continue;
        const size_t letters = writtenLetters(app_.castle.room(r).object(x, y), x);
        if (letters == 0) continue;
        size += 4 + letters + (hasList[static_cast<size_t>(r)] ? 0 : 3);
        hasList[static_cast<size_t>(r)] = true;
    }
}

int CastleGenerator::generate(uint32_t seed) {
    rng_.seed(seed);
    resetRooms(app_.castle, usedRooms_);
    const int kind = pick(0, 99);
    // Mostly small castles, so that thousands run in seconds; every 200th
    // seed all 64 rooms, every 80th filled up to the size limit (with rooms
    // enough to hold that much).
    const bool toTheLimit = seed % 80 == 3;
    const int rooms = seed % 200 == 7 ? kRooms
                      : toTheLimit    ? pick(48, 63)
                      : kind < 70     ? 1
                      : kind < 90     ? pick(2, 4)
                      : kind < 98     ? pick(5, 16)
                                      : pick(17, 63);
    usedRooms_ = rooms;

    // Rooms are built until the program would pass the limit; a room that
    // does not fit is built again with only its door.
    size_t size = kHeaderSize + 1 + kEndRoomSize;
    std::vector<uint8_t> lists;
    for (int r = 0; r < rooms; ++r) {
        const double density = chance(0.15) ? 1.0 : std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
        room(r, density);
        lists.clear();
        compileRoom(app_.castle, r, lists);
        if (size + kRoomEntrySize + lists.size() + 40 * static_cast<size_t>(rooms - r) > kMaxProgramSize) {
            resetRoomRecords(app_.castle, r);
            room(r, 0.0);
            lists.clear();
            compileRoom(app_.castle, r, lists);
        }
        size += kRoomEntrySize + lists.size();
    }

    // Doors connected across the castle, both ways, and the players' start doors.
    auto randomDoor = [&](int& r, CellPos& at) {
        r = pick(0, rooms - 1);
        const Room& room = app_.castle.room(r);
        std::vector<CellPos> doors;
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x)
                if (room.object(x, y).type == kDoor) doors.push_back({x, y});
        at = any(doors);
    };
    for (int i = pick(0, rooms * 2); i > 0; --i) {
        int ra = 0, rb = 0;
        CellPos a, b;
        randomDoor(ra, a);
        randomDoor(rb, b);
        selectRoom(app_, ra);
        app_.popupCell = a;
        startConnecting(app_);
        selectRoom(app_, rb);
        connectDoorAt(app_, b.x, b.y);
    }
    for (int player = 1; player <= 2; ++player) {
        int r = 0;
        CellPos d;
        randomDoor(r, d);
        selectRoom(app_, r);
        app_.popupCell = d;
        setPlayerStart(app_, player);
        app_.castle.settings.playerLives[player - 1] = static_cast<uint8_t>(pick(0, 255));
    }

    if (toTheLimit) fillToLimit(kMaxProgramSize);
    settleLeadingSpaces(rooms);
    app_.popupCell = {};
    selectRoom(app_, 0);
    return rooms;
}

void CastleGenerator::settleLeadingSpaces(int rooms) {
    // A text's letters stand a letter further right per leading space. Where
    // they would land on an object, or on the letters of another such text,
    // the author would not have typed the spaces.
    for (int r = 0; r < rooms; ++r) {
        Room& room = app_.castle.room(r);
        std::vector<bool> taken(kCellsPerRoom, false);
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x) {
                CellRecord& t = room.object(x, y);
                if (t.type != kText) continue;
                std::string text = recordText(t);
                const size_t lead = std::min(text.find_first_not_of(' '), text.size());
                const int column = x + 2 * static_cast<int>(lead);
                if (lead == 0 || lead == text.size() || column > kColumns - 2) continue;
                bool free = true;
                for (int c = column; c < column + 2; ++c)
                    free = free && room.object(c, y).type == kEmpty && !taken[static_cast<size_t>(Room::index(c, y))];
                if (!free) {
                    setRecordText(t, text.substr(lead));
                    continue;
                }
                taken[static_cast<size_t>(Room::index(column, y))] = true;
                taken[static_cast<size_t>(Room::index(column + 1, y))] = true;
            }
    }
}


struct Castle {
    QuietPlatform ui;
    AppState app{ui};
    int usedRooms = 0;  // rooms to put back before the next use
    Castle() { clearCastle(app); }
    CastleModel& model() { return app.castle; }
    void reset() {
        resetRooms(app.castle, usedRooms);
        usedRooms = 0;
        ui.clearRecords();
    }
};

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

// What a castle program does not store: the one place that lists it, each with its reason. Applied to the original
// and to the castle read back alike; everything else must be equal.
//  1. Map rectangles lie on the 16-pixel grid: a room entry holds map cells.
//  2. Walkway pieces are plain walkway: runs are stored, the pieces are shaped
//     again after reading.
//  3. A text's leading spaces move its letters right, two columns (a letter)
//     each: the format would read a leading space as camouflage. A text
//     without letters, or whose letters begin past column 38, is gone.
//  4. Door bells, locks and transmitters hold their links in the first slots:
//     their lists name used slots only.
//  5. Conveyor and trap switches show the state of what they switch: only
//     that state is stored.
//  6. Numbers are ordinals (renumbering runs after every build and load).
// Compared below only by what they carry:
//  7. Empty and covered cells by their type: the other fields of a removed
//     object's cells are zero, of cells never used 255.
//  8. Vertical records by their type and derived fields: runs are stored by
//     position, so a cell's number and the ordinal a cell below a run's top
//     once had are not.
//  9. Texts up to their terminator: the rest of the record's text is not stored.
void normaliseToProgram(CastleModel& castle, int r) {
    Room& room = castle.room(r);
    MapRect& m = room.roomMapRect;
    const int width = (m.right - m.left) / kMapCellPixels, height = (m.bottom - m.top) / kMapCellPixels;
    m.left = m.left / kMapCellPixels * kMapCellPixels;
    m.top = m.top / kMapCellPixels * kMapCellPixels;
    m.right = m.left + width * kMapCellPixels;
    m.bottom = m.top + height * kMapCellPixels;

    for (int32_t& w : room.walkwayLayer())
        if (w >= kWalkway && w <= kWalkwaySlideM) w = kWalkway;

    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.object(x, y);
            if (rec.type == kDoorBell || rec.type == kLock || rec.type == kTransmitter) {
                int to = 0;
                for (int s = 0; s < kLinkSlots; ++s) {
                    if (rec.links[s][0] == -1) continue;
                    rec.links[to][0] = rec.links[s][0];
                    rec.links[to][1] = rec.links[s][1];
                    ++to;
                }
                for (; to < kLinkSlots; ++to) rec.links[to][0] = rec.links[to][1] = -1;
            }
            if (rec.type == kConveyorSwitch && isInsideRoom(rec.links[0][0], rec.links[0][1])) {
                static constexpr int kPictures[3] = {kPicConveyorSwitchOff, kPicConveyorSwitchLeft,
                                                     kPicConveyorSwitchRight};
                const int v = room.object(rec.links[0][0], rec.links[0][1]).variant;
                if (v >= 0 && v <= 2) rec.picture = kPictures[v];
            }
            if (rec.type == kTrap && isInsideRoom(rec.links[0][0], rec.links[0][1])) {
                CellRecord& sw = room.object(rec.links[0][0], rec.links[0][1]);
                if (sw.type == kTrapSwitch) sw.picture = rec.variant == 0 ? kPicTrapSwitchOpen : kPicTrapSwitchClosed;
            }
        }

    // Texts last: moving one is placing it again.
    struct Moved {
        CellRecord record;
        int x, y;
    };
    std::vector<Moved> moved;
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.object(x, y);
            if (rec.type != kText) continue;
            const std::string text = recordText(rec);
            const size_t lead = std::min(text.find_first_not_of(' '), text.size());
            if (lead == 0 && !text.empty()) continue;
            const int column = x + 2 * static_cast<int>(lead);
            if (lead < text.size() && column <= kColumns - 2) {
                Moved m{rec, column, y};
                std::memset(m.record.text, 0, sizeof m.record.text);
                setRecordText(m.record, text.substr(lead));
                m.record.x = column;
                moved.push_back(m);
            }
            room.object(x, y).reset();
            room.object(x + 1, y).reset();
        }
    for (const Moved& m : moved) {
        room.object(m.x, m.y) = m.record;
        room.object(m.x + 1, m.y).type = kCoveredBase + m.x * kColumns + m.y;
    }
    recountRoom(castle, r);
    // Records keep only what they carry (rules 6 to 9).
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& o = room.object(x, y);
            if (!isObjectType(o.type)) {
                const int t = o.type;
                o.reset();
                o.type = t;
            } else {
                o.number = static_cast<int8_t>(o.ordinal & 0xFF);
                const std::string text = recordText(o);
                std::memset(o.text, 0, sizeof o.text);
                setRecordText(o, text);
            }
            CellRecord& v = room.vertical(x, y);
            CellRecord kept;
            kept.reset();
            kept.type = v.type;
            if (isObjectType(v.type)) {
                const bool run = v.type == kLadder || v.type == kSlidingPole || v.type == kGunRailLeft || v.type == kGunRailRight;
                kept.typeCount = v.typeCount;
                kept.x = v.x;
                kept.y = v.y;
                kept.length = run ? v.length : 0;
                kept.ordinal = y == 0 || room.vertical(x, y - 1).type != v.type ? v.ordinal : 0;
            }
            v = kept;
        }
}

// Names the first difference between two rooms, or "".
std::string roomDifference(const Room& a, const Room& b) {
    if (sameRoom(a, b)) return "";
    for (int i = 0; i < kCellsPerRoom; ++i) {
        const size_t c = static_cast<size_t>(i);
        const std::string at = " at cell " + std::to_string(i) + " (" + std::to_string(i % kColumns) + "," + std::to_string(i / kColumns) + ")";
        if (std::memcmp(&a.objectLayer()[c], &b.objectLayer()[c], sizeof(CellRecord)) != 0)
            return std::string(objectTypeName(a.objectLayer()[c].type)) + at;
        if (std::memcmp(&a.verticalLayer()[c], &b.verticalLayer()[c], sizeof(CellRecord)) != 0) return "vertical record" + at;
        if (a.walkwayLayer()[c] != b.walkwayLayer()[c]) return "walkway" + at;
        if (a.camouflageLayer()[c] != b.camouflageLayer()[c]) return "camouflage" + at;
    }
    return "counts, colour, map rectangle or in-use flag";
}

// How far the castles reached.
std::set<std::string> wanted() {
    std::set<std::string> w{"64 rooms", "the size limit", "switches sharing a conveyor", "leading spaces",
                            "a text of full length", "double height"};
    for (int t = 0; t < kPaletteTypes; ++t) w.insert(std::string(objectTypeName(t)));
    for (int t : {kConveyor, kTrap, kLightningMachine, kLightningSwitch, kFrankenstein, kDoor})
        for (int v = 0; v < (t == kConveyor ? 3 : 2); ++v) w.insert(std::string(objectTypeName(t)) + " " + std::to_string(v));
    return w;
}

void addReach(std::set<std::string>& seen, const CastleModel& castle, int rooms, size_t programSize) {
    if (rooms == kRooms) seen.insert("64 rooms");
    if (programSize + 30 > kMaxProgramSize) seen.insert("the size limit");
    for (int r = 0; r < rooms; ++r) {
        const Room& room = castle.room(r);
        std::set<int> conveyors;
        for (int i = 0; i < kCellsPerRoom; ++i) {
            const CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
            for (int t : {rec.type, room.verticalLayer()[static_cast<size_t>(i)].type}) {
                if (t >= 0 && t < kPaletteTypes) seen.insert(std::string(objectTypeName(t)));
            }
            if (room.walkwayLayer()[static_cast<size_t>(i)] == kWalkway) seen.insert(std::string(objectTypeName(kWalkway)));
            if (room.camouflageLayer()[static_cast<size_t>(i)] == 1) seen.insert(std::string(objectTypeName(kCamouflage)));
            if (isObjectType(rec.type)) seen.insert(std::string(objectTypeName(rec.type)) + " " + std::to_string(rec.variant));
            if (rec.type == kConveyorSwitch && rec.links[0][0] >= 0 && !conveyors.insert(rec.links[0][0] * 100 + rec.links[0][1]).second)
                seen.insert("switches sharing a conveyor");
            if (rec.type == kText) {
                const std::string text = recordText(rec);
                if (!text.empty() && text[0] == ' ' && text.find_first_not_of(' ') != std::string::npos) seen.insert("leading spaces");
                if (text.size() == static_cast<size_t>(kMaxTextLength)) seen.insert("a text of full length");
                if (rec.variant == 1) seen.insert("double height");
            }
        }
    }
}

std::string firstDifference(const Bytes& a, const Bytes& b) {
    const auto d = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (d.first == a.end() && d.second == b.end()) return "";
    return "offset " + std::to_string(d.first - a.begin()) + " of " + std::to_string(a.size()) + " and " + std::to_string(b.size());
}

TEST(GeneratedCastles, SurviveProgramProjectAndRoomFiles) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr unsigned long kCastles = 200;  // the checked build is many times slower
#else
    constexpr unsigned long kCastles = 2000;
#endif
    const unsigned long count = envNumber("GRUSK_ROUNDTRIP_CASTLES", kCastles);
    const unsigned long firstSeed = envNumber("GRUSK_ROUNDTRIP_SEED", 1);
    const Bytes endRoom = test::sampleEndRoom();

#if defined(__GLIBC__)
    // The project images are 22 MB each: kept in the heap, not mapped afresh every time.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    Castle original, readBack, careful, expected, batch, reloaded;
    CastleGenerator generator(original.app);
    std::set<std::string> seen;
    int batchRooms = 0;  // rooms of the project file filled so far

    // A project file always holds 64 rooms: the rooms of consecutive castles
    // fill one, brought in through room files, and it is saved and loaded
    // whenever it is full.
    auto projectRoundTrip = [&] {
        const Bytes saved = castleFileImage(batch.model());
        readCastleImage(reloaded.model(), saved.data(), saved.size());
        EXPECT_TRUE(castleFileImage(reloaded.model()) == saved) << "project file saved again differs";
        batchRooms = 0;
    };

    for (unsigned long n = 0; n < count; ++n) {
        const uint32_t seed = static_cast<uint32_t>(firstSeed + n);
        SCOPED_TRACE("castle seed " + std::to_string(seed));
        const int rooms = generator.generate(seed);
        original.ui.clearRecords();

        // The check recounts and renumbers before a build; it looks at all 64
        // rooms, so after a sample of castles the recount and renumbering alone do.
        // Another sample is checked from types gathered beforehand, which must
        // leave the same castle.
        if (n % 16 == 0) {
            ASSERT_EQ(checkCastle(original.app, false), 0) << original.ui.log.front();
        } else if (n % 16 == 8) {
            const CastleTypes types(original.model());
            ASSERT_EQ(checkCastle(original.app, false, types), 0) << original.ui.log.front();
        } else {
            for (int r = 0; r < rooms; ++r) recountRoom(original.model(), r);
            renumberObjects(original.model());
        }
        std::vector<std::string> errors;
        const auto program = buildCastleProgram(original.model(), endRoom, &errors);
        ASSERT_TRUE(program.has_value()) << errors.front();
        addReach(seen, original.model(), rooms, program->size());

        readBack.reset();
        const ProgramRead read = readCastleProgramIntoClearedCastle(readBack.model(), program->data(), program->size());
        readBack.usedRooms = rooms;
        ASSERT_EQ(read.damagedAt, -1) << programDamageLine(read.damagedAt);
        // The quick reading must give what reading with a recount after every
        // placement gives.
        if (n % 16 == 4) {
            careful.reset();
            readCastleProgramIntoClearedCastle(careful.model(), program->data(), program->size(), RoomReading::Careful);
            careful.usedRooms = rooms;
            for (int r = 0; r < rooms; ++r)
                ASSERT_TRUE(sameRoom(careful.model().room(r), readBack.model().room(r)))
                    << "careful reading, room " << r;
        }
        // Reading recounts and renumbers what it read.
        const auto again = buildCastleProgram(readBack.model(), endRoom);
        ASSERT_TRUE(again.has_value());
        ASSERT_EQ(firstDifference(*again, *program), "") << "compiling the castle read back gives other bytes";

        ASSERT_EQ(std::memcmp(&original.model().settings, &readBack.model().settings, sizeof(CastleSettings)), 0);
        for (int r = 0; r < rooms; ++r) {
            expected.model().room(r) = original.model().room(r);
            normaliseToProgram(expected.model(), r);
            normaliseToProgram(readBack.model(), r);
            ASSERT_EQ(roomDifference(expected.model().room(r), readBack.model().room(r)), "") << "room " << r;
        }
        ASSERT_EQ(roomsInUseRun(readBack.model()), rooms);

        for (int r = 0; r < rooms; ++r) {
            if (batchRooms == kRooms) projectRoundTrip();
            const int slot = batchRooms++;
            const Bytes file = roomFileImage(original.model(), r);
            ASSERT_EQ(file.size(), kRoomFileSize);
            readRoomImage(batch.model(), slot, file.data(), file.size());
            // Byte for byte what was exported, the objects in the room they were imported into.
            Room& into = batch.model().room(slot);
            const Room& from = original.model().room(r);
            into.roomInUse = from.roomInUse;
            into.roomColour = from.roomColour;
            into.roomMapRect = from.roomMapRect;
            expected.model().room(r) = from;
            for (CellRecord& rec : expected.model().room(r).objectLayer())
                if (isObjectType(rec.type)) rec.room = slot;
            ASSERT_EQ(roomDifference(expected.model().room(r), into), "") << "room file of room " << r;
            batch.model().settings = original.model().settings;
        }
    }
    if (batchRooms > 0) projectRoundTrip();
    std::string missing;
    for (const std::string& w : wanted()) missing += seen.count(w) ? "" : w + "; ";
    EXPECT_EQ(missing, "") << "the generator never made these";
}

}  // namespace
}  // namespace grusk
