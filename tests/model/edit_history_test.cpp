// Undo and redo restore exactly the bytes the castle had.
#include <random>

#include "app/project_commands.h"
#include "model/castle_files.h"
#include "model/edit_history.h"
#include "model/model_fixture.h"

namespace grusk {
namespace {

// Rooms 0 to 2 whole, every room's header and the settings.
uint64_t fingerprint(const CastleModel& castle) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<const uint8_t*>(p)[i]) * 1099511628211ull;
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

class HistoryTest : public test::CastleTest {
protected:
    EditHistory history;
    template <typename F>
    bool step(const std::string& name, F&& edit) {
        history.begin(castle, name, {castle.currentRoom});
        edit();
        return history.end(castle);
    }
};

TEST_F(HistoryTest, StepsRedoAndTheSavedMark) {
    EXPECT_FALSE(step("Nothing", [] {}));
    EXPECT_TRUE(history.atSavedState());
    step("Place Key", [&] { put(kKey, 0, 0); });
    EXPECT_FALSE(history.atSavedState());
    history.markSaved();
    step("Place Lock", [&] { put(kLock, 5, 0); });
    EXPECT_FALSE(history.atSavedState());
    history.undo(castle);
    EXPECT_TRUE(history.atSavedState());
    EXPECT_TRUE(history.canRedo());
    history.undo(castle);
    EXPECT_FALSE(history.atSavedState());
    history.redo(castle);
    EXPECT_TRUE(history.atSavedState());
    history.undo(castle);
    step("Place Mummy", [&] { put(kMummy, 9, 0); });  // drops the redo, and the saved state for good
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoName(), "Place Mummy");
    EXPECT_EQ(history.stepCount(), 1u);
    history.undo(castle);
    EXPECT_FALSE(history.atSavedState());
}

TEST_F(HistoryTest, KeepsAThousandStepsAndDropsTheOldestWhenFull) {
    for (int i = 0; i < 1200; ++i) step("Place Walkway", [&] { placeObject(app, kWalkway, i % 40, (i / 40) % 25); });
    EXPECT_EQ(history.stepCount(), 1000u);
    EditHistory small(200 * 1024);
    for (int i = 0; i < 50; ++i) {
        small.begin(castle, "Place Key", {0});
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
    put(kKey, 3, 3);
    history.watchRoom(castle, 2);  // already watched: the copy from before stays
    history.relabel("Place Key", 2);
    ASSERT_TRUE(history.end(castle));
    EXPECT_EQ(history.undoName(), "Place Key");
    selectRoom(app, 0);
    EXPECT_EQ(history.undo(castle), 2);
    EXPECT_EQ(room(2).object(3, 3).type, kEmpty);
    history.watchRoom(castle, 4);  // no step open: nothing
    EXPECT_FALSE(history.inStep());
}

TEST_F(HistoryTest, TheHoverMarkAndTheDragFlagAreNoChangesButAreKeptWithOne) {
    put(kLock, 4, 4);
    CellRecord& lock = room(0).object(4, 4);
    lock.mark = kMarkPlain;
    EXPECT_FALSE(step("Hover", [&] {
        lock.mark = kMarkHighlighted;
        lock.dragging = 1;
    }));
    lock.dragging = 0;
    const auto before = castleFileImage(castle);
    const int colour = lock.colour;
    ASSERT_TRUE(step("Set Color", [&] {
        lock.colour = colour + 4;
        lock.mark = kMarkPlain;
    }));
    history.undo(castle);
    EXPECT_EQ(lock.mark, kMarkHighlighted);  // the record's bytes as they were
    EXPECT_TRUE(castleFileImage(castle) == before);
    lock.mark = kMarkUnlinked;
    EXPECT_TRUE(step("Link", [&] { lock.mark = kMarkPlain; })) << "a real change of mark";
}

// Long random sequences of edits, undos and redos against the states a plain
// replay of the same edits goes through.
TEST_F(HistoryTest, RandomSequencesMatchAReplay) {
    std::mt19937 rng(42);
    for (int round = 0; round < 3; ++round) {
        clearCastle(app);
        history.clear();
        std::vector<uint64_t> states{fingerprint(castle)};  // states[k]: after k done steps
        size_t done = 0;
        for (int op = 0; op < 150; ++op) {
            const unsigned choice = rng() % 10;
            if (choice < 2 && history.canUndo()) {
                history.undo(castle);
                --done;
            } else if (choice < 3 && history.canRedo()) {
                history.redo(castle);
                ++done;
            } else {
                const int r = static_cast<int>(rng() % 3), x = static_cast<int>(rng() % 40);
                const int y = static_cast<int>(rng() % 25), type = static_cast<int>(rng() % 28);
                history.begin(castle, "Edit", {r});
                selectRoom(app, r);
                switch (rng() % 6) {
                    case 0: case 1: placeObject(app, type, x, y); break;
                    case 2: deleteObjectAt(app, x, y); break;
                    case 3: toggleObjectState(app, x, y); shapeWalkways(app); break;
                    case 4: room(static_cast<int>(rng() % 64)).roomMapRect.left = static_cast<int>(rng() % 600); break;
                    default: castle.settings.playerStartRoom[rng() % 2] = static_cast<uint8_t>(rng()); break;
                }
                if (history.end(castle)) {
                    states.resize(++done);
                    states.push_back(fingerprint(castle));
                }
            }
            ASSERT_EQ(fingerprint(castle), states[done]) << "op " << op;
        }
    }
}

}  // namespace
}  // namespace grusk
