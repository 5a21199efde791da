// The error check, the problems list (whose quiet look leaves every byte of the castle as it was) and the Inspector.
#include <gtest/gtest.h>

#include <functional>

#include "app/sample_castle.h"
#include "editor/object_info.h"
#include "gamedata/castle_problems.h"
#include "gamedata_fixture.h"

namespace grusk {
namespace {

using test::GameFixture;
using Lines = std::vector<std::string>;

void doorsTo(GameFixture& f, std::initializer_list<std::pair<int, int>> columnAndRoom) {
    for (const auto& [x, room] : columnAndRoom) {
        f.put(kDoor, x, 0);
        f.at(x, 0).destRoom = room;
    }
}

TEST(Check, FindingsAreWordedNumberedOrderedAndPlaced) {
    using K = ProblemKind;
    struct Case {
        const char* name;
        std::function<void(GameFixture&)> build;
        int errors;
        Lines log;             // of the check that shows its log
        CastleProblem last{};  // the last problem without its message; NoRooms for "not compared"
    };
    const Lines kNoErrors{"No errors found."};
    const Case cases[] = {
        {"empty castle", [](GameFixture&) {}, 1,
         {"Error #1: No Rooms defined. Use the [Mapper] to define at least one room."}},
        {"sound castle", [](GameFixture& f) { f.roomWithDoor(0); }, 0, kNoErrors},
        {"room without door", [](GameFixture& f) { f.useRoom(0); }, 1, {"Error #1: There is no Door in Room 1"},
         {K::RoomWithoutDoor, false, "", 0, -1, -1, -1, -1, -1}},
        // Once per cell: the second cell of a key names the first as its object.
        {"objects in a room not in use",
         [](GameFixture& f) { f.roomWithDoor(0); f.enter(4); f.put(kKey, 3, 3); }, 0,
         {"Warning #1: Room 5 has objects, but is not defined!", "Warning #2: Room 5 has objects, but is not defined!",
          "No errors found."},
         {K::ObjectsInRoomNotInUse, true, "", 4, 4, 3, kKey, 3, 3}},
        {"destination door must exist",
         [](GameFixture& f) {
             f.roomWithDoor(0); f.useRoom(1); f.enter(1);
             doorsTo(f, {{0, 1}, {10, 1}, {20, 1}});
             f.room(0).object(0, 0).destRoom = 1; f.room(0).object(0, 0).destDoor = 3;
         },
         1, {"Error #1: Door 1 in Room 1 has an invalid connection to Door 4 in Room 2."},
         {K::DoorToMissingDoor, false, "", 0, 0, 0, kDoor, 0, 0}},
        {"the last door of a room and door 0 typed as 0 are fine",
         [](GameFixture& f) {
             f.roomWithDoor(0); f.useRoom(1); f.enter(1);
             doorsTo(f, {{0, 1}, {10, 1}, {20, 1}});
             f.at(0, 0).destDoor = 2; f.at(10, 0).destDoor = -1;
         },
         0, kNoErrors},
        {"destination room in use and inside the castle",
         [](GameFixture& f) { f.roomWithDoor(0); doorsTo(f, {{10, 7}, {20, 100}, {30, -5}}); }, 3,
         {"Error #1: Door 2 in Room 1 has an invalid connection to Room 8.",
          "Error #2: Door 3 in Room 1 has an invalid connection to Room 101.",
          "Error #3: Door 4 in Room 1 has an invalid connection to Room -4."},
         {K::DoorToRoomNotInUse, false, "", 0, 30, 0, kDoor, 30, 0}},
        {"unlinked objects are named with their position",
         [](GameFixture& f) { f.roomWithDoor(0); f.put(kForceField, 5, 7); }, 1,
         {"Error #1: Unlinked Force Field in Room 1; Position: X: 05 Y: 07"},
         {K::Unlinked, false, "", 0, 5, 7, kForceField, 5, 7}},
        // Errors and warnings numbered apart; a room's cells before its connections.
        {"errors and warnings in their order",
         [](GameFixture& f) {
             f.roomWithDoor(0); doorsTo(f, {{10, 9}}); f.put(kTrap, 20, 20);
             f.useRoom(1); f.enter(2); doorsTo(f, {{0, 30}}); f.enter(0);
         },
         4,
         [] {
             Lines l{"Error #1: Door 2 in Room 1 has an invalid connection to Room 10.",
                     "Warning #1: Room 3 has objects, but is not defined!",
                     "Error #2: Door 1 in Room 3 has an invalid connection to Room 31."};
             for (int i = 2; i <= 9; ++i) l.push_back("Warning #" + std::to_string(i) + ": Room 3 has objects, but is not defined!");
             l.push_back("Error #3: Unlinked Trap in Room 1; Position: X: 20 Y: 20");
             l.push_back("Error #4: There is no Door in Room 2");
             return l;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameFixture f;
        c.build(f);
        f.ui.clearRecords();
        const auto before = f.castle().rooms;
        const std::vector<CastleProblem> problems = findCastleProblems(f.castle());
        for (int r = 0; r < kRooms; ++r)
            EXPECT_TRUE(sameRoom(before[static_cast<size_t>(r)], f.room(r))) << "the problems list changed room " << r;
        Lines messages;
        for (const CastleProblem& p : problems) messages.push_back(p.message);
        EXPECT_EQ(messages, c.errors == 0 ? Lines(c.log.begin(), c.log.end() - 1) : c.log);
        if (c.last.kind != K::NoRooms) {
            CastleProblem last = problems.back();
            last.message.clear();
            EXPECT_EQ(last, c.last);
        }

        EXPECT_EQ(checkCastle(f.app, true), c.errors);
        EXPECT_EQ((std::pair{f.ui.log, f.ui.logShown}), (std::pair{c.log, 1}));
        // The quiet check logs only what is wrong and shows nothing.
        f.ui.clearRecords();
        EXPECT_EQ(checkCastle(f.app, false), c.errors);
        EXPECT_EQ((std::pair{f.ui.log, f.ui.logShown}), (std::pair{messages, 0}));
        // Once recounted and renumbered, the castle gives the same findings.
        EXPECT_EQ(findCastleProblems(f.castle()), problems);
    }
}

TEST(Check, RecountsAndRenumbersTheRoomsInUse) {
    GameFixture f;
    f.roomWithDoor(0); doorsTo(f, {{30, 0}, {10, 0}});
    f.room(0).roomObjectCount[kDoor] = 0;  // stale
    EXPECT_EQ(checkCastle(f.app, false), 0);
    EXPECT_EQ((std::vector<int>{f.room(0).roomObjectCount[kDoor], f.at(10, 0).number, f.at(30, 0).number}),
              (std::vector{3, 1, 2}));
}

// The Inspector's description of every kind of object, on the sample castle: name, anchor, number, state, colour,
// text, links, a door's destination and map position.
TEST(Inspector, DescribesEachKindOfObject) {
    test::GameFixture f;
    buildSampleCastle(f.app);
    f.put(kMummy, 36, 0);  // a source without links
    f.put(kDoor, 34, 14);  // a door leading nowhere
    f.at(34, 14).destRoom = 40;
    // Covered markers from damaged files are not trusted: row 39 is outside the room, (7, 7) is empty.
    f.room(5).object(5, 5).type = kCoveredBase + 39 * 40 + 39;
    f.room(5).object(6, 5).type = kCoveredBase + 7 * 40 + 7;
    const struct {
        int room, x, y;  // any cell of the object
        Lines lines;
    } cases[] = {
        {0, 3, 8, {"Door", "Cell: X: 02 Y: 07", "Number: 1", "State: Door", "Destination: Room 2, Door 2", "Map position: X 0 Y 12, left"}},
        {0, 36, 1, {"Mummy", "Cell: X: 36 Y: 00", "Number: 1", "State: Mummy", "Links: none (up to 1)"}},
        {0, 34, 14, {"Door", "Cell: X: 34 Y: 14", "Number: 4", "State: Door", "Destination: Room 41, Door 1 (not connected)", "Map position: X 0 Y 0, top"}},
        {3, 35, 9, {"Door", "Cell: X: 35 Y: 09", "Number: 2", "State: Exit Door", "Destination: exit door", "Map position: X 22 Y 8, right"}},
        {0, 31, 8, {"Lock", "Cell: X: 31 Y: 08", "Number: 1", "State: Lock_y", "Colour: yellow", "Link 1: Door at X: 35 Y: 07"}},
        {0, 31, 23, {"Key", "Cell: X: 30 Y: 23", "Number: 1", "State: Key_y", "Colour: yellow"}},
        {0, 10, 2, {"Text", "Cell: X: 09 Y: 02", "Number: 1", "State: Text", "Colour: yellow", "Text: \"WELCOME\"", "Height: double"}},
        {1, 14, 22, {"Conveyor Switch", "Cell: X: 14 Y: 22", "Number: 1", "State: conveyor Switch_off", "Link 1: Conveyor at X: 24 Y: 23"}},
        {3, 20, 21, {"Transmitter", "Cell: X: 20 Y: 21", "Number: 1", "State: Transmitter", "Link 1: Transmitter Target at X: 06 Y: 11", "Link 2: Transmitter Target at X: 28 Y: 11"}},
        {1, 26, 2, {"Text", "Cell: X: 26 Y: 02", "Number: 1", "State: Text", "Colour: white", "Text: \"LAB\"", "Height: single"}},
        {0, 20, 15, {"Ladder", "Cell: X: 20 Y: 15"}},
        {0, 39, 0, {"-"}}, {0, 40, 0, {"-"}}, {64, 0, 0, {"-"}}, {5, 5, 5, {"-"}}, {5, 6, 5, {"-"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inspectorLines(f.castle(), c.room, c.x, c.y), c.lines) << c.room << " " << c.x << "," << c.y;
}

}  // namespace
}  // namespace grusk
