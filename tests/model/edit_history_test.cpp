// Undo and redo restore exactly the bytes the castle had.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "app/app_state.h"
#include "app/object_commands.h"
#include "app/project_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"
#include "model/edit_history.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

uint64_t fingerprint(const CastleModel& castle) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    };
    for (int r = 0; r < 3; ++r) {
        const Room& room = castle.room(r);
        mix(room.objectLayer().data(), sizeof(Room::RecordLayer));
        mix(room.verticalLayer().data(), sizeof(Room::RecordLayer));
        mix(room.walkwayLayer().data(), sizeof(Room::ValueLayer));
        mix(room.camouflageLayer().data(), sizeof(Room::ValueLayer));
        mix(room.roomObjectCount.data(), sizeof room.roomObjectCount);
    }
    for (const Room& room : castle.rooms) {
        mix(&room.roomMapRect, sizeof room.roomMapRect);
        mix(&room.roomColour, 4);
        mix(&room.roomInUse, 4);
    }
    mix(&castle.settings, sizeof castle.settings);
    return h;
}

class HistoryTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CastleModel& castle = app.castle;
    EditHistory history;
    void SetUp() override {
        clearCastle(app);
        history.clear();
    }
    template <typename F>
    void step(const std::string& name, F&& edit, std::vector<int> rooms = {}) {
        if (rooms.empty()) rooms.push_back(castle.currentRoom);
        history.begin(castle, name, rooms);
        edit();
        history.end(castle);
    }
};

TEST_F(HistoryTest, EmptyStepsAreNotRecordedAndNewStepsDropRedo) {
    step("Nothing", [] {});
    EXPECT_FALSE(history.canUndo());
    step("Place Key", [&] { placeObject(app, kKey, 0, 0); });
    step("Place Lock", [&] { placeObject(app, kLock, 5, 0); });
    history.undo(castle);
    EXPECT_TRUE(history.canRedo());
    step("Place Mummy", [&] { placeObject(app, kMummy, 9, 0); });
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoName(), "Place Mummy");
    EXPECT_EQ(history.stepCount(), 2u);
}

TEST_F(HistoryTest, SavedMarkFollowsTheHistory) {
    EXPECT_TRUE(history.atSavedState());
    step("Place Key", [&] { placeObject(app, kKey, 0, 0); });
    EXPECT_FALSE(history.atSavedState());
    history.markSaved();
    step("Place Lock", [&] { placeObject(app, kLock, 5, 0); });
    EXPECT_FALSE(history.atSavedState());
    history.undo(castle);
    EXPECT_TRUE(history.atSavedState());
    history.undo(castle);
    EXPECT_FALSE(history.atSavedState());
    history.redo(castle);
    EXPECT_TRUE(history.atSavedState());
    history.undo(castle);
    step("Place Trap", [&] { placeObject(app, kTrap, 20, 0); });  // the saved state is gone for good
    history.undo(castle);
    EXPECT_FALSE(history.atSavedState());
}

TEST_F(HistoryTest, KeepsAThousandStepsAndDropsTheOldestWhenFull) {
    for (int i = 0; i < 1200; ++i) step("Place Walkway", [&] { placeObject(app, kWalkway, i % 40, (i / 40) % 25); });
    EXPECT_EQ(history.stepCount(), 1000u);  // the last 200 repeat cells already laid: no step
    EditHistory small(200 * 1024);
    for (int i = 0; i < 50; ++i) {
        small.begin(castle, "Clear", {0});
        placeObject(app, kKey, (i * 2) % 38, 20);
        small.end(castle);
    }
    EXPECT_LE(small.bytesUsed(), 200u * 1024u);
    EXPECT_GT(small.stepCount(), 0u);
    EXPECT_LT(small.stepCount(), 50u);
}

TEST_F(HistoryTest, RoomsWatchedLateAndNamesGivenAtTheEnd) {
    history.begin(castle, "", {0});
    selectRoom(app, 2);
    history.watchRoom(castle, 2);
    placeObject(app, kKey, 3, 3);
    history.watchRoom(castle, 2);  // already watched: the copy from before stays
    history.relabel("Place Key", 2);
    ASSERT_TRUE(history.end(castle));
    EXPECT_EQ(history.undoName(), "Place Key");
    selectRoom(app, 0);
    EXPECT_EQ(history.undo(castle), 2);
    EXPECT_EQ(castle.room(2).object(3, 3).type, kEmpty);
    history.watchRoom(castle, 4);  // no step open: nothing
    EXPECT_FALSE(history.inStep());
}

TEST_F(HistoryTest, TheHoverMarkAndTheDragFlagAreNoChangesButAreKeptWithOne) {
    placeObject(app, kLock, 4, 4);
    CellRecord& lock = castle.room(0).object(4, 4);
    lock.mark = kMarkPlain;
    history.begin(castle, "Hover", {0});
    lock.mark = kMarkHighlighted;
    lock.dragging = 1;
    EXPECT_FALSE(history.end(castle));
    lock.dragging = 0;

    // A real change restores the record's bytes as they were, highlight included.
    const auto before = castleFileImage(castle);
    const int colour = lock.colour;
    history.begin(castle, "Set Color", {0});
    lock.colour = colour + 4;
    lock.mark = kMarkPlain;
    ASSERT_TRUE(history.end(castle));
    history.undo(castle);
    EXPECT_EQ(lock.colour, colour);
    EXPECT_EQ(lock.mark, kMarkHighlighted);
    EXPECT_TRUE(castleFileImage(castle) == before);

    // A mark that really changes (unlinked to linked) is a change.
    lock.mark = kMarkUnlinked;
    history.begin(castle, "Link", {0});
    lock.mark = kMarkPlain;
    EXPECT_TRUE(history.end(castle));
}

// Long random sequences of edits, undos and redos compared with the states a
// plain replay of the same edits goes through.
TEST_F(HistoryTest, RandomSequencesMatchAReplay) {
    std::mt19937 rng(42);
    for (int round = 0; round < 3; ++round) {
        clearCastle(app);
        history.clear();
        std::vector<uint64_t> states{fingerprint(castle)};  // states[k] = after k done steps
        size_t done = 0;
        for (int op = 0; op < 150; ++op) {
            const int choice = static_cast<int>(rng() % 10);
            if (choice < 2 && history.canUndo()) {
                history.undo(castle);
                --done;
            } else if (choice < 3 && history.canRedo()) {
                history.redo(castle);
                ++done;
            } else {
                const int room = static_cast<int>(rng() % 3);
                const int x = static_cast<int>(rng() % 40), y = static_cast<int>(rng() % 25);
                const int type = static_cast<int>(rng() % 28);
                history.begin(castle, "Edit", {room});
                selectRoom(app, room);
                switch (rng() % 6) {
                    case 0: case 1: placeObject(app, type, x, y); break;
                    case 2: deleteObjectAt(app, x, y); break;
                    case 3: toggleObjectState(app, x, y); shapeWalkways(app); break;
                    case 4: castle.room(static_cast<int>(rng() % 64)).roomMapRect.left = static_cast<int>(rng() % 600); break;
                    default: castle.settings.playerStartRoom[rng() % 2] = static_cast<uint8_t>(rng()); break;
                }
                if (history.end(castle)) {
                    states.resize(done + 1);
                    states.push_back(fingerprint(castle));
                    ++done;
                } else {
                    ASSERT_EQ(fingerprint(castle), states[done]);
                }
            }
            ASSERT_EQ(fingerprint(castle), states[done]) << "op " << op;
        }
    }
}

}  // namespace
}  // namespace grusk
