// The canvas mouse handling driven with scripted mouse messages: placing, runs,
// erasing, dragging, linking, connecting, popups, door jumps and the hover state.
#include <gtest/gtest.h>

#include <cstring>

#include "app/canvas_mouse.h"
#include "app/object_commands.h"
#include "app/room_map_input.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

constexpr MouseButtons kNone{};
constexpr MouseButtons kLeft{true, false, false};
constexpr MouseButtons kCtrl{false, false, true};
constexpr MouseButtons kLeftCtrl{true, false, true};

class CanvasMouseTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CanvasMouse mouse{app};

    // Middle of a cell in main-window client pixels.
    static int px(int column) { return kCanvasLeft + column * kCellPixels + 8; }
    static int py(int row) { return kCanvasTop + row * kCellPixels + 8; }

    void moveTo(int c, int r, MouseButtons held = kNone) { mouse.mouseMove(px(c), py(r), held); }
    void press(int c, int r, bool ctrl = false) { mouse.leftDown(px(c), py(r), {false, false, ctrl}); }
    void release(int c, int r) { mouse.leftUp(px(c), py(r), kNone); }
    void click(int c, int r, bool ctrl = false) {
        moveTo(c, r, {false, false, ctrl});
        press(c, r, ctrl);
        release(c, r);
    }
    int rightClick(int c, int r) {
        mouse.rightDown(px(c), py(r), kNone);
        return mouse.rightUp(px(c), py(r), kNone);
    }
    Room& room() { return app.castle.current(); }
    CellRecord& at(int c, int r) { return room().object(c, r); }
    std::string field(int id) { return ui.text(WindowId::Main, id); }
    bool visible(int id) { return ui.controlVisible[{WindowId::Main, id}]; }
    bool redrawn(const PixelRect& rect) {
        for (const auto& [r, erase] : ui.canvasRedraws)
            if (r == rect) return true;
        return false;
    }
    // Starts dragging the object under (c, r) by moving one cell to the right,
    // then follows the pointer onto the anchor as the window system would.
    void beginDrag(int c, int r) {
        moveTo(c, r);
        press(c, r);
        moveTo(c + 1, r, kLeft);
        ASSERT_TRUE(mouse.draggingObject());
        ASSERT_FALSE(ui.pointerMoves.empty());
        mouse.mouseMove(ui.pointerMoves.back().first, ui.pointerMoves.back().second, kLeft);
    }
};

TEST_F(CanvasMouseTest, LadderRunKeepsTheColumnOfTheFirstMove) {
    mouse.objectListChosen(kLadder);
    moveTo(5, 5);
    press(5, 5);
    moveTo(5, 6, kLeft);  // fixes column 5
    ui.clearRecords();
    moveTo(7, 7, kLeft);
    EXPECT_TRUE(redrawn(cellRect(5, 7))) << "each piece shows while the button is held";
    moveTo(9, 8, kLeft);
    EXPECT_EQ(mouse.lockedColumn(), 5);
    release(9, 8);
    for (int r = 5; r <= 8; ++r) EXPECT_EQ(room().vertical(5, r).type, kLadder) << r;
    EXPECT_EQ(room().vertical(7, 7).type, kEmpty);
    EXPECT_EQ(room().vertical(9, 8).type, kEmpty);
    EXPECT_EQ(mouse.lockedColumn(), -1);

    // The next run fixes its own column, taken from its first move.
    press(9, 8);
    moveTo(10, 9, kLeft);
    moveTo(12, 10, kLeft);
    release(12, 10);
    EXPECT_EQ(room().vertical(9, 8).type, kLadder);
    EXPECT_EQ(room().vertical(10, 9).type, kLadder);
    EXPECT_EQ(room().vertical(10, 10).type, kLadder);
    EXPECT_EQ(room().vertical(12, 10).type, kEmpty);
}

