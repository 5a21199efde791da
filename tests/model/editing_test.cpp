// Placing, deleting, state cycles, popup decisions, colours, texts and walkway shaping.
#include <gtest/gtest.h>

#include <cstring>

#include "app/app_state.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

class EditingTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CastleModel& castle = app.castle;
    Room& room() { return castle.current(); }
    void SetUp() override { clearCastle(app); }
    void link(int sx, int sy, int slot, int tx, int ty) {
        room().object(sx, sy).links[slot][0] = tx;
        room().object(sx, sy).links[slot][1] = ty;
        room().object(sx, sy).mark = 0;
    }
    std::vector<int> walkwayRow(int y, int from, int to) {
        std::vector<int> out;
        for (int x = from; x <= to; ++x) out.push_back(room().walkway(x, y));
        return out;
    }
};

TEST_F(EditingTest, PlacementWritesAnchorAndCoveredCells) {
    ASSERT_EQ(placeObject(app, kDoor, 4, 6), 1);
    const CellRecord& door = room().object(4, 6);
    EXPECT_EQ(door.type, kDoor);
    EXPECT_EQ(door.picture, kDoor);
    EXPECT_EQ(door.room, 0);
    EXPECT_EQ(door.number, 0);
    EXPECT_EQ(room().object(6, 8).type, 1000 + 4 * 40 + 6);
    EXPECT_EQ(room().object(7, 8).type, 255);
    EXPECT_EQ(findObjectAt(app, 6, 8).type, kDoor);
    EXPECT_EQ(findObjectAt(app, 6, 8).anchor, (CellPos{4, 6}));
    EXPECT_EQ(ui.canvasRedraws.back().first, (PixelRect{9 + 64, 11 + 96, 9 + 112, 11 + 144}));
    EXPECT_TRUE(ui.canvasRedraws.back().second);

    // Second door numbered by count; new sources start unlinked; keys/locks/texts get defaults.
    ASSERT_EQ(placeObject(app, kDoor, 20, 6), 1);
    EXPECT_EQ(room().object(20, 6).number, 1);
    placeObject(app, kLock, 0, 0);
    EXPECT_EQ(room().object(0, 0).mark, kMarkUnlinked);
    EXPECT_EQ(room().object(0, 0).colour, 1);
    EXPECT_EQ(objectTypeNames[room().object(0, 0).picture], "Lock_w");
    placeObject(app, kKey, 2, 0);
    EXPECT_EQ(objectTypeNames[room().object(2, 0).picture], "Key_w");
    placeObject(app, kText, 10, 0);
    EXPECT_EQ(recordText(room().object(10, 0)), "TEXT");
    EXPECT_EQ(room().object(10, 0).colour, 1);
}

TEST_F(EditingTest, PlacementRefusesCollisionsAndEdges) {
    ASSERT_EQ(placeObject(app, kDoor, 4, 6), 1);
    const auto snapshot = room().objectLayer();
    EXPECT_EQ(placeObject(app, kKey, 5, 7), 0);     // covered cell
    EXPECT_EQ(placeObject(app, kKey, 3, 6), 0);     // block overlaps the door
    EXPECT_EQ(placeObject(app, kKey, 39, 0), 0);    // two cells wide at column 39
    EXPECT_EQ(placeObject(app, kMummy, 0, 23), 0);  // three rows at row 23
    EXPECT_EQ(placeObject(app, kKey, 40, 0), 0);
    EXPECT_EQ(placeObject(app, kKey, -1, 0), 0);
    EXPECT_EQ(std::memcmp(snapshot.data(), room().objectLayer().data(), sizeof snapshot), 0);
    // A forced number places over taken cells, but never beyond the room.
    EXPECT_EQ(placeObject(app, kKey, 5, 7, 4), 1);
    EXPECT_EQ(room().object(5, 7).number, 4);
    EXPECT_EQ(placeObject(app, kDoor, 38, 0, 0), 0);
    // Vertical pieces, walkways and camouflage share cells with objects.
    EXPECT_EQ(placeObject(app, kLadder, 4, 6), 1);
    EXPECT_EQ(placeObject(app, kWalkway, 4, 6), 1);
    EXPECT_EQ(placeObject(app, kCamouflage, 4, 6), 1);
    EXPECT_EQ(room().camouflage(4, 6), 1);
    EXPECT_EQ(room().camouflage(5, 6), 2);
    EXPECT_EQ(placeObject(app, kCamouflage, 39, 3), 1);
    EXPECT_EQ(room().camouflage(39, 3), 1);
    EXPECT_EQ(placeObject(app, kCamouflage, 3, 6), 1);  // right neighbour taken: nothing
    EXPECT_EQ(room().camouflage(3, 6), 0);
}

