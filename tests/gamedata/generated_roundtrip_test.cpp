// Generated castles through the castle program, the project file and the room file.
// GRUSK_ROUNDTRIP_CASTLES sets how many castles, GRUSK_ROUNDTRIP_SEED the first seed.
#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "app/door_links.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/castle_reader.h"
#include "gamedata/compiler.h"
#include "gamedata/program_layout.h"
#include "gamedata_fixture.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

using Bytes = std::vector<uint8_t>;

// Link groups: at most `most` a room, each of 1 to `linked` targets (0: the room's doors) and 1 to
// `linkers` linking objects. Targets nobody links to stay only where the program keeps them (`keep`).
struct Group {
    int linker, most, linked, linkers;
    bool keep;
};
constexpr Group kGroups[] = {
    {kGunControl, 3, 1, 3, false}, {kLightningSwitch, 2, 4, 3, true}, {kForceField, 3, 1, 3, false},
    {kMummy, 3, 1, 3, false},      {kTrap, 3, 1, 3, false},            {kConveyorSwitch, 3, 1, 4, false},
    {kTransmitter, 2, 5, 1, false}, {kLock, 3, 0, 1, true},            {kDoorBell, 3, 0, 1, true},
};

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.!?,- ";
constexpr char kOldFileLetters[] = "abcdefghijklmnopqrstuvwxyzABCXYZ019.!?,- ";

void resetRooms(CastleModel& castle, int rooms) {
    for (int r = 0; r < rooms && r < kRooms; ++r) {
        resetRoomRecords(castle, r);
        castle.room(r).roomColour = 2;
        castle.room(r).roomInUse = 0;
        castle.room(r).roomMapRect = MapRect{};
    }
    castle.settings = CastleSettings{};
    castle.currentRoom = 0;
}

// Seeded valid castles of 1 to 64 rooms made through the editor's own operations, over a castle
// as clearing or the last castle made here left it.
class CastleGenerator {
public:
    explicit CastleGenerator(AppState& app) : app_(app) {}

