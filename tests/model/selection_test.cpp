// Selections: picking by block and by click on every layer, moving by whole
// cells with refusals at the edges and against other things, deleting,
// copying and pasting with the links remapped, and the clipboard text.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "app/app_state.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "editor/selection.h"
#include "model/castle_files.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

class SelectionTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CastleModel& castle = app.castle;
    Room& room(int r = -1) { return r < 0 ? castle.current() : castle.room(r); }
    void SetUp() override { clearCastle(app); }
    void put(int type, int x, int y) { ASSERT_EQ(placeObject(app, type, x, y), 1) << type << " at " << x << "," << y; }
    void link(int sx, int sy, int tx, int ty) {
        CellRecord& s = room().object(sx, sy);
        for (auto& l : s.links)
            if (l[0] == -1) {
                l[0] = tx;
                l[1] = ty;
                s.mark = kMarkPlain;
                return;
            }
    }
    std::vector<std::pair<int, int>> links(int r, int x, int y) {
        std::vector<std::pair<int, int>> out;
        for (const auto& l : castle.room(r).object(x, y).links)
            if (l[0] != -1) out.emplace_back(l[0], l[1]);
        return out;
    }
};

// One thing of each layer; a block selects it exactly when the block holds its anchor.
TEST_F(SelectionTest, BlockSelectsByAnchorOnEveryLayer) {
    struct Thing {
        int type, x, y;
        SelectLayer layer;
    };
    const Thing things[] = {
        {kDoor, 10, 5, SelectLayer::Object},           {kLadder, 20, 3, SelectLayer::Vertical},
        {kWalkway, 5, 12, SelectLayer::Walkway},       {kCamouflage, 30, 20, SelectLayer::Camouflage},
        {kGunRailRight, 38, 24, SelectLayer::Vertical}, {kConveyor, 0, 0, SelectLayer::Object},
    };
    for (const Thing& t : things) put(t.type, t.x, t.y);
    for (const Thing& t : things) {
        const Size s = t.layer == SelectLayer::Object ? cellSize(t.type) : Size{t.layer == SelectLayer::Camouflage ? 2 : 1, 1};
        // Blocks around the anchor: each (dx0, dy0, dx1, dy1) relative to it.
        const struct {
            int dx0, dy0, dx1, dy1;
            bool holdsAnchor;
        } blocks[] = {
            {0, 0, 0, 0, true},  {-2, -2, 1, 1, true}, {1, 0, s.width, s.height, false},
            {0, 1, 0, 4, false}, {-3, -3, -1, -1, false}, {3, 3, -3, -3, true},  // corners in any order
        };
        for (const auto& b : blocks) {
            const Selection sel = selectBlock(room(), t.x + b.dx0, t.y + b.dy0, t.x + b.dx1, t.y + b.dy1);
            EXPECT_EQ(sel.has(t.layer, t.x, t.y), b.holdsAnchor)
                << "type " << t.type << " block " << b.dx0 << "," << b.dy0 << " " << b.dx1 << "," << b.dy1;
            // Nothing but anchors is ever selected.
            for (int y = 0; y < kRows; ++y)
                for (int x = 0; x < kColumns; ++x)
                    if (sel.has(SelectLayer::Object, x, y)) {
                        EXPECT_TRUE(isObjectType(room().object(x, y).type));
                    }
        }
    }
    const Selection all = selectAll(room());
    EXPECT_EQ(all.count(), std::size(things));
    EXPECT_TRUE(selectBlock(room(), 40, 0, 60, 24).empty());
}

TEST_F(SelectionTest, ClickPicksObjectThenVerticalThenCamouflageThenWalkway) {
    put(kDoor, 4, 4);
    put(kLadder, 5, 7);  // below the door
    put(kWalkway, 5, 7);
    put(kCamouflage, 8, 7);
    put(kWalkway, 8, 7);
    Selection sel;
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 6, 6));  // a covered cell of the door
    EXPECT_TRUE(sel.has(SelectLayer::Object, 4, 4));
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 5, 7));
    EXPECT_TRUE(sel.has(SelectLayer::Vertical, 5, 7));
    EXPECT_FALSE(sel.has(SelectLayer::Walkway, 5, 7));
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 9, 7));  // right half of the patch
    EXPECT_TRUE(sel.has(SelectLayer::Camouflage, 8, 7));
    EXPECT_TRUE(isSelectedAt(room(), sel, 4, 6));
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 5, 5));  // the door again: out
    EXPECT_FALSE(sel.has(SelectLayer::Object, 4, 4));
    EXPECT_FALSE(toggleSelectedAt(room(), sel, 30, 20));  // bare floor
    EXPECT_EQ(sel.count(), 2u);
}

