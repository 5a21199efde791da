// The command table driven through the editor session with the scripted
// platform and dialog host: room navigation, New, the grid and the mapper,
// the dialogs' logic, Help, the command-line file, and the question about
// unsaved changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/door_links.h"
#include "app/editor_session.h"
#include "app/object_commands.h"
#include "app/project_commands.h"
#include "app/sample_castle.h"
#include "app/scripted_dialogs.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"
#include "model/safe_file.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

class SessionTest : public ::testing::Test {
protected:
    FakePlatform ui;
    test::ScriptedDialogs dialogs;
    EditorSession session{ui, dialogs};
    AppState& app = session.app();
    test::TempDir dir;

    void useRooms(int count) {
        for (int r = 0; r < kRooms; ++r) app.castle.room(r).roomInUse = r < count ? 1 : 0;
    }
    int current() const { return app.castle.currentRoom; }
    void at(int room) { app.castle.currentRoom = room; }
    void run(int id) { session.runCommand(id); }
};

// Room navigation stops one room past the last room in use (the room a new
// one is made in), and with no room in use at the first room.
TEST_F(SessionTest, RoomCommandsStopOnePastTheLastRoomInUse) {
    const struct {
        int inUse, from, command, to;
    } cases[] = {
        {5, 3, kCmdNextRoom, 4},   {5, 4, kCmdNextRoom, 5},   {5, 5, kCmdNextRoom, 5},  {64, 63, kCmdNextRoom, 63},
        {64, 10, kCmdLastRoom, 63}, {15, 0, kCmdRoom20, 15},  {15, 15, kCmdRoom10, 9},  {15, 9, kCmdFirstRoom, 0},
        {15, 5, kCmdRoom1, 0},     {15, 5, kCmdPrevRoom, 4},  {0, 0, kCmdPrevRoom, 0},  {0, 0, kCmdNextRoom, 0},
        {0, 7, kCmdLastRoom, 0},   {0, 7, kCmdRoom10, 0},     {0, 7, kCmdRoom60, 0},
    };
    for (const auto& c : cases) {
        useRooms(c.inUse);
        at(c.from);
        run(c.command);
        EXPECT_EQ(current(), c.to) << c.inUse << " rooms in use, from " << c.from << ", command " << c.command;
        if (c.to == c.from) continue;
        EXPECT_EQ(ui.text(WindowId::Main, kCmdRoomButton), std::to_string(c.to + 1));
        EXPECT_EQ(ui.text(WindowId::RoomMap, 1255), std::to_string(c.to + 1));
    }
}

TEST_F(SessionTest, RoomButtonOpensTheRoomChoicePopup) {
    useRooms(30);
    ui.popupChoices = {kCmdRoom20, 0};
    run(kCmdRoomButton);
    EXPECT_EQ(ui.popups, std::vector<int>{kMenuRoomChoice});
    EXPECT_EQ(current(), 19);
    run(kCmdRoomButton);  // dismissed
    EXPECT_EQ(current(), 19);
}

TEST_F(SessionTest, NewAfterALoadedCastleStartsAfresh) {
    buildSampleCastle(app);
    app.castle.settings.playerLives[1] = 7;
    app.castle.castleTitle = "/somewhere/zcastle.prg";
    selectRoom(app, 2);
    session.markClean();
    run(kCmdNew);
    EXPECT_TRUE(ui.questionTexts().empty());
    EXPECT_EQ(ui.caption(), "<NO CASTLE LOADED>");
    EXPECT_EQ(current(), 0);
    EXPECT_EQ(app.castle.settings.playerLives[0], 3);
    EXPECT_EQ(app.castle.settings.playerLives[1], 3);
    EXPECT_EQ(app.castle.settings.playerStartRoom[0], 0);
    EXPECT_EQ(app.castle.settings.playerStartDoor[1], 0);
    EXPECT_EQ(app.castle.room(0).roomInUse, 0);
    EXPECT_EQ(app.castle.room(0).object(2, 7).type, kEmpty);
    ASSERT_FALSE(ui.mapRedraws.empty());
    EXPECT_TRUE(ui.mapRedraws.back().second);
}

TEST_F(SessionTest, GridAndMapperToggle) {
    run(kCmdShowGrid);
    EXPECT_TRUE(app.showGrid);
    run(kCmdShowGrid);
    EXPECT_FALSE(app.showGrid);
    ASSERT_FALSE(ui.canvasRedraws.empty());
    EXPECT_EQ(ui.canvasRedraws.back().first, kCanvasRect);

    run(kCmdShowMapper);
    EXPECT_TRUE(app.mapperVisible);
    EXPECT_TRUE(ui.windowVisible[WindowId::RoomMap]);
    run(kCmdShowMapper);
    EXPECT_FALSE(app.mapperVisible);
    EXPECT_FALSE(ui.windowVisible[WindowId::RoomMap]);
}