TEST_F(CanvasMouseTest, WalkwayRunKeepsItsRowAndIsShapedOnRelease) {
    mouse.objectListChosen(kWalkway);
    moveTo(3, 10);
    press(3, 10);
    moveTo(4, 10, kLeft);  // fixes row 10
    ui.clearRecords();
    moveTo(5, 11, kLeft);
    EXPECT_TRUE(redrawn(cellRect(5, 10)));
    moveTo(6, 12, kLeft);
    moveTo(7, 9, kLeft);
    EXPECT_EQ(mouse.lockedRow(), 10);
    release(7, 9);
    const int expected[] = {kWalkwayL, kWalkway, kWalkway, kWalkway, kWalkwayR};
    for (int c = 3; c <= 7; ++c) EXPECT_EQ(room().walkway(c, 10), expected[c - 3]) << c;
    EXPECT_EQ(room().walkway(5, 11), kEmpty);
    EXPECT_EQ(room().walkway(7, 9), kEmpty);
    EXPECT_EQ(mouse.lockedRow(), -1);
    ASSERT_FALSE(ui.canvasRedraws.empty());
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, false));
}

TEST_F(CanvasMouseTest, PressPlacesTheChosenTypeAndARightClickOnlyCancelsIt) {
    placeObject(app, kDoor, 20, 10);
    mouse.objectListChosen(kDoor);
    moveTo(2, 2);
    press(2, 2);
    release(2, 2);
    EXPECT_EQ(at(2, 2).type, kDoor);
    EXPECT_EQ(at(2, 2).number, 1);
    press(3, 3);  // covered by the new door: refused
    release(3, 3);
    EXPECT_EQ(countObjects(app.castle, 0, kDoor), 2);

    // Right after choosing a type, a right click over a door opens no popup.
    mouse.objectListChosen(kDoor);
    ui.clearRecords();
    moveTo(21, 11);
    EXPECT_EQ(rightClick(21, 11), 0);
    EXPECT_TRUE(ui.popups.empty());
    EXPECT_EQ(app.placeType, -1);
    EXPECT_FALSE(app.listSelectionActive);
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, true));
    EXPECT_EQ(ui.cursors.back(), CursorShape::Arrow);

    // Without a type chosen the popup opens and its command is handed back.
    ui.popupChoices.push_back(kCmdConnect);
    EXPECT_EQ(rightClick(21, 11), kCmdConnect);
    EXPECT_EQ(ui.popups, std::vector<int>{kMenuDoor});
    EXPECT_EQ(app.popupCell, (CellPos{20, 10}));
}

TEST_F(CanvasMouseTest, GhostMovingOverTheCanvasEndsTheFreshListChoice) {
    placeObject(app, kDoor, 20, 10);
    mouse.objectListChosen(kKey);
    moveTo(1, 1);
    const PixelRect ghost{25, 27, 57, 43};  // the paint drew the key's ghost at (1, 1)
    mouse.canvasPainted(ghost);
    ui.clearRecords();
    moveTo(21, 11);
    EXPECT_TRUE(redrawn(ghost));
    EXPECT_TRUE(redrawn(PixelRect{345, 187, 377, 203}));
    EXPECT_FALSE(mouse.ghost().has_value());
    EXPECT_FALSE(app.listSelectionActive);
    rightClick(21, 11);
    EXPECT_EQ(ui.popups, std::vector<int>{kMenuDoor});
    EXPECT_EQ(app.placeType, -1);
}