    // A castle that passes the check and compiles within the size limit; its rooms.
    int generate(uint32_t seed) {
        rng_.seed(seed);
        resetRooms(app_.castle, usedRooms_);
        const int kind = pick(0, 99);
        // Mostly small castles; every 200th seed all 64 rooms, every 80th filled to the size limit.
        const bool toTheLimit = seed % 80 == 3;
        const int rooms = seed % 200 == 7 ? kRooms
                          : toTheLimit    ? pick(48, 63)
                          : kind < 70     ? 1
                          : kind < 90     ? pick(2, 4)
                          : kind < 98     ? pick(5, 16)
                                          : pick(17, 63);
        usedRooms_ = rooms;
        // A room that would pass the size limit is built again with only its door.
        size_t size = kHeaderSize + 1 + kEndRoomSize;
        sizes_.assign(static_cast<size_t>(rooms), 0);
        for (int r = 0; r < rooms; ++r) {
            room(r, chance(0.15) ? 1.0 : std::uniform_real_distribution<double>(0.0, 1.0)(rng_));
            if (size + roomSize(r) + 40 * static_cast<size_t>(rooms - r) > kMaxProgramSize) {
                resetRoomRecords(app_.castle, r);
                room(r, 0.0);
            }
            size += sizes_[static_cast<size_t>(r)] = roomSize(r);
        }
        // Doors connected across the castle, both ways, and the players' start doors.
        for (int i = pick(0, rooms * 2); i > 0; --i) {
            app_.popupCell = randomDoor(rooms);
            startConnecting(app_);
            const CellPos b = randomDoor(rooms);
            connectDoorAt(app_, b.x, b.y);
        }
        for (int player = 1; player <= 2; ++player) {
            app_.popupCell = randomDoor(rooms);
            setPlayerStart(app_, player);
            app_.castle.settings.playerLives[player - 1] = static_cast<uint8_t>(pick(0, 255));
        }
        // Texts bring the program close to the limit (four bytes and the letters, three more to begin a list).
        for (int tries = 0; toTheLimit && tries < 4000 && size + 11 <= kMaxProgramSize; ++tries) {
            const int r = pick(0, rooms - 1);
            selectRoom(app_, r);
            const auto at = addText(static_cast<int>(std::min<size_t>(kMaxTextLength, kMaxProgramSize - size - 10)));
            if (!at) continue;
            const size_t grown = roomSize(r);
            if (size + grown - sizes_[static_cast<size_t>(r)] > kMaxProgramSize) {
                deleteObjectAt(app_, at->x, at->y);
                continue;
            }
            size += grown - sizes_[static_cast<size_t>(r)];
            sizes_[static_cast<size_t>(r)] = grown;
        }
        settleLeadingSpaces(rooms);
        app_.popupCell = {};
        selectRoom(app_, 0);
        return rooms;
    }

private:
    AppState& app_;
    std::mt19937 rng_;
    int usedRooms_ = 0;
    std::vector<size_t> sizes_;                // what each room adds to the program
    std::map<int, std::array<int, 3>> rails_;  // a gun's cell index: its rail's column, top and bottom

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    CellPos any(const std::vector<CellPos>& v) { return v[static_cast<size_t>(pick(0, static_cast<int>(v.size()) - 1))]; }
    Room& current() { return app_.castle.current(); }
    size_t roomSize(int r) {
        std::vector<uint8_t> lists;
        compileRoom(app_.castle, r, lists);
        return kRoomEntrySize + lists.size();
    }
    // Selects a random room; one of its doors.
    CellPos randomDoor(int rooms) {
        const int r = pick(0, rooms - 1);
        std::vector<CellPos> doors;
        for (int i = 0; i < kCellsPerRoom; ++i)
            if (app_.castle.room(r).objectLayer()[static_cast<size_t>(i)].type == kDoor) doors.push_back({i % kColumns, i / kColumns});
        selectRoom(app_, r);
        return any(doors);
    }

    // Laid cell by cell as a drag does; the room is recounted once they are all down.
    void lay(int type, int x, int y) { placeObjectNoRecount(app_, type, x, y, false); }
    void link(CellPos from, CellPos to) {
        app_.popupCell = from;
        startLinking(app_);
        linkObjectAt(app_, to.x, to.y);
    }
    void colour(CellPos at) {
        app_.popupCell = at;
        setObjectColour(app_, kCmdColourWhite + pick(0, 6));
    }

    bool put(int type, int x, int y) {
        // Taken spots are skipped here: a refused placement still recounts the room.
        if (storageLayer(type) == Layer::Object) {
            const Size s = placementCells(type);
            for (int by = y; by < y + s.height; ++by)
                for (int bx = x; bx < x + s.width; ++bx)
                    if (!isInsideRoom(bx, by) || current().object(bx, by).type != kEmpty) return false;
        }
        return placeObject(app_, type, x, y) == 1;
    }

    std::optional<CellPos> putSomewhere(int type) {
        const Size s = placementCells(type);
        for (int tries = 0; tries < 12; ++tries) {
            const CellPos at{pick(0, kColumns - s.width), pick(0, kRows - 1)};
            if (put(type, at.x, at.y)) return at;
        }
        return std::nullopt;
    }

    // A gun comes with its rail beside it, a lightning machine with the suspension above it.
    std::optional<CellPos> placeLinked(int type) {
        const std::optional<CellPos> at = putSomewhere(type);
        if (at && type == kLightningMachine)
            for (int k = 1, hang = pick(0, at->y); k <= hang && current().object(at->x + 1, at->y - k).type == kEmpty; ++k)
                lay(kLightningSuspension, at->x + 1, at->y - k);
        if (!at || (type != kGunLeft && type != kGunRight)) return at;
        const int x = type == kGunRight ? at->x + 2 : at->x - 1, top = pick(0, at->y), bottom = pick(at->y, kRows - 1);
        bool free = x >= 0 && x < kColumns;
        for (int y = top; free && y <= bottom; ++y) free = current().vertical(x, y).type == kEmpty;
        if (!free) {
            deleteObjectAt(app_, at->x, at->y);
            return std::nullopt;
        }
        for (int y = top; y <= bottom; ++y) lay(type == kGunRight ? kGunRailRight : kGunRailLeft, x, y);
        recountRoom(app_.castle, app_.castle.currentRoom);
        rails_[Room::index(at->x, at->y)] = {x, top, bottom};
        return at;
    }

