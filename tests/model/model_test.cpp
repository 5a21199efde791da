// The castle model's clearing, recount and field accessors.
#include <cstring>
#include <functional>

#include "model/model_fixture.h"

namespace grusk {
namespace {

using ModelTest = test::CastleTest;

// Clearing a room takes only the vertical type of vertical records and keeps
// the header; clearing the castle keeps the map and the settings.
TEST_F(ModelTest, ClearingEmptiesTheRecordsButKeepsMapAndSettings) {
    for (int r : {5, 7}) {
        room(r).object(3, 4).type = kDoor;
        std::tie(room(r).vertical(1, 1).type, room(r).vertical(1, 1).length) = std::pair{kLadder, 4};
        room(r).walkway(2, 2) = kWalkway;
        room(r).camouflage(39, 24) = 2;
        std::tie(room(r).roomMapRect, room(r).roomColour, room(r).roomInUse) = std::tuple{MapRect{16, 32, 48, 64}, 6, 1};
    }
    castle.settings.playerLives[1] = 9;
    clearRoom(castle, 7);
    EXPECT_EQ((std::vector{room(7).object(3, 4).type, room(7).object(3, 4).picture, room(7).walkway(2, 2),
                           room(7).camouflage(39, 24), room(7).vertical(1, 1).type, room(7).vertical(1, 1).length,
                           room(7).roomColour, room(7).roomInUse, room(5).object(3, 4).type}),
              (std::vector{kEmpty, 0, kEmpty, 0, kEmpty, 4, 2, 1, kDoor}));
    castle.currentRoom = 12;
    clearCastle(app);
    CellRecord cleared;
    cleared.reset();
    cleared.picture = kEmpty;
    for (const Room& r : castle.rooms) {
        for (int i = 0; i < kCellsPerRoom; ++i)
            ASSERT_TRUE(!std::memcmp(&r.objectLayer()[i], &cleared, sizeof cleared) && !std::memcmp(&r.verticalLayer()[i], &cleared, sizeof cleared) &&
                        r.walkwayLayer()[i] == kEmpty && r.camouflageLayer()[i] == 0) << i;
        EXPECT_EQ(r.roomInUse, 0);
    }
    EXPECT_EQ((std::tuple{castle.currentRoom, ui.caption(), room(5).roomMapRect.right, castle.settings.playerLives[1]}),
              (std::tuple{0, std::string("<NO CASTLE LOADED>"), 48, uint8_t{9}}));
}

// Any one cell of any layer, or a header field, tells two rooms apart.
TEST_F(ModelTest, SameRoomLooksAtEveryLayer) {
    put(kKey, 0, 0);
    for (const auto& change : std::initializer_list<void (*)(Room&)>{
             [](Room& r) { r.object(5, 5).type = kDoor; }, [](Room& r) { r.vertical(39, 24).type = kLadder; },
             [](Room& r) { r.walkway(5, 5) = kWalkway; }, [](Room& r) { r.camouflage(0, 24) = 1; },
             [](Room& r) { r.roomColour = 7; }}) {
        Room copy = room(0);
        EXPECT_TRUE(sameRoom(copy, room(0)));
        change(copy);
        EXPECT_FALSE(sameRoom(copy, room(0)));
    }
}

TEST_F(ModelTest, RecountCountsLinksRunsSuspensionsAndOrdinalsInScanOrder) {
    put(kDoorBell, 1, 1);
    for (int slot : {0, 3, 15}) room().object(1, 1).links[slot][0] = room().object(1, 1).links[slot][1] = slot;
    for (int y = 5; y <= 10; ++y) put(kLadder, 7, y);
    put(kLadder, 7, 4);  // grown upwards: still one run
    put(kLightningMachine, 4, 10);
    for (int y = 7; y <= 9; ++y) put(kLightningSuspension, 5, y);
    for (const auto& [x, y] : {std::pair{20, 15}, std::pair{2, 15}, std::pair{30, 14}}) put(kKey, x, y);
    room().object(0, 20).type = kPicLightningOff;  // counts as a machine
    room().object(5, 20).type = kCamouflage;       // as a damaged file brings it
    room().camouflage(10, 10) = 1;
    room().camouflage(11, 10) = 2;
    room().roomMapRect = {1, 1, 1, 1};
    recountRoom(castle, 0);
    const Room& r = room();
    const struct {
        int counted, expected;
    } counts[] = {
        {r.roomObjectCount[kDoorBell], 3}, {r.roomObjectCount[kLadder], 1}, {r.roomObjectCount[kLightningSuspension], 3},
        {r.roomObjectCount[kLightningMachine], 2}, {r.roomObjectCount[kCamouflage], 2},
        {r.roomObjectCount[kConveyorSwitch], 0}, {r.vertical(7, 4).length, 7}, {r.vertical(7, 5).length, 0},
        {r.vertical(7, 10).typeCount, 1}, {r.object(4, 10).length, 3}, {r.object(30, 14).ordinal, 0},
        {r.object(2, 15).ordinal, 1}, {r.object(20, 15).ordinal, 2}, {r.object(20, 15).typeCount, 3},
        {r.object(20, 15).x, 20}, {r.object(20, 15).y, 15}, {r.object(20, 15).number, 0},
        {r.object(30, 14).number, 2},  // numbers given at placement stay
        {r.vertical(0, 0).ordinal, room(1).vertical(0, 0).ordinal},
    };
    for (size_t i = 0; i < std::size(counts); ++i) EXPECT_EQ(counts[i].counted, counts[i].expected) << "row " << i;
}

TEST_F(ModelTest, AccessorsIgnoreBadFieldsAndCellsAndTypesHaveTheirLayers) {
    put(kKey, 0, 0);
    const CellRecord before = room().object(0, 0);
    for (const auto& [x, y, field] : {std::tuple{0, 0, kCellFieldCount}, std::tuple{40, 0, 0}, std::tuple{0, 25, 0}}) setCellField(castle, 0, x, y, field, 5);
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
    EXPECT_EQ(countObjects(castle, 0, kEmpty), 998);  // the key covers two cells
    setLoadedPictureSize(kKey, 100000, 16);  // a picture file's size counts only within reason
    EXPECT_EQ(cellSize(kKey), (Size{2, 1}));
    for (const auto& [type, layer] : {std::pair{kConveyorSwitch, Layer::Object}, std::pair{kLadder, Layer::Vertical},
                                      std::pair{kWalkway, Layer::Walkway}, std::pair{kWalkwaySlideM, Layer::Walkway},
                                      std::pair{kCamouflage, Layer::Camouflage}, std::pair{kPicPatch, Layer::Object},
                                      std::pair{kObjectTypes, Layer::None}})
        EXPECT_EQ(storageLayer(type), layer) << type;
}

}  // namespace
}  // namespace grusk
