// The canvas mouse as the window drives it: placing, runs, erasing, dragging, linking, popups, hover.
#include <gtest/gtest.h>

#include "app/session_driver.h"

namespace grusk {
namespace {

constexpr MouseButtons kLeft{true, false, false};

class CanvasMouseTest : public ::testing::Test, protected test::SessionDriver {
protected:
    CanvasMouse& mouse = session.mouse();
    Room& room() { return castle.current(); }
    std::vector<uint8_t> objects() {
        const auto* bytes = reinterpret_cast<const uint8_t*>(room().objectLayer().data());
        return {bytes, bytes + sizeof(room().objectLayer())};
    }
    // Drags the object under (c, r) one cell right, then follows the pointer onto the anchor.
    void beginDrag(int c, int r) {
        hover(c, r);
        press(c, r);
        dragTo(c + 1, r);
        ASSERT_TRUE(mouse.draggingObject());
        mouse.mouseMove(ui.pointerMoves.back().first, ui.pointerMoves.back().second, kLeft);
    }
};

// A run keeps the line of its first move; the walkway is shaped on release.
TEST_F(CanvasMouseTest, RunsKeepTheLineOfTheirFirstMove) {
    choose(kWalkway);
    hover(3, 10);
    press(3, 10);
    dragTo(4, 10);
    ui.clearRecords();
    dragTo(5, 11);
    EXPECT_TRUE(redrawn(cellRect(5, 10)));
    dragTo(6, 12);
    dragTo(7, 9);
    release(7, 9);
    std::vector<int> row;
    for (int c = 2; c <= 8; ++c) row.push_back(room().walkway(c, 10));
    EXPECT_EQ(row, (std::vector<int>{kEmpty, kWalkwayL, kWalkway, kWalkway, kWalkway, kWalkwayR, kEmpty}));

    choose(kLadder);
    stroke({5, 5}, {{5, 6}, {7, 7}, {9, 8}});
    stroke({9, 8}, {{10, 9}, {12, 10}});  // the next run fixes its own column
    for (const auto& [c, r, ladder] : {std::tuple{5, 5, true}, {5, 8, true}, {7, 7, false}, {9, 8, true},
                                       {10, 10, true}, {12, 10, false}})
        EXPECT_EQ(room().vertical(c, r).type == kLadder, ladder) << c << "," << r;
    // A quick pointer passes cells between two moves: the run and the erase take them too.
    const auto ladderRows = [&] {
        std::vector<int> rows;
        for (int r = 0; r < kRows; ++r) if (room().vertical(20, r).type == kLadder) rows.push_back(r);
        return rows;
    };
    stroke({20, 2}, {{20, 3}, {21, 9}});
    EXPECT_EQ(ladderRows(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
    stroke({20, 4}, {{20, 5}, {20, 8}}, true);
    EXPECT_EQ(ladderRows(), (std::vector<int>{2, 3, 9}));
}

TEST_F(CanvasMouseTest, PressPlacesTheChosenTypeAndARightClickOrEscOnlyCancelsIt) {
    placeObject(app, kDoor, 20, 10);
    choose(kDoor);
    click(2, 2);
    click(3, 3);  // covered by the new door: refused
    EXPECT_EQ(countObjects(castle, 0, kDoor), 2);

    // Right after choosing a type, a right click over a door opens no popup; then it does.
    choose(kDoor);
    rightClick(21, 11);
    EXPECT_TRUE(ui.popups.empty() && app.placeType == -1);
    ui.popupChoices.push_back(kCmdConnect);
    rightClick(21, 11);
    EXPECT_EQ(app.mouseMode, kMouseConnecting) << "the picked command ran on the door";
    app.mouseMode = kMouseNormal;

    // Esc while the button is down keeps the run's type; after, it drops it.
    choose(kLadder);
    hover(5, 5);
    press(5, 5);
    mouse.cancelChoice();
    dragTo(5, 6);
    release(5, 6);
    EXPECT_EQ(room().vertical(5, 6).type, kLadder);
    mouse.cancelChoice();
    click(30, 20);
    EXPECT_EQ(room().vertical(30, 20).type, kEmpty);
}

TEST_F(CanvasMouseTest, TheGhostShowsUnderTheRestingPointerUntilItMovesOn) {
    const PixelRect keyAt3x4{57, 75, 89, 91}, doorAt3x4{57, 75, 105, 123};
    placeObject(app, kDoor, 20, 10);
    ui.clearRecords();
    choose(kKey);  // the pointer never came onto the canvas
    EXPECT_TRUE(ui.canvasRedraws.empty());
    unchoose();
    hover(3, 4);
    ui.clearRecords();
    choose(kKey);
    EXPECT_TRUE(redrawn(keyAt3x4));
    // Leaving the canvas takes the painted ghost away; a choice made then shows nothing.
    mouse.canvasPainted(keyAt3x4);
    ui.clearRecords();
    mouse.pointerLeft();
    EXPECT_TRUE(redrawn(keyAt3x4));
    ui.clearRecords();
    choose(kDoor);
    EXPECT_TRUE(ui.canvasRedraws.empty());
    // Back on the canvas the first move shows it; only the drawn ghost moving on ends the choice.
    hover(3, 4);
    EXPECT_TRUE(redrawn(doorAt3x4));
    mouse.canvasPainted(doorAt3x4);
    ui.clearRecords();
    hover(21, 11);
    EXPECT_TRUE(redrawn(doorAt3x4) && !app.listSelectionActive);
}

// Ctrl erases one thing per click, even with a type chosen, and along a drag.
TEST_F(CanvasMouseTest, CtrlClicksEraseInsteadOfPlacing) {
    placeObject(app, kDoor, 10, 10);
    placeObject(app, kWalkway, 10, 10);
    choose(kLadder);
    click(10, 10, true);
    EXPECT_TRUE(at(10, 10).type == kEmpty && room().walkway(10, 10) == kWalkway);
    for (int c = 0; c < 6; ++c) placeObject(app, kWalkway, c, 5);
    stroke({0, 5}, {{1, 5}, {2, 5}}, true);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(room().walkway(c, 5) == kEmpty, c < 3) << c;
}

// A drop where it began, on an object or off the room puts it back; elsewhere its links follow.
TEST_F(CanvasMouseTest, DragMovesTheObjectWithItsLinksOrPutsItBack) {
    placeObject(app, kDoor, 4, 4);
    placeObject(app, kDoor, 20, 8);
    at(4, 4).destRoom = 3;
    at(4, 4).picture = kExitDoor;
    placeObject(app, kDoorBell, 12, 4);
    link(12, 4, 0, 4, 4);
    link(12, 4, 1, 20, 8);
    recountRoom(castle, 0);
    const auto before = objects();
    for (const CellPos to : {CellPos{4, 4}, CellPos{21, 9}, CellPos{38, 5}}) {
        beginDrag(5, 5);
        dragTo(to.x, to.y);
        release(to.x, to.y);
        EXPECT_TRUE(!mouse.draggingObject() && objects() == before) << to.x;
    }

    beginDrag(5, 5);
    dragTo(30, 14);
    release(30, 14);
    EXPECT_EQ(at(4, 4).type, kEmpty);
    const CellRecord& m = at(30, 14);
    EXPECT_EQ(std::vector<int>({m.type, m.number, m.destRoom, m.picture, m.x, m.dragging, at(32, 16).type}),
              std::vector<int>({kDoor, 0, 3, kExitDoor, 30, 0, kCoveredBase + 30 * 40 + 14}));
    EXPECT_EQ(links(12, 4), (std::vector<std::pair<int, int>>{{30, 14}, {20, 8}}));
}

TEST_F(CanvasMouseTest, LinkingTakesTheObjectClickedNext) {
    placeObject(app, kDoorBell, 2, 10);
    for (int c : {5, 15}) placeObject(app, kDoor, c, 10);
    for (const CellPos door : {CellPos{6, 11}, CellPos{17, 12}}) {
        app.popupCell = {2, 10};
        run(kCmdLink);
        click(door.x, door.y);
    }
    EXPECT_EQ(links(2, 10), (std::vector<std::pair<int, int>>{{5, 10}, {15, 10}}));
    // A right click abandons a pending link; the next click just clicks.
    run(kCmdLink);
    rightClick(30, 20);
    click(6, 11);  // a bell may name a door twice: a link still pending would add one
    EXPECT_EQ(at(2, 10).usedLinkCount(), 2);
}

TEST_F(CanvasMouseTest, DoubleClickGoesThroughADoorToItsDestinationDoor) {
    selectRoom(app, 3);
    for (const int c : {1, 10, 20}) {
        placeObject(app, kDoor, c, c / 2);
        at(c, c / 2).number = static_cast<int8_t>(c / 10);
    }
    placeObject(app, kConveyor, 0, 4);  // lies under the double click
    selectRoom(app, 0);
    placeObject(app, kDoor, 2, 2);
    at(2, 2).destRoom = 3;
    at(2, 2).destDoor = 2;
    ui.clearRecords();

    mouse.leftDoubleClick(px(3), py(4));
    EXPECT_EQ(castle.currentRoom, 3);
    ASSERT_EQ(ui.pointerMoves, (std::vector<std::pair<int, int>>{{20 * 16 + 9 + 24, 10 * 16 + 11 + 24}}));
    const auto [x, y] = ui.pointerMoves[0];
    // The button is still down: neither the move nor the release drags or clicks.
    mouse.mouseMove(x, y, kLeft);
    EXPECT_FALSE(mouse.draggingObject());
    mouse.leftUp(x, y, {});
    hover(3, 4);
    mouse.leftUp(px(3), py(4), {});  // a later plain release clicks again
    EXPECT_EQ(at(0, 4).variant, 1);
    // Not a door, or a destination outside the castle: nothing happens.
    at(1, 0).destRoom = 90;
    mouse.leftDoubleClick(px(1), py(0));
    EXPECT_TRUE(castle.currentRoom == 3 && ui.pointerMoves.size() == 1u);
}

TEST_F(CanvasMouseTest, HoverShowsNameNumberAndDoorDestination) {
    placeObject(app, kDoor, 4, 4);
    at(4, 4).destRoom = 5;
    at(4, 4).destDoor = 1;
    placeObject(app, kDoor, 10, 4);
    at(10, 4).variant = 1;
    at(10, 4).picture = kExitDoor;
    placeObject(app, kWalkway, 20, 20);
    placeObject(app, kKey, 30, 4);
    // Name, number, and the destination room and door where they show.
    for (const auto& [c, r, shown] : {std::tuple{5, 6, "Door 1 62"}, {11, 5, "Door 2 --"}, {31, 4, "Key 1"},
                                      {20, 20, "Walkway 1"}, {30, 20, "- -"}}) {
        hover(c, r);
        const bool door = field(1212) == "Door";
        EXPECT_EQ(field(1212) + " " + field(1223) + (door ? " " + field(1101) + field(1102) : ""), shown);
        EXPECT_EQ(visible(1101) && visible(1251), door) << shown;
    }
    // Off the room (a move with the button held, or leaving the canvas) every field reads "-".
    for (const bool leave : {false, true}) {
        hover(5, 5);
        if (leave) mouse.pointerLeft();
        else mouse.mouseMove(700, 300, kLeft);
        EXPECT_EQ(field(1212) + field(1223) + field(1101) + field(1102), "----") << leave;
        EXPECT_FALSE(visible(1101) || visible(1251));
        mouse.leftUp(700, 300, {});
    }
    // While connecting, the destination fields keep what they showed.
    app.mouseMode = kMouseConnecting;
    hover(30, 20);
    hover(5, 5);
    EXPECT_TRUE(!visible(1101) && field(1212) == "Door");
}

TEST_F(CanvasMouseTest, HoverHighlightsAnObjectWhatItIsLinkedToAndItsMapMarker) {
    session.mapInput().beginPaint();  // the first paint is always a full one
    placeObject(app, kLightningSwitch, 2, 2);
    for (int c : {10, 20}) placeObject(app, kLightningMachine, c, 2);
    link(2, 2, 0, 10, 2);
    link(2, 2, 1, 20, 2);
    placeObject(app, kDoor, 4, 14);
    ui.clearRecords();
    hover(2, 3);
    for (int c : {2, 10, 20}) EXPECT_EQ(at(c, 2).mark, kMarkHighlighted) << c;
    EXPECT_TRUE(redrawn(PixelRect{41, 43, 57, 75}) && redrawn(PixelRect{169, 43, 217, 107}));
    ui.clearRecords();
    hover(30, 20);
    for (int c : {2, 10, 20}) EXPECT_EQ(at(c, 2).mark, kMarkPlain) << c;
    EXPECT_TRUE(redrawn(PixelRect{329, 43, 377, 107}));

    // A door under the pointer turns its map marker red.
    hover(5, 15);
    const MapPaintState state = session.mapInput().beginPaint();
    EXPECT_TRUE((state.markersOnly && state.hoveredDoor == CellPos{4, 14}));
}

TEST_F(CanvasMouseTest, RightClickStepsAConveyorAndSwallowedInputIsIgnoredOnce) {
    placeObject(app, kConveyor, 5, 15);
    rightClick(8, 15);
    EXPECT_EQ(std::tuple(ui.popups.size(), at(5, 15).variant, at(5, 15).picture), std::tuple(0u, 1, kPicConveyorLeft));

    // The press that closed a file dialog, and the move after a load.
    choose(kKey);
    app.suppressClick = true;
    click(3, 3);
    EXPECT_EQ(at(3, 3).type, kEmpty);
    app.skipNextMouseMove = true;
    hover(20, 20);
    EXPECT_EQ(mouse.mouseCell(), (CellPos{3, 3}));
    hover(20, 20);
    EXPECT_EQ(mouse.mouseCell(), (CellPos{20, 20}));
}

}  // namespace
}  // namespace grusk