TEST_F(SessionTest, EditsMarkTheCaptionAndCleanStatesClearIt) {
    session.markClean();
    run(kCmdClearRoom);  // an empty room: nothing changes
    EXPECT_FALSE(app.castleChanged);
    placeObject(app, kKey, 4, 4, -1);
    session.markClean();
    run(kCmdClearRoom);
    EXPECT_TRUE(app.castleChanged);
    EXPECT_EQ(app.castle.current().object(4, 4).type, kEmpty);
    app.ui.setCaption("/tmp/a.cas");
    EXPECT_EQ(ui.caption(), "*/tmp/a.cas");
    session.markClean();
    EXPECT_EQ(ui.caption(), "/tmp/a.cas");
}

TEST_F(SessionTest, ThrowingAwayAChangedCastleAsksFirst) {
    placeObject(app, kKey, 1, 1, -1);
    markCastleChanged(app);

    ui.replies = {Reply::Cancel};
    run(kCmdNew);
    EXPECT_EQ(ui.questionTexts(), std::vector<std::string>{"Save changes to the castle?"});
    EXPECT_EQ(app.castle.current().object(1, 1).type, kKey);
    EXPECT_EQ(dialogs.quits, 0);

    ui.replies = {Reply::Cancel};
    run(kCmdExit);
    EXPECT_EQ(dialogs.quits, 0);
    EXPECT_FALSE(session.quitRequested());

    ui.replies = {Reply::Cancel, Reply::Cancel};
    run(kCmdLoadProject);
    run(kCmdLoadCastle);
    EXPECT_TRUE(ui.fileDialogs.empty()) << "cancelled before any file dialog";

    // Yes saves as "Save Project..." does, then goes on.
    const std::string saved = dir.file("kept.cas");
    ui.replies = {Reply::Yes};
    ui.files = {saved};
    run(kCmdNew);
    EXPECT_EQ(fileSize(saved), static_cast<long long>(kProjectFileSize));
    EXPECT_EQ(app.castle.current().object(1, 1).type, kEmpty);
    EXPECT_FALSE(app.castleChanged);

    // An unchanged castle goes on without a question.
    ui.clearRecords();
    run(kCmdExit);
    EXPECT_TRUE(ui.questionTexts().empty());
    EXPECT_EQ(dialogs.quits, 1);
    EXPECT_TRUE(session.quitRequested());
}

TEST_F(SessionTest, YesWithACancelledSaveDialogStays) {
    markCastleChanged(app);
    ui.replies = {Reply::Yes};
    ui.files = {std::nullopt};
    EXPECT_FALSE(session.requestExit());
    EXPECT_EQ(dialogs.quits, 0);
    ui.replies = {Reply::No};
    EXPECT_TRUE(session.requestExit());
    EXPECT_EQ(dialogs.quits, 1);
}

TEST_F(SessionTest, LoadProjectMarksTheCastleCleanAndSuppressesTheNextClick) {
    buildSampleCastle(app);
    const std::string path = dir.file("sample.cas");
    ASSERT_TRUE(saveCastleFileTo(app.castle, path));
    run(kCmdNew);
    markCastleChanged(app);
    ui.replies = {Reply::No};
    ui.files = {path};
    run(kCmdLoadProject);
    EXPECT_TRUE(app.suppressClick);
    EXPECT_FALSE(app.castleChanged);
    EXPECT_EQ(ui.caption(), path);
    EXPECT_EQ(app.castle.room(3).roomInUse, 1);
}

TEST_F(SessionTest, HelpOpensTheHelpTextAndSaysWhenItCannot) {
    app.programFolder = dir.path().string();
    run(kCmdHelp);
    ASSERT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(ui.started[0].path, "xdg-open");
    EXPECT_EQ(ui.started[0].args, std::vector<std::string>{(dir.path() / "help.txt").string()});
    EXPECT_TRUE(ui.messageTexts().empty());
    ui.startSucceeds = false;
    run(kCmdHelp);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Could not start xdg-open"});
    EXPECT_EQ(ui.messages.back().caption, "KVT");
}

