// Undo and redo restore exactly the bytes the castle had.
#include <random>

#include "model/edit_history.h"
#include "model/model_fixture.h"

namespace grusk {
namespace {

// Rooms 0 to 2 whole, every room's header and the settings.
uint64_t fingerprint(const CastleModel& castle) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const auto& v) {
        for (size_t i = 0; i < sizeof v; ++i) h = (h ^ reinterpret_cast<const uint8_t*>(&v)[i]) * 1099511628211ull;
    };
    for (int r = 0; r < 3; ++r) {
        const Room& room = castle.room(r);
        mix(room.objectLayer()), mix(room.verticalLayer()), mix(room.walkwayLayer()), mix(room.camouflageLayer()), mix(room.roomObjectCount);
    }
    for (const Room& room : castle.rooms) mix(room.roomMapRect), mix(room.roomColour), mix(room.roomInUse);
    mix(castle.settings);
    return h;
}

using HistoryTest = test::CastleTest;

// Long random sequences of edits (some changing nothing), saves, undos and redos against the states a plain replay
// of the same edits goes through; the saved mark holds exactly in the state saved, until a new step drops it.
TEST_F(HistoryTest, RandomSequencesMatchAReplay) {
    std::mt19937 rng(42);
    for (int round = 0; round < 3; ++round) {
        clearCastle(app);
        EditHistory history;
        std::vector<uint64_t> states{fingerprint(castle)};  // states[k]: after k done steps
        size_t done = 0;
        long saved = 0;
        for (int op = 0; op < 200; ++op) {
            const unsigned choice = rng() % 12;
            if (choice < 2 && history.canUndo()) {
                history.undo(castle);
                --done;
            } else if (choice < 3 && history.canRedo()) {
                history.redo(castle);
                ++done;
            } else if (choice < 4) {
                history.markSaved();
                saved = static_cast<long>(done);
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
                    if (saved > static_cast<long>(done)) saved = -1;
                    states.resize(++done);
                    states.push_back(fingerprint(castle));
                }
            }
            ASSERT_EQ(fingerprint(castle), states[done]) << "op " << op;
            ASSERT_EQ(history.canUndo(), done > 0);
            ASSERT_EQ(history.canRedo(), done + 1 < states.size());
            ASSERT_EQ(history.atSavedState(), saved == static_cast<long>(done)) << "op " << op;
        }
    }
}

TEST_F(HistoryTest, KeepsAThousandStepsAndDropsTheOldestWhenFull) {
    EditHistory history, small(200 * 1024);
    for (int i = 0; i < 1250; ++i) {
        EditHistory& h = i < 1200 ? history : small;
        h.begin(castle, "Place", {0});
        if (i < 1200) placeObject(app, kWalkway, i % 40, (i / 40) % 25);  // the last 200 change nothing
        else placeObject(app, kKey, (i * 2) % 38, 20);
        h.end(castle);
    }
    EXPECT_EQ(history.stepCount(), 1000u);
    EXPECT_TRUE(small.bytesUsed() <= 200u * 1024u && small.stepCount() > 0 && small.stepCount() < 50) << small.stepCount();
}

TEST_F(HistoryTest, RoomsWatchedLateNamesGivenAtTheEndAndTheHoverMarkIsNoChange) {
    EditHistory history;
    history.begin(castle, "", {0});
    selectRoom(app, 2);
    history.watchRoom(castle, 2);
    put(kLock, 3, 3);
    history.watchRoom(castle, 2);  // already watched: the copy from before stays
    history.relabel("Place Lock", 2);
    ASSERT_TRUE(history.end(castle));
    EXPECT_EQ(history.undoName(), "Place Lock");
    selectRoom(app, 0);
    EXPECT_EQ((std::pair{history.undo(castle), room(2).object(3, 3).type}), (std::pair{2, kEmpty}));
    history.watchRoom(castle, 4);  // no step open: nothing
    EXPECT_FALSE(history.inStep());

    // The hover mark and the drag flag come and go with the mouse: no change
    // by themselves; from unlinked to linked is one.
    put(kLock, 4, 4);
    CellRecord& lock = room(0).object(4, 4);
    for (const auto& [from, to, recorded] : {std::tuple{kMarkPlain, kMarkHighlighted, false},
                                             std::tuple{kMarkUnlinked, kMarkPlain, true}}) {
        lock.mark = from;
        history.begin(castle, "Mark", {0});
        lock.mark = to;
        lock.dragging = !recorded;
        EXPECT_EQ(history.end(castle), recorded);
        lock.dragging = 0;
    }
}

}  // namespace
}  // namespace grusk