TEST_F(CanvasMouseTest, ChoosingATypeShowsItsGhostAtOnceUnderTheRestingPointer) {
    const PixelRect keyAt3x4{9 + 48, 11 + 64, 9 + 48 + 32, 11 + 64 + 16};
    // The pointer never came onto the canvas: nothing to show.
    mouse.objectListChosen(kKey);
    EXPECT_TRUE(ui.canvasRedraws.empty());

    // Chosen (by the keyboard) while the pointer rests on the canvas.
    app.placeType = -1;
    moveTo(3, 4);
    ui.clearRecords();
    mouse.objectListChosen(kKey);
    EXPECT_TRUE(redrawn(keyAt3x4));
    EXPECT_TRUE(app.listSelectionActive);

    // The pointer left the canvas: the painted ghost goes, and a choice made
    // now shows nothing until the pointer comes back.
    mouse.canvasPainted(keyAt3x4);
    ui.clearRecords();
    mouse.pointerLeft();
    EXPECT_TRUE(redrawn(keyAt3x4));
    EXPECT_FALSE(mouse.pointerOnCanvas());
    ui.clearRecords();
    mouse.objectListChosen(kDoor);
    EXPECT_TRUE(ui.canvasRedraws.empty());
    // Back on the canvas the first move shows the ghost without ending the
    // fresh choice; only the drawn ghost moving on does.
    moveTo(3, 4);
    EXPECT_TRUE(redrawn(PixelRect{57, 75, 57 + 48, 75 + 48}));
    EXPECT_TRUE(app.listSelectionActive);
    mouse.canvasPainted(PixelRect{57, 75, 57 + 48, 75 + 48});
    moveTo(4, 4);
    EXPECT_FALSE(app.listSelectionActive);
}

TEST_F(CanvasMouseTest, EscGivesUpTheChoiceButNotARunInProgress) {
    mouse.objectListChosen(kLadder);
    moveTo(5, 5);
    press(5, 5);
    mouse.cancelChoice();  // the button is down: the run keeps its type
    EXPECT_EQ(app.placeType, kLadder);
    moveTo(5, 6, kLeft);
    release(5, 6);
    EXPECT_EQ(room().vertical(5, 6).type, kLadder);

    ui.clearRecords();
    mouse.cancelChoice();
    EXPECT_EQ(app.placeType, -1);
    EXPECT_FALSE(app.listSelectionActive);
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, true));
    // A click now places nothing and opens nothing.
    click(20, 20);
    EXPECT_EQ(room().object(20, 20).type, kEmpty);
    EXPECT_EQ(room().vertical(20, 20).type, kEmpty);
    EXPECT_TRUE(ui.popups.empty());
}

// What a Ctrl-click removes first is proven on the editing functions; here
// Ctrl erases one thing per click even with a type chosen, and along a drag.
TEST_F(CanvasMouseTest, CtrlClicksEraseInsteadOfPlacing) {
    placeObject(app, kDoor, 10, 10);
    placeObject(app, kWalkway, 10, 10);
    mouse.objectListChosen(kLadder);
    click(10, 10, true);
    EXPECT_EQ(at(10, 10).type, kEmpty);
    EXPECT_EQ(room().walkway(10, 10), kWalkway);
    EXPECT_EQ(room().vertical(10, 10).type, kEmpty);  // nothing was placed

    // Ctrl held while dragging with the button down erases along the way.
    for (int c = 0; c < 6; ++c) placeObject(app, kWalkway, c, 5);
    moveTo(0, 5, kCtrl);
    press(0, 5, true);
    moveTo(1, 5, kLeftCtrl);
    moveTo(2, 5, kLeftCtrl);
    release(2, 5);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(room().walkway(c, 5), kEmpty) << c;
    EXPECT_NE(room().walkway(3, 5), kEmpty);
}

TEST_F(CanvasMouseTest, DragStartsAtFivePixelsAndPutsThePointerOnTheAnchor) {
    placeObject(app, kDoor, 4, 4);
    const int nearEdge = kCanvasLeft + 5 * kCellPixels + 14;  // column 5, two pixels from column 6
    mouse.mouseMove(nearEdge, py(5), kNone);
    mouse.leftDown(nearEdge, py(5), kNone);
    mouse.mouseMove(nearEdge + 4, py(5), kLeft);  // column 6, four pixels away
    EXPECT_FALSE(mouse.draggingObject());
    mouse.leftUp(nearEdge + 4, py(5), kNone);

    mouse.leftDown(nearEdge, py(5), kNone);
    mouse.mouseMove(nearEdge + 5, py(5), kLeft);  // column 6, five pixels away
    ASSERT_TRUE(mouse.draggingObject());
    // The mouse is in cell (6, 5); the anchor is (4, 4).
    EXPECT_EQ(ui.pointerMoves.back(), std::make_pair(nearEdge + 5 - 32, py(5) - 16));
    EXPECT_EQ(at(4, 4).dragging, 1);
    EXPECT_EQ(app.placeType, kDoor);
    EXPECT_TRUE(app.listSelectionActive);
    EXPECT_EQ(mouse.dragSource(), (CellPos{4, 4}));
}

