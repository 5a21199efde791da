// Undo and redo through the editor session: every kind of step done with the
// commands and the mouse handlers as the window drives them, taken back to the
// exact project file image it started from and done again; the unsaved mark;
// what clears the history; and long random sequences of edits, undos and
// redos compared at every point with a plain replay of the edits in effect.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <random>

#include "app/castle_program_commands.h"
#include "app/door_links.h"
#include "app/editor_session.h"
#include "app/object_commands.h"
#include "app/project_commands.h"
#include "app/sample_castle.h"
#include "app/scripted_dialogs.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/compiler.h"
#include "model/castle_files.h"
#include "model/safe_file.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

// One editor as the window drives it: mouse presses and releases go through
// the session's brackets around the handlers, as the canvas and map widgets do.
struct Editor {
    FakePlatform ui;
    test::ScriptedDialogs dialogs;
    EditorSession session{ui, dialogs};
    AppState& app = session.app();
    CastleModel& castle = app.castle;

    static int px(int c) { return kCanvasLeft + c * kCellPixels + 8; }
    static int py(int r) { return kCanvasTop + r * kCellPixels + 8; }

    void run(int id) { session.runCommand(id); }
    void fresh() {
        session.markClean();
        run(kCmdNew);
    }
    void choose(int type) { session.objectListChosen(type); }
    // The window takes the selection off the object list.
    void unchoose() {
        app.placeType = -1;
        app.listSelectionActive = false;
    }
    void hover(int c, int r) { session.mouse().mouseMove(px(c), py(r), {}); }
    void away() { session.mouse().mouseMove(-100, -100, {}); }
    void press(int c, int r, bool ctrl = false) {
        session.mouseButtonPressed();
        session.mouse().leftDown(px(c), py(r), {true, false, ctrl});
    }
    void dragTo(int c, int r, bool ctrl = false) { session.mouse().mouseMove(px(c), py(r), {true, false, ctrl}); }
    void release(int c, int r, bool ctrl = false) {
        session.mouse().leftUp(px(c), py(r), {false, false, ctrl});
        session.mouseButtonReleased();
    }
    void click(int c, int r, bool ctrl = false) {
        hover(c, r);
        press(c, r, ctrl);
        release(c, r, ctrl);
    }
    // Presses at from and moves into the cell via, which starts a drag of
    // the object found there; the object lands at to.
    void drag(CellPos from, CellPos via, CellPos to) {
        hover(from.x, from.y);
        press(from.x, from.y);
        dragTo(via.x, via.y);
        dragTo(to.x, to.y);
        release(to.x, to.y);
    }
    void rightClick(int c, int r) {
        hover(c, r);
        session.mouseButtonPressed();
        session.mouse().rightDown(px(c), py(r), {false, true, false});
        const int command = session.mouse().rightUp(px(c), py(r), {});
        session.mouseButtonReleased();
        if (command != 0) run(command);
    }
    void mapPress(int x, int y) {
        session.mapInput().mouseMove(x, y, false);
        session.mouseButtonPressed();
        session.mapInput().leftDown(x, y);
    }
    void mapDragTo(int x, int y) { session.mapInput().mouseMove(x, y, true); }
    void mapRelease(int x, int y) {
        session.mapInput().leftUp(x, y);
        session.mouseButtonReleased();
    }
    void mapClick(int x, int y) {
        mapPress(x, y);
        mapRelease(x, y);
    }
    void mapRightClick(int x, int y) {
        session.mouseButtonPressed();
        session.mapInput().rightUp(x, y);
        session.mouseButtonReleased();
    }
    CellRecord& at(int c, int r) { return castle.current().object(c, r); }
    void useRooms(int count) {
        for (int r = 0; r < count; ++r) castle.room(r).roomInUse = 1;
    }
    // The project file image. The hover highlight is what the mouse shows at
    // the moment, not part of the castle: it is taken off first, as moving the
    // mouse off the objects does.
    std::vector<uint8_t> image() {
        for (Room& room : castle.rooms)
            for (CellRecord& rec : room.objectLayer)
                if (rec.mark == kMarkHighlighted) rec.mark = kMarkPlain;
        return castleFileImage(castle);
    }
};

