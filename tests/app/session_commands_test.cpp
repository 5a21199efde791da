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
    // A door placed in the current room at (x, y).
    CellRecord& door(int x, int y) {
        placeObject(app, kDoor, x, y, -1);
        return app.castle.current().object(x, y);
    }
};

TEST_F(SessionTest, NextRoomStopsOneRoomPastTheLastRoomInUse) {
    useRooms(5);
    at(3);
    run(kCmdNextRoom);
    EXPECT_EQ(current(), 4);
    run(kCmdNextRoom);
    EXPECT_EQ(current(), 5);
    run(kCmdNextRoom);
    EXPECT_EQ(current(), 5);
    EXPECT_EQ(ui.text(WindowId::Main, kCmdRoomButton), "6");
    EXPECT_EQ(ui.text(WindowId::RoomMap, 1255), "6");

    useRooms(kRooms);
    at(63);
    run(kCmdNextRoom);
    EXPECT_EQ(current(), 63);
    at(10);
    run(kCmdLastRoom);
    EXPECT_EQ(current(), 63);
}

TEST_F(SessionTest, RoomChoicesWithNoRoomInUseAllGiveTheFirstRoom) {
    useRooms(0);
    for (int id : {kCmdLastRoom, kCmdRoom10, kCmdRoom20, kCmdRoom30, kCmdRoom40, kCmdRoom50, kCmdRoom60}) {
        at(7);
        run(id);
        EXPECT_EQ(current(), 0) << id;
    }
    at(0);
    run(kCmdPrevRoom);
    EXPECT_EQ(current(), 0);
    run(kCmdNextRoom);
    EXPECT_EQ(current(), 0);
}

TEST_F(SessionTest, RoomChoiceStopsAfterTheLastRoomInUse) {
    useRooms(15);
    run(kCmdRoom20);
    EXPECT_EQ(current(), 15);
    run(kCmdRoom10);
    EXPECT_EQ(current(), 9);
    run(kCmdFirstRoom);
    EXPECT_EQ(current(), 0);
    at(5);
    run(kCmdRoom1);
    EXPECT_EQ(current(), 0);
    at(5);
    run(kCmdPrevRoom);
    EXPECT_EQ(current(), 4);
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

TEST_F(SessionTest, MouseEditsAreNoticedButHoverMarksAreNot) {
    placeObject(app, kLightningSwitch, 3, 3, -1);
    session.markClean();
    session.mouseButtonPressed();
    app.castle.current().object(3, 3).mark = kMarkHighlighted;
    app.castle.current().object(3, 3).dragging = 1;
    session.mouseButtonReleased();
    EXPECT_FALSE(app.castleChanged);

    session.mouseButtonPressed();
    app.castle.room(5).roomInUse = 1;  // a map edit
    session.mouseButtonReleased();
    EXPECT_TRUE(app.castleChanged);
    EXPECT_EQ(ui.caption().substr(0, 1), "*");
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

TEST_F(SessionTest, CastleSettingsShowOneBasedValuesAndStoreTheTypedOnes) {
    app.castle.settings.playerLives[1] = 5;
    app.castle.settings.playerStartRoom[0] = 2;
    dialogs.onSettings = [](CastleSettingsLogic& logic) {
        EXPECT_EQ(logic.text(kSettingsLives2), "5");
        EXPECT_EQ(logic.text(kSettingsStartRoom1), "3");
        EXPECT_EQ(logic.text(kSettingsStartDoor2), "1");
        logic.setText(kSettingsStartRoom2, "4");
        logic.setText(kSettingsLives1, "9");
        logic.ok();
    };
    session.markClean();
    run(kCmdCastleSettings);
    EXPECT_EQ(dialogs.opened, std::vector<std::string>{"settings"});
    EXPECT_EQ(app.castle.settings.playerStartRoom[1], 3);
    EXPECT_EQ(app.castle.settings.playerLives[0], 9);
    EXPECT_TRUE(app.castleChanged);
}

TEST_F(SessionTest, DoorPropertiesEditThePopupDoor) {
    CellRecord& d = door(5, 5);
    d.destRoom = 3;
    d.destDoor = 1;
    d.mapX = 7;
    d.mapY = 9;
    d.direction = 2;
    app.popupCell = {5, 5};
    dialogs.onDoor = [](DoorPropertiesLogic& logic) {
        EXPECT_EQ(logic.text(kDoorRoomField), "4");
        EXPECT_EQ(logic.text(kDoorNumberField), "2");
        EXPECT_EQ(logic.text(kDoorMapXField), "7");
        EXPECT_EQ(logic.text(kDoorMapYField), "9");
        EXPECT_EQ(logic.text(kDoorDirectionButton), "bottom");
        logic.stepDirection();
        logic.setText(kDoorRoomField, "6");
        logic.ok();
    };
    run(kCmdEditDoor);
    EXPECT_EQ(d.destRoom, 5);
    EXPECT_EQ(d.destDoor, 1);
    EXPECT_EQ(d.direction, 3);

    app.popupCell = {30, 20};  // no door there: no dialog
    run(kCmdEditDoor);
    EXPECT_EQ(dialogs.opened.size(), 1u);
}

TEST_F(SessionTest, PopupCommandsReachTheirOperations) {
    CellRecord& d = door(10, 10);
    app.popupCell = {10, 10};
    run(kCmdPlayer2Start);
    EXPECT_EQ(app.castle.settings.playerStartDoor[1], d.number);
    run(kCmdExitDoor);
    EXPECT_EQ(d.variant, 1);
    run(kCmdNormalDoor);
    EXPECT_EQ(d.variant, 0);
    run(kCmdConnect);
    EXPECT_EQ(app.mouseMode, kMouseConnecting);
    EXPECT_TRUE(ui.windowVisible[WindowId::SelectDoor]);

    app.mouseMode = kMouseNormal;
    placeObject(app, kLock, 2, 2, -1);
    app.popupCell = {2, 2};
    run(kCmdLink);
    EXPECT_EQ(app.mouseMode, kMouseLinking);
    run(1289);  // blue
    EXPECT_EQ(app.castle.current().object(2, 2).colour, 6);

    placeObject(app, kText, 20, 3, -1);
    app.popupCell = {20, 3};
    dialogs.textReply = "hello";
    run(kCmdEditText);
    EXPECT_EQ(dialogs.textInitials, std::vector<std::string>{"TEXT"});
    EXPECT_EQ(recordText(app.castle.current().object(20, 3)), "HELLO");
    run(kCmdDoubleHeight);
    EXPECT_EQ(app.castle.current().object(20, 3).variant, 1);
    EXPECT_TRUE(app.castleChanged);
}

TEST_F(SessionTest, KillConnectionsLeadsEveryDoorToTheFirstRoom) {
    CellRecord& a = door(2, 2);
    CellRecord& b = door(20, 2);
    a.destRoom = b.destRoom = 3;
    a.destDoor = b.destDoor = 2;
    run(kCmdKillConnections);
    EXPECT_EQ(a.destRoom, 0);
    EXPECT_EQ(b.destDoor, 0);
    EXPECT_TRUE(app.castleChanged);
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
