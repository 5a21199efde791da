// The castle model's clearing, recount and accessor rules.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

class ModelTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CastleModel& castle = app.castle;
    void SetUp() override { clearCastle(app); }
};

TEST_F(ModelTest, ClearCastleEmptiesEveryRecordAndLayer) {
    castle.room(5).object(3, 4).type = kDoor;
    castle.room(5).object(3, 4).links[2][0] = 7;
    castle.room(9).vertical(1, 1).type = kLadder;
    castle.room(9).walkway(2, 2) = kWalkway;
    castle.room(63).camouflage(39, 24) = 2;
    castle.room(4).roomMapRect = {16, 32, 48, 64};
    castle.settings.playerLives[1] = 9;
    castle.currentRoom = 12;
    clearCastle(app);
    for (const Room& room : castle.rooms) {
        for (int i = 0; i < kCellsPerRoom; ++i) {
            for (const CellRecord* rec : {&room.objectLayer()[i], &room.verticalLayer()[i]}) {
                ASSERT_EQ(rec->type, 255);
                ASSERT_EQ(rec->picture, 255);
                for (int k = 0; k < 16; ++k) {
                    ASSERT_EQ(rec->extra[k], -1);
                    ASSERT_EQ(rec->links[k][0], -1);
                    ASSERT_EQ(rec->links[k][1], -1);
                }
            }
            ASSERT_EQ(room.walkwayLayer()[i], 255);
            ASSERT_EQ(room.camouflageLayer()[i], 0);
        }
        EXPECT_EQ(room.roomInUse, 0);
    }
    EXPECT_EQ(castle.currentRoom, 0);
    EXPECT_EQ(ui.caption(), "<NO CASTLE LOADED>");
    // Map rectangles and settings survive a clear.
    EXPECT_EQ(castle.room(4).roomMapRect.right, 48);
    EXPECT_EQ(castle.settings.playerLives[1], 9);
}

TEST_F(ModelTest, ClearRoomTouchesOnlyThatRoom) {
    for (int r : {6, 7}) {
        castle.room(r).object(0, 0).type = kKey;
        castle.room(r).walkway(1, 0) = kWalkway;
        castle.room(r).camouflage(2, 0) = 1;
        castle.room(r).vertical(3, 0).type = kLadder;
        castle.room(r).vertical(3, 0).length = 4;
        castle.room(r).roomColour = 6;
        castle.room(r).roomInUse = 1;
        castle.room(r).roomMapRect = {1, 2, 3, 4};
    }
    clearRoom(castle, 7);
    const Room& cleared = castle.room(7);
    EXPECT_EQ(cleared.object(0, 0).type, 255);
    EXPECT_EQ(cleared.object(0, 0).picture, 0);
    EXPECT_EQ(cleared.walkway(1, 0), 255);
    EXPECT_EQ(cleared.camouflage(2, 0), 0);
    EXPECT_EQ(cleared.vertical(3, 0).type, 255);
    EXPECT_EQ(cleared.vertical(3, 0).length, 4);  // only the vertical type is cleared
    EXPECT_EQ(cleared.roomColour, 2);
    EXPECT_EQ(cleared.roomInUse, 1);
    EXPECT_EQ(cleared.roomMapRect.bottom, 4);
    const Room& other = castle.room(6);
    EXPECT_EQ(other.object(0, 0).type, kKey);
    EXPECT_EQ(other.walkway(1, 0), kWalkway);
    EXPECT_EQ(other.camouflage(2, 0), 1);
    EXPECT_EQ(other.roomColour, 6);
}

TEST_F(ModelTest, RecountCountsBellLinksRunsAndSuspensions) {
    placeObject(app, kDoorBell, 1, 1);
    CellRecord& bell = castle.current().object(1, 1);
    bell.links[0][0] = 5; bell.links[0][1] = 5;
    bell.links[3][0] = 6; bell.links[3][1] = 5;
    bell.links[15][0] = 7; bell.links[15][1] = 5;
    for (int y = 3; y <= 10; ++y) placeObject(app, kLadder, 7, y);
    placeObject(app, kLightningMachine, 4, 10);
    for (int y = 7; y <= 9; ++y) placeObject(app, kLightningSuspension, 5, y);
    recountRoom(castle, 0);
    const Room& room = castle.current();
    EXPECT_EQ(room.roomObjectCount[kDoorBell], 3);
    EXPECT_EQ(bell.ordinal, 0);
    EXPECT_EQ(room.vertical(7, 3).length, 8);
    EXPECT_EQ(room.vertical(7, 4).length, 0);
    EXPECT_EQ(room.roomObjectCount[kLadder], 1);
    EXPECT_EQ(room.vertical(7, 10).typeCount, 1);
    EXPECT_EQ(room.object(4, 10).length, 3);
    EXPECT_EQ(room.roomObjectCount[kLightningSuspension], 3);
}