class UndoTest : public ::testing::Test, protected Editor {};

struct Kind {
    std::string name;
    std::function<void()> setup;  // direct edits, no steps
    std::function<void()> act;    // the step, through the session
    int room = 0;                 // the room shown after undo and redo
};

TEST_F(UndoTest, EveryKindOfStepUndoesToTheImageBeforeAndRedoesToTheImageAfter) {
    test::TempDir dir;
    const std::string roomFile = dir.file("room.crm");
    const auto mapRoom = [&](int room) {
        castle.room(room).roomInUse = 1;
        castle.room(room).roomMapRect = MapRect{96, 96, 208, 208};
        selectRoom(app, room);
    };
    const std::vector<Kind> kinds = {
        {"Place Ladder", [] {},
         [&] {
             choose(kLadder);
             hover(5, 5);
             press(5, 5);
             dragTo(5, 6);
             dragTo(8, 7);  // the column stays 5
             dragTo(5, 9);
             release(5, 9);
             EXPECT_EQ(castle.current().vertical(5, 7).type, kLadder);
         }},
        {"Place Walkway", [] {},
         [&] {
             choose(kWalkway);
             hover(3, 12);
             press(3, 12);
             for (int c = 4; c <= 9; ++c) dragTo(c, 12);
             release(9, 12);
             EXPECT_EQ(castle.current().walkway(9, 12), kWalkwayR);
         }},
        // A door puts its room on the map: the undo takes it off again.
        {"Place Door", [&] { selectRoom(app, 5); },
         [&] {
             choose(kDoor);
             click(20, 10);
             EXPECT_EQ(castle.room(5).roomInUse, 1);
         },
         5},
        {"Delete", [&] { placeObject(app, kDoor, 10, 10); }, [&] { click(11, 11, true); }},
        {"Delete", [&] { placeObject(app, kCamouflage, 4, 4); }, [&] { click(4, 4, true); }},
        {"Move Door",
         [&] {
             placeObject(app, kDoor, 4, 4);
             placeObject(app, kDoorBell, 12, 4);
             app.popupCell = {12, 4};
             linkObjectAt(app, 4, 4);
         },
         [&] {
             drag({5, 5}, {6, 5}, {20, 15});
             EXPECT_EQ(at(20, 15).type, kDoor);
             EXPECT_EQ(at(12, 4).links[0][0], 20);
         }},
        {"Change State", [&] { placeObject(app, kConveyor, 10, 10); }, [&] { click(10, 10); }},
        {"Change State", [&] { placeObject(app, kFrankenstein, 10, 10); }, [&] { rightClick(10, 10); }},
        {"Set Color",
         [&] {
             placeObject(app, kLock, 2, 2);
             app.popupCell = {2, 2};
         },
         [&] { run(1289); }},
        {"Edit Text",
         [&] {
             placeObject(app, kText, 20, 3);
             app.popupCell = {20, 3};
             dialogs.textReply = "hello";
         },
         [&] { run(kCmdEditText); }},
        {"Double Height",
         [&] {
             placeObject(app, kText, 20, 3);
             app.popupCell = {20, 3};
         },
         [&] { run(kCmdDoubleHeight); }},
        {"Link",
         [&] {
             placeObject(app, kLock, 2, 2);
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {2, 2};
         },
         [&] {
             run(kCmdLink);
             click(11, 10);
             EXPECT_EQ(at(2, 2).links[0][0], 10);
         }},
        {"Unlink",
         [&] {
             placeObject(app, kLock, 2, 2);
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {2, 2};
             linkObjectAt(app, 10, 10);
         },
         [&] { run(kCmdUnlink); }},
        {"Door Type",
         [&] {
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {10, 10};
         },
         [&] { run(kCmdExitDoor); }},
        // Both doors, in two rooms, in one step; the room shown is the one clicked in.
        {"Connect Doors",
         [&] {
             useRooms(5);
             selectRoom(app, 4);
             placeObject(app, kDoor, 20, 10);
             selectRoom(app, 0);
             placeObject(app, kDoor, 5, 5);
             app.popupCell = {5, 5};
         },
         [&] {
             run(kCmdConnect);
             selectRoom(app, 4);
             click(21, 11);
             EXPECT_EQ(castle.room(0).object(5, 5).destRoom, 4);
             EXPECT_EQ(castle.room(4).object(20, 10).destRoom, 0);
         },
         4},
        {"Player 1 Start",
         [&] {
             useRooms(3);
             selectRoom(app, 2);
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {10, 10};
         },
         [&] { run(kCmdPlayer1Start); }, 2},
        {"Player 2 Start",
         [&] {
             useRooms(3);
             selectRoom(app, 2);
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {10, 10};
         },
         [&] { run(kCmdPlayer2Start); }, 2},
        {"Kill Connections",
         [&] {
             useRooms(1);
             placeObject(app, kDoor, 2, 2);
             placeObject(app, kDoor, 20, 2);
             at(2, 2).destRoom = at(20, 2).destRoom = 3;
         },
         [&] { run(kCmdKillConnections); }},
        {"Clear Room",
         [&] {
             buildSampleCastle(app);
             selectRoom(app, 1);
         },
         [&] { run(kCmdClearRoom); }, 1},
        // The imported room holds doors: it lands on the map within the same step.
        {"Import Room",
         [&] {
             buildSampleCastle(app);
             ASSERT_TRUE(writeFileAtomically(roomFile, roomFileImage(castle, 2)));
             selectRoom(app, 6);
             ui.files = {roomFile};
         },
         [&] {
             run(kCmdImportRoom);
             EXPECT_EQ(castle.room(6).roomInUse, 1);
         },
         6},
        {"Create Room", [&] { selectRoom(app, 7); },
         [&] {
             mapPress(100, 100);
             mapDragTo(250, 200);
             mapDragTo(400, 300);
             mapRelease(400, 300);
             EXPECT_EQ(castle.room(7).roomMapRect.right, 208);
         },
         7},
        {"Resize Room", [&] { mapRoom(7); },
         [&] {
             mapPress(200, 200);
             mapDragTo(204, 204);  // over the corner: resizing
             mapDragTo(150, 150);
             mapRelease(150, 150);
             EXPECT_EQ(castle.room(7).roomMapRect.right, 160);
         },
         7},
        {"Move Room", [&] { mapRoom(7); },
         [&] {
             mapPress(120, 120);
             mapDragTo(200, 180);
             mapDragTo(300, 250);
             mapRelease(300, 250);
             EXPECT_NE(castle.room(7).roomMapRect.left, 96);
         },
         7},
        {"Remove Room",
         [&] {
             mapRoom(7);
             selectRoom(app, 0);
         },
         [&] {
             mapRightClick(120, 120);
             EXPECT_EQ(castle.room(7).roomInUse, 0);
         },
         7},
        {"Room Color", [&] { mapRoom(7); }, [&] { mapClick(650, 50); }, 7},
        {"Door Map Position",
         [&] {
             mapRoom(7);
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {10, 10};
         },
         [&] {
             run(kCmdSetMapPosition);
             mapClick(205, 150);
             EXPECT_EQ(at(10, 10).direction, 1);
         },
         7},
        {"Door Properties",
         [&] {
             placeObject(app, kDoor, 10, 10);
             app.popupCell = {10, 10};
             dialogs.onDoor = [](DoorPropertiesLogic& logic) {
                 logic.setText(kDoorRoomField, "6");
                 logic.stepDirection();
                 logic.ok();
             };
         },
         [&] { run(kCmdEditDoor); }},
        {"Castle Settings",
         [&] {
             dialogs.onSettings = [](CastleSettingsLogic& logic) {
                 logic.setText(kSettingsLives2, "9");
                 logic.setText(kSettingsStartRoom1, "4");
                 logic.ok();
             };
         },
         [&] { run(kCmdCastleSettings); }},
    };

    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        fresh();
        unchoose();
        kind.setup();
        const auto before = image();
        kind.act();
        unchoose();
        away();
        ASSERT_TRUE(session.canUndo());
        EXPECT_EQ(session.undoLabel(), "Undo " + kind.name);
        EXPECT_TRUE(app.castleChanged);
        const auto after = image();
        EXPECT_FALSE(before == after);

        selectRoom(app, 3);
        ui.clearRecords();
        session.undo();
        EXPECT_TRUE(image() == before);
        EXPECT_FALSE(session.canUndo()) << "the whole edit is one step";
        EXPECT_EQ(castle.currentRoom, kind.room);
        EXPECT_FALSE(ui.canvasRedraws.empty());
        EXPECT_FALSE(ui.mapRedraws.empty());
        EXPECT_FALSE(app.castleChanged);
        EXPECT_EQ(session.redoLabel(), "Redo " + kind.name);

        selectRoom(app, 3);
        session.redo();
        EXPECT_TRUE(image() == after);
        EXPECT_EQ(castle.currentRoom, kind.room);
        EXPECT_FALSE(session.canRedo());
        dialogs.onDoor = nullptr;
        dialogs.onSettings = nullptr;
    }
}

