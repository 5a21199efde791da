#include <gtest/gtest.h>

#include <cstring>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "editor/draw/palette.h"
#include "editor/draw/room_renderer.h"

namespace grusk {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed = c64Palette[2];
constexpr Rgb kGreen = c64Palette[5];
constexpr Rgb kCyan = c64Palette[3];

class RoomDrawing : public ::testing::Test {
protected:
    RoomDrawing() : model(allocateCells()), castle(*model), room(castle.current()), pictures(test::makeTestPictures()) {}

    // Puts an object's anchor record at (x, y); covered cells draw nothing and are left out.
    CellRecord& put(int type, int x, int y, int picture = -1) {
        CellRecord& rec = room.object(x, y);
        rec.reset();
        rec.type = type;
        rec.picture = picture < 0 ? type : picture;
        rec.room = castle.currentRoom;
        return rec;
    }
    CellRecord& putText(int x, int y, const char* text, int colour) {
        CellRecord& rec = put(kText, x, y);
        setRecordText(rec, text);
        rec.colour = colour;
        return rec;
    }
    const RasterImage& draw() {
        canvas = RasterImage(640, 400);
        drawRoom(canvas, castle, pictures);
        return canvas;
    }
    Rgb at(int x, int y) const { return canvas.pixel(x, y); }

