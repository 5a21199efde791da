// Undo and redo through the editor session, the unsaved mark and what clears the history.
#include <gtest/gtest.h>

#include "app/door_links.h"
#include "app/session_driver.h"
#include "gamedata/compiler.h"

namespace grusk {
namespace {

class UndoTest : public ::testing::Test, protected test::SessionDriver {};

struct Kind {
    std::string name;
    std::function<void()> setup;  // direct edits, no steps
    std::function<void()> act;    // the step, through the session
    int room = 0;                 // the room shown after undo and redo (-1: not checked)
};

TEST_F(UndoTest, EveryKindOfStepUndoesToTheImageBeforeAndRedoesToTheImageAfter) {
    test::TempDir dir;
    const std::string roomFile = dir.file("room.crm");
    const auto mapRoom = [&](int room) {
        castle.room(room).roomInUse = 1;
        castle.room(room).roomMapRect = MapRect{96, 96, 208, 208};
        selectRoom(app, room);
    };
    const auto popup = [&](int type, int x, int y) { placeObject(app, type, x, y); app.popupCell = {x, y}; };
    const auto sample = [&] { buildSampleCastle(app); selectRoom(app, 0); };
    const auto selectTopLeft = [&] { sweep(0, 0, 12, 12, true); };
    const std::vector<Kind> kinds = {
        {"Place Ladder", [] {}, [&] { choose(kLadder); stroke({5, 5}, {{5, 6}, {8, 7}, {5, 9}}); }},
        {"Place Walkway", [] {}, [&] { choose(kWalkway); stroke({3, 12}, {{4, 12}, {5, 12}, {6, 12}}); }},
        // A door puts its room on the map: the undo takes it off again.
        {"Place Door", [&] { selectRoom(app, 5); },
         [&] { choose(kDoor); click(20, 10); EXPECT_EQ(castle.room(5).roomInUse, 1); }, 5},
        {"Delete", [&] { placeObject(app, kDoor, 10, 10); }, [&] { click(11, 11, true); }},
        {"Move Door", [&] { placeObject(app, kDoor, 4, 4); popup(kDoorBell, 12, 4); linkObjectAt(app, 4, 4); },
         [&] { stroke({5, 5}, {{6, 5}, {20, 15}}); }},
        {"Change State", [&] { placeObject(app, kConveyor, 10, 10); }, [&] { click(10, 10); }},
        {"Change State", [&] { placeObject(app, kFrankenstein, 10, 10); }, [&] { rightClick(10, 10); }},
        {"Set Color", [&] { popup(kLock, 2, 2); }, [&] { run(1289); }},
        {"Edit Text", [&] { popup(kText, 20, 3); dialogs.textReply = "hello"; }, [&] { run(kCmdEditText); }},
        {"Link", [&] { placeObject(app, kDoor, 10, 10); popup(kLock, 2, 2); }, [&] { run(kCmdLink); click(11, 10); }},
        {"Unlink", [&] { placeObject(app, kDoor, 10, 10); popup(kLock, 2, 2); linkObjectAt(app, 10, 10); },
         [&] { run(kCmdUnlink); }},
        {"Door Type", [&] { popup(kDoor, 10, 10); }, [&] { run(kCmdExitDoor); }},
        // Both doors, in two rooms, in one step; the room shown is the one clicked in.
        {"Connect Doors",
         [&] { useRooms(5); selectRoom(app, 4); placeObject(app, kDoor, 20, 10);
               selectRoom(app, 0); popup(kDoor, 5, 5); },
         [&] { run(kCmdConnect); selectRoom(app, 4); click(21, 11); }, 4},
        {"Player 1 Start", [&] { useRooms(3); selectRoom(app, 2); popup(kDoor, 10, 10); },
         [&] { run(kCmdPlayer1Start); }, 2},
        {"Kill Connections", [&] { useRooms(1); placeObject(app, kDoor, 2, 2); at(2, 2).destRoom = 3; },
         [&] { run(kCmdKillConnections); }},
        {"Clear Room", [&] { buildSampleCastle(app); selectRoom(app, 1); }, [&] { run(kCmdClearRoom); }, 1},
        {"Create Room", [&] { selectRoom(app, 7); }, [&] { mapDrag({100, 100, 250, 200, 400, 300}); }, 7},
        {"Resize Room", [&] { mapRoom(7); }, [&] { mapDrag({200, 200, 204, 204, 150, 150}); }, 7},  // by the corner
        {"Move Room", [&] { mapRoom(7); }, [&] { mapDrag({120, 120, 200, 180, 300, 250}); }, 7},
        {"Remove Room", [&] { mapRoom(7); selectRoom(app, 0); }, [&] { mapRightClick(120, 120); }, 7},
        {"Room Color", [&] { mapRoom(7); }, [&] { mapClick(650, 50); }, 7},
        {"Door Map Position", [&] { mapRoom(7); popup(kDoor, 10, 10); },
         [&] { run(kCmdSetMapPosition); mapClick(205, 150); }, 7},
        {"Door Properties", [&] { popup(kDoor, 10, 10); dialogs.onDoor = [](auto& l) { l.stepDirection(); l.ok(); }; },
         [&] { run(kCmdEditDoor); }},
        {"Castle Settings", [&] { dialogs.onSettings = [](auto& l) { l.setText(kSettingsLives2, "9"); l.ok(); }; },
         [&] { run(kCmdCastleSettings); }},
        // Selection and room order steps on the sample castle; selecting itself makes no step.
        {"Cut 16 objects", sample, [&] { selectTopLeft(); run(kCmdCut); }},
        {"Delete 16 objects", sample, [&] { selectTopLeft(); run(kCmdDeleteSelection); }},
        {"Duplicate 2 objects", sample, [&] { sweep(0, 5, 7, 9, true); run(kCmdDuplicate); }},
        {"Paste 16 objects", sample, [&] { selectTopLeft(); run(kCmdCopy); run(kCmdRoom60); run(kCmdPaste); }, 4},
        {"Move 2 objects", sample, [&] {
             sweep(0, 5, 7, 9, true);
             for (int id : {kCmdNudgeDown, kCmdNudgeUp, kCmdNudgeLeft, kCmdNudgeRight}) if (!session.canUndo()) run(id);
         }},
        {"Duplicate Room 5", sample, [&] { run(kCmdDuplicateRoom); }, -1},
        {"Swap Rooms 1 and 2", sample, [&] { run(kCmdMoveRoomDown); }, -1},
        {"Swap Rooms 1 and 4", sample, [&] { dialogs.roomNumberReply = 4; run(kCmdSwapWithRoom); }, -1},
        {"Import Room", [&] { sample(); test::writeBytes(roomFile, roomFileImage(castle, 2)); ui.files = {roomFile}; },
         [&] { selectRoom(app, 6); run(kCmdImportRoom); EXPECT_EQ(castle.room(6).roomInUse, 1); }, 6},
    };

    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        fresh();
        unchoose();
        kind.setup();
        const auto before = image();
        kind.act();
        unchoose();
        session.mouse().mouseMove(-100, -100, {});  // off the canvas
        EXPECT_EQ(session.undoLabel(), "Undo " + kind.name);
        const auto after = image();
        EXPECT_NE(before, after);

        selectRoom(app, 3);
        ui.clearRecords();
        session.undo();
        EXPECT_EQ(image(), before);
        EXPECT_FALSE(session.canUndo()) << "the whole edit is one step";
        EXPECT_TRUE(kind.room < 0 || castle.currentRoom == kind.room) << castle.currentRoom;
        EXPECT_FALSE(ui.canvasRedraws.empty() || ui.mapRedraws.empty() || app.castleChanged);

        selectRoom(app, 3);
        session.redo();
        EXPECT_EQ(image(), after);
        EXPECT_TRUE(kind.room < 0 || castle.currentRoom == kind.room) << castle.currentRoom;
        dialogs = {};
    }
}

// What changes nothing makes no step; a step does not take the hover highlight along.
TEST_F(UndoTest, WhatChangesNothingMakesNoStep) {
    useRooms(1);
    placeObject(app, kLock, 2, 2);
    placeObject(app, kDoor, 10, 10);
    app.popupCell = {2, 2};
    linkObjectAt(app, 10, 10);
    session.markClean();
    app.popupCell = {10, 10};
    dialogs.onDoor = [](DoorPropertiesLogic& logic) { logic.ok(); };
    dialogs.onSettings = [](CastleSettingsLogic& logic) { logic.ok(); };
    dialogs.roomNumberReply = 65;
    for (int id : {kCmdEditDoor, kCmdCastleSettings, kCmdNormalDoor, kCmdMoveRoomUp, kCmdNudgeLeft, kCmdSwapWithRoom,
                   kCmdSelectAll, kCmdCopy, kCmdPaste, kCmdLink})
        run(id);
    EXPECT_EQ(ui.messageTexts(),
              (std::vector<std::string>{"There is no room 65.", "The objects would cover other objects there."}));
    app.mouseMode = kMouseNormal;
    click(30, 20);  // nothing there
    hover(2, 2);
    ASSERT_EQ(at(10, 10).mark, kMarkHighlighted);
    stroke({11, 11}, {{12, 11}, {10, 10}});
    EXPECT_FALSE(session.canUndo() || app.castleChanged);

    hover(2, 2);
    choose(kKey);
    press(30, 5);  // the press moves the mouse off the lock: the highlight goes
    release(30, 5);
    session.undo();
    EXPECT_EQ(at(2, 2).mark + at(10, 10).mark, 2 * kMarkPlain);
}

// The map click of the door dialog's "Position" button belongs to the dialog's one step.
TEST_F(UndoTest, AMapClickInsideTheDoorDialogIsPartOfItsStep) {
    useRooms(1);
    castle.room(0).roomMapRect = MapRect{96, 96, 208, 208};
    placeObject(app, kDoor, 10, 10);
    choose(kKey);
    click(30, 20);
    unchoose();
    app.popupCell = {10, 10};
    const auto before = image();
    dialogs.onDoor = [&](DoorPropertiesLogic& logic) {
        logic.startMapPosition();
        EXPECT_FALSE(session.canUndo()) << "no undo while the dialog's step is open";
        mapClick(100, 150);
        logic.mapPositionPicked();
        logic.ok();
    };
    run(kCmdEditDoor);
    EXPECT_EQ(std::vector<int>({at(10, 10).direction, at(10, 10).mapX, at(10, 10).mapY}), std::vector<int>({3, 0, 24}));
    session.undo();
    EXPECT_TRUE(session.undoLabel() == "Undo Place Key" && image() == before);
}

// Undo waits for the button to come up; the unsaved mark follows the history.
TEST_F(UndoTest, UndoWaitsForTheButtonAndTheUnsavedMarkFollowsTheHistory) {
    test::TempDir dir;
    choose(kKey);
    click(5, 5);
    ui.files = {dir.file("a.cas")};
    run(kCmdSaveProject);
    ASSERT_FALSE(app.castleChanged);
    click(7, 7);  // taken by the file dialog
    hover(9, 9);
    press(9, 9);
    run(kCmdUndo);
    EXPECT_EQ(at(9, 9).type, kKey);
    release(9, 9);
    run(kCmdUndo);
    EXPECT_TRUE(at(9, 9).type == kEmpty && !app.castleChanged);
    run(kCmdUndo);  // before the save: changed again
    EXPECT_TRUE(app.castleChanged);
    run(kCmdRedo);
    EXPECT_FALSE(app.castleChanged);
}

TEST_F(UndoTest, NewAndLoadingClearTheHistoryButACancelledLoadDoesNot) {
    test::TempDir dir;
    buildSampleCastle(app);
    const std::string project = dir.file("sample.cas");
    ASSERT_TRUE(saveCastleFileTo(castle, project));
    const std::vector<std::function<void()>> clears = {
        [&] { run(kCmdNew); },
        [&] {
            ui.files = {std::nullopt, project};
            run(kCmdLoadProject);
            EXPECT_TRUE(session.canUndo());
            run(kCmdLoadProject);
        },
        [&] { ASSERT_TRUE(session.openFile(project)); },
    };
    for (const auto& clear : clears) {
        app.suppressClick = false;  // the click that closed a file dialog
        choose(kKey);
        click(20, 12);
        unchoose();
        ASSERT_TRUE(session.canUndo());
        session.markClean();
        clear();
        EXPECT_FALSE(session.canUndo() || app.castleChanged);
    }
}

// Renumbering is no step: undo and redo across it leave a consistent castle.
TEST_F(UndoTest, UndoingAcrossARenumberingLeavesAConsistentCastle) {
    buildSampleCastle(app);
    session.markClean();
    std::vector<int> types;
    for (const CellRecord& rec : castle.room(0).objectLayer()) types.push_back(rec.type);
    choose(kDoor);
    click(24, 14);
    click(14, 15);
    unchoose();
    ASSERT_TRUE(at(14, 15).type == kDoor && at(2, 7).type == kDoor);
    click(3, 8, true);  // the room's first door goes: the doors after it move up
    ASSERT_EQ(at(2, 7).type, kEmpty);
    renumberObjects(castle);
    run(kCmdCheckErrors);
    for (int undone = 0; undone < 3; ++undone) session.undo();
    EXPECT_FALSE(session.canUndo());
    while (session.canRedo()) session.redo();
    renumberObjects(castle);
    while (session.canUndo()) session.undo();
    renumberObjects(castle);
    for (int c = 0; c < kCellsPerRoom; ++c) EXPECT_EQ(castle.room(0).objectLayer()[c].type, types[c]) << c;
    for (const Room& room : castle.rooms)
        for (const CellRecord& rec : room.objectLayer())
            EXPECT_TRUE(!isObjectType(rec.type) || rec.number == rec.ordinal);
}

}  // namespace
}  // namespace grusk