TEST_F(UndoTest, DialogsAndCommandsThatChangeNothingAreNoSteps) {
    useRooms(1);
    placeObject(app, kDoor, 10, 10);
    app.popupCell = {10, 10};
    dialogs.onDoor = [](DoorPropertiesLogic& logic) { logic.ok(); };
    run(kCmdEditDoor);
    dialogs.onSettings = [](CastleSettingsLogic& logic) { logic.ok(); };
    run(kCmdCastleSettings);
    run(kCmdNormalDoor);
    run(kCmdLink);
    app.mouseMode = kMouseNormal;
    click(30, 20);  // nothing there
    EXPECT_FALSE(session.canUndo());
    EXPECT_EQ(session.undoLabel(), "Undo");
    EXPECT_EQ(session.redoLabel(), "Redo");
}

// In the window the door dialog's "Position" button runs the map prompt
// inside the dialog: the map click belongs to the dialog's one step.
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
        logic.setText(kDoorNumberField, "3");
        logic.ok();
    };
    run(kCmdEditDoor);
    EXPECT_EQ(at(10, 10).direction, 3);
    EXPECT_EQ(at(10, 10).destDoor, 2);
    EXPECT_EQ(session.undoLabel(), "Undo Door Properties");
    session.undo();
    EXPECT_EQ(session.undoLabel(), "Undo Place Key");
    EXPECT_TRUE(image() == before);
}

