// A castle costs what it holds: rooms get cells of their own only when they
// are written, and the work that only looks at a castle (check, build, saving
// a project, the problems) gives no blank room cells.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "gamedata/castle_problems.h"
#include "gamedata/castle_reader.h"
#include "gamedata_fixture.h"
#include "model/castle_files.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes sampleProgram() { return test::readBytes(test::sourceDir() + "/examples/sample.prg"); }

TEST(RoomStorage, LookingAtACastleGivesBlankRoomsNoCells) {
    const Bytes program = sampleProgram();
    ASSERT_FALSE(program.empty());
    struct Case {
        const char* what;
        std::function<void(test::GameFixture&)> run;
    };
    const std::vector<Case> cases = {
        {"reading", [](test::GameFixture&) {}},
        {"check", [](test::GameFixture& f) { EXPECT_EQ(checkCastle(f.app, false), 0); }},
        {"problems", [](test::GameFixture& f) { findCastleProblems(f.castle()); }},
        {"build", [](test::GameFixture& f) { EXPECT_TRUE(buildCastleProgram(f.castle(), test::sampleEndRoom())); }},
        {"project image", [](test::GameFixture& f) { EXPECT_EQ(castleFileImage(f.castle()).size(), kProjectFileSize); }},
        {"room file image of a blank room", [](test::GameFixture& f) { roomFileImage(f.castle(), kRooms - 1); }},
        {"renumbering", [](test::GameFixture& f) { renumberObjects(f.castle()); }},
        {"recount of every room", [](test::GameFixture& f) {
             for (int r = 0; r < kRooms; ++r) recountRoom(f.castle(), r);
         }},
        {"room types", [](test::GameFixture& f) { const CastleTypes types(f.castle()); }},
    };
    for (const Case& c : cases) {
        test::GameFixture f;
        readCastleProgramBytes(f.castle(), program.data(), program.size());
        const int rooms = roomsInUseRun(f.castle());
        ASSERT_GT(rooms, 0);
        ASSERT_LT(rooms, kRooms);
        c.run(f);
        EXPECT_EQ(f.castle().roomsHoldingCells(), rooms) << c.what;
        for (int r = rooms; r < kRooms; ++r) ASSERT_FALSE(f.room(r).holdsCells()) << c.what << ", room " << r;
    }
}

// Reading a project gives cells only to rooms whose cells differ from the
// blank they read as, and writes it back byte for byte.
TEST(RoomStorage, ProjectReadKeepsMatchingBlankRoomsBlank) {
    const Bytes program = sampleProgram();
    struct Case {
        BlankRoom file, memory;
        bool vertical;  // the file has its vertical section
        bool matching;  // the blank rooms of the file are those in memory
    };
    const Case cases[] = {
        {BlankRoom::Cleared, BlankRoom::Cleared, true, true},
        {BlankRoom::Fresh, BlankRoom::Fresh, true, true},
        {BlankRoom::Cleared, BlankRoom::Cleared, false, true},
        {BlankRoom::Fresh, BlankRoom::Cleared, true, false},
        {BlankRoom::Cleared, BlankRoom::Fresh, true, false},
    };
    for (const Case& c : cases) {
        auto source = allocateCells();
        readCastleProgramBytes(*source, program.data(), program.size());
        const int rooms = roomsInUseRun(*source);
        for (int r = rooms; r < kRooms; ++r) source->room(r).releaseCells(c.file);
        // A room out of the castle with something in it is read whole.
        source->room(rooms + 2).object(7, 7).type = kKey;
        recountRoom(*source, rooms + 2);
        // One that differs only in the vertical section is read whole when the file has it.
        source->room(rooms + 3).vertical(2, 2).type = kLadder;
        Bytes image = castleFileImage(*source);
        if (!c.vertical) image.resize(kProjectLayoutSize);

        auto target = allocateCells();
        for (Room& room : target->rooms) room.releaseCells(c.memory);
        readCastleImage(*target, image.data(), image.size());
        const std::string what = std::to_string(static_cast<int>(c.file)) + "/" +
                                 std::to_string(static_cast<int>(c.memory)) + (c.vertical ? "" : " no vertical");
        EXPECT_EQ(target->roomsHoldingCells(), c.matching ? rooms + (c.vertical ? 2 : 1) : kRooms) << what;
        Bytes again = castleFileImage(*target);
        if (!c.vertical) again.resize(kProjectLayoutSize);
        EXPECT_TRUE(again == image) << what;
    }
}

// What blank rooms read as, and what clearing and writing make of them.
TEST(RoomStorage, BlankRoomsReadAsTheRoomsTheyStandFor) {
    auto castle = allocateCells();
    EXPECT_EQ(castle->roomsHoldingCells(), 0);
    const Room& fresh = castle->room(5);
    EXPECT_EQ(fresh.object(3, 4).picture, 0);  // a new castle's records
    EXPECT_EQ(fresh.object(3, 4).type, kEmpty);
    EXPECT_EQ(fresh.vertical(3, 4).extra[0], -1);
    EXPECT_EQ(fresh.walkway(3, 4), kEmpty);

    castle->room(5).object(3, 4).type = kKey;
    EXPECT_TRUE(castle->room(5).holdsCells());
    EXPECT_EQ(castle->room(5).object(3, 5).picture, 0);  // the copy is of the blank it read as
    EXPECT_EQ(castle->roomsHoldingCells(), 1);

    clearCastleRecords(*castle);
    EXPECT_EQ(castle->roomsHoldingCells(), 0);
    EXPECT_EQ(std::as_const(*castle).room(5).object(3, 4).type, kEmpty);
    EXPECT_EQ(std::as_const(*castle).room(5).object(3, 4).picture, kEmpty);  // a cleared castle's records
    castle->room(9).walkway(0, 0) = kWalkway;
    EXPECT_EQ(castle->room(9).object(0, 0).picture, kEmpty);

    // Clear Room on a cleared blank writes pictures 0 and keeps the vertical ones.
    clearRoom(*castle, 2);
    EXPECT_EQ(castle->room(2).object(1, 1).picture, 0);
    EXPECT_EQ(castle->room(2).vertical(1, 1).picture, kEmpty);

    // Copies keep their own cells; a blank copy stays blank.
    Room copy = castle->room(9);
    castle->room(9).walkway(0, 0) = kEmpty;
    EXPECT_EQ(copy.walkway(0, 0), kWalkway);
    copy = castle->room(20);
    EXPECT_FALSE(copy.holdsCells());
    EXPECT_TRUE(sameRoom(copy, castle->room(20)));
    EXPECT_TRUE(sameRoom(copy, castle->room(9)));  // written back to what the blank holds
    EXPECT_FALSE(sameRoom(copy, castle->room(2)));
}

}  // namespace
}  // namespace grusk
