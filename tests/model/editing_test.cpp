// Placing, deleting, state steps, popup commands, texts and walkway shaping.
#include <string>

#include "model/castle_files.h"
#include "model/model_fixture.h"

namespace grusk {
namespace {

using EditingTest = test::CastleTest;

TEST_F(EditingTest, PlacementWritesTheAnchorCoversTheBlockAndGivesDefaults) {
    put(kDoor, 4, 6);
    EXPECT_EQ(room().object(4, 6).picture, kDoor);
    EXPECT_EQ(room().object(6, 8).type, kCoveredBase + 4 * 40 + 6);
    EXPECT_EQ(room().object(7, 8).type, kEmpty);
    EXPECT_EQ(findObjectAt(app, 6, 8).anchor, (CellPos{4, 6}));
    EXPECT_EQ(ui.canvasRedraws.back().first, (PixelRect{9 + 64, 11 + 96, 9 + 112, 11 + 144}));
    put(kDoor, 20, 6);
    EXPECT_EQ(room().object(20, 6).number, 1);
    put(kLock, 0, 0);
    put(kKey, 2, 0);
    put(kText, 10, 0);
    EXPECT_EQ(room().object(0, 0).mark, kMarkUnlinked);
    EXPECT_EQ(objectTypeNames[room().object(0, 0).picture], "Lock_w");
    EXPECT_EQ(objectTypeNames[room().object(2, 0).picture], "Key_w");
    EXPECT_EQ(recordText(room().object(10, 0)), "TEXT");
    EXPECT_EQ(room().object(10, 0).colour, 1);
}

// With a door at (4, 6): a refused placement changes no byte of the room.
TEST_F(EditingTest, PlacementIsRefusedOnTakenCellsAndPastTheEdges) {
    put(kDoor, 4, 6);
    const struct {
        int type, x, y, number, placed;
    } cases[] = {
        {kKey, 5, 7, -1, 0},         {kKey, 3, 6, -1, 0},         {kKey, 39, 0, -1, 0},
        {kMummy, 0, 23, -1, 0},      {kKey, 40, 0, -1, 0},        {kKey, -1, 0, -1, 0},
        {kDoor, 38, 0, 0, 0},        {kKey, 38, 0, -1, 1},        {kMummy, 0, 22, -1, 1},
        {kKey, 5, 7, 4, 1},          {kLadder, 4, 6, -1, 1},      {kWalkway, 4, 6, -1, 1},
        {kCamouflage, 4, 6, -1, 1},  {kCamouflage, 39, 3, -1, 1}, {kCamouflage, 3, 6, -1, 1},
    };
    for (const auto& c : cases) {
        const auto before = roomFileImage(castle, 0);
        EXPECT_EQ(placeObject(app, c.type, c.x, c.y, c.number), c.placed) << c.type << " at " << c.x << "," << c.y;
        if (!c.placed) {
            EXPECT_EQ(roomFileImage(castle, 0), before) << c.type << " at " << c.x << "," << c.y;
        }
    }
    EXPECT_EQ(room().object(5, 7).number, 4);
    EXPECT_EQ(room().camouflage(5, 6), 2);
    EXPECT_EQ(room().camouflage(39, 3), 1);
    EXPECT_EQ(room().camouflage(0, 4), 0);
    EXPECT_EQ(room().camouflage(3, 6), 0);  // its right neighbour is taken
}

TEST_F(EditingTest, ControlClicksRemoveCamouflageThenObjectThenWalkway) {
    put(kDoor, 4, 6);
    put(kWalkway, 5, 7);
    put(kCamouflage, 5, 7);
    EXPECT_EQ(deleteObjectAt(app, 6, 7), 1);  // the right half takes both halves
    EXPECT_EQ(room().camouflage(5, 7), 0);
    EXPECT_EQ(deleteObjectAt(app, 5, 7), kDoor);
    EXPECT_EQ(room().object(6, 8).type, kEmpty);
    EXPECT_EQ(room().walkway(5, 7), kWalkway);
    EXPECT_EQ(deleteObjectAt(app, 5, 7), kEmpty);
    EXPECT_EQ(room().walkway(5, 7), kEmpty);
    EXPECT_EQ(deleteObjectAt(app, 40, 7), -1);
    // A patch at the right edge is one cell wide: the next row's patch stays.
    put(kCamouflage, 39, 3);
    put(kCamouflage, 0, 4);
    EXPECT_EQ(deleteObjectAt(app, 39, 3), 1);
    EXPECT_EQ(room().camouflage(0, 4), 1);
    EXPECT_EQ(room().camouflage(1, 4), 2);
    for (int y = 0; y < 4; ++y) put(kLadder, 10, y);
    EXPECT_EQ(deleteObjectAt(app, 10, 1), kLadder);
    EXPECT_EQ(room().vertical(10, 0).length, 1);
    EXPECT_EQ(room().vertical(10, 2).length, 2);
}

// Two targets of each kind, each with its own source: deleting the first
// target frees only its source, which stays free when a new one comes.
TEST_F(EditingTest, DeletingAnObjectTakesAlongOnlyTheLinksNamingIt) {
    const struct {
        int source, target, sourceX, targetX;
    } cases[] = {
        {kForceField, kForceFieldSwitch, 0, 2},       {kMummy, kMummySwitch, 4, 7},   {kTrap, kTrapSwitch, 9, 12},
        {kConveyorSwitch, kConveyor, 0, 14},          {kGunControl, kGunLeft, 30, 32}, {kDoorBell, kDoor, 35, 36},
        {kLightningSwitch, kLightningMachine, 24, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(objectTypeName(c.target));
        clearCastle(app);
        for (int y : {0, 8}) {
            put(c.source, c.sourceX, y + 4);
            put(c.target, c.targetX, y);
            link(c.sourceX, y + 4, c.targetX, y);
        }
        deleteObjectAt(app, c.targetX, 0);
        put(c.target, c.targetX, 0);
        EXPECT_EQ(links(0, c.sourceX, 4), test::Links{});
        EXPECT_EQ(room().object(c.sourceX, 4).mark, kMarkUnlinked);
        EXPECT_EQ(links(0, c.sourceX, 12), (test::Links{{c.targetX, 8}}));
        EXPECT_EQ(room().object(c.sourceX, 12).mark, kMarkPlain);
    }
    // A source keeps its other targets, and its mark while it has one.
    clearCastle(app);
    put(kTransmitter, 10, 0);
    put(kTransmitterTarget, 14, 0);
    put(kTransmitterTarget, 14, 2);
    link(10, 0, 14, 0);
    link(10, 0, 14, 2);
    deleteObjectAt(app, 15, 0);
    EXPECT_EQ(links(0, 10, 0), (test::Links{{14, 2}}));
    EXPECT_EQ(room().object(10, 0).mark, kMarkPlain);
    deleteObjectAt(app, 14, 2);
    EXPECT_EQ(room().object(10, 0).mark, kMarkUnlinked);
}

// Covered-cell markers naming an empty anchor or one below the room (as
// damaged files and forced overlaps leave them), unknown types and wild links.
TEST_F(EditingTest, StaleMarkersAndGarbageRecordsStayInsideTheRoom) {
    room().object(6, 5).type = kCoveredBase + 5 * 40 + 5;
    room().object(8, 5).type = kCoveredBase + 8 * 40 + 30;
    room().walkway(6, 5) = kWalkway;
    EXPECT_EQ(deleteObjectAt(app, 6, 5), kEmpty);
    EXPECT_EQ(room().object(6, 5).type, kEmpty);
    EXPECT_EQ(room().walkway(6, 5), kWalkway);  // one thing per click
    put(kKey, 7, 5);
    EXPECT_EQ(room().object(8, 5).type, kCoveredBase + 7 * 40 + 5);

    room().object(0, 0).type = kCoveredBase + 39 * 40 + 39;
    room().object(1, 0).type = 5000000;
    room().object(2, 0).type = -7;
    room().object(3, 0).type = kConveyorSwitch;
    room().object(3, 0).links[0][0] = 1000;
    room().object(3, 0).links[0][1] = -5;
    room().object(5, 0).type = kCoveredBase + 1 * 40 + 0;
    EXPECT_EQ(findObjectAt(app, 0, 0).type, kEmpty);
    EXPECT_EQ(findObjectAt(app, 5, 0).type, 5000000);
    toggleObjectState(app, 3, 0);
    toggleObjectState(app, 1, 0);
    deleteObjectAt(app, 5, 0);
    EXPECT_EQ(room().object(5, 0).type, kEmpty);
    ui.clearRecords();
    deleteObjectAt(app, 2, 0);
    EXPECT_EQ(room().object(2, 0).type, kEmpty);
    // What a broken record covered is not known: the whole canvas is redrawn.
    ASSERT_FALSE(ui.canvasRedraws.empty());
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, true));
}

// Each cycle: what stands where, what is linked, then clicks with the
// pictures of the watched records after each.
TEST_F(EditingTest, EveryStateCycle) {
    struct Step {
        CellPos click;
        std::vector<int> pictures;
    };
    const struct {
        const char* what;
        std::vector<std::array<int, 3>> things;
        std::vector<std::array<int, 4>> linked;
        std::vector<CellPos> watched;
        std::vector<Step> steps;
    } cycles[] = {
        {"conveyor", {{kConveyor, 0, 0}}, {}, {{0, 0}}, {{{5, 0}, {37}}, {{5, 0}, {38}}, {{5, 0}, {kConveyor}}}},
        {"unlinked conveyor switch", {{kConveyor, 0, 0}, {kConveyorSwitch, 0, 2}}, {}, {{0, 2}, {0, 0}},
         {{{0, 2}, {kConveyorSwitch, kConveyor}}}},
        {"conveyor switch", {{kConveyor, 0, 0}, {kConveyorSwitch, 0, 2}}, {{0, 2, 0, 0}}, {{0, 2}, {0, 0}},
         {{{1, 3}, {99, 37}}, {{1, 3}, {100, 38}}, {{1, 3}, {101, kConveyor}}}},
        {"frankenstein", {{kFrankenstein, 10, 0}}, {}, {{10, 0}}, {{{10, 0}, {39}}, {{11, 2}, {kFrankenstein}}}},
        {"lightning", {{kLightningMachine, 20, 5}, {kLightningMachine, 24, 5}, {kLightningSwitch, 30, 5}},
         {{30, 5, 20, 5}, {30, 5, 24, 5}}, {{30, 5}, {20, 5}, {24, 5}},
         {{{24, 5}, {12, 13, 40}}, {{30, 6}, {41, 40, 13}}, {{30, 5}, {12, 13, 40}}}},
        {"unlinked trap", {{kTrap, 0, 10}}, {}, {{0, 10}}, {{{0, 10}, {kTrap}}}},
        {"trap", {{kTrap, 0, 10}, {kTrapSwitch, 4, 10}}, {{0, 10, 4, 10}}, {{0, 10}, {4, 10}},
         {{{1, 10}, {42, 103}}, {{1, 10}, {kTrap, 102}}}},
    };
    for (const auto& c : cycles) {
        SCOPED_TRACE(c.what);
        clearCastle(app);
        for (const auto& t : c.things) put(t[0], t[1], t[2]);
        for (const auto& l : c.linked) link(l[0], l[1], l[2], l[3]);
        for (const Step& s : c.steps) {
            toggleObjectState(app, s.click.x, s.click.y);
            std::vector<int> pictures;
            for (const CellPos w : c.watched) pictures.push_back(room().object(w.x, w.y).picture);
            EXPECT_EQ(pictures, s.pictures) << "after a click on " << s.click.x << "," << s.click.y;
        }
    }
}

TEST_F(EditingTest, PopupMenusColoursHeightAndText) {
    put(kConveyor, 0, 0);
    put(kLock, 10, 0);
    put(kText, 12, 0);
    put(kDoor, 20, 0);
    EXPECT_EQ(objectMenuFor(app, 10, 1).menuId, 197);
    EXPECT_EQ(objectMenuFor(app, 22, 2).menuId, 196);
    EXPECT_EQ(objectMenuFor(app, 22, 2).anchor, (CellPos{20, 0}));
    EXPECT_EQ(objectMenuFor(app, 30, 10).menuId, 0);
    EXPECT_EQ(showObjectMenu(app, 3, 0), 0);  // a conveyor steps instead
    EXPECT_TRUE(ui.popups.empty());
    EXPECT_EQ(room().object(0, 0).picture, 37);
    ui.popupChoices.push_back(1285);
    EXPECT_EQ(showObjectMenu(app, 10, 1), 1285);
    EXPECT_EQ(app.popupCell, (CellPos{10, 0}));
    setObjectColour(app, 1285);
    EXPECT_EQ(objectTypeNames[room().object(10, 0).picture], "Lock_r");
    app.popupCell = {12, 0};
    setObjectColour(app, 1290);
    EXPECT_EQ(room().object(12, 0).colour, 7);
    EXPECT_EQ(room().object(12, 0).picture, kText);
    toggleDoubleHeight(app);
    EXPECT_EQ(room().object(12, 0).variant, 1);
    toggleDoubleHeight(app);
    EXPECT_EQ(room().object(12, 0).variant, 0);

    setRecordText(room().object(12, 0), "hello world, this is too long");
    EXPECT_EQ(textDialogInitial(room().object(12, 0)), "HELLO WORLD, THIS IS");
    EXPECT_EQ(textDialogOnChange("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqrst");
    EXPECT_EQ(textDialogOnChange("short"), "short");
    // Stored upper case (a..z only), cut to 20, without leading spaces (read back as camouflage).
    for (const auto& [typed, stored] : {std::pair{"abcdefghijklmnopqrstuvwxy", "ABCDEFGHIJKLMNOPQRST"},
                                        std::pair{"\xe4-x", "\xe4-X"}, std::pair{"  a b ", "A B "}}) {
        textDialogOk(app, typed);
        EXPECT_EQ(recordText(room().object(12, 0)), stored);
    }
}

// Walkway rows as text, from a cell on in scan order (so across a row's end):
// . none  = plain  L R ends  l r m by a ladder  s t u by a pole; under the
// cells, H ladder, P pole (h and p with a plain piece), C a conveyor.
TEST_F(EditingTest, WalkwayShaping) {
    const struct {
        const char* what;
        int x, y;
        const char *cells, *shaped;
    } cases[] = {
        {"a run gets its ends, a lone piece none", 5, 2, "=====..=", "L===R..="},
        {"the room's edges end a run", 39, 4, "==", "LR"},
        {"a run grown keeps its old end", 5, 2, "====R=", "L===RR"},
        {"pole and ladder in a run", 10, 8, "==p==h=====", "Lsutlmr===R"},
        {"pieces whose ladder or pole went", 10, 8, "Lsutlmr=R", "L=======R"},
        {"pieces beside a bare ladder or pole", 10, 8, "Hr.lH.Pt.sP", ".r.l...t.s."},
        {"edge pieces stand for a ladder beyond", 39, 3, "lr", "lr"},
        {"edge pieces stand for a pole beyond", 39, 5, "st", "st"},
        {"a ladder at the right edge keeps off the next row", 38, 10, "=h=", "lmR"},
        {"a conveyor straightens the ends beside it", 5, 12, "=====C.......=====", "L====........====R"},
    };
    const std::string codes = "=LRlrmstu";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clearCastle(app);
        const std::string cells = c.cells;
        for (size_t i = 0; i < cells.size(); ++i) {
            const int at = c.y * kColumns + c.x + static_cast<int>(i), x = at % kColumns, y = at / kColumns;
            const char ch = cells[i];
            if (ch == 'H' || ch == 'h') room().vertical(x, y).type = kLadder;
            if (ch == 'P' || ch == 'p') room().vertical(x, y).type = kSlidingPole;
            if (ch == 'C') put(kConveyor, x, y);
            const size_t code = codes.find(ch == 'h' || ch == 'p' ? '=' : ch);
            if (code != std::string::npos) room().walkway(x, y) = kWalkway + static_cast<int>(code);
        }
        shapeWalkways(app);
        std::string shaped;
        for (size_t i = 0; i < cells.size(); ++i) {
            const int at = c.y * kColumns + c.x + static_cast<int>(i);
            const int w = room().walkway(at % kColumns, at / kColumns);
            shaped += w == kEmpty ? '.' : codes.at(static_cast<size_t>(w - kWalkway));
        }
        EXPECT_EQ(shaped, c.shaped);
    }
}

}  // namespace
}  // namespace grusk