TEST_F(UndoTest, TheHoverHighlightAndTheDragFlagMakeNoSteps) {
    useRooms(1);
    placeObject(app, kLock, 2, 2);
    placeObject(app, kDoor, 10, 10);
    app.popupCell = {2, 2};
    linkObjectAt(app, 10, 10);
    session.markClean();

    hover(2, 2);
    ASSERT_EQ(at(10, 10).mark, kMarkHighlighted);
    hover(11, 11);
    click(30, 20);
    // Dragged and dropped where it was.
    drag({11, 11}, {12, 11}, {10, 10});
    EXPECT_FALSE(session.canUndo());
    EXPECT_FALSE(app.castleChanged);

    // A step made while the highlight moves does not take the highlight along.
    hover(2, 2);
    choose(kKey);
    press(30, 5);  // the press moves the mouse off the lock: the highlight goes
    release(30, 5);
    ASSERT_EQ(session.undoLabel(), "Undo Place Key");
    EXPECT_EQ(at(2, 2).mark, kMarkPlain);
    session.undo();
    EXPECT_EQ(at(2, 2).mark, kMarkPlain);
    EXPECT_EQ(at(10, 10).mark, kMarkPlain);
}

TEST_F(UndoTest, UndoWaitsForTheButtonToComeUp) {
    choose(kKey);
    click(5, 5);
    hover(9, 9);
    press(9, 9);
    EXPECT_FALSE(session.canUndo());
    run(kCmdUndo);
    EXPECT_EQ(at(9, 9).type, kKey);
    release(9, 9);
    EXPECT_EQ(session.undoLabel(), "Undo Place Key");
    run(kCmdUndo);
    EXPECT_EQ(at(9, 9).type, kEmpty);
    EXPECT_EQ(at(5, 5).type, kKey);
    run(kCmdRedo);
    EXPECT_EQ(at(9, 9).type, kKey);
}