TEST_F(SessionTest, AboutAndTheD64ManagerOpenTheirWindows) {
    app.programFolder = dir.path().string();
    run(kCmdAbout);
    bool opened = false;
    dialogs.onD64 = [&](D64Manager& manager) {
        opened = true;
        EXPECT_EQ(manager.imageField, "D64 Image File");
        EXPECT_FALSE(manager.copyInEnabled);
    };
    run(kCmdD64Manager);
    EXPECT_TRUE(opened);
    EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"about", "d64"}));
    EXPECT_EQ(session.d64Manager().imagePath, (dir.path() / "GruskEdit.d64").string());
}

TEST_F(SessionTest, CheckForErrorsShowsTheLog) {
    run(kCmdCheckErrors);
    EXPECT_EQ(ui.logShown, 1);
    ASSERT_FALSE(ui.log.empty());
    EXPECT_NE(ui.log[0].find("No Rooms defined"), std::string::npos);
}

TEST_F(SessionTest, ObjectListChoosesTheTypeToPlace) {
    session.objectListChosen(kLadder);
    EXPECT_EQ(app.placeType, kLadder);
    EXPECT_TRUE(app.listSelectionActive);
    session.objectListChosen(kPaletteTypes);  // not in the list
    EXPECT_EQ(app.placeType, kLadder);
}

TEST_F(SessionTest, CommandLineFileIsAProjectByItsSizeOrElseACastleProgram) {
    buildSampleCastle(app);
    const std::string project = dir.file("castle.cas");
    ASSERT_TRUE(saveCastleFileTo(app.castle, project));
    run(kCmdNew);
    EXPECT_TRUE(session.openFile(project));
    EXPECT_EQ(app.castle.room(1).roomInUse, 1);
    EXPECT_EQ(ui.caption(), project);
    EXPECT_FALSE(app.castleChanged);

    run(kCmdNew);
    const std::string program = test::sourceDir() + "/examples/sample.prg";
    EXPECT_TRUE(session.openFile(program));
    EXPECT_EQ(app.castle.room(3).roomInUse, 1);
    EXPECT_EQ(ui.caption(), program);

    EXPECT_FALSE(session.openFile(dir.file("missing.prg")));
    EXPECT_EQ(ui.messageTexts().back(), "Could not open " + dir.file("missing.prg"));
}

TEST_F(SessionTest, CommandLineRoomFileGoesIntoTheCurrentRoomAsUnsavedWork) {
    buildSampleCastle(app);
    // Room 0 goes back into room 0: imported objects take the room they land in.
    const std::vector<uint8_t> room = roomFileImage(app.castle, 0);
    const std::string file = dir.file("room.crm");
    test::writeBytes(file, room);
    run(kCmdNew);
    EXPECT_TRUE(session.openFile(file));
    EXPECT_EQ(roomFileImage(app.castle, 0), room);
    EXPECT_TRUE(app.castleChanged) << "nothing holds the imported room yet";
    EXPECT_EQ(app.castle.currentRoom, 0);
    EXPECT_TRUE(session.canUndo()) << "an Import Room step";
}

TEST_F(SessionTest, FirstPaintSetsUpAndShowsTheTitleUntilTheNextRedraw) {
    app.programFolder = dir.path().string();
    const auto cwd = std::filesystem::current_path();
    EXPECT_TRUE(session.firstPaintPending());
    Configuration config;
    config.fileFound = true;
    config.emulatorPath = "/opt/vice/x64sc";
    session.firstPaint(config, "");
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(session.firstPaintPending());
    EXPECT_EQ(app.emulatorPath, "/opt/vice/x64sc");
    EXPECT_EQ(ui.caption(), "<NO CASTLE LOADED>");
    EXPECT_EQ(ui.text(WindowId::Main, kCmdRoomButton), "1");
    EXPECT_FALSE(ui.windowVisible.at(WindowId::Log));
    EXPECT_FALSE(ui.windowVisible.at(WindowId::Inspector));
    EXPECT_FALSE(ui.windowVisible.at(WindowId::RoomMap));
    ASSERT_EQ(session.objectList().size(), 28u);
    EXPECT_EQ(session.objectList().front(), "Conveyor Switch");
    EXPECT_EQ(session.objectList().back(), "Walkway");
    EXPECT_TRUE(session.showingTitleScreen());
    session.paintCanvas();
    EXPECT_TRUE(session.showingTitleScreen());
    selectRoom(app, 0);
    EXPECT_FALSE(session.showingTitleScreen());
}

TEST_F(SessionTest, AMissingPictureEndsTheStart) {
    EXPECT_FALSE(session.create(dir.path().string()));
    ASSERT_EQ(ui.messageTexts().size(), 1u);
    EXPECT_NE(ui.messageTexts()[0].find("NOT found!!"), std::string::npos);
}

}  // namespace
}  // namespace grusk