// Every move of a door next to a lightning machine, in every direction and
// distance: refused exactly when the door would leave the room or meet the
// machine; a refused move changes no byte of the project.
TEST_F(SelectionTest, MovesAreRefusedAtEdgesAndAgainstOtherObjects) {
    const Size door = cellSize(kDoor);
    const Size machine = cellSize(kLightningMachine);
    const int mx = 20, my = 10;
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            for (const auto& start : {std::pair{0, 0}, std::pair{37, 22}, std::pair{16, 9}, std::pair{20, 14}}) {
                resetRoomRecords(castle, 0);
                put(kLightningMachine, mx, my);
                put(kDoor, start.first, start.second);
                Selection sel = selectBlock(room(), start.first, start.second, start.first, start.second);
                const std::vector<uint8_t> before = roomFileImage(castle, 0);
                const int nx = start.first + dx, ny = start.second + dy;
                const bool inside = nx >= 0 && ny >= 0 && nx + door.width <= kColumns && ny + door.height <= kRows;
                const bool meets = nx < mx + machine.width && mx < nx + door.width && ny < my + machine.height &&
                                   my < ny + door.height;
                const bool moved = moveSelection(castle, 0, sel, dx, dy);
                EXPECT_EQ(moved, inside && !meets) << start.first << "," << start.second << " by " << dx << "," << dy;
                if (!moved) {
                    EXPECT_EQ(roomFileImage(castle, 0), before);
                    EXPECT_TRUE(sel.has(SelectLayer::Object, start.first, start.second));
                } else {
                    EXPECT_EQ(room().object(nx, ny).type, kDoor);
                    EXPECT_TRUE(sel.has(SelectLayer::Object, nx, ny));
                    EXPECT_EQ(findObjectAt(castle, nx + door.width - 1, ny + door.height - 1).anchor, (CellPos{nx, ny}));
                }
            }
        }
    }
}

TEST_F(SelectionTest, MovedThingsKeepTheirRecordsAndTheLinksFollowThem) {
    put(kLightningSwitch, 2, 2);
    put(kLightningMachine, 10, 2);
    put(kLightningMachine, 20, 2);
    link(2, 2, 10, 2);
    link(2, 2, 20, 2);
    put(kForceField, 30, 10);
    put(kForceFieldSwitch, 34, 10);
    link(30, 10, 34, 10);
    put(kWalkway, 10, 8);
    put(kWalkway, 11, 8);
    room().object(10, 2).number = 7;
    Selection sel = selectBlock(room(), 10, 2, 11, 8);  // the first machine and the walkway
    Selection other = selectBlock(room(), 34, 10, 34, 10);
    ASSERT_TRUE(moveSelection(castle, 0, sel, 0, 3));
    EXPECT_EQ(links(0, 2, 2), (std::vector<std::pair<int, int>>{{10, 5}, {20, 2}}));
    EXPECT_EQ(room().object(10, 5).number, 7);
    EXPECT_EQ(room().walkway(10, 11), kWalkwayL);
    EXPECT_EQ(room().walkway(11, 11), kWalkwayR);
    EXPECT_EQ(room().walkway(10, 8), kEmpty);
    // A selection may move onto cells it leaves itself.
    ASSERT_TRUE(moveSelection(castle, 0, other, -1, 0));
    EXPECT_EQ(links(0, 30, 10).size(), 1u);
    EXPECT_EQ(links(0, 30, 10)[0], (std::pair{33, 10}));
    Selection field = selectBlock(room(), 30, 10, 30, 10);
    EXPECT_FALSE(moveSelection(castle, 0, field, 3, 0)) << "the switch lies there now";
}

TEST_F(SelectionTest, DeletingFreesTheLinksOfWhatRemains) {
    put(kLightningSwitch, 2, 2);
    put(kLightningMachine, 10, 2);
    put(kLightningMachine, 20, 2);
    link(2, 2, 10, 2);
    link(2, 2, 20, 2);
    put(kTransmitter, 2, 15);
    put(kTransmitterTarget, 10, 15);
    link(2, 15, 10, 15);
    Selection sel = selectBlock(room(), 10, 2, 10, 15);
    sel.set(SelectLayer::Object, 20, 2, false);
    EXPECT_EQ(deleteSelection(castle, 0, sel), 2);
    EXPECT_EQ(room().object(10, 2).type, kEmpty);
    EXPECT_EQ(links(0, 2, 2), (std::vector<std::pair<int, int>>{{20, 2}}));
    EXPECT_EQ(room().object(2, 2).mark, kMarkPlain);
    EXPECT_TRUE(links(0, 2, 15).empty());
    EXPECT_EQ(room().object(2, 15).mark, kMarkUnlinked);
}