TEST_F(UndoTest, TheUnsavedMarkFollowsTheHistory) {
    test::TempDir dir;
    choose(kKey);
    click(5, 5);
    ui.files = {dir.file("a.cas")};
    run(kCmdSaveProject);
    ASSERT_FALSE(app.castleChanged);
    const auto saved = test::readBytes(dir.file("a.cas"));

    click(7, 7);  // taken by the file dialog
    click(7, 7);
    EXPECT_TRUE(app.castleChanged);
    EXPECT_EQ(ui.caption(), "*" + dir.file("a.cas"));
    run(kCmdUndo);
    EXPECT_FALSE(app.castleChanged);
    EXPECT_EQ(ui.caption(), dir.file("a.cas"));
    // Back at the saved state: leaving asks nothing, and saving again writes the same file.
    ui.files = {dir.file("b.cas")};
    run(kCmdSaveProject);
    EXPECT_TRUE(test::readBytes(dir.file("b.cas")) == saved);
    ui.clearRecords();
    EXPECT_TRUE(session.confirmDiscard());
    EXPECT_TRUE(ui.questionTexts().empty());

    run(kCmdUndo);  // before the save: changed again
    EXPECT_TRUE(app.castleChanged);
    run(kCmdRedo);
    EXPECT_FALSE(app.castleChanged);
    run(kCmdRedo);
    EXPECT_TRUE(app.castleChanged);
    EXPECT_EQ(ui.caption(), "*" + dir.file("b.cas"));
}

TEST_F(UndoTest, NewAndLoadingClearTheHistoryButACancelledLoadDoesNot) {
    test::TempDir dir;
    buildSampleCastle(app);
    const std::string project = dir.file("sample.cas");
    ASSERT_TRUE(saveCastleFileTo(castle, project));
    const auto placeKey = [&] {
        app.suppressClick = false;  // the click that closed a file dialog
        choose(kKey);
        click(20, 12);
        unchoose();
        ASSERT_TRUE(session.canUndo());
        session.markClean();
    };

    placeKey();
    run(kCmdNew);
    EXPECT_FALSE(session.canUndo());

    placeKey();
    ui.files = {std::nullopt};
    run(kCmdLoadProject);
    EXPECT_TRUE(session.canUndo());
    ui.files = {project};
    run(kCmdLoadProject);
    EXPECT_FALSE(session.canUndo());
    EXPECT_FALSE(app.castleChanged);

    placeKey();
    ui.files = {test::sourceDir() + "/examples/sample.prg"};
    run(kCmdLoadCastle);
    EXPECT_FALSE(session.canUndo());
    EXPECT_FALSE(session.canRedo());

    placeKey();
    ASSERT_TRUE(session.openFile(project));
    EXPECT_FALSE(session.canUndo());
}

// Renumbering by the check and the compiler is no step: the steps on either
// side of it still undo and redo without harm, and the next renumbering puts
// the numbers in order again.
TEST_F(UndoTest, UndoingAcrossARenumberingLeavesAConsistentCastle) {
    buildSampleCastle(app);
    session.markClean();
    std::vector<int> types;
    for (const CellRecord& rec : castle.room(0).objectLayer) types.push_back(rec.type);
    choose(kDoor);
    for (const CellPos cell : {CellPos{24, 14}, CellPos{14, 15}}) {
        click(cell.x, cell.y);
        ASSERT_EQ(at(cell.x, cell.y).type, kDoor);
    }
    unchoose();
    ASSERT_EQ(at(2, 7).type, kDoor);
    click(3, 8, true);  // the room's first door goes: the doors after it move up
    ASSERT_EQ(at(2, 7).type, kEmpty);
    renumberObjects(castle);
    run(kCmdCheckErrors);
    int undone = 0;
    while (session.canUndo()) {
        session.undo();
        ++undone;
    }
    EXPECT_EQ(undone, 3);
    while (session.canRedo()) session.redo();
    renumberObjects(castle);
    while (session.canUndo()) session.undo();
    renumberObjects(castle);
    for (int c = 0; c < kCellsPerRoom; ++c) EXPECT_EQ(castle.room(0).objectLayer[c].type, types[c]) << c;
    for (int r = 0; r < kRooms; ++r)
        for (const CellRecord& rec : castle.room(r).objectLayer)
            if (isObjectType(rec.type)) {
                EXPECT_EQ(rec.number, rec.ordinal) << r;
            }
}

