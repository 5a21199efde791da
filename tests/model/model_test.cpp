// The castle model's clearing, recount and field accessors.
#include <cstring>

#include "model/model_fixture.h"

namespace grusk {
namespace {

using ModelTest = test::CastleTest;

TEST_F(ModelTest, ClearingEmptiesTheRecordsButKeepsMapAndSettings) {
    for (int r : {5, 6, 7}) {
        room(r).object(3, 4).type = kDoor;
        room(r).object(3, 4).links[2][0] = 7;
        room(r).vertical(1, 1).type = kLadder;
        room(r).vertical(1, 1).length = 4;
        room(r).walkway(2, 2) = kWalkway;
        room(r).camouflage(39, 24) = 2;
        room(r).roomMapRect = {16, 32, 48, 64};
        room(r).roomColour = 6;
        room(r).roomInUse = 1;
    }
    castle.settings.playerLives[1] = 9;
    clearRoom(castle, 7);
    EXPECT_EQ(room(7).object(3, 4).type, kEmpty);
    EXPECT_EQ(room(7).object(3, 4).picture, 0);
    EXPECT_EQ(room(7).object(3, 4).links[2][0], -1);
    EXPECT_EQ(room(7).walkway(2, 2), kEmpty);
    EXPECT_EQ(room(7).camouflage(39, 24), 0);
    EXPECT_EQ(room(7).vertical(1, 1).type, kEmpty);
    EXPECT_EQ(room(7).vertical(1, 1).length, 4);  // only the vertical type goes
    EXPECT_EQ(room(7).roomColour, 2);
    EXPECT_EQ(room(7).roomInUse, 1);
    EXPECT_EQ(room(6).object(3, 4).type, kDoor);
    EXPECT_EQ(room(6).roomColour, 6);

    castle.currentRoom = 12;
    clearCastle(app);
    CellRecord cleared;
    std::memset(&cleared, 0, sizeof cleared);
    cleared.reset();
    cleared.picture = kEmpty;
    for (const Room& r : castle.rooms) {
        for (int i = 0; i < kCellsPerRoom; ++i) {
            ASSERT_EQ(std::memcmp(&r.objectLayer()[i], &cleared, sizeof cleared), 0) << i;
            ASSERT_EQ(std::memcmp(&r.verticalLayer()[i], &cleared, sizeof cleared), 0) << i;
            ASSERT_EQ(r.walkwayLayer()[i], kEmpty);
            ASSERT_EQ(r.camouflageLayer()[i], 0);
        }
        EXPECT_EQ(r.roomInUse, 0);
    }
    EXPECT_EQ(castle.currentRoom, 0);
    EXPECT_EQ(ui.caption(), "<NO CASTLE LOADED>");
    EXPECT_EQ(room(5).roomMapRect.right, 48);
    EXPECT_EQ(castle.settings.playerLives[1], 9);
}

TEST_F(ModelTest, RecountCountsLinksRunsSuspensionsAndOrdinalsInScanOrder) {
    put(kDoorBell, 1, 1);
    CellRecord& bell = room().object(1, 1);
    for (const auto& [slot, x] : {std::pair{0, 5}, std::pair{3, 6}, std::pair{15, 7}}) {
        bell.links[slot][0] = x;
        bell.links[slot][1] = 5;
    }
    for (int y = 5; y <= 10; ++y) put(kLadder, 7, y);
    put(kLadder, 7, 4);  // grown upwards: still one run
    put(kLightningMachine, 4, 10);
    for (int y = 7; y <= 9; ++y) put(kLightningSuspension, 5, y);
    put(kKey, 20, 15);
    put(kKey, 2, 15);
    put(kKey, 30, 14);
    room().object(0, 20).type = kPicLightningOff;  // counts as a machine
    room().object(5, 20).type = kCamouflage;       // as a damaged file brings it
    room().camouflage(10, 10) = 1;
    room().camouflage(11, 10) = 2;
    room().roomMapRect = {1, 1, 1, 1};
    recountRoom(castle, 0);
    const Room& r = room();
    EXPECT_EQ(r.roomObjectCount[kDoorBell], 3);
    EXPECT_EQ(r.vertical(7, 4).length, 7);
    EXPECT_EQ(r.vertical(7, 5).length, 0);
    EXPECT_EQ(r.roomObjectCount[kLadder], 1);
    EXPECT_EQ(r.vertical(7, 10).typeCount, 1);
    EXPECT_EQ(r.object(4, 10).length, 3);
    EXPECT_EQ(r.roomObjectCount[kLightningSuspension], 3);
    EXPECT_EQ(r.roomObjectCount[kLightningMachine], 2);
    EXPECT_EQ(r.roomObjectCount[kCamouflage], 2);
    EXPECT_EQ(r.roomObjectCount[kConveyorSwitch], 0);
    EXPECT_EQ(r.object(30, 14).ordinal, 0);
    EXPECT_EQ(r.object(2, 15).ordinal, 1);
    EXPECT_EQ(r.object(20, 15).ordinal, 2);
    EXPECT_EQ(r.object(20, 15).typeCount, 3);
    EXPECT_EQ((std::pair{r.object(20, 15).x, r.object(20, 15).y}), (std::pair{20, 15}));
    EXPECT_EQ(r.object(20, 15).number, 0);  // numbers given at placement stay
    EXPECT_EQ(r.object(30, 14).number, 2);
    EXPECT_EQ(r.vertical(0, 0).ordinal, room(1).vertical(0, 0).ordinal);
}

TEST_F(ModelTest, AccessorsIgnoreBadFieldsAndCells) {
    put(kKey, 0, 0);
    const CellRecord before = room().object(0, 0);
    setCellField(castle, 0, 0, 0, kCellFieldCount, 5);
    setCellField(castle, 0, 40, 0, 0, 5);
    setCellField(castle, 0, 0, 25, 0, 5);
    EXPECT_EQ(std::memcmp(&before, &room().object(0, 0), sizeof before), 0);
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
