// Generated castles through every way the editor stores them: the castle
// program (compile, read back, compile again), the project file and the room
// file. GRUSK_ROUNDTRIP_CASTLES sets how many castles (a longer run) and
// GRUSK_ROUNDTRIP_SEED the first seed (to repeat a failure).
#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sstream>
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

struct FieldName {
    const char* name;
    size_t offset, size;
};
#define GK_FIELD(f) FieldName{#f, offsetof(CellRecord, f), sizeof(CellRecord::f)}
const std::array<FieldName, 24> kFields{{
    GK_FIELD(type), GK_FIELD(dragging), GK_FIELD(mark), GK_FIELD(picture), GK_FIELD(extra), GK_FIELD(typeCount),
    GK_FIELD(ordinal), GK_FIELD(x), GK_FIELD(y), GK_FIELD(mapX), GK_FIELD(mapY), GK_FIELD(destRoom),
    GK_FIELD(destDoor), GK_FIELD(destX), GK_FIELD(destY), GK_FIELD(variant), GK_FIELD(direction), GK_FIELD(length),
    GK_FIELD(links), GK_FIELD(room), GK_FIELD(colour), GK_FIELD(colourCode), GK_FIELD(text), GK_FIELD(number),
}};
#undef GK_FIELD

// The fields in which two records differ, or "".
std::string recordDifference(const CellRecord& a, const CellRecord& b) {
    std::string out;
    const auto* pa = reinterpret_cast<const uint8_t*>(&a);
    const auto* pb = reinterpret_cast<const uint8_t*>(&b);
    for (const FieldName& f : kFields)
        if (std::memcmp(pa + f.offset, pb + f.offset, f.size) != 0) out += std::string(out.empty() ? "" : ", ") + f.name;
    return out;
}

CellRecord withPlainText(const CellRecord& rec) {
    CellRecord copy = rec;
    const std::string text = recordText(rec);
    std::memset(copy.text, 0, sizeof copy.text);
    setRecordText(copy, text);
    return copy;
}

bool isRunType(int t) { return t == kLadder || t == kSlidingPole || t == kGunRailLeft || t == kGunRailRight; }

// Names the first difference between two normalised rooms, or "".
std::string roomDifference(const Room& a, const Room& b) {
    if (a.roomInUse != b.roomInUse) return "in-use flag";
    if (a.roomColour != b.roomColour) return "colour";
    if (std::memcmp(&a.roomMapRect, &b.roomMapRect, sizeof(MapRect)) != 0) return "map rectangle";
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            const std::string at = " at " + std::to_string(x) + "," + std::to_string(y);
            const CellRecord& oa = a.object(x, y);
            const CellRecord& ob = b.object(x, y);
            if (oa.type != ob.type) return "object type" + at;
            if (isObjectType(oa.type)) {
                const std::string d = recordDifference(withPlainText(oa), withPlainText(ob));
                if (!d.empty()) return std::string(objectTypeName(oa.type)) + at + ": " + d;
            }
            const CellRecord& va = a.vertical(x, y);
            const CellRecord& vb = b.vertical(x, y);
            if (va.type != vb.type) return "vertical type" + at;
            if (isObjectType(va.type)) {
                const bool top = y == 0 || a.vertical(x, y - 1).type != va.type;
                if (va.typeCount != vb.typeCount || va.x != vb.x || va.y != vb.y ||
                    (isRunType(va.type) && va.length != vb.length) || (top && va.ordinal != vb.ordinal))
                    return "vertical record" + at;
            }
            if (a.walkway(x, y) != b.walkway(x, y)) return "walkway" + at;
            if (a.camouflage(x, y) != b.camouflage(x, y)) return "camouflage" + at;
        }
    if (a.roomObjectCount != b.roomObjectCount) return "object counts";
    return "";
}

// Every layer of a room imported from a room file: byte for byte what was
// exported, except that the objects take the room they were imported into.
std::string importDifference(const Room& original, const Room& imported, int importedInto) {
    for (int i = 0; i < kCellsPerRoom; ++i) {
        const size_t c = static_cast<size_t>(i);
        CellRecord expected = original.objectLayer()[c];
        if (isObjectType(expected.type)) expected.room = importedInto;
        if (std::memcmp(&expected, &imported.objectLayer()[c], sizeof(CellRecord)) != 0)
            return "object record " + std::to_string(i) + ": " + recordDifference(expected, imported.objectLayer()[c]);
        if (std::memcmp(&original.verticalLayer()[c], &imported.verticalLayer()[c], sizeof(CellRecord)) != 0)
            return "vertical record " + std::to_string(i);
        if (original.walkwayLayer()[c] != imported.walkwayLayer()[c]) return "walkway " + std::to_string(i);
        if (original.camouflageLayer()[c] != imported.camouflageLayer()[c]) return "camouflage " + std::to_string(i);
    }
    if (original.roomObjectCount != imported.roomObjectCount) return "object counts";
    return "";
}

// ---- How far the castles reached ------------------------------------------

struct Reach {
    std::array<bool, kPaletteTypes> types{};
    std::array<bool, 3> conveyorStates{};
    std::array<bool, 2> trapStates{}, machineStates{}, switchStates{}, frankieStates{}, doorKinds{};
    bool severalSwitchesOnAConveyor = false, leadingSpaces = false, fullText = false, doubleHeight = false;
    bool allRooms = false, atTheLimit = false;