TEST_F(ModelTest, RecountOrdinalsFollowScanOrderAndLightningOffCountsAsMachine) {
    placeObject(app, kKey, 20, 5);
    placeObject(app, kKey, 2, 5);
    placeObject(app, kKey, 30, 1);
    castle.current().object(0, 20).type = kPicLightningOff;
    castle.current().camouflage(10, 10) = 1;
    castle.current().camouflage(11, 10) = 2;
    recountRoom(castle, 0);
    const Room& room = castle.current();
    EXPECT_EQ(room.object(30, 1).ordinal, 0);
    EXPECT_EQ(room.object(2, 5).ordinal, 1);
    EXPECT_EQ(room.object(20, 5).ordinal, 2);
    EXPECT_EQ(room.object(20, 5).typeCount, 3);
    EXPECT_EQ(room.object(20, 5).x, 20);
    EXPECT_EQ(room.object(20, 5).y, 5);
    EXPECT_EQ(room.roomObjectCount[kLightningMachine], 1);
    EXPECT_EQ(room.roomObjectCount[kCamouflage], 1);
    // Numbers given at placement are not changed by the recount.
    EXPECT_EQ(room.object(20, 5).number, 0);
    EXPECT_EQ(room.object(30, 1).number, 2);
}

// A camouflage record (as a damaged file brings it), one patch, and a map
// rectangle whose left edge is 1: the count holds the room's cells only, and
// nothing outside the records is read as a cell.
TEST_F(ModelTest, RecountCountsCamouflageRecordsAndPatchesOfTheRoomOnly) {
    Room& room = castle.current();
    room.object(5, 5).type = kCamouflage;
    room.camouflage(10, 10) = 1;
    room.camouflage(11, 10) = 2;
    room.roomMapRect = {1, 1, 1, 1};
    recountRoom(castle, 0);
    EXPECT_EQ(room.roomObjectCount[kCamouflage], 2);
    EXPECT_EQ(room.object(5, 5).ordinal, 0);
    EXPECT_EQ(room.roomObjectCount[kConveyorSwitch], 0);
    EXPECT_EQ(room.vertical(0, 0).ordinal, castle.room(1).vertical(0, 0).ordinal);
}

TEST_F(ModelTest, ExtendingALadderUpwardsLeavesOneRun) {
    for (int y = 5; y <= 8; ++y) placeObject(app, kLadder, 3, y);
    placeObject(app, kLadder, 3, 4);
    const Room& room = castle.current();
    EXPECT_EQ(room.vertical(3, 4).length, 5);
    EXPECT_EQ(room.vertical(3, 5).length, 0);
    EXPECT_EQ(room.roomObjectCount[kLadder], 1);
}

TEST_F(ModelTest, AccessorsIgnoreBadFieldsAndCells) {
    placeObject(app, kKey, 0, 0);
    const std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(&castle.current().object(0, 0)),
                                      reinterpret_cast<uint8_t*>(&castle.current().object(0, 0)) + 344);
    setCellField(castle, 0, 0, 0, 22, 5);
    setCellField(castle, 0, 40, 0, 0, 5);
    setCellField(castle, 0, 0, 25, 0, 5);
    EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&castle.current().object(0, 0)),
                                   reinterpret_cast<uint8_t*>(&castle.current().object(0, 0)) + 344),
              before);
    EXPECT_EQ(getCellField(castle, 0, 40, 0, 0), 0);
    setCellField(castle, 0, 0, 0, static_cast<int>(CellField::Colour), 6);
    EXPECT_EQ(getCellField(castle, 0, 0, 0, static_cast<int>(CellField::ColourCode)), 86);
    setCellField(castle, 0, 0, 0, static_cast<int>(CellField::ColourCode), 83);
    EXPECT_EQ(getCellField(castle, 0, 0, 0, static_cast<int>(CellField::Colour)), 3);
    setCellField(castle, 0, 0, 0, static_cast<int>(CellField::Links), 4, 17, 9);  // slot index wraps into 0..15
    int second = 0;
    EXPECT_EQ(getCellField(castle, 0, 0, 0, static_cast<int>(CellField::Links), 1, &second), 4);
    EXPECT_EQ(second, 9);
    EXPECT_EQ(countObjects(castle, 0, kKey), 1);
    EXPECT_EQ(countObjects(castle, 0, kEmpty), 998);  // the key covers two cells
}

TEST(CatalogueTest, LoadedPictureSizesOverrideTheTableWithinReason) {
    setLoadedPictureSize(kKey, 48, 16);
    EXPECT_EQ(cellSize(kKey), (Size{3, 1}));
    setLoadedPictureSize(kKey, 100000, 16);  // absurd header: ignored
    EXPECT_EQ(cellSize(kKey), (Size{3, 1}));
    resetPictureSizes();
    EXPECT_EQ(cellSize(kKey), (Size{2, 1}));
}

}  // namespace
}  // namespace grusk