    void remove(CellPos at) {
        deleteObjectAt(app_, at.x, at.y);
        const auto rail = rails_.find(Room::index(at.x, at.y));
        if (rail == rails_.end()) return;
        for (int y = rail->second[1]; y <= rail->second[2]; ++y) deleteObjectAt(app_, rail->second[0], y);
        rails_.erase(rail);
    }

    void group(const Group& g, const std::vector<CellPos>& doors) {
        const LinkRule& rule = *linkRuleFor(g.linker);
        const int type = rule.target2 >= 0 && chance(0.5) ? rule.target2 : rule.target;
        std::vector<CellPos> linked = g.linked == 0 ? doors : std::vector<CellPos>{};
        for (int n = g.linked == 0 ? 0 : pick(1, g.linked); n > 0; --n)
            if (const auto at = placeLinked(type)) linked.push_back(*at);
        if (linked.empty()) return;
        std::set<int> used;
        for (int n = pick(1, g.linkers); n > 0; --n) {
            const std::optional<CellPos> at = putSomewhere(g.linker);
            if (!at) continue;
            if (g.linker == kLock) colour(*at);
            // Every slot of a list now and then; each linked object once before any twice.
            const int links = rule.slots == 1 ? 1 : chance(0.1) ? rule.slots : pick(1, std::min(rule.slots, 4));
            for (int l = 0; l < links; ++l) {
                const CellPos to = l < static_cast<int>(linked.size()) ? linked[static_cast<size_t>(l)] : any(linked);
                link(*at, to);
                used.insert(Room::index(to.x, to.y));
            }
        }
        for (const CellPos& at : linked)
            if (!g.keep && !used.count(Room::index(at.x, at.y))) remove(at);
    }

    void room(int r, double density) {
        selectRoom(app_, r);
        Room& room = app_.castle.room(r);
        room.roomInUse = 1;
        room.roomColour = pick(0, 15);
        // Anywhere on the map, not only on its 16-pixel grid, at most 7 cells each way.
        const int left = pick(0, 600), top = pick(0, 300);
        room.roomMapRect = MapRect{left, top, left + pick(16, 127), top + pick(16, 127)};
        auto some = [&](int most) { return std::max(0, static_cast<int>(pick(0, most) * density + 0.5)); };

        std::vector<CellPos> doors;  // at least one in every room
        for (int i = 1 + some(5); i > 0; --i) {
            std::optional<CellPos> at = putSomewhere(kDoor);
            if (!at && doors.empty() && put(kDoor, 0, 0)) at = CellPos{0, 0};
            if (!at) continue;
            doors.push_back(*at);
            app_.popupCell = *at;
            if (chance(0.3)) setDoorType(app_, true);
            if (chance(0.2)) setDoorType(app_, false);
            CellRecord& d = room.object(at->x, at->y);
            d.direction = pick(0, 3);
            d.mapX = pick(0, 255);
            d.mapY = pick(0, 255);
        }
        rails_.clear();
        for (const Group& g : kGroups)
            for (int i = some(g.most); i > 0; --i) group(g, doors);
        for (int i = some(3); i > 0; --i)
            if (const auto at = putSomewhere(kKey)) colour(*at);
        for (int i = some(3); i > 0; --i) putSomewhere(kFrankenstein);

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
        if (chance(0.3))
            if (const auto at = putSomewhere(pick(0, 1) ? kFrankenstein : kKey)) deleteObjectAt(app_, at->x, at->y);
        for (int i = some(5); i > 0; --i) addText(chance(0.2) ? kMaxTextLength : pick(1, kMaxTextLength));
        shapeWalkways(app_);
        // States last: switches step what they are linked to.
        for (int i = 0; i < kCellsPerRoom; ++i)
            for (int t = isObjectType(room.objectLayer()[static_cast<size_t>(i)].type) && chance(0.5) ? pick(1, 3) : 0; t > 0; --t)
                toggleObjectState(app_, i % kColumns, i / kColumns);
    }