TEST_F(CanvasMouseTest, DragReleasedWhereItBeganChangesNothing) {
    placeObject(app, kDoor, 4, 4);
    at(4, 4).destRoom = 7;
    placeObject(app, kDoorBell, 12, 4);
    at(12, 4).links[0][0] = 4;
    at(12, 4).links[0][1] = 4;
    at(12, 4).mark = 0;
    recountRoom(app.castle, 0);
    std::vector<uint8_t> before(sizeof(room().objectLayer()));
    std::memcpy(before.data(), room().objectLayer().data(), before.size());

    beginDrag(5, 5);
    EXPECT_EQ(mouse.dragTarget(), (CellPos{4, 4}));
    release(4, 4);
    EXPECT_FALSE(mouse.draggingObject());
    EXPECT_EQ(app.placeType, -1);
    EXPECT_EQ(std::memcmp(before.data(), room().objectLayer().data(), before.size()), 0);
}

TEST_F(CanvasMouseTest, DragToAFreePlaceKeepsTheObjectAndRewritesLinksToIt) {
    placeObject(app, kDoor, 30, 4);  // number 0
    placeObject(app, kDoor, 4, 4);   // number 1
    CellRecord& door = at(4, 4);
    door.destRoom = 7;
    door.destDoor = 2;
    door.mapX = 5;
    door.variant = 1;
    door.picture = kExitDoor;
    placeObject(app, kDoorBell, 12, 4);
    at(12, 4).links[0][0] = 4;
    at(12, 4).links[0][1] = 4;
    at(12, 4).links[1][0] = 30;
    at(12, 4).links[1][1] = 4;
    at(12, 4).mark = 0;

    beginDrag(5, 5);
    moveTo(20, 8, kLeft);
    EXPECT_EQ(mouse.dragTarget(), (CellPos{20, 8}));
    release(20, 8);

    EXPECT_EQ(at(4, 4).type, kEmpty);
    EXPECT_EQ(at(6, 6).type, kEmpty);
    const CellRecord& moved = at(20, 8);
    EXPECT_EQ(moved.type, kDoor);
    EXPECT_EQ(moved.number, 1);
    EXPECT_EQ(moved.destRoom, 7);
    EXPECT_EQ(moved.destDoor, 2);
    EXPECT_EQ(moved.mapX, 5);
    EXPECT_EQ(moved.variant, 1);
    EXPECT_EQ(moved.picture, kExitDoor);
    EXPECT_EQ(moved.x, 20);
    EXPECT_EQ(moved.y, 8);
    EXPECT_EQ(moved.dragging, 0);
    EXPECT_EQ(at(22, 10).type, kCoveredBase + 20 * 40 + 8);
    EXPECT_EQ(at(12, 4).links[0][0], 20);
    EXPECT_EQ(at(12, 4).links[0][1], 8);
    EXPECT_EQ(at(12, 4).links[1][0], 30);  // the other door's link stays
    EXPECT_EQ(countObjects(app.castle, 0, kDoor), 2);
    EXPECT_EQ(app.placeType, -1);
}