TEST_F(EditingTest, ControlClicksRemoveCamouflageThenObjectThenWalkway) {
    placeObject(app, kDoor, 4, 6);
    placeObject(app, kWalkway, 5, 7);
    placeObject(app, kCamouflage, 5, 7);
    EXPECT_EQ(deleteObjectAt(app, 6, 7), 1);  // right half removes both halves
    EXPECT_EQ(room().camouflage(5, 7), 0);
    EXPECT_EQ(deleteObjectAt(app, 5, 7), kDoor);
    for (int y = 6; y < 9; ++y)
        for (int x = 4; x < 7; ++x) EXPECT_EQ(room().object(x, y).type, 255);
    EXPECT_EQ(room().walkway(5, 7), kWalkway);
    EXPECT_EQ(deleteObjectAt(app, 5, 7), 255);
    EXPECT_EQ(room().walkway(5, 7), 255);
    EXPECT_EQ(deleteObjectAt(app, 40, 7), -1);
    // A patch at the right edge is one cell wide: removing it leaves the
    // patch that starts the next row alone.
    placeObject(app, kCamouflage, 39, 3);
    placeObject(app, kCamouflage, 0, 4);
    EXPECT_EQ(deleteObjectAt(app, 39, 3), 1);
    EXPECT_EQ(room().camouflage(39, 3), 0);
    EXPECT_EQ(room().camouflage(0, 4), 1);
    EXPECT_EQ(room().camouflage(1, 4), 2);
    // A ladder is removed one cell at a time.
    for (int y = 0; y < 4; ++y) placeObject(app, kLadder, 10, y);
    EXPECT_EQ(deleteObjectAt(app, 10, 1), kLadder);
    EXPECT_EQ(room().vertical(10, 1).type, 255);
    EXPECT_EQ(room().vertical(10, 0).length, 1);
    EXPECT_EQ(room().vertical(10, 2).length, 2);
}