    // What the editor tells the canvas paint: the chosen type and the grid.
    struct {
        int placeType = -1;
        bool showGrid = false;
    } app;
    std::unique_ptr<CastleModel> model;
    CastleModel& castle;
    Room& room;
    PictureSet pictures;
    RasterImage canvas;
};

TEST_F(RoomDrawing, WalkwaysAreFilledWithTheRoomColourEvenBlack) {
    room.roomColour = 0;
    room.walkway(3, 4) = kWalkway;
    draw();
    EXPECT_EQ(at(48 + 5, 64 + 5), (Rgb{1, 1, 1}));  // C64 black, not the empty canvas
    EXPECT_EQ(at(48 + 7, 64), test::kWalkwayLine);
    EXPECT_EQ(at(48 + 5, 64 + 16), kBlack);
    room.roomColour = 5;
    draw();
    EXPECT_EQ(at(48 + 15, 64 + 15), kGreen);
}

TEST_F(RoomDrawing, DoorBellIsBackedByTheColourBehindItsDoor) {
    castle.room(3).roomColour = 5;
    room.roomColour = 2;
    CellRecord& door = put(kDoor, 10, 5);
    door.destRoom = 3;
    CellRecord& bell = put(kDoorBell, 2, 2);
    bell.links[0][0] = 10;
    bell.links[0][1] = 5;
    draw();
    EXPECT_EQ(at(32 + 8, 32 + 20), kGreen);
    EXPECT_EQ(at(32 + 1, 32 + 1), test::pictureColour(kDoorBell));  // the picture over the fill
    EXPECT_EQ(at(32, 32), kGreen);                                  // no frame

    door.variant = 1;  // exit door: the room's own colour
    draw();
    EXPECT_EQ(at(32 + 8, 32 + 20), kRed);

    door.variant = 0;
    door.destRoom = 999;  // a destination from a damaged file leads nowhere
    draw();
    EXPECT_EQ(at(32 + 8, 32 + 20), kRed);

    bell.links[0][0] = bell.links[0][1] = -1;  // unlinked: own colour and the red frame
    bell.mark = kMarkUnlinked;
    draw();
    EXPECT_EQ(at(32 + 8, 32 + 20), kRed);
    EXPECT_EQ(at(32, 32), (Rgb{255, 0, 0}));
    EXPECT_EQ(at(32 + 15, 32 + 31), (Rgb{255, 0, 0}));
    EXPECT_EQ(at(32 + 8, 32 + 31), (Rgb{255, 0, 0}));
    EXPECT_EQ(at(32 + 8, 32 + 32), kBlack);
}

TEST_F(RoomDrawing, HoveredSwitchAndItsMachinesWearGreenFrames) {
    CellRecord& sw = put(kLightningSwitch, 1, 1);
    sw.links[0][0] = 5;
    sw.links[0][1] = 2;
    sw.links[1][0] = 10;
    sw.links[1][1] = 2;
    sw.mark = kMarkHighlighted;
    put(kLightningMachine, 5, 2).mark = kMarkHighlighted;
    put(kLightningMachine, 10, 2).mark = kMarkHighlighted;
    put(kLightningMachine, 20, 2);
    draw();
    const Rgb green{0, 255, 0};
    EXPECT_EQ(at(16, 16), green);
    EXPECT_EQ(at(16 + 15, 16 + 31), green);
    for (int x : {80, 160}) {
        EXPECT_EQ(at(x, 32), green);
        EXPECT_EQ(at(x + 47, 32 + 63), green);
        EXPECT_EQ(at(x + 5, 32 + 5), test::pictureColour(kLightningMachine));
    }
    EXPECT_EQ(at(320, 32), test::pictureColour(kLightningMachine));  // not hovered: no frame
}

TEST_F(RoomDrawing, TextIsCutWhereAGlyphWouldPassTheRightEdge) {
    putText(0, 10, "ABCDEFGHIJKLMNOPQRST", 3);
    putText(1, 12, "ABCDEFGHIJKLMNOPQRST", 3);
    draw();
    // Glyph letters are keyed: the text colour shows; the rest of the glyph is drawn.
    EXPECT_EQ(at(0, 160), kCyan);
    EXPECT_EQ(at(639, 160), kCyan);
    EXPECT_EQ(at(639, 170), test::kGlyphInk);
    // From column 1 the 20th glyph would end at 656: it is left out, not clipped.
    EXPECT_EQ(at(15, 192), kBlack);
    EXPECT_EQ(at(16, 192), kCyan);
    EXPECT_EQ(at(623, 192), kCyan);
    EXPECT_EQ(at(624, 192), kBlack);
    EXPECT_EQ(at(639, 200), kBlack);
}

TEST_F(RoomDrawing, DoubleHeightTextIsStretchedNotRepeated) {
    CellRecord& text = putText(0, 3, "A", 3);
    draw();
    EXPECT_EQ(at(5, 48 + 7), kCyan);
    EXPECT_EQ(at(5, 48 + 8), test::kGlyphInk);
    EXPECT_EQ(at(5, 64), kBlack);
    text.variant = 1;
    draw();
    EXPECT_EQ(at(5, 48 + 15), kCyan);  // the letter half now spans 16 rows
    EXPECT_EQ(at(5, 64), test::kGlyphInk);
    EXPECT_EQ(at(31, 79), test::kGlyphInk);
    EXPECT_EQ(at(5, 80), kBlack);
}

TEST_F(RoomDrawing, EmptyTextShowsItsPictureAndCharactersMapToGlyphs) {
    putText(0, 0, "", 3);
    putText(0, 2, "A,B", 1);
    pictures.setPicture(kPicGlyphComma, RasterImage(32, 16, Rgb{77, 0, 77}));
    draw();
    EXPECT_EQ(at(5, 5), test::pictureColour(kText));
    EXPECT_EQ(at(32 + 5, 32 + 5), (Rgb{77, 0, 77}));
    EXPECT_EQ(at(64 + 5, 32 + 5), c64Palette[1]);
}

TEST_F(RoomDrawing, GridLiesOverTheRoom) {
    room.roomColour = 5;
    for (int x = 2; x < 6; ++x) room.walkway(x, 2) = kWalkway;
    app.showGrid = true;
    paintCanvas(canvas, castle, pictures, CanvasPaintOptions{std::nullopt, app.placeType, app.showGrid});
    const Rgb white{255, 255, 255};
    EXPECT_EQ(at(48, 34), kBlack);   // dotted: black and white pixels along each cell's square
    EXPECT_EQ(at(48, 35), white);
    EXPECT_EQ(at(63, 37), kBlack);   // right edge of the cell's square
    EXPECT_EQ(at(50, 47), white);
    EXPECT_EQ(at(51, 47), kBlack);   // bottom edge
    EXPECT_EQ(at(52, 40), c64Palette[5]);
    EXPECT_EQ(at(16, 300), kBlack);  // also over the empty background
    EXPECT_EQ(at(16, 301), white);
    app.showGrid = false;
    paintCanvas(canvas, castle, pictures, CanvasPaintOptions{std::nullopt, app.placeType, app.showGrid});
    EXPECT_EQ(at(48, 34), c64Palette[5]);
    EXPECT_EQ(at(16, 301), kBlack);
}

TEST_F(RoomDrawing, DoorPutsItsRoomOnTheMap) {
    castle.currentRoom = 4;
    Room& r4 = castle.current();
    r4.roomInUse = 0;
    r4.roomMapRect = MapRect{1, 2, 3, 4};
    CellRecord& d = r4.object(2, 2);
    d.type = kDoor;
    d.picture = kDoor;
    draw();
    EXPECT_EQ(r4.roomInUse, 1);
    EXPECT_EQ(r4.roomMapRect.left, 256);
    EXPECT_EQ(r4.roomMapRect.top, 128);
    EXPECT_EQ(r4.roomMapRect.right, 368);
    EXPECT_EQ(r4.roomMapRect.bottom, 240);
    r4.roomMapRect = MapRect{16, 16, 32, 32};  // a room already on the map stays where it is
    draw();
    EXPECT_EQ(r4.roomMapRect.left, 16);
    castle.currentRoom = 5;  // a room without doors stays off the map
    draw();
    EXPECT_EQ(castle.room(5).roomInUse, 0);
}

TEST_F(RoomDrawing, StartDoorsShowTheirPictures) {
    CellRecord& door = put(kDoor, 0, 0);
    door.number = 0;
    castle.settings.playerStartRoom[0] = castle.settings.playerStartRoom[1] = 0;
    castle.settings.playerStartDoor[0] = castle.settings.playerStartDoor[1] = 0;
    draw();
    EXPECT_EQ(at(20, 20), test::doorPictureColour(kDoorPictureBoth));
    door.variant = 1;
    door.picture = kExitDoor;
    draw();
    EXPECT_EQ(at(20, 20), test::doorPictureColour(kExitDoorPictureBoth));
    castle.settings.playerStartRoom[1] = 7;
    draw();
    EXPECT_EQ(at(20, 20), test::doorPictureColour(kExitDoorPictureP1));
    door.variant = 0;
    castle.settings.playerStartRoom[1] = 0;
    castle.settings.playerStartDoor[0] = 3;
    draw();
    EXPECT_EQ(at(20, 20), test::doorPictureColour(kDoorPictureP2));
    castle.settings.playerStartDoor[1] = 3;
    door.picture = kExitDoor;  // not a start door: its own picture
    draw();
    EXPECT_EQ(at(20, 20), test::pictureColour(kExitDoor));
}

TEST_F(RoomDrawing, DraggedObjectIsLeftOut) {
    CellRecord& trap = put(kTrap, 4, 4);
    trap.mark = kMarkUnlinked;
    trap.dragging = 1;
    put(kMummy, 8, 4).dragging = 1;
    put(kKey, 12, 4);
    draw();
    EXPECT_EQ(at(64 + 5, 64 + 5), kBlack);  // no fill, no frame
    EXPECT_EQ(at(64, 64), kBlack);
    EXPECT_EQ(at(128 + 5, 64 + 5), kBlack);
    EXPECT_EQ(at(192 + 5, 64 + 5), test::pictureColour(kKey));
}

TEST_F(RoomDrawing, WalkwayCrossingsLieOverLaddersAndCamouflageOverAll) {
    room.roomColour = 6;
    room.vertical(5, 6).type = kLadder;
    room.vertical(5, 7).type = kLadder;
    room.walkway(5, 6) = kWalkwayLadderM;
    room.camouflage(9, 9) = 1;
    room.camouflage(10, 9) = 2;
    room.walkway(9, 9) = kWalkway;
    draw();
    EXPECT_EQ(at(80 + 5, 96 + 5), c64Palette[6]);  // the crossing covers the ladder
    EXPECT_EQ(at(80 + 5, 96), test::kWalkwayLine);
    EXPECT_EQ(at(80 + 5, 112 + 5), test::pictureColour(kLadder));
    EXPECT_EQ(at(144 + 2, 144 + 5), test::kCamouflageInk);
    EXPECT_EQ(at(144 + 12, 144 + 5), c64Palette[6]);  // white is transparent
    EXPECT_EQ(at(160 + 2, 144 + 5), test::kCamouflageInk);
    EXPECT_EQ(at(160 + 12, 144 + 5), kBlack);
}

TEST_F(RoomDrawing, TransparentKeyLeftInTheRoomShowsTheBackground) {
    room.roomColour = 1;
    room.walkway(0, 0) = kWalkway;
    RasterImage key(32, 16, Rgb{90, 90, 90});
    key.setPixel(3, 3, kTransparentKey);
    pictures.setPicture(kPicKeyWhite, key);
    put(kKey, 0, 0, kPicKeyWhite);
    draw();
    EXPECT_EQ(at(3, 3), kBlack);
    EXPECT_EQ(at(4, 3), (Rgb{90, 90, 90}));
}

TEST_F(RoomDrawing, GhostFollowsTheMouseCellAndReportsItsRectangle) {
    app.placeType = kDoor;
    PixelRect ghost = paintCanvas(canvas, castle, pictures, CanvasPaintOptions{CellPos{5, 5}, app.placeType, app.showGrid});
    EXPECT_EQ(ghost, (PixelRect{89, 91, 137, 139}));
    EXPECT_EQ(at(80 + 5, 80 + 5), test::pictureColour(kDoor));
    paintCanvas(canvas, castle, pictures, CanvasPaintOptions{CellPos{37, 22}, app.placeType, app.showGrid});
    EXPECT_EQ(at(639, 399), test::pictureColour(kDoor));  // just fits
    paintCanvas(canvas, castle, pictures, CanvasPaintOptions{CellPos{5, 23}, app.placeType, app.showGrid});
    EXPECT_EQ(at(85, 380), kBlack);  // would pass the bottom: not drawn
    ghost = paintCanvas(canvas, castle, pictures, CanvasPaintOptions{CellPos{38, 5}, app.placeType, app.showGrid});
    EXPECT_EQ(ghost, (PixelRect{617, 91, 665, 139}));  // remembered, though not drawn
    EXPECT_EQ(at(620, 85), kBlack);
    EXPECT_TRUE(hasGhost(ghost));
    app.placeType = -1;
    EXPECT_FALSE(hasGhost(paintCanvas(canvas, castle, pictures, CanvasPaintOptions{CellPos{5, 5}, app.placeType, app.showGrid})));
    app.placeType = kDoor;
    EXPECT_FALSE(hasGhost(paintCanvas(canvas, castle, pictures, CanvasPaintOptions{std::nullopt, app.placeType, app.showGrid})));
}

TEST_F(RoomDrawing, TitleScreenShowsTitleAndStartPictureWithWhiteTransparent) {
    RasterImage title(640, 280, Rgb{10, 20, 30});
    title.setPixel(0, 0, kKeyWhite);
    pictures.setTitle(title);
    RasterImage start(640, 120, Rgb{40, 50, 60});
    start.setPixel(639, 119, kKeyWhite);
    pictures.setStartPicture(start);
    RasterImage screen(640, 400, Rgb{9, 9, 9});
    paintTitleScreen(screen, pictures);
    EXPECT_EQ(screen.pixel(0, 0), kBlack);
    EXPECT_EQ(screen.pixel(1, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(screen.pixel(5, 279), (Rgb{10, 20, 30}));
    EXPECT_EQ(screen.pixel(5, 280), (Rgb{40, 50, 60}));
    EXPECT_EQ(screen.pixel(639, 399), kBlack);
}

}  // namespace
}  // namespace grusk