class PasteTest : public SelectionTest {
protected:
    // Room 0: a lightning switch linked to two machines, a door connected to
    // room 5, and a bell ringing for it; the switch and one machine copied.
    void SetUp() override {
        SelectionTest::SetUp();
        put(kLightningSwitch, 2, 2);
        put(kLightningMachine, 6, 2);
        put(kLightningMachine, 20, 2);
        link(2, 2, 6, 2);
        link(2, 2, 20, 2);
        put(kDoor, 2, 10);
        room().object(2, 10).destRoom = 5;
        room().object(2, 10).destDoor = 3;
        put(kDoorBell, 6, 10);
        link(6, 10, 2, 10);
    }
};

TEST_F(PasteTest, InnerLinksPointAtTheCopiesAndOuterLinksStayOnlyInTheirRoom) {
    const Fragment fragment = copySelection(castle, 0, selectBlock(room(), 2, 2, 6, 2));
    ASSERT_EQ(fragment.items.size(), 2u);
    const int dx = 0, dy = 14;

    // Another room: the link to the machine left behind is dropped.
    PasteResult there = pasteFragment(castle, 3, fragment, 2 + dx, 2 + dy);
    ASSERT_EQ(there.outcome, PasteOutcome::Placed);
    EXPECT_EQ(there.linksDropped, 1);
    EXPECT_EQ(links(3, 2, 16), (std::vector<std::pair<int, int>>{{6, 16}}));
    EXPECT_EQ(castle.room(3).object(2, 16).room, 3);
    EXPECT_EQ(castle.room(3).object(2, 16).mark, kMarkPlain);

    // The same room: it is kept and still names the old machine.
    PasteResult here = pasteFragment(castle, 0, fragment, 2 + dx, 2 + dy);
    ASSERT_EQ(here.outcome, PasteOutcome::Placed);
    EXPECT_EQ(here.linksDropped, 0);
    EXPECT_EQ(links(0, 2, 16), (std::vector<std::pair<int, int>>{{6, 16}, {20, 2}}));
    EXPECT_EQ(links(0, 2, 2), (std::vector<std::pair<int, int>>{{6, 2}, {20, 2}})) << "the original is untouched";
    EXPECT_TRUE(here.placed.has(SelectLayer::Object, 2, 16));

    // A copy from another castle never counts as from this room.
    Fragment foreign = fragment;
    foreign.castleId = 99;
    const PasteResult alien = pasteFragment(castle, 0, foreign, 2, 20, 7);
    EXPECT_EQ(alien.linksDropped, 1);
}

TEST_F(PasteTest, PastedDoorsLeadNowhereAndTakeFreeNumbers) {
    // A bell copied without its door keeps no link in another room and is unlinked.
    const Fragment fragment = copySelection(castle, 0, selectBlock(room(), 2, 10, 6, 10));
    ASSERT_EQ(fragment.items.size(), 2u);
    const PasteResult r = pasteFragment(castle, 0, fragment, 20, 15);
    ASSERT_EQ(r.outcome, PasteOutcome::Placed);
    const CellRecord& door = room().object(20, 15);
    EXPECT_EQ(door.destRoom, 0);
    EXPECT_EQ(door.destDoor, 0);
    EXPECT_EQ(door.number, 1) << "door 0 is taken";
    EXPECT_EQ(links(0, 24, 15), (std::vector<std::pair<int, int>>{{20, 15}})) << "the bell rings for the copy";
    const Fragment bell = copySelection(castle, 0, selectBlock(room(), 6, 10, 6, 10));
    pasteFragment(castle, 1, bell, 6, 10);
    EXPECT_EQ(castle.room(1).object(6, 10).mark, kMarkUnlinked);
}

TEST_F(PasteTest, CollidingOrOverhangingPastesChangeNothing) {
    const Fragment fragment = copySelection(castle, 0, selectAll(room()));
    const std::vector<uint8_t> before = castleFileImage(castle);
    EXPECT_EQ(pasteFragment(castle, 0, fragment, fragment.originX, fragment.originY).outcome, PasteOutcome::Collides);
    EXPECT_EQ(pasteFragment(castle, 1, fragment, 40 - fragment.width + 1, 0).outcome, PasteOutcome::Outside);
    EXPECT_EQ(pasteFragment(castle, 1, fragment, -1, 0).outcome, PasteOutcome::Outside);
    EXPECT_EQ(castleFileImage(castle), before);
    EXPECT_EQ(pasteFragment(castle, 1, fragment, 40 - fragment.width, 25 - fragment.height).outcome,
              PasteOutcome::Placed);
    // Room 1 now holds the same objects, shifted.
    EXPECT_EQ(countObjects(castle, 1, kLightningMachine), 2);
    EXPECT_EQ(countObjects(castle, 1, kDoor), 1);
}