TEST_F(EditingTest, DeletingAnObjectTakesAlongOnlyTheLinksNamingIt) {
    // Two targets of each kind in one room, each with its own source; the
    // first target is deleted, then something new is placed on its anchor.
    struct Case {
        int source, target;
        int sourceX, targetX;  // columns of the first pair; the second is 8 rows below
    };
    const Case cases[] = {
        {kForceField, kForceFieldSwitch, 0, 2},  {kMummy, kMummySwitch, 4, 7},       {kTrap, kTrapSwitch, 9, 12},
        {kConveyorSwitch, kConveyor, 0, 14},     {kLightningSwitch, kLightningMachine, 24, 26},
        {kGunControl, kGunLeft, 30, 32},         {kDoorBell, kDoor, 35, 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(objectTypeName(c.target));
        clearCastle(app);
        for (int pair = 0; pair < 2; ++pair) {
            const int y = 8 * pair;
            ASSERT_EQ(placeObject(app, c.source, c.sourceX, y + 4), 1);
            ASSERT_EQ(placeObject(app, c.target, c.targetX, y), 1);
            link(c.sourceX, y + 4, 0, c.targetX, y);
        }
        deleteObjectAt(app, c.targetX, 0);
        EXPECT_EQ(room().object(c.sourceX, 4).links[0][0], -1);
        EXPECT_EQ(room().object(c.sourceX, 4).mark, kMarkUnlinked);
        EXPECT_EQ(room().object(c.sourceX, 12).links[0][0], c.targetX);
        EXPECT_EQ(room().object(c.sourceX, 12).mark, kMarkPlain);
        ASSERT_EQ(placeObject(app, c.target, c.targetX, 0), 1);
        EXPECT_EQ(room().object(c.sourceX, 4).links[0][0], -1);
    }

    // A source with several targets keeps the others, and its mark while it has one.
    clearCastle(app);
    placeObject(app, kTransmitter, 10, 0);
    placeObject(app, kTransmitterTarget, 14, 0);
    placeObject(app, kTransmitterTarget, 14, 2);
    link(10, 0, 0, 14, 0);
    link(10, 0, 1, 14, 2);
    deleteObjectAt(app, 15, 0);
    EXPECT_EQ(room().object(10, 0).mark, 0);
    EXPECT_EQ(room().object(10, 0).links[0][0], -1);
    EXPECT_EQ(room().object(10, 0).links[1][0], 14);
    deleteObjectAt(app, 14, 2);
    EXPECT_EQ(room().object(10, 0).mark, kMarkUnlinked);
}

TEST_F(EditingTest, StaleCoveredCellsCanBeRemovedAndPlacedOver) {
    // Markers naming an empty anchor and an anchor below the room.
    room().object(6, 5).type = kCoveredBase + 5 * 40 + 5;
    room().object(8, 5).type = kCoveredBase + 8 * 40 + 30;
    room().walkway(6, 5) = kWalkway;
    EXPECT_EQ(deleteObjectAt(app, 6, 5), kEmpty);
    EXPECT_EQ(room().object(6, 5).type, kEmpty);
    EXPECT_EQ(room().walkway(6, 5), kWalkway);  // one thing per click
    EXPECT_EQ(placeObject(app, kKey, 7, 5), 1);
    EXPECT_EQ(room().object(8, 5).type, kCoveredBase + 7 * 40 + 5);
}
TEST_F(EditingTest, EveryStateCycle) {
    placeObject(app, kConveyor, 0, 0);
    std::vector<int> pictures;
    for (int i = 0; i < 3; ++i) {
        toggleObjectState(app, 5, 0);
        pictures.push_back(room().object(0, 0).picture);
    }
    EXPECT_EQ(pictures, (std::vector<int>{37, 38, 1}));

    placeObject(app, kConveyorSwitch, 0, 2);
    toggleObjectState(app, 0, 2);  // unlinked: nothing changes
    EXPECT_EQ(room().object(0, 2).picture, kConveyorSwitch);
    link(0, 2, 0, 0, 0);
    std::vector<std::pair<int, int>> states;
    for (int i = 0; i < 3; ++i) {
        toggleObjectState(app, 1, 3);
        states.emplace_back(room().object(0, 2).picture, room().object(0, 0).picture);
    }
    EXPECT_EQ(states, (std::vector<std::pair<int, int>>{{99, 37}, {100, 38}, {101, 1}}));

    placeObject(app, kFrankenstein, 10, 0);
    toggleObjectState(app, 10, 0);
    EXPECT_EQ(room().object(10, 0).picture, 39);
    toggleObjectState(app, 11, 2);
    EXPECT_EQ(room().object(10, 0).picture, 6);

    placeObject(app, kLightningMachine, 20, 5);
    placeObject(app, kLightningMachine, 24, 5);
    placeObject(app, kLightningSwitch, 30, 5);
    link(30, 5, 0, 20, 5);
    link(30, 5, 1, 24, 5);
    toggleObjectState(app, 24, 5);  // machine 2 off on its own
    EXPECT_EQ(room().object(24, 5).picture, 40);
    toggleObjectState(app, 30, 6);
    EXPECT_EQ(room().object(30, 5).picture, 41);
    EXPECT_EQ(room().object(20, 5).picture, 40);  // each machine steps on its own
    EXPECT_EQ(room().object(24, 5).picture, 13);
    toggleObjectState(app, 30, 5);
    EXPECT_EQ(room().object(30, 5).picture, 12);
    EXPECT_EQ(room().object(30, 5).variant, 0);

    placeObject(app, kTrap, 0, 10);
    toggleObjectState(app, 0, 10);  // unlinked trap: unchanged
    EXPECT_EQ(room().object(0, 10).picture, kTrap);
    placeObject(app, kTrapSwitch, 4, 10);
    link(0, 10, 0, 4, 10);
    toggleObjectState(app, 1, 10);
    EXPECT_EQ(room().object(0, 10).picture, 42);
    EXPECT_EQ(room().object(4, 10).picture, 103);
    toggleObjectState(app, 1, 10);
    EXPECT_EQ(room().object(0, 10).picture, 24);
    EXPECT_EQ(room().object(4, 10).picture, 102);
}

TEST_F(EditingTest, PopupDecisionAndColourCommands) {
    placeObject(app, kConveyor, 0, 0);
    placeObject(app, kLock, 10, 0);
    placeObject(app, kText, 12, 0);
    placeObject(app, kDoor, 20, 0);
    EXPECT_EQ(objectMenuFor(app, 10, 1).menuId, 197);
    EXPECT_EQ(objectMenuFor(app, 22, 2).menuId, 196);
    EXPECT_EQ(objectMenuFor(app, 22, 2).anchor, (CellPos{20, 0}));
    EXPECT_EQ(objectMenuFor(app, 30, 10).menuId, 0);
    EXPECT_EQ(showObjectMenu(app, 3, 0), 0);  // conveyor: state step, no menu
    EXPECT_TRUE(ui.popups.empty());
    EXPECT_EQ(room().object(0, 0).picture, 37);
    ui.popupChoices.push_back(1285);
    EXPECT_EQ(showObjectMenu(app, 10, 1), 1285);
    EXPECT_EQ(ui.popups, (std::vector<int>{197}));
    EXPECT_EQ(app.popupCell, (CellPos{10, 0}));
    setObjectColour(app, 1285);
    EXPECT_EQ(objectTypeNames[room().object(10, 0).picture], "Lock_r");
    app.popupCell = {12, 0};
    setObjectColour(app, 1290);
    EXPECT_EQ(room().object(12, 0).colour, 7);
    EXPECT_EQ(room().object(12, 0).picture, kText);
    toggleDoubleHeight(app);
    EXPECT_EQ(room().object(12, 0).variant, 1);
    toggleDoubleHeight(app);
    EXPECT_EQ(room().object(12, 0).variant, 0);
}

TEST_F(EditingTest, TextDialogCutsAndUppercases) {
    placeObject(app, kText, 0, 0);
    app.popupCell = {0, 0};
    setRecordText(room().object(0, 0), "hello world, this is too long");
    EXPECT_EQ(textDialogInitial(room().object(0, 0)), "HELLO WORLD, THIS IS");
    EXPECT_EQ(textDialogOnChange("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqrst");
    EXPECT_EQ(textDialogOnChange("short"), "short");
    textDialogOk(app, "abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(recordText(room().object(0, 0)), "ABCDEFGHIJKLMNOPQRST");
    textDialogOk(app, "\xe4-x");  // only a..z change case
    EXPECT_EQ(recordText(room().object(0, 0)), "\xe4-X");
    textDialogOk(app, "  a b ");  // a leading space would read back as camouflage
    EXPECT_EQ(recordText(room().object(0, 0)), "A B ");
}

TEST_F(EditingTest, WalkwayShaping) {
    for (int x = 5; x <= 9; ++x) placeObject(app, kWalkway, x, 2);
    placeObject(app, kWalkway, 20, 2);
    placeObject(app, kWalkway, 0, 4);
    placeObject(app, kWalkway, 39, 4);
    shapeWalkways(app);
    EXPECT_EQ(walkwayRow(2, 5, 9), (std::vector<int>{28, 27, 27, 27, 29}));
    EXPECT_EQ(room().walkway(20, 2), 27);
    EXPECT_EQ(room().walkway(0, 4), 29);
    EXPECT_EQ(room().walkway(39, 4), 28);

    placeObject(app, kWalkway, 10, 2);  // extending keeps the old end
    shapeWalkways(app);
    EXPECT_EQ(walkwayRow(2, 8, 10), (std::vector<int>{27, 29, 29}));

    for (int x = 10; x <= 20; ++x) placeObject(app, kWalkway, x, 8);
    for (int y = 6; y <= 10; ++y) placeObject(app, kLadder, 15, y);
    placeObject(app, kSlidingPole, 12, 8);
    shapeWalkways(app);
    EXPECT_EQ(walkwayRow(8, 11, 16), (std::vector<int>{33, 35, 34, 30, 32, 31}));
    for (int y = 6; y <= 10; ++y) deleteObjectAt(app, 15, y);
    deleteObjectAt(app, 12, 8);
    shapeWalkways(app);
    EXPECT_EQ(walkwayRow(8, 11, 16), (std::vector<int>{27, 27, 27, 27, 27, 27}));

    for (int x = 5; x <= 9; ++x) placeObject(app, kWalkway, x, 12);
    for (int x = 18; x <= 22; ++x) placeObject(app, kWalkway, x, 12);
    shapeWalkways(app);
    placeObject(app, kConveyor, 10, 12);
    shapeWalkways(app);
    EXPECT_EQ(room().walkway(9, 12), 27);
    EXPECT_EQ(room().walkway(18, 12), 27);
}

TEST_F(EditingTest, GarbageRecordsStayInsideTheRoom) {
    // Covered markers pointing outside the room, unknown types and links
    // from a damaged file: lookups, deletion and state steps must cope.
    room().object(0, 0).type = 1000 + 39 * 40 + 39;  // anchor row 39: outside
    room().object(1, 0).type = 5000000;
    room().object(2, 0).type = -7;
    room().object(3, 0).type = kConveyorSwitch;
    room().object(3, 0).links[0][0] = 1000;
    room().object(3, 0).links[0][1] = -5;
    room().object(5, 0).type = 1000 + 1 * 40 + 0;  // points at the garbage type
    EXPECT_EQ(findObjectAt(app, 0, 0).type, 255);
    EXPECT_EQ(findObjectAt(app, 5, 0).type, 5000000);
    toggleObjectState(app, 3, 0);
    toggleObjectState(app, 1, 0);
    deleteObjectAt(app, 5, 0);
    EXPECT_EQ(room().object(5, 0).type, 255);
    ui.clearRecords();
    deleteObjectAt(app, 2, 0);
    EXPECT_EQ(room().object(2, 0).type, 255);
    // What a broken record covered is not known: the whole canvas is redrawn.
    ASSERT_FALSE(ui.canvasRedraws.empty());
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, true));
    recountRoom(castle, 0);
    shapeWalkways(app);
}

}  // namespace
}  // namespace grusk
