// The error check: each finding's words, numbering and order, and the
// recount and renumbering it leaves behind.
#include <gtest/gtest.h>

#include <functional>

#include "gamedata_fixture.h"

namespace grusk {
namespace {

using test::GameFixture;
using Lines = std::vector<std::string>;

// Room r in use with one door leading to itself.
void roomWithDoor(GameFixture& f, int r) {
    f.useRoom(r);
    f.enter(r);
    f.put(kDoor, 0, 0);
    f.at(0, 0).destRoom = r;
    f.enter(0);
}

// Doors placed in the current room at the columns, leading to the rooms.
void doorsTo(GameFixture& f, std::initializer_list<std::pair<int, int>> columnAndRoom) {
    for (const auto& [x, room] : columnAndRoom) {
        f.put(kDoor, x, 0);
        f.at(x, 0).destRoom = room;
    }
}

TEST(Check, FindingsAreWordedNumberedAndOrdered) {
    struct Case {
        const char* name;
        std::function<void(GameFixture&)> build;
        int errors;
        Lines log;  // of the check that shows its log
    };
    const Lines kNoErrors{"No errors found."};
    const Case cases[] = {
        {"empty castle", [](GameFixture&) {}, 1,
         {"Error #1: No Rooms defined. Use the [Mapper] to define at least one room."}},
        {"sound castle", [](GameFixture& f) { roomWithDoor(f, 0); }, 0, kNoErrors},
        {"room without door", [](GameFixture& f) { f.useRoom(0); }, 1, {"Error #1: There is no Door in Room 1"}},
        {"objects in a room not in use warn once per cell",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             f.enter(4);
             f.put(kKey, 3, 3);  // two cells wide
         },
         0,
         {"Warning #1: Room 5 has objects, but is not defined!", "Warning #2: Room 5 has objects, but is not defined!",
          "No errors found."}},
        {"destination door must exist",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             f.useRoom(1);
             f.enter(1);
             doorsTo(f, {{0, 1}, {10, 1}, {20, 1}});
             f.room(0).object(0, 0).destRoom = 1;
             f.room(0).object(0, 0).destDoor = 3;
         },
         1, {"Error #1: Door 1 in Room 1 has an invalid connection to Door 4 in Room 2."}},
        {"the last door of a room and door 0 typed as 0 are fine",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             f.useRoom(1);
             f.enter(1);
             doorsTo(f, {{0, 1}, {10, 1}, {20, 1}});
             f.at(0, 0).destDoor = 2;
             f.at(10, 0).destDoor = -1;
         },
         0, kNoErrors},
        {"destination room in use and inside the castle",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             doorsTo(f, {{10, 7}, {20, 100}, {30, -5}});
         },
         3,
         {"Error #1: Door 2 in Room 1 has an invalid connection to Room 8.",
          "Error #2: Door 3 in Room 1 has an invalid connection to Room 101.",
          "Error #3: Door 4 in Room 1 has an invalid connection to Room -4."}},
        {"room 64 is outside a castle of one room",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             f.at(0, 0).destRoom = 63;
         },
         1, {"Error #1: Door 1 in Room 1 has an invalid connection to Room 64."}},
        {"unlinked objects are named with their position",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             f.put(kForceField, 5, 7);
         },
         1, {"Error #1: Unlinked Force Field in Room 1; Position: X: 05 Y: 07"}},
        // Errors and warnings are numbered apart; a room's findings come in
        // order, the cells of a room not in use before its connections.
        {"errors and warnings in their order",
         [](GameFixture& f) {
             roomWithDoor(f, 0);
             doorsTo(f, {{10, 9}});
             f.put(kTrap, 20, 20);
             f.useRoom(1);
             f.enter(2);
             doorsTo(f, {{0, 30}});
             f.enter(0);
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
        EXPECT_EQ(checkCastle(f.app, true), c.errors);
        EXPECT_EQ(f.ui.log, c.log);
        EXPECT_EQ(f.ui.logShown, 1);
        // The quiet check logs only what is wrong and shows nothing.
        f.ui.clearRecords();
        EXPECT_EQ(checkCastle(f.app, false), c.errors);
        EXPECT_EQ(f.ui.log.size(), c.errors == 0 ? c.log.size() - 1 : c.log.size());
        EXPECT_EQ(f.ui.logShown, 0);
    }
}

TEST(Check, RecountsAndRenumbersTheRoomsInUse) {
    GameFixture f;
    roomWithDoor(f, 0);
    doorsTo(f, {{30, 0}, {10, 0}});
    f.room(0).roomObjectCount[kDoor] = 0;  // stale
    EXPECT_EQ(checkCastle(f.app, false), 0);
    EXPECT_EQ(f.room(0).roomObjectCount[kDoor], 3);
    EXPECT_EQ(f.at(10, 0).number, 1);
    EXPECT_EQ(f.at(30, 0).number, 2);
}

}  // namespace
}  // namespace grusk