    std::optional<CellPos> addText(int length) {
        const std::optional<CellPos> at = putSomewhere(kText);
        if (!at) return at;
        colour(*at);
        if (chance(0.3)) toggleDoubleHeight(app_);
        std::string text;
        if (chance(0.6)) {
            for (int k = 0; k < length; ++k) text += kLetters[pick(0, static_cast<int>(sizeof kLetters) - 2)];
            textDialogOk(app_, text);
            return at;
        }
        // As an older project file may hold it: lower case, spaces in front.
        text.assign(static_cast<size_t>(std::min(chance(0.5) ? pick(1, 6) : 0, length)), ' ');
        while (static_cast<int>(text.size()) < length)
            text += kOldFileLetters[pick(0, static_cast<int>(sizeof kOldFileLetters) - 2)];
        setRecordText(current().object(at->x, at->y), text);
        return at;
    }

    // Leading spaces move the letters right; where they would land on something, they are dropped.
    void settleLeadingSpaces(int rooms) {
        for (int r = 0; r < rooms; ++r) {
            Room& room = app_.castle.room(r);
            std::vector<bool> taken(kCellsPerRoom, false);
            for (size_t i = 0; i < kCellsPerRoom; ++i) {
                CellRecord& t = room.objectLayer()[i];
                const std::string text = t.type == kText ? recordText(t) : "";
                const size_t lead = std::min(text.find_first_not_of(' '), text.size()), to = i + 2 * lead;
                if (lead == 0 || lead == text.size() || i % kColumns + 2 * lead > kColumns - 2) continue;
                if (room.objectLayer()[to].type != kEmpty || room.objectLayer()[to + 1].type != kEmpty || taken[to] || taken[to + 1])
                    setRecordText(t, text.substr(lead));
                else
                    taken[to] = taken[to + 1] = true;
            }
        }
    }
};

struct Castle {
    QuietPlatform ui;
    AppState app{ui};
    int usedRooms = 0;  // rooms to put back before the next use
    Castle() { clearCastle(app); }
    CastleModel& model() { return app.castle; }
    void reset(int rooms) {
        resetRooms(app.castle, usedRooms);
        usedRooms = rooms;
        ui.clearRecords();
    }
};

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