TEST_F(CanvasMouseTest, DragOntoAnOccupiedPlacePutsTheObjectBack) {
    placeObject(app, kDoor, 4, 4);
    placeObject(app, kDoor, 20, 8);
    at(4, 4).destRoom = 3;
    recountRoom(app.castle, 0);
    std::vector<uint8_t> before(sizeof(room().objectLayer()));
    std::memcpy(before.data(), room().objectLayer().data(), before.size());

    beginDrag(5, 5);
    moveTo(21, 9, kLeft);  // inside the other door
    release(21, 9);
    EXPECT_EQ(std::memcmp(before.data(), room().objectLayer().data(), before.size()), 0);

    beginDrag(5, 5);
    moveTo(38, 5, kLeft);  // three cells wide: would leave the room
    release(38, 5);
    EXPECT_EQ(std::memcmp(before.data(), room().objectLayer().data(), before.size()), 0);
    EXPECT_FALSE(mouse.moveObject({4, 4}, {-1, 3}));
    EXPECT_EQ(std::memcmp(before.data(), room().objectLayer().data(), before.size()), 0);
}

TEST_F(CanvasMouseTest, LinkingASwitchToAMachineAndABellToTwoDoors) {
    placeObject(app, kLightningSwitch, 2, 2);
    placeObject(app, kLightningMachine, 10, 2);
    app.popupCell = {2, 2};
    app.mouseMode = kMouseLinking;
    ui.clearRecords();
    click(11, 4);
    EXPECT_EQ(app.mouseMode, kMouseNormal);
    EXPECT_EQ(at(2, 2).links[0][0], 10);
    EXPECT_EQ(at(2, 2).links[0][1], 2);
    EXPECT_EQ(at(2, 2).mark, 0);
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, false));

    placeObject(app, kDoorBell, 2, 10);
    placeObject(app, kDoor, 5, 10);
    placeObject(app, kDoor, 15, 10);
    app.popupCell = {2, 10};
    app.mouseMode = kMouseLinking;
    click(6, 11);
    app.mouseMode = kMouseLinking;
    click(17, 12);
    const CellRecord& bell = at(2, 10);
    EXPECT_EQ(bell.links[0][0], 5);
    EXPECT_EQ(bell.links[1][0], 15);
    EXPECT_EQ(bell.links[1][1], 10);
    EXPECT_EQ(bell.usedLinkCount(), 2);

    // A right click abandons a pending link; the next click just clicks.
    app.popupCell = {2, 10};
    app.mouseMode = kMouseLinking;
    rightClick(30, 20);
    EXPECT_EQ(app.mouseMode, kMouseNormal);
    click(6, 11);
    EXPECT_EQ(at(2, 10).usedLinkCount(), 2);
}

// What connecting writes into both doors is proven on the connect command.
TEST_F(CanvasMouseTest, AClickWhileConnectingConnectsTheDoorUnderIt) {
    placeObject(app, kDoor, 4, 4);
    app.pendingDoorRoom = 0;
    app.pendingDoor = {4, 4};
    app.mouseMode = kMouseConnecting;
    selectRoom(app, 4);
    placeObject(app, kDoor, 10, 10);
    click(11, 11);
    EXPECT_EQ(app.mouseMode, kMouseNormal);
    EXPECT_EQ(app.castle.room(0).object(4, 4).destRoom, 4);
    EXPECT_EQ(app.castle.room(4).object(10, 10).destRoom, 0);
}

