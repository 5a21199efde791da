// The command table driven through the editor session with the scripted platform and dialogs.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/session_driver.h"
#include "model/safe_file.h"

namespace grusk {
namespace {

class SessionTest : public ::testing::Test, protected test::SessionDriver {
protected:
    test::TempDir dir;
    std::string program = test::sourceDir() + "/examples/sample.prg";
};

// Room navigation stops one room past the last room in use.
TEST_F(SessionTest, RoomCommandsStopOnePastTheLastRoomInUse) {
    const struct {
        int inUse, from, command, to;
    } cases[] = {
        {5, 4, kCmdNextRoom, 5}, {5, 5, kCmdNextRoom, 5},  {64, 63, kCmdNextRoom, 63}, {64, 10, kCmdLastRoom, 63},
        {15, 0, kCmdRoom20, 15}, {15, 15, kCmdRoom10, 9}, {15, 5, kCmdPrevRoom, 4},  {0, 0, kCmdPrevRoom, 0},
        {0, 7, kCmdLastRoom, 0}, {0, 7, kCmdRoom60, 0},
    };
    for (const auto& c : cases) {
        for (int r = 0; r < kRooms; ++r) castle.room(r).roomInUse = r < c.inUse ? 1 : 0;
        castle.currentRoom = c.from;
        run(c.command);
        EXPECT_EQ(castle.currentRoom, c.to) << c.inUse << " rooms in use, from " << c.from << ", command " << c.command;
        if (c.to == c.from) continue;
        const std::string shown = std::to_string(c.to + 1);
        EXPECT_EQ(field(kCmdRoomButton) + ui.text(WindowId::RoomMap, 1255), shown + shown);
    }
    useRooms(30);
    ui.popupChoices = {kCmdRoom10, 0};  // the room button's popup, then dismissed
    for (int shown = 0; shown < 2; ++shown) run(kCmdRoomButton);
    EXPECT_EQ(ui.popups, (std::vector<int>{kMenuRoomChoice, kMenuRoomChoice}));
    EXPECT_EQ(castle.currentRoom, 9);
}

TEST_F(SessionTest, NewStartsAfreshAndTheListTakesOnlyItsTypes) {
    buildSampleCastle(app);
    castle.settings.playerLives[1] = 7;
    selectRoom(app, 2);
    session.markClean();
    run(kCmdNew);
    EXPECT_EQ(std::vector<int>({castle.currentRoom, castle.settings.playerLives[1], castle.room(0).roomInUse,
                                castle.room(0).object(2, 7).type}),
              std::vector<int>({0, 3, 0, kEmpty}));

    session.objectListChosen(kLadder);
    session.objectListChosen(kPaletteTypes);  // not in the list
    EXPECT_EQ(app.placeType, kLadder);
}

TEST_F(SessionTest, ThrowingAwayAChangedCastleAsksFirst) {
    run(kCmdClearRoom);  // an empty room: nothing changes
    EXPECT_FALSE(app.castleChanged);
    placeObject(app, kKey, 1, 1, -1);
    markCastleChanged(app);
    ui.replies = {Reply::Cancel, Reply::Cancel, Reply::Cancel, Reply::Cancel};
    for (int id : {kCmdNew, kCmdExit, kCmdLoadProject, kCmdLoadCastle}) run(id);
    EXPECT_EQ(ui.questionTexts(), std::vector<std::string>(4, "Save changes to the castle?"));
    EXPECT_EQ(at(1, 1).type, kKey);
    EXPECT_FALSE(dialogs.quits || !ui.fileDialogs.empty()) << "cancelled before any file dialog";
    // Yes with the save dialog cancelled stays; Yes saves as "Save Project..." does, then goes on.
    ui.replies = {Reply::Yes, Reply::Yes};
    ui.files = {std::nullopt, dir.file("kept.cas")};
    EXPECT_FALSE(session.requestExit());
    run(kCmdNew);
    EXPECT_TRUE(fileSize(dir.file("kept.cas")) == static_cast<long long>(kProjectFileSize) && at(1, 1).type == kEmpty);
    ui.clearRecords();  // an unchanged castle goes on without a question
    run(kCmdExit);
    EXPECT_TRUE(ui.questionTexts().empty() && dialogs.quits == 1 && session.quitRequested());
    markCastleChanged(app);
    ui.replies = {Reply::No};
    EXPECT_TRUE(session.requestExit());
}

TEST_F(SessionTest, HelpOpensTheHelpFileOrSaysItCannot) {
    app.programFolder = dir.path().string();
    run(kCmdHelp);
    EXPECT_EQ(ui.started.at(0).args, std::vector<std::string>{(dir.path() / "help.txt").string()});
    ui.startSucceeds = false;
    run(kCmdHelp);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Could not start xdg-open"});
}

// A file is a project by its size, else a castle program; a room file comes in as unsaved work.
TEST_F(SessionTest, CommandLineFilesAndLoadsOpenAsTheirKind) {
    buildSampleCastle(app);
    const std::string project = dir.file("castle.cas"), room = dir.file("room.crm");
    ASSERT_TRUE(saveCastleFileTo(castle, project));
    test::writeBytes(room, roomFileImage(castle, 0));
    fresh();
    markCastleChanged(app);
    ui.replies = {Reply::No};
    ui.files = {project};
    run(kCmdLoadProject);
    EXPECT_TRUE(app.suppressClick && ui.caption() == project);

    for (const std::string& file : {project, program}) {
        fresh();
        EXPECT_TRUE(session.openFile(file) && castle.room(3).roomInUse == 1 && ui.caption() == file) << file;
    }
    fresh();
    EXPECT_TRUE(session.openFile(room));
    EXPECT_EQ(roomFileImage(castle, 0), test::readBytes(room));
    EXPECT_TRUE(app.castleChanged) << "nothing holds the imported room yet";
    EXPECT_FALSE(session.openFile(dir.file("missing.prg")));
    EXPECT_EQ(ui.messageTexts().back(), "Could not open " + dir.file("missing.prg"));
}

TEST_F(SessionTest, FirstPaintSetsUpAndShowsTheTitleUntilTheNextRedraw) {
    app.programFolder = dir.path().string();
    const auto cwd = std::filesystem::current_path();
    EXPECT_TRUE(session.firstPaintPending());
    session.firstPaint(Configuration{true, "/opt/vice/x64sc"}, "");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(app.emulatorPath, "/opt/vice/x64sc");
    for (WindowId id : {WindowId::Log, WindowId::Inspector, WindowId::RoomMap}) EXPECT_FALSE(ui.windowVisible.at(id));
    session.paintCanvas();
    EXPECT_TRUE(session.showingTitleScreen());
    selectRoom(app, 0);
    EXPECT_FALSE(session.showingTitleScreen());

    // A missing picture ends the start.
    EXPECT_FALSE(session.create(dir.path().string()));
    EXPECT_NE(ui.messageTexts().back().find("NOT found!!"), std::string::npos);
}

}  // namespace
}  // namespace grusk
