// Selections: picking by block and by click, moving with refusals, deleting,
// pruning, copying and pasting with the links remapped, and the clipboard text.
#include <cstring>
#include <fstream>
#include <iterator>

#include "editor/selection.h"
#include "model/castle_files.h"
#include "model/model_fixture.h"

namespace grusk {
namespace {

using SelectionTest = test::CastleTest;
using test::Links;

// One thing of each layer; a block selects it exactly when it holds its anchor.
TEST_F(SelectionTest, BlockSelectsByAnchorOnEveryLayer) {
    const struct {
        int type, x, y;
        SelectLayer layer;
    } things[] = {
        {kDoor, 10, 5, SelectLayer::Object},           {kLadder, 20, 3, SelectLayer::Vertical},
        {kWalkway, 5, 12, SelectLayer::Walkway},       {kCamouflage, 30, 20, SelectLayer::Camouflage},
        {kGunRailRight, 38, 24, SelectLayer::Vertical}, {kConveyor, 0, 0, SelectLayer::Object},
    };
    for (const auto& t : things) put(t.type, t.x, t.y);
    for (const auto& t : things) {
        const Size s = t.layer == SelectLayer::Object ? cellSize(t.type) : Size{t.layer == SelectLayer::Camouflage ? 2 : 1, 1};
        const struct {
            int dx0, dy0, dx1, dy1;
            bool holdsAnchor;
        } blocks[] = {
            {0, 0, 0, 0, true},  {-2, -2, 1, 1, true},   {1, 0, s.width, s.height, false},
            {0, 1, 0, 4, false}, {-3, -3, -1, -1, false}, {3, 3, -3, -3, true},  // corners in any order
        };
        for (const auto& b : blocks) {
            const Selection sel = selectBlock(room(), t.x + b.dx0, t.y + b.dy0, t.x + b.dx1, t.y + b.dy1);
            EXPECT_EQ(sel.has(t.layer, t.x, t.y), b.holdsAnchor) << t.type << " block " << b.dx0 << "," << b.dy0;
            EXPECT_LE(sel.count(), 2u) << "a covered cell was selected";
        }
    }
    EXPECT_EQ(selectAll(room()).count(), std::size(things));
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
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 9, 7));  // right half of the patch
    EXPECT_TRUE(sel.has(SelectLayer::Camouflage, 8, 7));
    EXPECT_TRUE(isSelectedAt(room(), sel, 4, 6));
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 5, 5));  // the door again: out
    EXPECT_FALSE(toggleSelectedAt(room(), sel, 30, 20));  // bare floor
    EXPECT_EQ(sel.count(), 2u);
}

