// The room's wiring over the canvas: link lines of every kind and door labels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "editor/catalogue.h"
#include "editor/draw/link_overlay.h"
#include "editor/object_info.h"

namespace grusk {
namespace {

constexpr Rgb kGround{128, 128, 128};

class LinkOverlay : public ::testing::Test {
protected:
    LinkOverlay() : castleRecords(allocateCells()), castle(*castleRecords), canvas(640, 400, kGround) {
        castle.room(0).roomInUse = 1;
    }
    CellRecord& put(int room, int type, int x, int y) {
        CellRecord& rec = castle.room(room).object(x, y);
        rec.reset();
        rec.type = type;
        rec.picture = type;
        return rec;
    }
    static PixelPoint centre(int type, int x, int y) {
        const Size s = pictureSize(type);
        return {x * 16 + s.width / 2, y * 16 + s.height / 2};
    }
    int count(int x0, int y0, int x1, int y1, Rgb colour) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += canvas.pixel(x, y) == colour ? 1 : 0;
        return n;
    }

    std::unique_ptr<CastleModel> castleRecords;
    CastleModel& castle;
    RasterImage canvas;
};

TEST_F(LinkOverlay, EveryKindOfLinkIsALineInItsOwnColour) {
    struct Kind {
        int source, target;
    };
    const std::array<Kind, 9> kinds = {{{kConveyorSwitch, kConveyor},
                                        {kDoorBell, kDoor},
                                        {kForceField, kForceFieldSwitch},
                                        {kLock, kDoor},
                                        {kLightningSwitch, kLightningMachine},
                                        {kMummy, kMummySwitch},
                                        {kGunControl, kGunLeft},
                                        {kTransmitter, kTransmitterTarget},
                                        {kTrap, kTrapSwitch}}};
    std::vector<Rgb> colours;
    for (size_t k = 0; k < kinds.size(); ++k) {
        const int row = 2 * int(k) + 1;
        CellRecord& source = put(0, kinds[k].source, 1, row);
        put(0, kinds[k].target, 30, row);
        source.links[0][0] = 30;
        source.links[0][1] = row;
        colours.push_back(linkColour(kinds[k].source));
    }
    // The kinds can be told apart, from each other and from the frames.
    for (size_t a = 0; a < colours.size(); ++a) {
        EXPECT_NE(colours[a], kGround);
        EXPECT_NE(colours[a], (Rgb{0, 0, 0}));
        for (size_t b = a + 1; b < colours.size(); ++b) EXPECT_NE(colours[a], colours[b]) << a << " " << b;
    }
    // A source without links and a link leading outside the room draw nothing.
    put(0, kTrap, 10, 20);
    CellRecord& broken = put(0, kForceField, 20, 20);
    broken.links[0][0] = 55;
    broken.links[0][1] = 3;

    drawLinkOverlay(canvas, castle, 0);
    for (size_t k = 0; k < kinds.size(); ++k) {
        const int row = 2 * int(k) + 1;
        const PixelPoint from = centre(kinds[k].source, 1, row);
        const PixelPoint to = centre(kinds[k].target, 30, row);
        const Rgb c = colours[k];
        EXPECT_EQ(canvas.pixel(from.x, from.y), c) << "source of kind " << k;
        EXPECT_EQ(canvas.pixel(to.x, to.y), c) << "target of kind " << k;
        // The target end is marked by a larger square than the source end.
        EXPECT_EQ(canvas.pixel(to.x - 2, to.y - 2), c);
        EXPECT_NE(canvas.pixel(from.x - 2, from.y - 2), c);
        // Half way along, the line crosses the column once between the two ends.
        const int mid = (from.x + to.x) / 2;
        EXPECT_EQ(count(mid, std::min(from.y, to.y), mid + 1, std::max(from.y, to.y) + 1, c), 1) << k;
    }
    const PixelPoint l = centre(kTrap, 10, 20);
    EXPECT_EQ(canvas.pixel(l.x, l.y), kGround);
    const PixelPoint b = centre(kForceField, 20, 20);
    EXPECT_EQ(canvas.pixel(b.x, b.y), kGround);
}

TEST_F(LinkOverlay, SeveralLinksOfOneSourceEachGetALine) {
    CellRecord& bell = put(0, kDoorBell, 18, 12);
    const std::array<std::array<int, 2>, 3> doors = {{{2, 2}, {34, 2}, {18, 20}}};
    for (size_t i = 0; i < doors.size(); ++i) {
        put(0, kDoor, doors[i][0], doors[i][1]);
        bell.links[i][0] = doors[i][0];
        bell.links[i][1] = doors[i][1];
    }
    drawLinkOverlay(canvas, castle, 0);
    // Labels sit in the doors' top left corners; the centres are further in.
    for (const auto& d : doors) {
        const PixelPoint to = centre(kDoor, d[0], d[1]);
        EXPECT_EQ(canvas.pixel(to.x, to.y), linkColour(kDoorBell)) << d[0] << "," << d[1];
    }
}

TEST_F(LinkOverlay, DoorsSayWhereTheyLead) {
    // Room 3 (index 2) in use, with doors numbered 0 and 1.
    castle.room(2).roomInUse = 1;
    put(2, kDoor, 0, 0).number = 0;
    put(2, kDoor, 10, 0).number = 1;
    CellRecord& exitDoor = put(0, kDoor, 2, 21);
    exitDoor.variant = 1;
    exitDoor.picture = kExitDoor;
    CellRecord& connected = put(0, kDoor, 10, 21);
    connected.destRoom = 2;
    connected.destDoor = 1;
    CellRecord& roomNotInUse = put(0, kDoor, 18, 21);
    roomNotInUse.destRoom = 5;
    CellRecord& missingDoor = put(0, kDoor, 26, 21);
    missingDoor.destRoom = 2;
    missingDoor.destDoor = 2;
    CellRecord& outside = put(0, kDoor, 34, 21);
    outside.destRoom = 200;

    EXPECT_EQ(doorLabel(castle, exitDoor), "EXIT");
    EXPECT_EQ(doorLabel(castle, connected), "3:2");
    EXPECT_EQ(doorLabel(castle, roomNotInUse), "?");
    EXPECT_EQ(doorLabel(castle, missingDoor), "?");
    EXPECT_EQ(doorLabel(castle, outside), "?");

    drawLinkOverlay(canvas, castle, 0);
    struct Expect {
        int x;
        int chars;
        Rgb ink;
    };
    for (const Expect& e : {Expect{2, 4, kDoorLabelText}, Expect{10, 3, kDoorLabelText},
                            Expect{18, 1, kDoorLabelNowhere}, Expect{26, 1, kDoorLabelNowhere}}) {
        const int left = e.x * 16 + 1, top = 21 * 16 + 1;
        const int width = 6 * e.chars - 1 + 2;
        EXPECT_EQ(canvas.pixel(left, top), kDoorLabelBackground) << e.x;
        EXPECT_EQ(canvas.pixel(left + width - 1, top + 8), kDoorLabelBackground) << e.x;
        EXPECT_EQ(canvas.pixel(left + width, top), kGround) << e.x;  // the box ends with the text
        EXPECT_GT(count(left, top, left + width, top + 9, e.ink), 4) << e.x;
    }
}

TEST_F(LinkOverlay, ProblemFrameLiesJustOutsideTheObject) {
    put(0, kForceField, 5, 7);
    drawProblemFrame(canvas, castle.room(0), 5, 7);
    const Size s = pictureSize(kForceField);
    const int left = 5 * 16, top = 7 * 16;
    for (const auto& [x, y] : std::array<std::pair<int, int>, 4>{
             {{left - 2, top - 2}, {left - 1, top + 3}, {left + s.width, top + s.height}, {left + s.width + 1, top}}})
        EXPECT_EQ(canvas.pixel(x, y), kProblemFramePen) << x << "," << y;
    EXPECT_EQ(canvas.pixel(left, top), kGround);
    EXPECT_EQ(canvas.pixel(left - 3, top - 3), kGround);
}

}  // namespace
}  // namespace grusk
