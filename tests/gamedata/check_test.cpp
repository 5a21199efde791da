#include <gtest/gtest.h>

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

TEST(Check, EmptyCastleHasNoRooms) {
    GameFixture f;
    EXPECT_EQ(checkCastle(f.app, true), 1);
    EXPECT_EQ(f.ui.log, Lines{"Error #1: No Rooms defined. Use the [Mapper] to define at least one room."});
    EXPECT_EQ(f.ui.logShown, 1);
    EXPECT_EQ(f.ui.logCleared, 1);
}

TEST(Check, SoundCastleSaysSoOnlyWhenShown) {
    GameFixture f;
    roomWithDoor(f, 0);
    EXPECT_EQ(checkCastle(f.app, false), 0);
    EXPECT_TRUE(f.ui.log.empty());
    EXPECT_EQ(f.ui.logShown, 0);
    EXPECT_EQ(checkCastle(f.app, true), 0);
    EXPECT_EQ(f.ui.log, Lines{"No errors found."});
}

TEST(Check, RoomWithoutDoor) {
    GameFixture f;
    f.useRoom(0);
    EXPECT_EQ(checkCastle(f.app, true), 1);
    EXPECT_EQ(f.ui.log, Lines{"Error #1: There is no Door in Room 1"});
}

TEST(Check, ObjectsInARoomNotInUseWarnOncePerCell) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.enter(4);
    f.put(kKey, 3, 3);  // two cells wide
    EXPECT_EQ(checkCastle(f.app, true), 0);
    EXPECT_EQ(f.ui.log, (Lines{"Warning #1: Room 5 has objects, but is not defined!",
                               "Warning #2: Room 5 has objects, but is not defined!", "No errors found."}));
}

TEST(Check, DestinationDoorMustExist) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.useRoom(1);
    f.enter(1);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.put(kDoor, 20, 0);
    for (int x : {0, 10, 20}) f.at(x, 0).destRoom = 1;
    CellRecord& door = f.room(0).object(0, 0);
    door.destRoom = 1;
    door.destDoor = 3;
    EXPECT_EQ(checkCastle(f.app, false), 1);
    EXPECT_EQ(f.ui.log, Lines{"Error #1: Door 1 in Room 1 has an invalid connection to Door 4 in Room 2."});
    door.destDoor = 2;
    EXPECT_EQ(checkCastle(f.app, false), 0);
    door.destDoor = -1;  // Door Number typed as 0
    EXPECT_EQ(checkCastle(f.app, false), 0);
}

TEST(Check, DestinationRoomMustBeInUseAndInsideTheCastle) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.put(kDoor, 10, 0);
    f.put(kDoor, 20, 0);
    f.put(kDoor, 30, 0);
    f.at(10, 0).destRoom = 7;
    f.at(20, 0).destRoom = 100;
    f.at(30, 0).destRoom = -5;
    EXPECT_EQ(checkCastle(f.app, false), 3);
    EXPECT_EQ(f.ui.log, (Lines{"Error #1: Door 2 in Room 1 has an invalid connection to Room 8.",
                               "Error #2: Door 3 in Room 1 has an invalid connection to Room 101.",
                               "Error #3: Door 4 in Room 1 has an invalid connection to Room -4."}));
}

TEST(Check, UnlinkedObjectsAreNamedWithTheirPosition) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.put(kForceField, 5, 7);
    EXPECT_EQ(checkCastle(f.app, false), 1);
    EXPECT_EQ(f.ui.log, Lines{"Error #1: Unlinked Force Field in Room 1; Position: X: 05 Y: 07"});
}

TEST(Check, ErrorsAndWarningsAreNumberedApartInTheirOrder) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.put(kDoor, 10, 0);
    f.at(10, 0).destRoom = 9;  // error 1
    f.put(kTrap, 20, 20);      // unlinked: error 3, room 1's findings come first
    f.useRoom(1);              // no door: error 4
    // A door in a room not in use: its cells warn first, then its connection.
    f.enter(2);
    f.put(kDoor, 0, 0);
    f.at(0, 0).destRoom = 30;
    f.enter(0);
    EXPECT_EQ(checkCastle(f.app, true), 4);
    Lines expected{"Error #1: Door 2 in Room 1 has an invalid connection to Room 10.",
                   "Warning #1: Room 3 has objects, but is not defined!",
                   "Error #2: Door 1 in Room 3 has an invalid connection to Room 31."};
    for (int i = 2; i <= 9; ++i) expected.push_back("Warning #" + std::to_string(i) + ": Room 3 has objects, but is not defined!");
    expected.push_back("Error #3: Unlinked Trap in Room 1; Position: X: 20 Y: 20");
    expected.push_back("Error #4: There is no Door in Room 2");
    EXPECT_EQ(f.ui.log, expected);
}

TEST(Check, RoomZeroInUseNeverGivesNoRooms) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.at(0, 0).destRoom = 63;
    EXPECT_EQ(checkCastle(f.app, false), 1);
    EXPECT_EQ(f.ui.log, Lines{"Error #1: Door 1 in Room 1 has an invalid connection to Room 64."});
}

TEST(Check, RecountsAndRenumbersTheRoomsInUse) {
    GameFixture f;
    roomWithDoor(f, 0);
    f.put(kDoor, 30, 10);
    f.put(kDoor, 10, 10);
    f.at(30, 10).destRoom = 0;
    f.at(10, 10).destRoom = 0;
    f.room(0).roomObjectCount[kDoor] = 0;  // stale
    EXPECT_EQ(checkCastle(f.app, false), 0);
    EXPECT_EQ(f.room(0).roomObjectCount[kDoor], 3);
    EXPECT_EQ(f.at(10, 10).number, 1);
    EXPECT_EQ(f.at(30, 10).number, 2);
}

}  // namespace
}  // namespace grusk