// --- Long random sequences --------------------------------------------------

// Two castles agree on what a project keeps of the rooms the sequences edit,
// on the map data and on the settings; the hover highlight and the drag flag
// are left out.
::testing::AssertionResult sameCastle(const CastleModel& a, const CastleModel& b, int rooms) {
    auto plain = [](CellRecord r) {
        if (r.mark == kMarkHighlighted) r.mark = kMarkPlain;
        r.dragging = 0;
        return r;
    };
    for (int room = 0; room < rooms; ++room) {
        const Room& x = a.room(room);
        const Room& y = b.room(room);
        for (int c = 0; c < kCellsPerRoom; ++c) {
            const CellRecord p = plain(x.objectLayer[c]), q = plain(y.objectLayer[c]);
            if (std::memcmp(&p, &q, sizeof p) != 0)
                return ::testing::AssertionFailure() << "room " << room << " object cell " << c << " types " << p.type
                                                     << " " << q.type;
            if (std::memcmp(&x.verticalLayer[c], &y.verticalLayer[c], sizeof(CellRecord)) != 0)
                return ::testing::AssertionFailure() << "room " << room << " vertical cell " << c;
        }
        if (x.walkwayLayer != y.walkwayLayer) return ::testing::AssertionFailure() << "room " << room << " walkways";
        if (x.camouflageLayer != y.camouflageLayer)
            return ::testing::AssertionFailure() << "room " << room << " camouflage";
        if (x.roomObjectCount != y.roomObjectCount)
            return ::testing::AssertionFailure() << "room " << room << " counts";
    }
    for (int room = 0; room < kRooms; ++room) {
        const Room& x = a.room(room);
        const Room& y = b.room(room);
        if (std::memcmp(&x.roomMapRect, &y.roomMapRect, sizeof x.roomMapRect) != 0 || x.roomColour != y.roomColour ||
            x.roomInUse != y.roomInUse)
            return ::testing::AssertionFailure() << "map data of room " << room;
    }
    if (std::memcmp(&a.settings, &b.settings, sizeof a.settings) != 0)
        return ::testing::AssertionFailure() << "settings";
    return ::testing::AssertionSuccess();
}

// The sample castle's four rooms and two empty ones.
constexpr int kEditedRooms = 6;

// One edit of the sequences, applied the same way to any editor. Cells are
// often those of objects in the room (found when the edit is applied, on
// castles that are equal by then), so that links, connections, drags and the
// door commands happen.
struct Op {
    int kind = 0;
    int room = 0;
    int a = 0, b = 0, c = 0, d = 0, value = 0, pick = 0;
};

const int kPopupCommands[] = {1284, 1286, 1289, kCmdDoubleHeight, kCmdExitDoor, kCmdNormalDoor, kCmdUnlink,
                              kCmdPlayer1Start, kCmdPlayer2Start, kCmdEditText};

Op randomOp(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    Op op;
    const int roll = pick(100);
    op.kind = roll < 26 ? 0 : roll < 34 ? 1 : roll < 40 ? 2 : roll < 50 ? 3 : roll < 54 ? 4 : roll < 64 ? 5
            : roll < 71 ? 6 : roll < 78 ? 7 : roll < 86 ? 8 : roll < 89 ? 9 : roll < 92 ? 10 : roll < 96 ? 11 : 12;
    op.room = pick(kEditedRooms);
    op.a = pick(kColumns);
    op.b = pick(kRows);
    op.c = pick(kColumns);
    op.d = pick(kRows);
    op.value = static_cast<int>(rng() % 1000);
    op.pick = static_cast<int>(rng() % 1000);
    if (op.kind >= 8 && op.kind <= 9) {  // map points
        op.a = 1 + pick(639);
        op.b = 1 + pick(399);
        op.c = 1 + pick(639);
        op.d = 1 + pick(399);
    }
    return op;
}