    void add(const CastleModel& castle, int rooms, size_t programSize) {
        allRooms |= rooms == kRooms;
        atTheLimit |= programSize + 30 > kMaxProgramSize;
        for (int r = 0; r < rooms; ++r) {
            const Room& room = castle.room(r);
            std::array<int, kCellsPerRoom> switchesOn{};
            for (int i = 0; i < kCellsPerRoom; ++i) {
                const CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
                const int t = rec.type;
                if (t >= 0 && t < kPaletteTypes) types[static_cast<size_t>(t)] = true;
                const int v = room.verticalLayer()[static_cast<size_t>(i)].type;
                if (v >= 0 && v < kPaletteTypes) types[static_cast<size_t>(v)] = true;
                if (room.walkwayLayer()[static_cast<size_t>(i)] == kWalkway) types[kWalkway] = true;
                if (room.camouflageLayer()[static_cast<size_t>(i)] == 1) types[kCamouflage] = true;
                const bool two = rec.variant == 0 || rec.variant == 1;
                if (t == kConveyor && rec.variant >= 0 && rec.variant <= 2) conveyorStates[static_cast<size_t>(rec.variant)] = true;
                if (t == kTrap && two) trapStates[static_cast<size_t>(rec.variant)] = true;
                if (t == kLightningMachine && two) machineStates[static_cast<size_t>(rec.variant)] = true;
                if (t == kLightningSwitch && two) switchStates[static_cast<size_t>(rec.variant)] = true;
                if (t == kFrankenstein && two) frankieStates[static_cast<size_t>(rec.variant)] = true;
                if (t == kDoor && two) doorKinds[static_cast<size_t>(rec.variant)] = true;
                if (t == kConveyorSwitch && isInsideRoom(rec.links[0][0], rec.links[0][1]))
                    severalSwitchesOnAConveyor |=
                        ++switchesOn[static_cast<size_t>(Room::index(rec.links[0][0], rec.links[0][1]))] > 1;
                if (t == kText) {
                    const std::string text = recordText(rec);
                    leadingSpaces |= !text.empty() && text[0] == ' ' && text.find_first_not_of(' ') != std::string::npos;
                    fullText |= text.size() == static_cast<size_t>(kMaxTextLength);
                    doubleHeight |= rec.variant == 1;
                }
            }
        }
    }

    std::string missing() const {
        std::ostringstream out;
        for (int t = 0; t < kPaletteTypes; ++t)
            if (!types[static_cast<size_t>(t)]) out << objectTypeName(t) << "; ";
        for (bool b : conveyorStates) out << (b ? "" : "a conveyor state; ");
        for (const auto* states : {&trapStates, &machineStates, &switchStates, &frankieStates, &doorKinds})
            for (bool b : *states) out << (b ? "" : "a two-state object's state; ");
        if (!severalSwitchesOnAConveyor) out << "several switches on a conveyor; ";
        if (!leadingSpaces) out << "a text with leading spaces; ";
        if (!fullText) out << "a text of full length; ";
        if (!doubleHeight) out << "a double-height text; ";
        if (!allRooms) out << "64 rooms; ";
        if (!atTheLimit) out << "a program at the size limit; ";
        return out.str();
    }
};

// ---- The suite -------------------------------------------------------------

std::string firstDifference(const Bytes& a, const Bytes& b) {
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) {
            std::string around;
            for (size_t k = i > 24 ? i - 24 : 0; k < std::min(a.size(), i + 24); ++k) around += std::to_string(a[k]) + (k == i ? "*" : "") + "/" + std::to_string(b[k]) + " ";
            return "offset " + std::to_string(i) + ": " + around;
        }
    if (a.size() != b.size()) return "length " + std::to_string(a.size()) + " for " + std::to_string(b.size());
    return "";
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
    Reach reach;
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
        reach.add(original.model(), made.rooms, program->size());

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
            normaliseToProgram(expected.model(), r);
            normaliseToProgram(readBack.model(), r);
            ASSERT_EQ(roomDifference(expected.model().room(r), readBack.model().room(r)), "") << "room " << r;
        }
        ASSERT_EQ(roomsInUseRun(readBack.model()), made.rooms);

        for (int r = 0; r < made.rooms; ++r) {
            if (batchRooms == kRooms) projectRoundTrip();
            const int slot = batchRooms++;
            const Bytes file = roomFileImage(original.model(), r);
            ASSERT_EQ(file.size(), kRoomFileSize);
            readRoomImage(batch.model(), slot, file.data(), file.size());
            ASSERT_EQ(importDifference(original.model().room(r), batch.model().room(slot), slot), "") << "room " << r;
            Room& into = batch.model().room(slot);
            const Room& from = original.model().room(r);
            into.roomInUse = from.roomInUse;
            into.roomColour = from.roomColour;
            into.roomMapRect = from.roomMapRect;
            batch.model().settings = original.model().settings;
        }
    }
    if (batchRooms > 0) projectRoundTrip();
    EXPECT_EQ(reach.missing(), "") << "the generator never made these";
}

}  // namespace
}  // namespace grusk
