// Selections: picking, moving, deleting, pruning, copying and pasting with
// the links remapped, and the clipboard text.
#include <cstring>

#include "editor/selection.h"
#include "model/castle_files.h"
#include "model/model_fixture.h"

namespace grusk {
namespace {

using test::Links;

class SelectionTest : public test::CastleTest {
protected:
    // A lightning switch linked to two machines, a door connected to room 5 and a bell ringing for it.
    void switchAndDoor() {
        put(kLightningSwitch, 2, 2);
        put(kLightningMachine, 6, 2);
        put(kLightningMachine, 20, 2);
        link(2, 2, 6, 2);
        link(2, 2, 20, 2);
        put(kDoor, 2, 10);
        room().object(2, 10).destRoom = 5;
        put(kDoorBell, 6, 10);
        link(6, 10, 2, 10);
    }
};

// A block selects a thing exactly when it holds its anchor; a click picks an
// object (also by a covered cell), else a vertical piece, else camouflage, else a walkway.
TEST_F(SelectionTest, BlocksSelectByAnchorAndClicksPickOneThing) {
    const struct {
        int type, x, y;
        SelectLayer layer;
    } things[] = {
        {kDoor, 10, 5, SelectLayer::Object},       {kLadder, 20, 3, SelectLayer::Vertical},
        {kWalkway, 5, 12, SelectLayer::Walkway},   {kCamouflage, 30, 20, SelectLayer::Camouflage},
        {kGunRailRight, 38, 24, SelectLayer::Vertical},
    };
    for (const auto& t : things) put(t.type, t.x, t.y);
    for (const auto& t : things)
        for (const auto& [dx0, dy0, dx1, dy1, holds] : {std::tuple{0, 0, 0, 0, true}, std::tuple{2, 2, -3, -3, true},
                                                         std::tuple{1, 0, 3, 3, false}, std::tuple{-3, 1, 0, 4, false}})
            EXPECT_EQ(selectBlock(room(), t.x + dx0, t.y + dy0, t.x + dx1, t.y + dy1),
                      holds ? selectBlock(room(), t.x, t.y, t.x, t.y) : Selection{})
                << t.type << " block " << dx0 << "," << dy0;
    EXPECT_EQ(selectAll(room()).count(), std::size(things));
    EXPECT_EQ(selectionBounds(room(), selectAll(room())), (CellBlock{5, 3, 38, 24}));

    put(kLadder, 11, 8);  // below the door
    put(kWalkway, 11, 8);
    put(kWalkway, 30, 20);
    Selection sel;
    for (const auto& [x, y, layer, ax] : {std::tuple{12, 7, SelectLayer::Object, 10}, std::tuple{11, 8, SelectLayer::Vertical, 11},
                                          std::tuple{31, 20, SelectLayer::Camouflage, 30}}) {
        ASSERT_TRUE(toggleSelectedAt(room(), sel, x, y));
        EXPECT_TRUE(sel.has(layer, ax, layer == SelectLayer::Object ? 5 : y)) << x << "," << y;
    }
    EXPECT_TRUE(isSelectedAt(room(), sel, 10, 6));
    ASSERT_TRUE(toggleSelectedAt(room(), sel, 11, 6));  // the door again: out
    EXPECT_FALSE(toggleSelectedAt(room(), sel, 0, 20));  // bare floor
    EXPECT_EQ(sel.count(), 2u);
}

// Every move of a door near a lightning machine by up to 4 cells each way: refused exactly when the door would
// leave the room or meet the machine, and then no byte changes.
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
                const CellPos to{start.x + dx, start.y + dy};
                const bool inside = to.x >= 0 && to.y >= 0 && to.x + door.width <= kColumns && to.y + door.height <= kRows;
                const bool meets = to.x < mx + machine.width && mx < to.x + door.width && to.y < my + machine.height &&
                                   my < to.y + door.height;
                const bool moved = moveSelection(castle, 0, sel, dx, dy);
                ASSERT_EQ(moved, inside && !meets) << start.x << "," << start.y << " by " << dx << "," << dy;
                const CellPos now = moved ? to : start;
                EXPECT_TRUE(sel.has(SelectLayer::Object, now.x, now.y));
                EXPECT_TRUE(moved || roomFileImage(castle, 0) == before);
                EXPECT_EQ(findObjectAt(castle, now.x + door.width - 1, now.y + door.height - 1).anchor, now);
            }
}