TEST_F(PasteTest, ClipboardTextReadsBackToTheSameFragment) {
    put(kText, 10, 20);
    setRecordText(room().object(10, 20), "HELLO, WORLD");
    room().object(10, 20).extra[3] = 42;
    put(kLadder, 30, 4);
    put(kLadder, 30, 5);
    put(kWalkway, 29, 6);
    put(kCamouflage, 38, 0);
    put(kCamouflage, 39, 24);  // a patch at the right edge is one cell wide
    Fragment fragment = copySelection(castle, 0, selectAll(room()));
    fragment.castleId = 0x0123456789abcdefull;
    const std::string text = fragmentToText(fragment);
    // Extra values are listed only for the record that holds one.
    EXPECT_NE(text.find(" extra=-1,-1,-1,42,"), std::string::npos) << text;
    size_t extras = 0;
    for (size_t at = text.find("extra="); at != std::string::npos; at = text.find("extra=", at + 1)) ++extras;
    EXPECT_EQ(extras, 1u);
    std::string why;
    const auto back = fragmentFromText(text, &why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(back->castleId, fragment.castleId);
    EXPECT_EQ(back->sourceRoom, 0);
    EXPECT_EQ(back->originX, fragment.originX);
    EXPECT_EQ(back->width, fragment.width);
    ASSERT_EQ(back->items.size(), fragment.items.size());
    for (size_t i = 0; i < fragment.items.size(); ++i) {
        const FragmentItem& a = fragment.items[i];
        const FragmentItem& b = back->items[i];
        EXPECT_EQ(a.layer, b.layer);
        EXPECT_EQ(a.dx, b.dx);
        EXPECT_EQ(a.dy, b.dy);
        EXPECT_EQ(a.value, b.value);
        if (a.layer != SelectLayer::Object && a.layer != SelectLayer::Vertical) continue;
        // Everything but what the recount derives comes back.
        CellRecord ra = a.record, rb = b.record;
        for (CellRecord* r : {&ra, &rb}) r->typeCount = r->ordinal = r->x = r->y = r->dragging = 0;
        EXPECT_EQ(std::memcmp(&ra, &rb, sizeof ra), 0) << "item " << i << " type " << ra.type;
    }
    // And pastes into an empty room as the original.
    ASSERT_EQ(pasteFragment(castle, 2, *back, fragment.originX, fragment.originY).outcome, PasteOutcome::Placed);
    EXPECT_EQ(recordText(castle.room(2).object(10, 20)), "HELLO, WORLD");
    EXPECT_EQ(castle.room(2).camouflage(39, 24), 1);
    EXPECT_EQ(castle.room(2).vertical(30, 5).type, kLadder);
}

TEST_F(PasteTest, TheFuzzSeedIsAValidSelection) {
    std::ifstream in(std::string(GRUSK_SOURCE_DIR) + "/fuzz/corpus/clipboard/switch-machine-door.txt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string why;
    const auto fragment = fragmentFromText(text, &why);
    ASSERT_TRUE(fragment) << why;
    ASSERT_EQ(pasteFragment(castle, 2, *fragment, 0, 0).outcome, PasteOutcome::Placed);
    EXPECT_EQ(links(2, 0, 7), (std::vector<std::pair<int, int>>{{8, 1}}));
    EXPECT_EQ(recordText(castle.room(2).object(6, 4)), "HELLO");
    EXPECT_EQ(castle.room(2).object(2, 4).destRoom, 0);
}

// Every text cut off at a line end and every malformed line is refused.
TEST_F(PasteTest, DamagedClipboardTextsAreRefused) {
    Fragment fragment = copySelection(castle, 0, selectAll(room()));
    const std::string text = fragmentToText(fragment);
    for (size_t cut = text.find('\n'); cut != std::string::npos && cut + 1 < text.size(); cut = text.find('\n', cut + 1))
        EXPECT_FALSE(fragmentFromText(text.substr(0, cut + 1))) << "cut after byte " << cut;
    EXPECT_FALSE(fragmentFromText(""));
    EXPECT_FALSE(fragmentFromText("hello"));
    EXPECT_FALSE(fragmentFromText(std::string(kClipboardHeader) + "\nfrom 0 0 0 1 1 0000000000000000\nend\n"));
    const std::string bad[] = {
        "object 0 0 type=300", "object 0 0 type=3 links=0:40,0", "object 0 0 type=3 text=00",
        "object 0 0 type=9", "vertical 0 0 type=3", "walkway 0 0 26", "camouflage 0 0 3", "object 0 25 type=3",
        "object 0 0 type=3 number=128", "object 0 0", "object 0 0 type=3 dest=1,2,3", "object 0 0 type=3 junk",
    };
    const std::string head = std::string(kClipboardHeader) + "\nfrom 0 0 0 1 1 0000000000000000\n";
    for (const std::string& line : bad) EXPECT_FALSE(fragmentFromText(head + line + "\nend\n")) << line;
}

}  // namespace
}  // namespace grusk
