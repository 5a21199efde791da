// The quiet look at the castle's problems: the same findings as the error
// check, without changing a byte of the castle.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <random>

#include "gamedata/castle_problems.h"
#include "gamedata_fixture.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

using test::GameFixture;
using Lines = std::vector<std::string>;

Lines messagesOf(const std::vector<CastleProblem>& problems) {
    Lines lines;
    for (const CastleProblem& p : problems) lines.push_back(p.message);
    return lines;
}

// A castle with a bit of every fault the check knows, made by the editor's own
// operations and then stirred: door numbers out of step with their order (as
// placing and deleting leaves them), connections by those numbers, rooms in
// use with gaps, stale counts and ordinals outside the leading run.
void buildRandomCastle(GameFixture& f, uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    constexpr int kRoomsUsed = 6;
    for (int r = 0; r < kRoomsUsed; ++r)
        if (pick(0, 5) != 0) f.useRoom(r, {r * 64, 0, r * 64 + 48, 48});
    for (int r = 0; r < kRoomsUsed + 1; ++r) {
        f.enter(r);
        const int doors = pick(0, 4);
        for (int d = 0; d < doors; ++d) {
            const int x = pick(0, 36), y = pick(0, 20);
            if (placeObject(f.app, kDoor, x, y) != 1) continue;
            CellRecord& door = f.at(x, y);
            door.destRoom = pick(-2, kRoomsUsed + 1);
            door.destDoor = pick(-2, 4);
            if (pick(0, 2) == 0) door.number = static_cast<int8_t>(pick(-1, 5));
        }
        if (pick(0, 3) == 0) deleteObjectAt(f.app, pick(0, 39), pick(0, 24));
        for (int s = pick(0, 3); s > 0; --s) {
            const int type = std::array{kForceField, kTrap, kMummy, kDoorBell, kLock}[static_cast<size_t>(pick(0, 4))];
            placeObject(f.app, type, pick(0, 36), pick(0, 22));
        }
        // Counts and ordinals left behind by edits the recount never saw.
        Room& room = f.room(r);
        if (pick(0, 2) == 0) room.roomObjectCount[kDoor] = pick(0, 3);
        for (CellRecord& rec : room.objectLayer())
            if (rec.type == kDoor && pick(0, 3) == 0) rec.ordinal = pick(0, 5);
    }
    f.enter(0);
    f.ui.clearRecords();
}

TEST(QuietCheck, FindsWhatTheCheckFindsWithoutChangingAByte) {
    int withErrors = 0, withWarnings = 0, renumbered = 0;
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        GameFixture f;
        buildRandomCastle(f, seed);
        const std::vector<uint8_t> before = castleFileImage(f.castle());
        const std::vector<CastleProblem> quiet = findCastleProblems(f.castle());
        ASSERT_EQ(castleFileImage(f.castle()), before) << "seed " << seed;

        const int errors = checkCastle(f.app, true);
        Lines logged = f.ui.log;
        if (errors == 0) {
            ASSERT_FALSE(logged.empty());
            EXPECT_EQ(logged.back(), "No errors found.");
            logged.pop_back();
        }
        EXPECT_EQ(messagesOf(quiet), logged) << "seed " << seed;
        EXPECT_EQ(countErrors(quiet), errors) << "seed " << seed;
        // Once renumbered, the castle gives the same findings again.
        EXPECT_EQ(findCastleProblems(f.castle()), quiet) << "seed " << seed;

        withErrors += errors > 0;
        withWarnings += countErrors(quiet) < int(quiet.size());
        renumbered += castleFileImage(f.castle()) != before;
    }
    // The castles must have covered the interesting cases.
    EXPECT_GT(withErrors, 10);
    EXPECT_GT(withWarnings, 3);
    EXPECT_GT(renumbered, 10);
}

TEST(QuietCheck, ConnectionsFollowTheNumbersRenumberingWillGive) {
    GameFixture f;
    f.useRoom(0);
    f.useRoom(1);
    f.enter(1);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    for (int x : {0, 10}) f.at(x, 0).destRoom = 0;
    // Two doors in room 2 numbered 7 and 3 (as after deletions): door number 7
    // is the first in scan order, so after renumbering it is door 1.
    f.at(0, 0).number = 7;
    f.at(10, 0).number = 3;
    f.enter(0);
    f.put(kDoor, 0, 0);
    f.at(0, 0).destRoom = 1;
    f.at(0, 0).destDoor = 7;  // a number out of range, but a door carries it
    EXPECT_TRUE(findCastleProblems(f.castle()).empty());
    f.at(0, 0).destDoor = 2;  // in range, but no door carries it
    EXPECT_EQ(messagesOf(findCastleProblems(f.castle())),
              Lines{"Error #1: Door 1 in Room 1 has an invalid connection to Door 3 in Room 2."});
}

struct KindCase {
    const char* name;
    std::function<void(GameFixture&)> build;
    CastleProblem expected;  // message left out of the comparison
};

TEST(QuietCheck, EveryKindNamesItsRoomCellAndObject) {
    auto roomWithDoor = [](GameFixture& f, int r) {
        f.useRoom(r);
        f.enter(r);
        f.put(kDoor, 0, 0);
        f.at(0, 0).destRoom = r;
    };
    const std::vector<KindCase> cases = {
        {"no rooms", [](GameFixture&) {}, {ProblemKind::NoRooms, false, "", -1, -1, -1, -1, -1, -1}},
        {"room without door", [](GameFixture& f) { f.useRoom(0); },
         {ProblemKind::RoomWithoutDoor, false, "", 0, -1, -1, -1, -1, -1}},
        {"door to a room not in use",
         [&](GameFixture& f) {
             roomWithDoor(f, 0);
             f.put(kDoor, 12, 4);
             f.at(12, 4).destRoom = 9;
         },
         {ProblemKind::DoorToRoomNotInUse, false, "", 0, 12, 4, kDoor, 12, 4}},
        {"door to a missing door",
         [&](GameFixture& f) {
             roomWithDoor(f, 0);
             roomWithDoor(f, 2);
             f.room(1).roomInUse = 1;
             f.enter(1);
             f.put(kDoor, 20, 10);
             f.at(20, 10).destRoom = 2;
             f.at(20, 10).destDoor = 4;
         },
         {ProblemKind::DoorToMissingDoor, false, "", 1, 20, 10, kDoor, 20, 10}},
        {"unlinked object",
         [&](GameFixture& f) {
             roomWithDoor(f, 0);
             f.put(kForceField, 5, 7);
         },
         {ProblemKind::Unlinked, false, "", 0, 5, 7, kForceField, 5, 7}},
        {"object in a room not in use, second cell",
         [&](GameFixture& f) {
             roomWithDoor(f, 0);
             f.enter(4);
             f.put(kKey, 3, 3);  // two cells wide: the second names the first as its object
             f.room(4).object(3, 3).mark = kMarkPlain;
         },
         {ProblemKind::ObjectsInRoomNotInUse, true, "", 4, 4, 3, kKey, 3, 3}},
    };
    for (const KindCase& c : cases) {
        GameFixture f;
        c.build(f);
        const std::vector<CastleProblem> problems = findCastleProblems(f.castle());
        ASSERT_FALSE(problems.empty()) << c.name;
        CastleProblem got = problems.back();
        got.message.clear();
        EXPECT_EQ(got, c.expected) << c.name << ": " << problems.back().message;
    }
}

}  // namespace
}  // namespace grusk