// Mostly the anchor of one of the room's objects (of the types that fit,
// when told), else the cell itself.
CellPos someObject(const Room& room, int pick, CellPos cell, const std::function<bool(int)>& fits = {}) {
    std::vector<CellPos> anchors;
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            const int t = room.object(x, y).type;
            if (isObjectType(t) && (!fits || fits(t))) anchors.push_back({x, y});
        }
    if (anchors.empty() || pick % 5 == 0) return cell;
    return anchors[static_cast<size_t>(pick) % anchors.size()];
}

void apply(Editor& e, const Op& op) {
    AppState& app = e.app;
    // What the window does between edits: no type chosen, no click to swallow.
    e.unchoose();
    app.suppressClick = false;
    app.mouseMode = kMouseNormal;
    app.mapDoorMode = false;
    e.away();
    selectRoom(app, op.room);
    const Room& room = app.castle.current();
    const CellPos here{op.a, op.b}, there{op.c, op.d};
    const CellPos object = someObject(room, op.pick, here);
    const auto isDoor = [](int t) { return t == kDoor; };
    switch (op.kind) {
        case 0: {  // a painted run of a type from the list, sometimes only one cell
            e.choose(op.value % kPaletteTypes);
            e.hover(op.a, op.b);
            e.press(op.a, op.b);
            if (op.value % 3 != 0) {
                e.dragTo(op.c, op.b);
                e.dragTo(op.c, op.d);
            }
            e.release(op.c, op.d);
            break;
        }
        case 1: e.click(object.x, object.y, true); break;
        case 2: e.click(object.x, object.y); break;
        case 3: {  // the move into a second cell of the object starts the drag
            const Size size = cellSize(room.object(object.x, object.y).type);
            CellPos via{object.x + 1, object.y};
            if (size.width < 2 && size.height >= 2) via = {object.x, object.y + 1};
            if (via.x >= kColumns) via.x = object.x - 1;
            e.drag(object, via, there);
            break;
        }
        case 4: e.rightClick(object.x, object.y); break;
        case 5: {
            const int command = kPopupCommands[op.value % std::size(kPopupCommands)];
            const bool forDoors = command == kCmdExitDoor || command == kCmdNormalDoor ||
                                  command == kCmdPlayer1Start || command == kCmdPlayer2Start;
            app.popupCell = forDoors ? someObject(room, op.pick, here, isDoor) : object;
            e.dialogs.textReply = "t" + std::to_string(op.value);
            e.run(command);
            break;
        }
        case 6: {  // mostly a source and a target the link rule allows
            app.popupCell = someObject(room, op.pick, here, needsLink);
            const int source = room.object(app.popupCell.x, app.popupCell.y).type;
            e.run(kCmdLink);
            const auto accepted = [source](int t) { return linkAllowed(source, t); };
            const CellPos target = someObject(room, op.value, there, accepted);
            e.click(target.x, target.y);
            break;
        }
        case 7: {  // connect, often with a door of another room
            app.popupCell = someObject(room, op.pick, here, isDoor);
            e.run(kCmdConnect);
            selectRoom(app, op.value % kEditedRooms);
            const CellPos target = someObject(app.castle.current(), op.value / 7, there, isDoor);
            e.click(target.x, target.y);
            break;
        }
        case 8:  // a map drag: creating, resizing or moving, whatever lies there
            e.mapPress(op.a, op.b);
            e.mapDragTo((op.a + op.c) / 2, (op.b + op.d) / 2);
            e.mapDragTo(op.c, op.d);
            e.mapRelease(op.c, op.d);
            break;
        case 9: e.mapRightClick(op.a, op.b); break;
        case 10:
            e.dialogs.onSettings = [v = op.value](CastleSettingsLogic& logic) {
                logic.setText(v % 2 ? kSettingsLives1 : kSettingsStartDoor2, std::to_string(v % 9));
                logic.ok();
            };
            e.run(kCmdCastleSettings);
            break;
        case 11:
            app.popupCell = someObject(room, op.pick, here, isDoor);
            e.dialogs.onDoor = [v = op.value](DoorPropertiesLogic& logic) {
                logic.setText(kDoorRoomField, std::to_string(v % 5));
                if (v % 2) logic.stepDirection();
                logic.ok();
            };
            e.run(kCmdEditDoor);
            break;
        default: e.run(op.value % 3 ? kCmdKillConnections : kCmdClearRoom); break;
    }
    e.unchoose();
}

