// A castle costs what it holds: rooms get cells of their own only when they
// are written, and the work that only looks at a castle gives no blank room
// cells; project files still hold all 64 rooms byte for byte.
#include <gtest/gtest.h>

#include <functional>

#include "gamedata/castle_problems.h"
#include "gamedata/castle_reader.h"
#include "gamedata_fixture.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

TEST(RoomStorage, LookingAtACastleGivesBlankRoomsNoCells) {
    const test::Bytes program = test::sampleProgram();
    const std::function<void(test::GameFixture&)> looks[] = {
        [](test::GameFixture&) {},  // reading
        [](test::GameFixture& f) { EXPECT_EQ(checkCastle(f.app, false), 0); },
        [](test::GameFixture& f) { findCastleProblems(f.castle()); },
        [](test::GameFixture& f) { EXPECT_TRUE(buildCastleProgram(f.castle(), test::sampleEndRoom())); },
        [](test::GameFixture& f) { EXPECT_EQ(castleFileImage(f.castle()).size(), kProjectFileSize); },
        [](test::GameFixture& f) { roomFileImage(f.castle(), kRooms - 1); },
        [](test::GameFixture& f) { renumberObjects(f.castle()); },
        [](test::GameFixture& f) { for (int r = 0; r < kRooms; ++r) recountRoom(f.castle(), r); },
        [](test::GameFixture& f) { const CastleTypes types(f.castle()); },
    };
    for (const auto& look : looks) {
        test::GameFixture f;
        readCastleProgramBytes(f.castle(), program.data(), program.size());
        look(f);
        EXPECT_EQ(f.castle().roomsHoldingCells(), 4) << &look - looks;
    }
}

// A project gives cells only to rooms that differ from the blank they read
// as, and is written back byte for byte; a room copy keeps its own cells.
TEST(RoomStorage, ProjectsAndCopiesKeepBlankRoomsBlank) {
    const test::Bytes program = test::sampleProgram();
    auto source = allocateCells();
    readCastleProgramBytes(*source, program.data(), program.size());
    for (int r = 4; r < kRooms; ++r) source->room(r).releaseCells(BlankRoom::Cleared);
    source->room(6).object(7, 7).type = kKey;        // out of the castle, but holding something
    recountRoom(*source, 6);
    source->room(7).vertical(2, 2).type = kLadder;  // only in the vertical section
    const test::Bytes image = castleFileImage(*source);
    for (const bool vertical : {true, false}) {
        auto target = allocateCells();
        for (Room& room : target->rooms) room.releaseCells(BlankRoom::Cleared);
        readCastleImage(*target, image.data(), vertical ? image.size() : kProjectLayoutSize);
        EXPECT_EQ(target->roomsHoldingCells(), vertical ? 6 : 5);
        test::Bytes again = castleFileImage(*target);
        EXPECT_TRUE(test::Bytes(again.begin(), again.begin() + kProjectLayoutSize) ==
                    test::Bytes(image.begin(), image.begin() + kProjectLayoutSize));
        EXPECT_EQ(again == image, vertical);
    }
    Room copy = source->room(6);
    source->room(6).object(7, 7).type = kEmpty;
    EXPECT_EQ(copy.object(7, 7).type, kKey);
    EXPECT_FALSE(sameRoom(copy, source->room(6)));
    copy = source->room(20);
    EXPECT_FALSE(copy.holdsCells());
    EXPECT_TRUE(sameRoom(copy, source->room(20)));
}

}  // namespace
}  // namespace grusk
