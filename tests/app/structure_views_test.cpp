// Live problems, the Inspector and the link and map label switches, through the session.
#include <gtest/gtest.h>

#include "app/session_driver.h"
#include "editor/draw/link_overlay.h"

namespace grusk {
namespace {

class StructureViews : public ::testing::Test, protected test::SessionDriver {
protected:
    std::string status() { return field(kCtlProblemCount); }
};

TEST_F(StructureViews, ProblemsFollowEveryStepAndGoingToOneFramesItUntilTheNextEdit) {
    // Rooms 1 and 2 with doors to each other; room 2 holds an unlinked force field at (5, 7).
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
    ASSERT_EQ(session.problems().size(), 1u);
    EXPECT_EQ(status(), "1 problem");
    const std::vector<uint8_t> image = castleFileImage(castle);

    const auto framed = [&] { return session.paintCanvas().pixel(5 * 16 - 2, 7 * 16 - 2) == kProblemFramePen; };
    ASSERT_TRUE(session.goToProblem(0));
    EXPECT_TRUE(castle.currentRoom == 1 && framed());
    EXPECT_EQ(castleFileImage(castle), image);  // looking changes nothing
    run(kCmdPrevRoom);  // in another room the frame is not drawn
    EXPECT_FALSE(framed());
    run(kCmdNextRoom);

    // An edit ends the frame; the list is worked out again.
    const long long version = session.problemsVersion();
    choose(kForceFieldSwitch);
    click(20, 7);
    unchoose();
    EXPECT_TRUE(!framed() && session.problemsVersion() == version) << "same findings: nothing to refill";

    // Linking the force field mends it; undo brings the problem back.
    app.popupCell = {5, 7};
    run(kCmdLink);
    click(20, 7);
    EXPECT_EQ(status(), "No problems");
    run(kCmdUndo);
    EXPECT_EQ(status(), "1 problem");

    // A castle-wide problem has no room to go to.
    run(kCmdNew);
    EXPECT_TRUE(status() == "1 problem" && !session.goToProblem(0));
}

TEST_F(StructureViews, InspectorShowsWhatIsUnderThePointerElseWhatWasClickedLast) {
    castle.room(0).roomInUse = 1;
    placeObject(app, kDoor, 10, 5);
    placeObject(app, kKey, 20, 5);
    EXPECT_EQ(session.inspectorLines(), std::vector<std::string>{"-"});
    hover(11, 6);  // a covered cell of the door
    EXPECT_EQ(session.inspectorLines().at(1), "Cell: X: 10 Y: 05");
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
    EXPECT_TRUE(std::equal(plain.data(), plain.data() + 640 * 400, session.paintCanvas().data()));
    run(kCmdLabelMap);
    EXPECT_FALSE(session.mapInput().beginPaint().labels);
    run(kCmdShowProblems);
    run(kCmdShowInspector);
    EXPECT_TRUE(ui.windowVisible[WindowId::Problems] && ui.windowVisible[WindowId::Inspector]);
}

}  // namespace
}  // namespace grusk