TEST_F(SelectionTest, MovedThingsKeepTheirRecordsAndTheLinksFollowThem) {
    switchAndDoor();
    put(kWalkway, 6, 8), put(kWalkway, 7, 8);
    room().object(6, 2).number = 7;
    Selection sel = selectBlock(room(), 6, 2, 7, 8);  // the first machine and the walkway
    ASSERT_TRUE(moveSelection(castle, 0, sel, 0, 3));
    EXPECT_EQ(links(0, 2, 2), (Links{{6, 5}, {20, 2}}));
    EXPECT_EQ((std::vector<int>{room().walkway(6, 11), room().walkway(7, 11), room().walkway(6, 8), room().object(6, 5).number}),
              (std::vector{kWalkwayL, kWalkwayR, kEmpty, 7}));
    Selection bell = selectBlock(room(), 6, 10, 6, 10);
    ASSERT_TRUE(moveSelection(castle, 0, bell, -1, 0)) << "onto cells it leaves itself";
    EXPECT_FALSE(moveSelection(castle, 0, bell, -1, 0)) << "the door lies there";
    Selection door = selectBlock(room(), 2, 10, 2, 10);
    ASSERT_TRUE(moveSelection(castle, 0, door, 0, 1));
    EXPECT_EQ((std::pair{links(0, 5, 10), room().object(2, 11).destRoom}), (std::pair{Links{{2, 11}}, 5}));
}

// Deleting frees the links of what remains; pruning drops from a selection
// what other edits took away, on every layer.
TEST_F(SelectionTest, DeletingAndPruning) {
    switchAndDoor();
    Selection sel = selectBlock(room(), 6, 2, 6, 2);
    sel.set(SelectLayer::Object, 2, 10, true);
    EXPECT_EQ(deleteSelection(castle, 0, sel), 2);
    EXPECT_EQ((std::pair{links(0, 2, 2), links(0, 6, 10)}), (std::pair{Links{{20, 2}}, Links{}}));
    EXPECT_EQ((std::vector<int>{room().object(6, 2).type, room().object(2, 2).mark, room().object(6, 10).mark}),
              (std::vector<int>{kEmpty, kMarkPlain, kMarkUnlinked}));

    clearCastle(app);
    for (int x : {0, 10})
        for (int y : {0, 1, 2, 3}) put(std::array{kKey, kLadder, kWalkway, kCamouflage}[y], x, y);
    Selection all = selectAll(room());
    for (int y = 0; y < 4; ++y) deleteObjectAt(app, 10, y);
    pruneSelection(room(), all);
    EXPECT_EQ(all, selectBlock(room(), 0, 0, 0, 3));
}

// Links inside the copy point at the copies; links out of it are kept in its
// own room of its own castle only. Pasted doors lead nowhere, and every
// pasted object takes a number its type does not use yet (0 when none is free).
TEST_F(SelectionTest, PastesRemapLinksNumberObjectsAndChangeNothingWhenRefused) {
    switchAndDoor();
    const Fragment fragment = copySelection(castle, 0, selectBlock(room(), 2, 2, 6, 10));
    const struct {
        int room, x, y;
        uint64_t castleId;
        int dropped;
        Links switchLinks;
    } pastes[] = {{3, 2, 14, 0, 1, {{6, 14}}}, {0, 22, 14, 0, 0, {{26, 14}, {20, 2}}}, {0, 2, 14, 7, 1, {{6, 14}}}};
    for (const auto& p : pastes) {
        const PasteResult r = pasteFragment(castle, p.room, fragment, p.x, p.y, p.castleId);
        ASSERT_EQ(r.outcome, PasteOutcome::Placed);
        EXPECT_EQ(r.linksDropped, p.dropped);
        EXPECT_EQ(links(p.room, p.x, p.y), p.switchLinks);
        EXPECT_EQ(links(p.room, p.x + 4, p.y + 8), (Links{{p.x, p.y + 8}})) << "the bell rings for the copy";
        EXPECT_EQ((std::pair{castle.room(p.room).object(p.x, p.y + 8).destRoom, castle.room(p.room).object(p.x, p.y).room}), (std::pair{0, p.room}));
        EXPECT_TRUE(r.placed.has(SelectLayer::Object, p.x, p.y));
    }
    EXPECT_EQ(links(0, 2, 2), (Links{{6, 2}, {20, 2}})) << "the original is untouched";
    EXPECT_EQ((std::pair<int, int>{room().object(22, 22).number, room().object(2, 22).number}), (std::pair{1, 2})) << "door 0 is taken";
    pasteFragment(castle, 1, copySelection(castle, 0, selectBlock(room(), 6, 10, 6, 10)), 6, 10);
    EXPECT_EQ(castle.room(1).object(6, 10).mark, kMarkUnlinked);

    const std::vector<uint8_t> before = castleFileImage(castle);
    EXPECT_EQ(pasteFragment(castle, 0, fragment, 2, 2).outcome, PasteOutcome::Collides);
    EXPECT_EQ(pasteFragment(castle, 1, fragment, 40 - fragment.width + 1, 0).outcome, PasteOutcome::Outside);
    EXPECT_EQ(pasteFragment(castle, 1, fragment, 0, -1).outcome, PasteOutcome::Outside);
    EXPECT_EQ(castleFileImage(castle), before);

    selectRoom(app, 2);
    for (int i = 0; i < 128; ++i) put(kKey, i % 20 * 2, i / 20);
    const Fragment key = copySelection(castle, 2, selectBlock(room(), 0, 0, 0, 0));
    ASSERT_EQ(pasteFragment(castle, 2, key, 0, 20).outcome, PasteOutcome::Placed);
    EXPECT_EQ(room().object(0, 20).number, 0);
}