// Every move of a door near a lightning machine by up to 4 cells each way:
// refused exactly when the door would leave the room or meet the machine; a
// refused move changes no byte.
TEST_F(SelectionTest, MovesAreRefusedAtEdgesAndAgainstOtherObjects) {
    const Size door = cellSize(kDoor), machine = cellSize(kLightningMachine);
    const int mx = 20, my = 10;
    for (const CellPos start : {CellPos{0, 0}, CellPos{37, 22}, CellPos{16, 9}, CellPos{20, 14}})
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx) {
                resetRoomRecords(castle, 0);
                put(kLightningMachine, mx, my);
                put(kDoor, start.x, start.y);
                Selection sel = selectBlock(room(), start.x, start.y, start.x, start.y);
                const auto before = roomFileImage(castle, 0);
                const int nx = start.x + dx, ny = start.y + dy;
                const bool inside = nx >= 0 && ny >= 0 && nx + door.width <= kColumns && ny + door.height <= kRows;
                const bool meets = nx < mx + machine.width && mx < nx + door.width && ny < my + machine.height &&
                                   my < ny + door.height;
                const bool moved = moveSelection(castle, 0, sel, dx, dy);
                ASSERT_EQ(moved, inside && !meets) << start.x << "," << start.y << " by " << dx << "," << dy;
                const CellPos now = moved ? CellPos{nx, ny} : start;
                EXPECT_TRUE(sel.has(SelectLayer::Object, now.x, now.y));
                if (!moved) {
                    EXPECT_EQ(roomFileImage(castle, 0), before);
                } else {
                    EXPECT_EQ(findObjectAt(castle, nx + door.width - 1, ny + door.height - 1).anchor, now);
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
    ASSERT_TRUE(moveSelection(castle, 0, sel, 0, 3));
    EXPECT_EQ(links(0, 2, 2), (Links{{10, 5}, {20, 2}}));
    EXPECT_EQ(room().object(10, 5).number, 7);
    EXPECT_EQ(room().walkway(10, 11), kWalkwayL);
    EXPECT_EQ(room().walkway(11, 11), kWalkwayR);
    EXPECT_EQ(room().walkway(10, 8), kEmpty);
    // A selection may move onto cells it leaves itself.
    Selection other = selectBlock(room(), 34, 10, 34, 10);
    ASSERT_TRUE(moveSelection(castle, 0, other, -1, 0));
    EXPECT_EQ(links(0, 30, 10), (Links{{33, 10}}));
    Selection field = selectBlock(room(), 30, 10, 30, 10);
    EXPECT_FALSE(moveSelection(castle, 0, field, 3, 0)) << "the switch lies there now";
}

TEST_F(SelectionTest, DeletingFreesTheLinksOfWhatRemainsAndPruningDropsWhatIsGone) {
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
    EXPECT_EQ(links(0, 2, 2), (Links{{20, 2}}));
    EXPECT_EQ(room().object(2, 2).mark, kMarkPlain);
    EXPECT_TRUE(links(0, 2, 15).empty());
    EXPECT_EQ(room().object(2, 15).mark, kMarkUnlinked);

    // Two things of each layer selected, one of each removed by other means.
    clearCastle(app);
    for (int x : {0, 10}) {
        put(kKey, x, 0);
        put(kLadder, x, 1);
        put(kWalkway, x, 2);
        put(kCamouflage, x, 3);
    }
    Selection all = selectAll(room());
    for (int y = 0; y < 4; ++y) deleteObjectAt(app, 10, y);
    pruneSelection(room(), all);
    Selection left = selectBlock(room(), 0, 0, 0, 3);
    EXPECT_EQ(all, left);
    EXPECT_EQ(left.count(), 4u);
}

class PasteTest : public SelectionTest {
protected:
    // A lightning switch linked to two machines, a door connected to room 5
    // and a bell ringing for it.
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
    PasteResult there = pasteFragment(castle, 3, fragment, 2, 16);
    ASSERT_EQ(there.outcome, PasteOutcome::Placed);
    EXPECT_EQ(there.linksDropped, 1);
    EXPECT_EQ(links(3, 2, 16), (Links{{6, 16}}));
    EXPECT_EQ(castle.room(3).object(2, 16).room, 3);
    EXPECT_EQ(castle.room(3).object(2, 16).mark, kMarkPlain);

    PasteResult here = pasteFragment(castle, 0, fragment, 2, 16);
    ASSERT_EQ(here.outcome, PasteOutcome::Placed);
    EXPECT_EQ(here.linksDropped, 0);
    EXPECT_EQ(links(0, 2, 16), (Links{{6, 16}, {20, 2}}));
    EXPECT_EQ(links(0, 2, 2), (Links{{6, 2}, {20, 2}})) << "the original is untouched";
    EXPECT_TRUE(here.placed.has(SelectLayer::Object, 2, 16));

    Fragment foreign = fragment;  // from another castle: never this room
    foreign.castleId = 99;
    EXPECT_EQ(pasteFragment(castle, 0, foreign, 2, 20, 7).linksDropped, 1);
}

TEST_F(PasteTest, PastedDoorsLeadNowhereAndObjectsTakeFreeNumbers) {
    const Fragment fragment = copySelection(castle, 0, selectBlock(room(), 2, 10, 6, 10));
    ASSERT_EQ(pasteFragment(castle, 0, fragment, 20, 15).outcome, PasteOutcome::Placed);
    const CellRecord& door = room().object(20, 15);
    EXPECT_EQ(door.destRoom, 0);
    EXPECT_EQ(door.destDoor, 0);
    EXPECT_EQ(door.number, 1) << "door 0 is taken";
    EXPECT_EQ(links(0, 24, 15), (Links{{20, 15}})) << "the bell rings for the copy";
    const Fragment bell = copySelection(castle, 0, selectBlock(room(), 6, 10, 6, 10));
    pasteFragment(castle, 1, bell, 6, 10);
    EXPECT_EQ(castle.room(1).object(6, 10).mark, kMarkUnlinked);
    // With every number of its type taken, a copy takes 0.
    selectRoom(app, 2);
    for (int i = 0; i < 128; ++i) put(kKey, i % 20 * 2, i / 20);
    const Fragment key = copySelection(castle, 2, selectBlock(room(), 0, 0, 0, 0));
    ASSERT_EQ(pasteFragment(castle, 2, key, 0, 20).outcome, PasteOutcome::Placed);
    EXPECT_EQ(room().object(0, 20).number, 0);
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
    EXPECT_EQ(text.find("extra="), text.rfind("extra="));
    std::string why;
    const auto back = fragmentFromText(text, &why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(back->castleId, fragment.castleId);
    EXPECT_EQ(back->sourceRoom, 0);
    EXPECT_EQ(back->originX, fragment.originX);
    EXPECT_EQ(back->width, fragment.width);
    ASSERT_EQ(back->items.size(), fragment.items.size());
    for (size_t i = 0; i < fragment.items.size(); ++i) {
        FragmentItem a = fragment.items[i], b = back->items[i];
        EXPECT_EQ(std::tie(a.layer, a.dx, a.dy, a.value), std::tie(b.layer, b.dx, b.dy, b.value)) << i;
        // Everything but what the recount derives comes back.
        for (CellRecord* r : {&a.record, &b.record}) r->typeCount = r->ordinal = r->x = r->y = r->dragging = 0;
        EXPECT_EQ(std::memcmp(&a.record, &b.record, sizeof a.record), 0) << "item " << i << " type " << a.record.type;
    }
    ASSERT_EQ(pasteFragment(castle, 2, *back, fragment.originX, fragment.originY).outcome, PasteOutcome::Placed);
    EXPECT_EQ(recordText(castle.room(2).object(10, 20)), "HELLO, WORLD");
    EXPECT_EQ(castle.room(2).camouflage(39, 24), 1);
    EXPECT_EQ(castle.room(2).vertical(30, 5).type, kLadder);

    std::ifstream in(std::string(GRUSK_SOURCE_DIR) + "/fuzz/corpus/clipboard/switch-machine-door.txt");
    const auto seed = fragmentFromText(std::string(std::istreambuf_iterator<char>(in), {}), &why);
    ASSERT_TRUE(seed) << "the fuzz seed: " << why;
    ASSERT_EQ(pasteFragment(castle, 3, *seed, 0, 0).outcome, PasteOutcome::Placed);
    EXPECT_EQ(links(3, 0, 7), (Links{{8, 1}}));
}

// Every text cut off at a line end and every malformed line is refused.
TEST_F(PasteTest, DamagedClipboardTextsAreRefused) {
    const std::string text = fragmentToText(copySelection(castle, 0, selectAll(room())));
    for (size_t cut = text.find('\n'); cut + 1 < text.size(); cut = text.find('\n', cut + 1))
        EXPECT_FALSE(fragmentFromText(text.substr(0, cut + 1))) << "cut after byte " << cut;
    const std::string head = std::string(kClipboardHeader) + "\nfrom 0 0 0 1 1 0000000000000000\n";
    // The reason is shown to the user.
    for (const auto& [pasted, reason] :
         {std::pair{std::string(kClipboardHeader) + "\nfrom 0", "line 2: a bad \"from\" line"},
          std::pair{head + "end\n", "the selection is empty"}, std::pair{std::string("hello"), "not a GruskEdit selection"}}) {
        std::string why;
        EXPECT_FALSE(fragmentFromText(pasted, &why));
        EXPECT_EQ(why, reason);
    }
    EXPECT_FALSE(fragmentFromText(head + "end\nwalkway 0 0 27\n"));
    const std::string bad[] = {
        "object 0 0 type=300", "object 0 0 type=3 links=0:40,0", "object 0 0 type=3 text=00",
        "object 0 0 type=9", "vertical 0 0 type=3", "walkway 0 0 26", "camouflage 0 0 3", "object 0 25 type=3",
        "object 0 0 type=3 number=128", "object 0 0", "object 0 0 type=3 dest=1,2,3", "object 0 0 type=3 junk",
    };
    for (const std::string& line : bad) EXPECT_FALSE(fragmentFromText(head + line + "\nend\n")) << line;
    EXPECT_TRUE(fragmentFromText(head + "walkway 0 0 27\nend\n"));
}

}  // namespace
}  // namespace grusk
