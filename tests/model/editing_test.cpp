// Placing, deleting, state steps, popup commands, texts and walkway shaping.
#include <string>

#include "editor/object_info.h"
#include "model/castle_files.h"
#include "model/model_fixture.h"

namespace grusk {
namespace {

using EditingTest = test::CastleTest;

// With a door at (4, 6): the anchor, the covered cells and the redrawn block,
// then placements in turn; a refused one changes no byte of the room.
TEST_F(EditingTest, PlacementCoversTheBlockAndIsRefusedOnTakenCellsAndPastTheEdges) {
    put(kDoor, 4, 6);
    EXPECT_EQ((std::pair{room().object(6, 8).type, room().object(7, 8).type}), (std::pair{kCoveredBase + 4 * 40 + 6, kEmpty}));
    EXPECT_EQ(ui.canvasRedraws.back().first, (PixelRect{9 + 64, 11 + 96, 9 + 112, 11 + 144}));
    const struct {
        int type, x, y, number, placed;
    } cases[] = {
        {kKey, 5, 7, -1, 0},        {kKey, 3, 6, -1, 0},         {kKey, 39, 0, -1, 0},        {kMummy, 0, 23, -1, 0},
        {kKey, 40, 0, -1, 0},       {kKey, -1, 0, -1, 0},        {kDoor, 38, 0, 0, 0},        {kKey, 38, 0, -1, 1},
        {kMummy, 0, 22, -1, 1},     {kKey, 5, 7, 4, 1},          {kLadder, 4, 6, -1, 1},      {kWalkway, 4, 6, -1, 1},
        {kCamouflage, 4, 6, -1, 1}, {kCamouflage, 39, 3, -1, 1}, {kCamouflage, 3, 6, -1, 1},  // right neighbour taken
    };
    for (const auto& c : cases) {
        const auto before = roomFileImage(castle, 0);
        EXPECT_EQ(placeObject(app, c.type, c.x, c.y, c.number), c.placed) << c.type << " at " << c.x << "," << c.y;
        EXPECT_TRUE(c.placed || roomFileImage(castle, 0) == before) << c.type << " at " << c.x << "," << c.y;
    }
    EXPECT_EQ((std::vector<int>{room().object(5, 7).number, room().camouflage(5, 6), room().camouflage(39, 3), room().camouflage(0, 4),
                           room().camouflage(3, 6)}), (std::vector{4, 2, 1, 0, 0}));
    // Numbers by count, unlinked sources, white keys and locks, a text to start with.
    for (const auto& [type, x] : {std::pair{kDoor, 20}, std::pair{kLock, 0}, std::pair{kText, 10}}) put(type, x, type == kDoor ? 6 : 0);
    EXPECT_EQ((std::vector<int>{room().object(20, 6).number, room().object(0, 0).mark, room().object(10, 0).colour}), (std::vector<int>{1, kMarkUnlinked, 1}));
    EXPECT_EQ(std::string(objectTypeNames[room().object(0, 0).picture]) + std::string(objectTypeNames[room().object(38, 0).picture]) +
                  recordText(room().object(10, 0)), "Lock_wKey_wTEXT");
}

TEST_F(EditingTest, ControlClicksRemoveCamouflageThenObjectThenWalkway) {
    put(kDoor, 4, 6);
    put(kWalkway, 5, 7);
    put(kCamouflage, 5, 7);
    put(kCamouflage, 39, 3);  // at the right edge: one cell wide
    put(kCamouflage, 0, 4);
    for (int y = 0; y < 4; ++y) put(kLadder, 10, y);
    const struct {
        int x, y, removed;
    } clicks[] = {{6, 7, 1}, {5, 7, kDoor}, {5, 7, kEmpty}, {40, 7, -1}, {39, 3, 1}, {10, 1, kLadder}};
    for (const auto& c : clicks) EXPECT_EQ(deleteObjectAt(app, c.x, c.y), c.removed) << c.x << "," << c.y;
    // The right half took both halves, the next row's patch stays, the ladder splits in two runs.
    EXPECT_EQ((std::vector{room().camouflage(5, 7), room().object(6, 8).type, room().walkway(5, 7), room().camouflage(1, 4),
                           room().vertical(10, 0).length, room().vertical(10, 2).length}),
              (std::vector{0, kEmpty, kEmpty, 2, 1, 2}));
}

// Two targets of each kind, each with its own source: deleting the first
// frees only its source, which stays free when a new target comes.
TEST_F(EditingTest, DeletingAnObjectTakesAlongOnlyTheLinksNamingIt) {
    const struct {
        int source, target, sourceX, targetX;
    } cases[] = {
        {kForceField, kForceFieldSwitch, 0, 2}, {kMummy, kMummySwitch, 4, 7},    {kTrap, kTrapSwitch, 9, 12},
        {kConveyorSwitch, kConveyor, 0, 14},    {kGunControl, kGunLeft, 30, 32}, {kDoorBell, kDoor, 35, 36},
        {kLightningSwitch, kLightningMachine, 24, 26}, {kTransmitter, kTransmitterTarget, 10, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(objectTypeName(c.target));
        clearCastle(app);
        for (int y : {0, 8}) {
            put(c.source, c.sourceX, y + 4);
            put(c.target, c.targetX, y);
            link(c.sourceX, y + 4, c.targetX, y);
        }
        link(c.sourceX, 12, c.targetX, 0);  // the second source names both
        deleteObjectAt(app, c.targetX, 0);
        put(c.target, c.targetX, 0);
        EXPECT_EQ(links(0, c.sourceX, 4), test::Links{});
        EXPECT_EQ(links(0, c.sourceX, 12), (test::Links{{c.targetX, 8}}));
        EXPECT_EQ((std::pair{room().object(c.sourceX, 4).mark, room().object(c.sourceX, 12).mark}), (std::pair<int, int>{kMarkUnlinked, kMarkPlain}));
    }
}

// Markers naming an empty anchor or one below the room (damaged files and
// forced overlaps leave them), unknown types and wild links.
TEST_F(EditingTest, StaleMarkersAndGarbageRecordsStayInsideTheRoom) {
    for (const auto& [x, y, type] : {std::tuple{6, 5, kCoveredBase + 5 * 40 + 5}, std::tuple{8, 5, kCoveredBase + 8 * 40 + 30},
                                     std::tuple{0, 0, kCoveredBase + 39 * 40 + 39}, std::tuple{1, 0, 5000000}, std::tuple{2, 0, -7},
                                     std::tuple{3, 0, kConveyorSwitch}, std::tuple{5, 0, kCoveredBase + 1 * 40 + 0}})
        room().object(x, y).type = type;
    room().walkway(6, 5) = kWalkway;
    room().object(3, 0).links[0][0] = 1000;
    EXPECT_EQ(deleteObjectAt(app, 6, 5), kEmpty);
    EXPECT_EQ(room().walkway(6, 5), kWalkway);  // one thing per click
    put(kKey, 7, 5);
    EXPECT_EQ(room().object(8, 5).type, kCoveredBase + 7 * 40 + 5);
    EXPECT_EQ((std::pair{findObjectAt(app, 0, 0).type, findObjectAt(app, 5, 0).type}), (std::pair{kEmpty, 5000000}));
    int ax = 0, ay = 0;
    EXPECT_FALSE(objectAnchorAt(room(), 0, 0, &ax, &ay) || objectAnchorAt(room(), 40, 0, &ax, &ay));
    toggleObjectState(app, 3, 0);
    toggleObjectState(app, 1, 0);
    deleteObjectAt(app, 5, 0);
    ui.clearRecords();
    deleteObjectAt(app, 2, 0);
    EXPECT_EQ((std::vector{room().object(5, 0).type, room().object(2, 0).type}), (std::vector{kEmpty, kEmpty}));
    // What a broken record covered is not known: the whole canvas is redrawn.
    ASSERT_FALSE(ui.canvasRedraws.empty());
    EXPECT_EQ(ui.canvasRedraws.back(), std::make_pair(kCanvasRect, true));
}

// Each cycle: what stands where and what is linked, then clicks with the
// pictures of the watched records after each.
TEST_F(EditingTest, EveryStateCycle) {
    struct Step {
        CellPos click;
        std::vector<int> pictures;
    };
    const struct {
        std::vector<std::array<int, 3>> things;
        std::vector<std::array<int, 4>> linked;
        std::vector<CellPos> watched;
        std::vector<Step> steps;
    } cycles[] = {
        {{{kConveyor, 0, 0}}, {}, {{0, 0}}, {{{5, 0}, {37}}, {{5, 0}, {38}}, {{5, 0}, {kConveyor}}}},
        {{{kConveyor, 0, 0}, {kConveyorSwitch, 0, 2}}, {}, {{0, 2}}, {{{0, 2}, {kConveyorSwitch}}}},
        {{{kConveyor, 0, 0}, {kConveyorSwitch, 0, 2}}, {{0, 2, 0, 0}}, {{0, 2}, {0, 0}},
         {{{1, 3}, {99, 37}}, {{1, 3}, {100, 38}}, {{1, 3}, {101, kConveyor}}}},
        {{{kFrankenstein, 10, 0}}, {}, {{10, 0}}, {{{10, 0}, {39}}, {{11, 2}, {kFrankenstein}}}},
        {{{kLightningMachine, 20, 5}, {kLightningMachine, 24, 5}, {kLightningSwitch, 30, 5}},
         {{30, 5, 20, 5}, {30, 5, 24, 5}}, {{30, 5}, {20, 5}, {24, 5}},
         {{{24, 5}, {12, 13, 40}}, {{30, 6}, {41, 40, 13}}, {{30, 5}, {12, 13, 40}}}},
        {{{kTrap, 0, 10}}, {}, {{0, 10}}, {{{0, 10}, {kTrap}}}},
        {{{kTrap, 0, 10}, {kTrapSwitch, 4, 10}}, {{0, 10, 4, 10}}, {{0, 10}, {4, 10}},
         {{{1, 10}, {42, 103}}, {{1, 10}, {kTrap, 102}}}},
    };
    for (const auto& c : cycles) {
        clearCastle(app);
        for (const auto& t : c.things) put(t[0], t[1], t[2]);
        for (const auto& l : c.linked) link(l[0], l[1], l[2], l[3]);
        for (const Step& s : c.steps) {
            toggleObjectState(app, s.click.x, s.click.y);
            std::vector<int> pictures;
            for (const CellPos w : c.watched) pictures.push_back(room().object(w.x, w.y).picture);
            EXPECT_EQ(pictures, s.pictures) << objectTypeName(c.things.back()[0]) << " after " << s.click.x << "," << s.click.y;
        }
    }
}

TEST_F(EditingTest, PopupMenusColoursHeightAndText) {
    put(kConveyor, 0, 0);
    put(kLock, 10, 0);
    put(kText, 12, 0);
    // A conveyor steps instead of showing a menu.
    EXPECT_EQ((std::vector{objectMenuFor(app, 10, 0).menuId, objectMenuFor(app, 30, 10).menuId, showObjectMenu(app, 3, 0),
                           room().object(0, 0).picture}), (std::vector{197, 0, 0, 37}));
    ui.popupChoices.push_back(1285);
    EXPECT_EQ(showObjectMenu(app, 10, 1), 1285);
    EXPECT_EQ(ui.popups, std::vector<int>{197});
    setObjectColour(app, 1285);
    EXPECT_EQ(objectTypeNames[room().object(10, 0).picture], "Lock_r");
    app.popupCell = {12, 0};
    setObjectColour(app, 1290);
    toggleDoubleHeight(app);
    EXPECT_EQ((std::vector{room().object(12, 0).colour, room().object(12, 0).picture, room().object(12, 0).variant}),
              (std::vector{7, kText, 1}));
    setRecordText(room().object(12, 0), "hello world, this is too long");
    EXPECT_EQ(textDialogInitial(room().object(12, 0)), "HELLO WORLD, THIS IS");
    EXPECT_EQ(textDialogOnChange("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqrst");
    // Stored upper case (a..z only), cut to 20, without leading spaces (read back as camouflage).
    for (const auto& [typed, stored] : {std::pair{"abcdefghijklmnopqrstuvwxy", "ABCDEFGHIJKLMNOPQRST"},
                                        std::pair{"\xe4-x", "\xe4-X"}, std::pair{"  a b ", "A B "}}) {
        textDialogOk(app, typed);
        EXPECT_EQ(recordText(room().object(12, 0)), stored);
    }
}

// Walkway cells as text from a cell on, in scan order (so across a row's end): . none  = plain  L R ends  l r m by
// a ladder  s t u by a pole; below the pieces H is a ladder, P a pole (h and p with a plain piece), C a conveyor.
TEST_F(EditingTest, WalkwayShaping) {
    const struct {
        int x, y;
        const char *cells, *shaped;
    } cases[] = {
        {5, 2, "=====..=", "L===R..="},                          // a lone piece stays plain
        {39, 4, "==", "LR"},                                       // the room's edges end runs
        {5, 2, "====R=", "L===RR"},                                // a run grown keeps its old end
        {10, 8, "==p==h=====", "Lsutlmr===R"},                     // pole and ladder in a run
        {10, 8, "Lsutlmr=R", "L=======R"},                         // their ladder or pole went
        {10, 8, "Hr.lH.Pt.sP", ".r.l...t.s."},                     // beside a bare ladder or pole
        {39, 3, "lr", "lr"},                                       // edge pieces stand for a ladder beyond
        {39, 5, "st", "st"},                                       // or a pole
        {38, 10, "=h=", "lmR"},                                    // the next row's first piece is no neighbour
        {5, 12, "=====C.......=====", "L====........====R"},       // a conveyor takes the ends beside it
        {38, 3, "=RC", "LR."},                                     // but not across a row's end
    };
    const std::string codes = "=LRlrmstu";
    for (const auto& c : cases) {
        clearCastle(app);
        const std::string cells = c.cells;
        auto cell = [&](size_t i) {
            const int at = c.y * kColumns + c.x + static_cast<int>(i);
            return CellPos{at % kColumns, at / kColumns};
        };
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto [x, y] = cell(i);
            if (cells[i] == 'H' || cells[i] == 'h') room().vertical(x, y).type = kLadder;
            if (cells[i] == 'P' || cells[i] == 'p') room().vertical(x, y).type = kSlidingPole;
            if (cells[i] == 'C') put(kConveyor, x, y);
            const size_t code = codes.find(cells[i] == 'h' || cells[i] == 'p' ? '=' : cells[i]);
            if (code != std::string::npos) room().walkway(x, y) = kWalkway + static_cast<int>(code);
        }
        shapeWalkways(app);
        std::string shaped;
        for (size_t i = 0; i < cells.size(); ++i) {
            const int w = room().walkway(cell(i).x, cell(i).y);
            shaped += w == kEmpty ? '.' : codes.at(static_cast<size_t>(w - kWalkway));
        }
        EXPECT_EQ(shaped, c.shaped) << c.cells;
    }
}

}  // namespace
}  // namespace grusk