TEST_F(SelectionTest, ClipboardTextReadsBackToTheSameFragment) {
    switchAndDoor();
    put(kText, 10, 20), put(kLadder, 30, 4), put(kWalkway, 29, 6), put(kCamouflage, 39, 24);  // at the right edge: one cell wide
    setRecordText(room().object(10, 20), "HELLO, WORLD");
    room().object(10, 20).extra[3] = 42;
    Fragment fragment = copySelection(castle, 0, selectAll(room()));
    fragment.castleId = 0x0123456789abcdefull;
    const std::string text = fragmentToText(fragment);
    // Extra values are listed only for the record that holds one.
    EXPECT_NE(text.find(" extra=-1,-1,-1,42,"), std::string::npos) << text;
    EXPECT_EQ(text.find("extra="), text.rfind("extra="));
    std::string why;
    const auto back = fragmentFromText(text, &why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(std::tie(back->castleId, back->sourceRoom, back->originX, back->originY, back->width, back->height),
              std::tie(fragment.castleId, fragment.sourceRoom, fragment.originX, fragment.originY, fragment.width,
                       fragment.height));
    ASSERT_EQ(back->items.size(), fragment.items.size());
    for (size_t i = 0; i < fragment.items.size(); ++i) {
        FragmentItem a = fragment.items[i], b = back->items[i];
        EXPECT_EQ(std::tie(a.layer, a.dx, a.dy, a.value), std::tie(b.layer, b.dx, b.dy, b.value)) << i;
        // Everything but what the recount derives comes back.
        for (CellRecord* r : {&a.record, &b.record}) r->typeCount = r->ordinal = r->x = r->y = r->dragging = 0;
        EXPECT_EQ(std::memcmp(&a.record, &b.record, sizeof a.record), 0) << "item " << i << " type " << a.record.type;
    }
}

// Every text cut off at a line end and every malformed line is refused, with a reason for the user.
TEST_F(SelectionTest, DamagedClipboardTextsAreRefused) {
    switchAndDoor();
    const std::string text = fragmentToText(copySelection(castle, 0, selectAll(room())));
    for (size_t cut = text.find('\n'); cut + 1 < text.size(); cut = text.find('\n', cut + 1))
        EXPECT_FALSE(fragmentFromText(text.substr(0, cut + 1))) << "cut after byte " << cut;
    const std::string head = std::string(kClipboardHeader) + "\nfrom 0 0 0 1 1 0000000000000000\n";
    for (const auto& [pasted, reason] :
         {std::pair{std::string(kClipboardHeader) + "\nfrom 0", "line 2: a bad \"from\" line"},
          std::pair{head + "end\n", "the selection is empty"}, std::pair{std::string("hello"), "not a GruskEdit selection"},
          std::pair{head + "end\nwalkway 0 0 27\n", "line 4: text after \"end\""}}) {
        std::string why;
        EXPECT_FALSE(fragmentFromText(pasted, &why));
        EXPECT_EQ(why, reason);
    }
    for (const char* line : {"object 0 0 type=300", "object 0 0 type=3 links=0:40,0", "object 0 0 type=3 links=0:-1,5", "object 0 0 type=3 text=00",
                             "object 0 0 type=9", "vertical 0 0 type=3", "walkway 0 0 26", "camouflage 0 0 3",
                             "object 0 25 type=3", "object 0 0 type=3 number=128", "object 0 0",
                             "object 0 0 type=3 dest=1,2,3", "object 0 0 type=3 junk"})
        EXPECT_FALSE(fragmentFromText(head + line + "\nend\n")) << line;
    EXPECT_TRUE(fragmentFromText(head + "walkway 0 0 27\nend\n"));
}

}  // namespace
}  // namespace grusk
