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

#include "castle_generator.h"
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

struct Castle {
    QuietPlatform ui;
    AppState app{ui};
    int usedRooms = 0;  // rooms to put back before the next use
    Castle() { clearCastle(app); }
    CastleModel& model() { return app.castle; }
    void reset() {
        test::resetRooms(app.castle, usedRooms);
        usedRooms = 0;
        ui.clearRecords();
    }
};

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

// ---- What a castle program does not store -------------------------------
//
// The one place that lists it, each with its reason. Applied to the original
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
    for (CellRecord& rec : room.objectLayer())
        if (isObjectType(rec.type)) rec.number = static_cast<int8_t>(rec.ordinal & 0xFF);
}

// ---- Comparing --------------------------------------------------------------

// Records keep only what they carry (rules 7 to 9 above).
void keepWhatIsCarried(Room& room) {
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& o = room.object(x, y);
            if (!isObjectType(o.type)) {
                const int t = o.type;
                o.reset();
                o.type = t;
            } else if (o.type == kText) {
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

// ---- How far the castles reached ------------------------------------------

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

// ---- The suite -------------------------------------------------------------

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
    test::CastleGenerator generator(original.app);
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
        const test::GeneratedCastle made = generator.generate(seed);
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
            for (int r = 0; r < made.rooms; ++r) recountRoom(original.model(), r);
            renumberObjects(original.model());
        }
        std::vector<std::string> errors;
        const auto program = buildCastleProgram(original.model(), endRoom, &errors);
        ASSERT_TRUE(program.has_value()) << errors.front();
        addReach(seen, original.model(), made.rooms, program->size());

        readBack.reset();
        const ProgramRead read = readCastleProgramIntoClearedCastle(readBack.model(), program->data(), program->size());
        readBack.usedRooms = made.rooms;
        ASSERT_EQ(read.damagedAt, -1) << programDamageLine(read.damagedAt);
        // The quick reading must give what reading with a recount after every
        // placement gives.
        if (n % 16 == 4) {
            careful.reset();
            readCastleProgramIntoClearedCastle(careful.model(), program->data(), program->size(), RoomReading::Careful);
            careful.usedRooms = made.rooms;
            for (int r = 0; r < made.rooms; ++r)
                ASSERT_TRUE(sameRoom(careful.model().room(r), readBack.model().room(r)))
                    << "careful reading, room " << r;
        }
        // Reading recounts and renumbers what it read.
        const auto again = buildCastleProgram(readBack.model(), endRoom);
        ASSERT_TRUE(again.has_value());
        ASSERT_EQ(firstDifference(*again, *program), "") << "compiling the castle read back gives other bytes";

        ASSERT_EQ(std::memcmp(&original.model().settings, &readBack.model().settings, sizeof(CastleSettings)), 0);
        for (int r = 0; r < made.rooms; ++r) {
            expected.model().room(r) = original.model().room(r);
            for (CastleModel* c : {&expected.model(), &readBack.model()}) {
                normaliseToProgram(*c, r);
                keepWhatIsCarried(c->room(r));
            }
            ASSERT_EQ(roomDifference(expected.model().room(r), readBack.model().room(r)), "") << "room " << r;
        }
        ASSERT_EQ(roomsInUseRun(readBack.model()), made.rooms);

        for (int r = 0; r < made.rooms; ++r) {
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
