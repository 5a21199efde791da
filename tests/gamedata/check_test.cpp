// The error check and the problems list; the quiet look leaves every byte of the castle as it was.
#include <gtest/gtest.h>

#include <functional>

#include "gamedata/castle_problems.h"
#include "gamedata_fixture.h"

namespace grusk {
namespace {

using test::GameFixture;
using Lines = std::vector<std::string>;

// Doors placed in the current room at the columns, leading to the rooms.
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
        {"room 64 is outside a castle of one room", [](GameFixture& f) { f.roomWithDoor(0); f.at(0, 0).destRoom = 63; },
         1, {"Error #1: Door 1 in Room 1 has an invalid connection to Room 64."}},
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

}  // namespace
}  // namespace grusk