// The edited rooms, the map data and the settings as they are now.
struct Look {
    std::vector<std::unique_ptr<Room>> rooms;
    CastleSettings settings;
    std::array<MapRect, kRooms> rects{};
    std::array<int32_t, kRooms> colours{}, inUse{};
};

bool changedSince(const CastleModel& castle, Look& look, bool take) {
    if (look.rooms.empty())
        for (int r = 0; r < kEditedRooms; ++r) look.rooms.push_back(std::make_unique<Room>());
    bool changed = false;
    if (!take) {
        // Compare through a castle-shaped view of the copies.
        static auto view = allocateCells();
        for (int r = 0; r < kEditedRooms; ++r) view->room(r) = *look.rooms[r];
        for (int r = 0; r < kRooms; ++r) {
            view->room(r).roomMapRect = look.rects[r];
            view->room(r).roomColour = look.colours[r];
            view->room(r).roomInUse = look.inUse[r];
        }
        view->settings = look.settings;
        changed = !sameCastle(castle, *view, kEditedRooms);
    }
    for (int r = 0; r < kEditedRooms; ++r) *look.rooms[r] = castle.room(r);
    for (int r = 0; r < kRooms; ++r) {
        look.rects[r] = castle.room(r).roomMapRect;
        look.colours[r] = castle.room(r).roomColour;
        look.inUse[r] = castle.room(r).roomInUse;
    }
    look.settings = castle.settings;
    return changed;
}

void startFrom(Editor& e) {
    e.fresh();
    buildSampleCastle(e.app);
    e.session.markClean();
}

TEST(UndoSequenceTest, RandomEditsUndosAndRedosMatchAReplayOfTheEditsInEffect) {
    for (const unsigned seed : {7u, 2024u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto main = std::make_unique<Editor>();
        auto replay = std::make_unique<Editor>();
        startFrom(*main);
        startFrom(*replay);
        std::vector<Op> done, undone;
        Look look;
        changedSince(main->castle, look, true);
        int steps = 0, undos = 0, redos = 0;
        for (int i = 0; i < 300; ++i) {
            const int roll = static_cast<int>(rng() % 100);
            const int burst = 1 + static_cast<int>(rng() % 3);
            if (roll < 12 && !done.empty()) {
                for (int k = 0; k < burst && !done.empty(); ++k) {
                    ASSERT_TRUE(main->session.canUndo()) << i;
                    main->session.undo();
                    undone.push_back(done.back());
                    done.pop_back();
                    ++undos;
                }
                // A new editor: New keeps the map rectangles of the rooms it takes off the map.
                replay = std::make_unique<Editor>();
                startFrom(*replay);
                for (const Op& op : done) apply(*replay, op);
            } else if (roll < 24 && !undone.empty()) {
                for (int k = 0; k < burst && !undone.empty(); ++k) {
                    ASSERT_TRUE(main->session.canRedo()) << i;
                    main->session.redo();
                    done.push_back(undone.back());
                    undone.pop_back();
                    apply(*replay, done.back());
                    ++redos;
                }
            } else {
                const Op op = randomOp(rng);
                apply(*main, op);
                if (changedSince(main->castle, look, false)) {
                    done.push_back(op);
                    undone.clear();
                    apply(*replay, op);
                    ++steps;
                }
            }
            changedSince(main->castle, look, true);
            ASSERT_TRUE(sameCastle(main->castle, replay->castle, kEditedRooms)) << "after operation " << i;
            ASSERT_EQ(main->session.canUndo(), !done.empty()) << i;
            ASSERT_EQ(main->session.canRedo(), !undone.empty()) << i;
            ASSERT_EQ(main->app.castleChanged, !done.empty()) << i;
        }
        EXPECT_GT(steps, 80);
        EXPECT_GT(undos, 20);
        EXPECT_GT(redos, 10);
        // Everything taken back: the castle it started from.
        while (main->session.canUndo()) main->session.undo();
        replay = std::make_unique<Editor>();
        startFrom(*replay);
        EXPECT_TRUE(sameCastle(main->castle, replay->castle, kRooms));
        EXPECT_FALSE(main->app.castleChanged);
    }
}

}  // namespace
}  // namespace grusk
