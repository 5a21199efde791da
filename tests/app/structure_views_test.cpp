// The views of the castle's structure as the session drives them: live
// problems with the status line and going to a problem, the Inspector
// following the pointer, and the link and map label switches.
#include <gtest/gtest.h>

#include "app/session_driver.h"
#include "editor/draw/link_overlay.h"

namespace grusk {
namespace {

class StructureViews : public ::testing::Test, protected test::SessionDriver {
protected:
    std::string status() { return field(kCtlProblemCount); }
    // Rooms 1 and 2 in use, each with a door leading to the other; room 2
    // also holds a force field at (5, 7) that is not linked.
    void twoRoomsWithAnUnlinkedForceField() {
        for (int r : {0, 1}) {
            castle.room(r).roomInUse = 1;
            castle.room(r).roomMapRect = {r * 64, 0, r * 64 + 48, 48};
            selectRoom(app, r);
            placeObject(app, kDoor, 0, 0);
            castle.room(r).object(0, 0).destRoom = 1 - r;
        }
        placeObject(app, kForceField, 5, 7);
        selectRoom(app, 0);
        session.refreshProblems();
    }
};

TEST_F(StructureViews, ProblemsFollowEveryStepAndGoingToOneFramesItUntilTheNextEdit) {
    twoRoomsWithAnUnlinkedForceField();
    ASSERT_EQ(session.problems().size(), 1u);
    EXPECT_EQ(session.problems()[0].message, "Error #1: Unlinked Force Field in Room 2; Position: X: 05 Y: 07");
    EXPECT_EQ(status(), "1 problem");
    const std::vector<uint8_t> image = castleFileImage(castle);

    const auto framed = [&] { return session.paintCanvas().pixel(5 * 16 - 2, 7 * 16 - 2) == kProblemFramePen; };
    ASSERT_TRUE(session.goToProblem(0));
    EXPECT_EQ(castle.currentRoom, 1);
    EXPECT_EQ(session.problemFrameCell(), (CellPos{5, 7}));
    EXPECT_TRUE(framed());
    EXPECT_EQ(castleFileImage(castle), image);  // looking changes nothing
    // In another room the frame is not drawn; back in its room it is.
    run(kCmdPrevRoom);
    EXPECT_FALSE(framed());
    run(kCmdNextRoom);
    EXPECT_TRUE(framed());

    // An edit ends the frame; the list is worked out again.
    const long long version = session.problemsVersion();
    choose(kForceFieldSwitch);
    click(20, 7);
    unchoose();
    EXPECT_FALSE(framed());
    EXPECT_EQ(session.problemsVersion(), version);  // same findings: nothing to refill

    // Linking the force field mends it; undo brings the problem back.
    app.popupCell = {5, 7};
    run(kCmdLink);
    click(20, 7);
    EXPECT_EQ(status(), "No problems");
    EXPECT_EQ(problemCountText(2), "2 problems");
    run(kCmdUndo);
    EXPECT_EQ(status(), "1 problem");

    // A castle-wide problem has no room to go to.
    run(kCmdNew);
    EXPECT_EQ(status(), "1 problem");
    EXPECT_FALSE(session.goToProblem(0));
    EXPECT_FALSE(session.goToProblem(5));
}

TEST_F(StructureViews, InspectorShowsWhatIsUnderThePointerElseWhatWasClickedLast) {
    castle.room(0).roomInUse = 1;
    placeObject(app, kDoor, 10, 5);
    placeObject(app, kKey, 20, 5);
    EXPECT_EQ(session.inspectorLines(), std::vector<std::string>{"-"});
    hover(11, 6);  // a covered cell of the door
    const std::vector<std::string> door = session.inspectorLines();
    ASSERT_GE(door.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(door.begin(), door.begin() + 2),
              (std::vector<std::string>{"Door", "Cell: X: 10 Y: 05"}));
    click(20, 5);
    hover(30, 20);
    EXPECT_EQ(session.inspectorLines(), std::vector<std::string>{"-"});
    session.pointerOnCanvas(false);
    EXPECT_EQ(session.inspectorLines()[0], "Key");
    // It follows the edits: the key's colour, then its removal and return.
    app.popupCell = {20, 5};
    run(kCmdColourWhite + 1);  // red
    EXPECT_EQ(session.inspectorLines()[4], "Colour: red");
    deleteObjectAt(app, 20, 5);
    EXPECT_EQ(session.inspectorLines(), std::vector<std::string>{"-"});
}

TEST_F(StructureViews, ShowLinksDrawsOverTheCanvasAndTheWindowsOpenFromTheViewMenu) {
    castle.room(0).roomInUse = 1;
    placeObject(app, kDoor, 10, 5);
    const RasterImage plain = session.paintCanvas();
    run(kCmdShowLinks);
    EXPECT_EQ(session.paintCanvas().pixel(10 * 16 + 1, 5 * 16 + 1), kDoorLabelBackground);
    run(kCmdShowLinks);
    const RasterImage again = session.paintCanvas();
    EXPECT_TRUE(std::equal(plain.data(), plain.data() + 640 * 400, again.data()));
    EXPECT_TRUE(session.mapInput().beginPaint().labels);
    run(kCmdLabelMap);
    EXPECT_FALSE(session.mapInput().beginPaint().labels);
    run(kCmdShowProblems);
    run(kCmdShowInspector);
    EXPECT_TRUE(ui.windowVisible[WindowId::Problems] && ui.windowVisible[WindowId::Inspector]);
}

}  // namespace
}  // namespace grusk
