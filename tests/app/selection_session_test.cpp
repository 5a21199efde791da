// Selections and the clipboard as the window drives them, and the room order commands.
#include <gtest/gtest.h>

#include "app/castle_program_commands.h"
#include "app/session_driver.h"
#include "gamedata/compiler.h"
#include "gamedata/room_order.h"

namespace grusk {
namespace {

using Links = std::vector<std::pair<int, int>>;

struct Editor : test::SessionDriver {
    Editor() { app.programFolder = test::programDir(); run(kCmdNew); }
    std::vector<uint8_t> compile() {
        EXPECT_EQ(checkCastle(app, false), 0);
        const auto program = buildCastleProgram(castle, readEndRoom(app).value());
        EXPECT_TRUE(program.has_value());
        return program.value_or(std::vector<uint8_t>{});
    }
};

TEST(SelectionSession, ShiftDragSelectsCopyPasteInAnotherRoomKeepsTheLink) {
    Editor e;
    e.castle.room(0).roomInUse = 1;
    placeObject(e.app, kLightningSwitch, 4, 4);
    placeObject(e.app, kLightningMachine, 8, 4);
    e.link(4, 4, 0, 8, 4);
    e.sweep(3, 3, 11, 8, true);
    const Selection& sel = e.session.mouse().selection();
    EXPECT_TRUE(sel.count() == 2 && sel.has(SelectLayer::Object, 4, 4) && sel.has(SelectLayer::Object, 8, 4));
    e.run(kCmdCopy);
    e.run(kCmdNextRoom);
    EXPECT_TRUE(e.session.mouse().selection().empty()) << "another room, no selection";
    e.hover(20, 10);
    e.run(kCmdPasteAtPointer);
    // The corner of the copy (the switch's cell) lands under the pointer; the copies are selected.
    EXPECT_TRUE(e.links(20, 10) == (Links{{24, 10}}) && e.session.mouse().selection().count() == 2u);
    e.run(kCmdPasteAtPointer);  // the same place again: refused and said so
    EXPECT_EQ(e.ui.messageTexts().back(), "The objects would cover other objects there.");
    e.hover(-10, -10);
    e.run(kCmdPaste);  // from the menu the copy goes to the cells it came from
    EXPECT_EQ(e.links(4, 4), (Links{{8, 4}}));

    // Another editor's clipboard text is read; anything else is refused and said so.
    e.ui.clipboard = "not a selection";
    e.run(kCmdPaste);
    EXPECT_EQ(e.ui.messageTexts().back(), "The clipboard holds no objects to paste: not a GruskEdit selection.");

    // Dragging a selected object moves the selection; the arrow keys nudge it.
    e.run(kCmdPrevRoom);
    e.sweep(3, 3, 11, 8, true);
    e.sweep(8, 5, 10, 8, false);  // grab the machine, move by (2, 3)
    EXPECT_TRUE(e.at(10, 7).type == kLightningMachine && e.links(6, 7) == (Links{{10, 7}}));
    e.run(kCmdNudgeUp);
    EXPECT_TRUE(e.session.mouse().selection().has(SelectLayer::Object, 10, 6));
    e.run(kCmdSelectNone);
    EXPECT_TRUE(e.session.mouse().selection().empty());
}

// A swapped castle's program, read back and swapped back, compiles to the first byte for byte.
TEST(RoomSwap, OnlyTheRoomOrderChanges) {
    Editor e;
    std::vector<std::string> errors;
    ASSERT_TRUE(sampleCastleProgram(e.app, &errors).has_value());
    const int rooms = roomsInUseRun(e.castle);
    ASSERT_GE(rooms, 3);
    const std::vector<uint8_t> original = e.compile();
    for (const auto& [a, b] : {std::pair{0, 1}, {0, rooms - 1}, {1, 2}}) {
        SCOPED_TRACE(std::to_string(a) + " and " + std::to_string(b));
        ASSERT_TRUE(swapRooms(e.castle, a, b));
        const std::vector<uint8_t> swapped = e.compile();
        EXPECT_NE(swapped, original);
        Editor reader;
        readCastleProgramBytes(reader.app, swapped.data(), swapped.size());
        ASSERT_TRUE(swapRooms(reader.castle, a, b));
        EXPECT_EQ(reader.compile(), original);
        ASSERT_TRUE(swapRooms(e.castle, a, b));
    }
}

// Every room with a door to either room is one the swap touches.
TEST(RoomSwap, RectanglesFollowTheirRoomsAndRoomsWithDoorsToThemAreTouched) {
    Editor e;
    buildSampleCastle(e.app);
    const int left = e.castle.room(0).roomMapRect.left;
    ASSERT_TRUE(swapRooms(e.castle, 0, 2));
    EXPECT_EQ(e.castle.room(2).roomMapRect.left, left);
    EXPECT_EQ(roomsTouchedBySwap(e.castle, 0, 2).size(), size_t(roomsInUseRun(e.castle)))
        << "every room of the sample castle has a door to room 1 or 3";
}

TEST(RoomSwap, DuplicateRoomKeepsInnerConnectionsOnly) {
    Editor e;
    buildSampleCastle(e.app);
    CastleModel& c = e.castle;
    // A door of room 0 connected to another door of room 0.
    c.room(0).object(10, 21).destRoom = 0;
    const int made = duplicateRoom(c, 0);
    ASSERT_EQ(made, roomsInUseRun(c) - 1);
    const Room& copy = c.room(made);
    EXPECT_EQ(std::vector<int>({copy.roomInUse, copy.object(10, 21).destRoom, copy.object(35, 7).destRoom,
                                copy.object(35, 7).destDoor, copy.object(6, 8).room, copy.roomMapRect.left}),
              std::vector<int>({1, made, 0, 0, made, c.room(0).roomMapRect.left + 16}));
    EXPECT_EQ(firstFreeRoom(c, -1), made + 1);
    // A room not in use that holds anything, even one ladder, is not free.
    for (const auto& fill : std::vector<std::function<void(Room&)>>{
             [](Room& r) { r.object(3, 3).type = kKey; }, [](Room& r) { r.vertical(3, 3).type = kLadder; },
             [](Room& r) { r.walkway(3, 3) = kWalkway; }, [](Room& r) { r.camouflage(3, 3) = 1; }}) {
        resetRoomRecords(c, made + 1);
        fill(c.room(made + 1));
        EXPECT_EQ(firstFreeRoom(c, -1), made + 2);
    }
    resetRoomRecords(c, made + 1);
    // With every room taken there is nothing to copy into.
    for (int r = 0; r < kRooms; ++r) c.room(r).roomInUse = 1;
    EXPECT_EQ(duplicateRoom(c, 0), -1);
}

}  // namespace
}  // namespace grusk