TEST_F(CanvasMouseTest, DoubleClickGoesThroughADoorToItsDestinationDoor) {
    selectRoom(app, 3);
    placeObject(app, kDoor, 1, 1);
    placeObject(app, kDoor, 10, 1);
    placeObject(app, kDoor, 20, 10);
    at(1, 1).number = 0;
    at(10, 1).number = 1;
    at(20, 10).number = 2;
    placeObject(app, kConveyor, 0, 4);  // lies under the double click
    selectRoom(app, 0);
    placeObject(app, kDoor, 2, 2);
    at(2, 2).destRoom = 3;
    at(2, 2).destDoor = 2;
    ui.clearRecords();

    mouse.leftDoubleClick(px(3), py(4));
    EXPECT_EQ(app.castle.currentRoom, 3);
    EXPECT_EQ(ui.text(WindowId::Main, kCmdRoomButton), "4");
    ASSERT_EQ(ui.pointerMoves.size(), 1u);
    EXPECT_EQ(ui.pointerMoves[0], std::make_pair(20 * 16 + 9 + 24, 10 * 16 + 11 + 24));
    // The button is still down: the move to the other door and the release
    // neither drag that door nor click the conveyor under the old position.
    mouse.mouseMove(ui.pointerMoves[0].first, ui.pointerMoves[0].second, kLeft);
    EXPECT_FALSE(mouse.draggingObject());
    mouse.leftUp(ui.pointerMoves[0].first, ui.pointerMoves[0].second, kNone);
    mouse.mouseMove(px(3), py(4), kNone);
    mouse.leftUp(px(3), py(4), kNone);  // a later plain release clicks again
    EXPECT_EQ(app.castle.room(3).object(0, 4).variant, 1);

    // Not a door, or a destination outside the castle: nothing happens.
    placeObject(app, kKey, 30, 20);
    mouse.leftDoubleClick(px(30), py(20));
    at(1, 1).destRoom = 90;
    mouse.leftDoubleClick(px(1), py(1));
    EXPECT_EQ(app.castle.currentRoom, 3);
    EXPECT_EQ(ui.pointerMoves.size(), 1u);
}

TEST_F(CanvasMouseTest, HoverShowsNameNumberAndDoorDestination) {
    placeObject(app, kDoor, 4, 4);
    at(4, 4).destRoom = 5;
    at(4, 4).destDoor = 1;
    placeObject(app, kDoor, 10, 4);
    at(10, 4).variant = 1;
    at(10, 4).picture = kExitDoor;
    placeObject(app, kWalkway, 20, 20);
    placeObject(app, kLadder, 22, 20);
    placeObject(app, kKey, 30, 4);

    moveTo(5, 6);
    EXPECT_EQ(field(1212), "Door");
    EXPECT_EQ(field(1223), "1");
    EXPECT_EQ(field(1101), "6");
    EXPECT_EQ(field(1102), "2");
    for (int id : {1251, 1252, 1255, 1101, 1102}) EXPECT_TRUE(visible(id)) << id;

    moveTo(11, 5);
    EXPECT_EQ(field(1223), "2");
    EXPECT_EQ(field(1101), "-");
    EXPECT_EQ(field(1102), "-");

    moveTo(31, 4);
    EXPECT_EQ(field(1212), "Key");
    EXPECT_EQ(field(1223), "1");
    EXPECT_FALSE(visible(1101));

    moveTo(5, 6);
    moveTo(20, 20);
    EXPECT_EQ(field(1212), "Walkway");
    EXPECT_FALSE(visible(1102));
    moveTo(22, 20);
    EXPECT_EQ(field(1212), "Ladder");
    moveTo(30, 20);
    EXPECT_EQ(field(1212), "-");
    EXPECT_EQ(field(1223), "-");
    for (int id : {1251, 1252, 1255, 1101, 1102}) EXPECT_FALSE(visible(id)) << id;

    // Off the room over a door, by a move (the button held past the edge) or
    // by the pointer leaving the canvas: every status field reads "-".
    for (const bool leave : {false, true}) {
        moveTo(5, 5);
        ASSERT_TRUE(visible(1101));
        if (leave) mouse.pointerLeft();
        else mouse.mouseMove(700, 300, kLeft);
        for (int id : {1212, 1223, 1101, 1102}) EXPECT_EQ(field(id), "-") << id << (leave ? " leave" : " move");
        for (int id : {1251, 1252, 1255, 1101, 1102}) EXPECT_FALSE(visible(id)) << id;
        mouse.leftUp(700, 300, kNone);
    }
    // Coming back onto the cell it left from fills the fields again.
    moveTo(5, 5);
    mouse.pointerLeft();
    moveTo(5, 5);
    EXPECT_EQ(field(1212), "Door");
    EXPECT_TRUE(visible(1101));

    // While connecting, the destination fields keep what they showed.
    app.mouseMode = kMouseConnecting;
    moveTo(30, 20);
    moveTo(5, 5);
    EXPECT_FALSE(visible(1101));
    EXPECT_EQ(field(1212), "Door");
}