// What a castle program does not store, applied to the original and to the castle read back alike:
//  1. Map rectangles lie on the 16-pixel grid: a room entry holds map cells.
//  2. Walkway pieces are plain walkway: runs are stored and shaped again after reading.
//  3. A leading space would read as camouflage: each moves the letters right a letter. A text without
//     letters, or whose letters begin past column 38, is gone.
//  4. Door bells, locks and transmitters hold their links in the first slots: lists name used slots only.
//  5. Conveyor and trap switches show the state of what they switch: only that state is stored.
//  6. Numbers are ordinals (renumbering runs after every build and load).
// Compared only by what they carry:
//  7. Empty and covered cells by their type (a removed object's cells are zero, unused ones 255).
//  8. Vertical records by type and derived fields: runs are stored by position, not their cells' numbers.
//  9. Texts up to their terminator.
void normaliseToProgram(CastleModel& castle, int r) {
    Room& room = castle.room(r);
    MapRect& m = room.roomMapRect;
    auto grid = [](int v) { return v / kMapCellPixels * kMapCellPixels; };
    m = MapRect{grid(m.left), grid(m.top), grid(m.left) + grid(m.right - m.left), grid(m.top) + grid(m.bottom - m.top)};
    for (int32_t& w : room.walkwayLayer())
        if (w >= kWalkway && w <= kWalkwaySlideM) w = kWalkway;

    struct Moved {
        CellRecord record;
        int x, y;
    };
    std::vector<Moved> moved;
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.object(x, y);
            if (rec.type == kDoorBell || rec.type == kLock || rec.type == kTransmitter) {
                int to = 0;
                for (const auto& l : rec.links)
                    if (l[0] != -1) rec.links[to][0] = l[0], rec.links[to++][1] = l[1];
                for (; to < kLinkSlots; ++to) rec.links[to][0] = rec.links[to][1] = -1;
            }
            CellRecord* other = isInsideRoom(rec.links[0][0], rec.links[0][1]) ? &room.object(rec.links[0][0], rec.links[0][1]) : nullptr;
            static constexpr int kPictures[3] = {kPicConveyorSwitchOff, kPicConveyorSwitchLeft, kPicConveyorSwitchRight};
            if (rec.type == kConveyorSwitch && other && other->variant >= 0 && other->variant <= 2) rec.picture = kPictures[other->variant];
            if (rec.type == kTrap && other && other->type == kTrapSwitch)
                other->picture = rec.variant == 0 ? kPicTrapSwitchOpen : kPicTrapSwitchClosed;
            const std::string text = rec.type == kText ? recordText(rec) : "x";
            const size_t lead = std::min(text.find_first_not_of(' '), text.size());
            if (lead == 0 && !text.empty()) continue;
            // Texts are moved last: moving one is placing it again.
            const int column = x + 2 * static_cast<int>(lead);
            if (lead < text.size() && column <= kColumns - 2) {
                Moved t{rec, column, y};
                std::memset(t.record.text, 0, sizeof t.record.text);
                setRecordText(t.record, text.substr(lead));
                t.record.x = column;
                moved.push_back(t);
            }
            room.object(x, y).reset();
            room.object(x + 1, y).reset();
        }
    for (const Moved& t : moved) {
        room.object(t.x, t.y) = t.record;
        room.object(t.x + 1, t.y).type = kCoveredBase + t.x * kColumns + t.y;
    }
    recountRoom(castle, r);
    // Records keep only what they carry (rules 6 to 9).
    for (int i = 0; i < kCellsPerRoom; ++i) {
        CellRecord& o = room.objectLayer()[static_cast<size_t>(i)];
        CellRecord& v = room.verticalLayer()[static_cast<size_t>(i)];
        const int type = o.type;
        if (isObjectType(type)) {
            const std::string text = recordText(o);
            o.number = static_cast<int8_t>(o.ordinal & 0xFF);
            std::memset(o.text, 0, sizeof o.text);
            setRecordText(o, text);
        } else {
            o.reset();
            o.type = type;
        }
        CellRecord kept;
        kept.reset();
        kept.type = v.type;
        if (isObjectType(v.type)) {
            kept.typeCount = v.typeCount;
            kept.x = v.x;
            kept.y = v.y;
            kept.length = isVerticalType(v.type) ? v.length : 0;
            kept.ordinal = i < kColumns || room.verticalLayer()[static_cast<size_t>(i - kColumns)].type != v.type ? v.ordinal : 0;
        }
        v = kept;
    }
}

// Names the first difference between two rooms, or "".
std::string roomDifference(const Room& a, const Room& b) {
    if (sameRoom(a, b)) return "";
    for (size_t c = 0; c < kCellsPerRoom; ++c)
        if (std::memcmp(&a.objectLayer()[c], &b.objectLayer()[c], sizeof(CellRecord)) != 0 ||
            std::memcmp(&a.verticalLayer()[c], &b.verticalLayer()[c], sizeof(CellRecord)) != 0 ||
            a.walkwayLayer()[c] != b.walkwayLayer()[c] || a.camouflageLayer()[c] != b.camouflageLayer()[c])
            return std::string(objectTypeName(a.objectLayer()[c].type)) + " or what lies under it at cell " +
                   std::to_string(c % kColumns) + "," + std::to_string(c / kColumns);
    return "counts, colour, map rectangle or in-use flag";
}

// How far the castles reached: what they must have made, and what they made.
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
        for (size_t i = 0; i < kCellsPerRoom; ++i) {
            const CellRecord& rec = room.objectLayer()[i];
            for (int t : {rec.type, room.verticalLayer()[i].type, room.walkwayLayer()[i], room.camouflageLayer()[i] == 1 ? kCamouflage : -1})
                if (t >= 0 && t < kPaletteTypes) seen.insert(std::string(objectTypeName(t)));
            if (isObjectType(rec.type)) seen.insert(std::string(objectTypeName(rec.type)) + " " + std::to_string(rec.variant));
            if (rec.type == kConveyorSwitch && rec.links[0][0] >= 0 && !conveyors.insert(rec.links[0][0] * 100 + rec.links[0][1]).second)
                seen.insert("switches sharing a conveyor");
            const std::string text = rec.type == kText ? recordText(rec) : "";
            if (!text.empty() && text[0] == ' ' && text.find_first_not_of(' ') != std::string::npos) seen.insert("leading spaces");
            if (text.size() == static_cast<size_t>(kMaxTextLength)) seen.insert("a text of full length");
            if (rec.type == kText && rec.variant == 1) seen.insert("double height");
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

    // Room files of consecutive castles fill a project, saved and loaded whenever it is full.
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

        // The whole check (on a sample; some with types gathered beforehand), else recount and renumbering.
        if (n % 8 == 0) {
            ASSERT_EQ(n % 16 ? checkCastle(original.app, false, CastleTypes(original.model())) : checkCastle(original.app, false), 0)
                << original.ui.log.front();
        } else {
            for (int r = 0; r < rooms; ++r) recountRoom(original.model(), r);
            renumberObjects(original.model());
        }
        std::vector<std::string> errors;
        const auto program = buildCastleProgram(original.model(), endRoom, &errors);
        ASSERT_TRUE(program.has_value()) << errors.front();
        addReach(seen, original.model(), rooms, program->size());

        readBack.reset(rooms);
        const ProgramRead read = readCastleProgramIntoClearedCastle(readBack.model(), program->data(), program->size());
        ASSERT_EQ(read.damagedAt, -1) << programDamageLine(read.damagedAt);
        // The quick reading gives what a recount after every placement gives.
        if (n % 16 == 4) {
            careful.reset(rooms);
            readCastleProgramIntoClearedCastle(careful.model(), program->data(), program->size(), RoomReading::Careful);
            for (int r = 0; r < rooms; ++r)
                ASSERT_TRUE(sameRoom(careful.model().room(r), readBack.model().room(r))) << "careful reading, room " << r;
        }
        // Reading recounts and renumbers what it read.
        const auto again = buildCastleProgram(readBack.model(), endRoom);
        ASSERT_TRUE(again.has_value());
        ASSERT_EQ(firstDifference(*again, *program), "") << "compiling the castle read back gives other bytes";

        ASSERT_EQ(std::memcmp(&original.model().settings, &readBack.model().settings, sizeof(CastleSettings)), 0);
        ASSERT_EQ(roomsInUseRun(readBack.model()), rooms);
        for (int r = 0; r < rooms; ++r) {
            expected.model().room(r) = original.model().room(r);
            normaliseToProgram(expected.model(), r);
            normaliseToProgram(readBack.model(), r);
            ASSERT_EQ(roomDifference(expected.model().room(r), readBack.model().room(r)), "") << "room " << r;
        }

        // Room files bring the objects byte for byte into the room they are imported into.
        for (int r = 0; r < rooms; ++r) {
            if (batchRooms == kRooms) projectRoundTrip();
            const int slot = batchRooms++;
            const Bytes file = roomFileImage(original.model(), r);
            ASSERT_EQ(file.size(), kRoomFileSize);
            readRoomImage(batch.model(), slot, file.data(), file.size());
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