TEST_F(CanvasMouseTest, HoverHighlightsAnObjectAndWhatItIsLinkedTo) {
    placeObject(app, kLightningSwitch, 2, 2);
    placeObject(app, kLightningMachine, 10, 2);
    placeObject(app, kLightningMachine, 20, 2);
    at(2, 2).links[0][0] = 10;
    at(2, 2).links[0][1] = 2;
    at(2, 2).links[1][0] = 20;
    at(2, 2).links[1][1] = 2;
    at(2, 2).mark = 0;
    ui.clearRecords();

    moveTo(2, 3);
    EXPECT_EQ(at(2, 2).mark, kMarkHighlighted);
    EXPECT_EQ(at(10, 2).mark, kMarkHighlighted);
    EXPECT_EQ(at(20, 2).mark, kMarkHighlighted);
    EXPECT_TRUE(redrawn(PixelRect{41, 43, 57, 75}));
    EXPECT_TRUE(redrawn(PixelRect{169, 43, 217, 107}));
    EXPECT_TRUE(mouse.pendingRegion().empty());

    ui.clearRecords();
    moveTo(30, 20);
    EXPECT_EQ(at(2, 2).mark, 0);
    EXPECT_EQ(at(10, 2).mark, 0);
    EXPECT_EQ(at(20, 2).mark, 0);
    EXPECT_TRUE(redrawn(PixelRect{329, 43, 377, 107}));
}

TEST_F(CanvasMouseTest, RightClickStepsAConveyorInsteadOfAPopup) {
    placeObject(app, kConveyor, 5, 15);
    moveTo(8, 15);
    rightClick(8, 15);
    EXPECT_TRUE(ui.popups.empty());
    EXPECT_EQ(at(5, 15).variant, 1);
    EXPECT_EQ(at(5, 15).picture, kPicConveyorLeft);
}

TEST_F(CanvasMouseTest, PressAfterAFileDialogAndMoveAfterALoadAreSwallowed) {
    mouse.objectListChosen(kKey);
    app.suppressClick = true;
    moveTo(3, 3);
    press(3, 3);
    EXPECT_EQ(at(3, 3).type, kEmpty);
    EXPECT_FALSE(app.suppressClick);
    press(3, 3);
    EXPECT_EQ(at(3, 3).type, kKey);

    app.skipNextMouseMove = true;
    moveTo(20, 20);
    EXPECT_EQ(mouse.mouseCell(), (CellPos{3, 3}));
    EXPECT_FALSE(app.skipNextMouseMove);
    moveTo(20, 20);
    EXPECT_EQ(mouse.mouseCell(), (CellPos{20, 20}));
}

TEST_F(CanvasMouseTest, DoorHoverTurnsItsMapMarkerRed) {
    RoomMapInput map{app};
    mouse.attachRoomMap(&map);
    map.beginPaint();  // the first paint is always a full one
    placeObject(app, kDoor, 4, 4);
    ui.clearRecords();
    moveTo(5, 5);
    EXPECT_TRUE(map.markersOnly());
    EXPECT_FALSE(ui.mapRedraws.empty());
    const MapPaintState state = map.beginPaint();
    EXPECT_TRUE(state.markersOnly);
    ASSERT_TRUE(state.hoveredDoor.has_value());
    EXPECT_EQ(*state.hoveredDoor, (CellPos{4, 4}));
    moveTo(30, 20);
    EXPECT_FALSE(map.beginPaint().hoveredDoor.has_value());
}

}  // namespace
}  // namespace grusk
