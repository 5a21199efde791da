#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "editor/draw/map_renderer.h"
#include "editor/draw/palette.h"

namespace grusk {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{200, 200, 200};

class MapDrawing : public ::testing::Test {
protected:
    MapDrawing() : castleRecords(allocateCells()), castle(*castleRecords) {
        RasterImage markers(640, 48, kBlack);
        markers.setPixel(10, 10, Rgb{9, 9, 9});
        pictures.setMarkers(markers);
        useRoom(0, MapRect{96, 96, 208, 208}, 5);
        useRoom(1, MapRect{300, 200, 340, 216}, 6);
        castle.room(2).roomMapRect = MapRect{0, 0, 640, 400};  // not in use
    }
    void useRoom(int r, MapRect rect, int colour) {
        castle.room(r).roomInUse = 1;
        castle.room(r).roomMapRect = rect;
        castle.room(r).roomColour = colour;
    }
    CellRecord& door(int room, int x, int y, int mapX, int mapY) {
        CellRecord& d = castle.room(room).object(x, y);
        d.type = kDoor;
        d.mapX = mapX;
        d.mapY = mapY;
        return d;
    }

    std::unique_ptr<CastleModel> castleRecords;
    CastleModel& castle;
    PictureSet pictures;
    RasterImage map;
};

TEST_F(MapDrawing, RoomsAreFilledAndFramedCurrentInWhite) {
    paintMap(map, castle, pictures, {});
    ASSERT_EQ(map.width(), 640);
    ASSERT_EQ(map.height(), 400);
    EXPECT_EQ(map.pixel(10, 10), (Rgb{9, 9, 9}));  // player markers, black transparent
    EXPECT_EQ(map.pixel(11, 10), kBlack);
    EXPECT_EQ(map.pixel(96, 96), kWhite);
    EXPECT_EQ(map.pixel(103, 150), kWhite);        // 8-pixel frame inside the rectangle
    EXPECT_EQ(map.pixel(104, 150), c64Palette[5]);
    EXPECT_EQ(map.pixel(199, 199), c64Palette[5]);
    EXPECT_EQ(map.pixel(207, 207), kWhite);
    EXPECT_EQ(map.pixel(208, 150), kBlack);
    EXPECT_EQ(map.pixel(95, 150), kBlack);
    EXPECT_EQ(map.pixel(300, 200), kGrey);         // another room: grey frame
    EXPECT_EQ(map.pixel(320, 207), kGrey);         // 16 high: all frame
    EXPECT_EQ(map.pixel(320, 216), kBlack);
    EXPECT_EQ(map.pixel(600, 380), kBlack);        // room 2 is not on the map
    castle.currentRoom = 1;
    paintMap(map, castle, pictures, {});
    EXPECT_EQ(map.pixel(96, 96), kGrey);
    EXPECT_EQ(map.pixel(300, 200), kWhite);
}

TEST_F(MapDrawing, DoorMarkersAndTheHoveredDoorInRed) {
    door(0, 3, 3, 10, 0);
    door(0, 20, 3, 0, 40);
    door(1, 3, 3, 2, 0);
    paintMap(map, castle, pictures, {});
    EXPECT_EQ(doorMarkerRect(castle, 0, castle.room(0).object(3, 3)), (PixelRect{136, 96, 144, 104}));
    EXPECT_EQ(map.pixel(136, 96), kBlack);
    EXPECT_EQ(map.pixel(143, 103), kBlack);
    EXPECT_EQ(map.pixel(144, 96), kWhite);
    EXPECT_EQ(map.pixel(96, 176), kBlack);  // second door, left side
    EXPECT_EQ(map.pixel(308, 200), kBlack);

    MapPaintState hover;
    hover.hoveredDoor = CellPos{3, 3};
    paintMap(map, castle, pictures, hover);
    EXPECT_EQ(map.pixel(136, 96), (Rgb{255, 0, 0}));
    EXPECT_EQ(map.pixel(143, 103), (Rgb{255, 0, 0}));
    EXPECT_EQ(map.pixel(138, 98), c64Palette[2]);
    EXPECT_EQ(map.pixel(96, 176), kBlack);
    EXPECT_EQ(map.pixel(308, 200), kBlack);  // same cell in another room: not the hovered door
}

TEST_F(MapDrawing, MarkersOnlyPaintKeepsTheBackground) {
    map = RasterImage(640, 400, Rgb{50, 50, 50});
    MapPaintState state;
    state.markersOnly = true;
    paintMap(map, castle, pictures, state);
    EXPECT_EQ(map.pixel(600, 380), (Rgb{50, 50, 50}));
    EXPECT_EQ(map.pixel(10, 10), (Rgb{50, 50, 50}));
    EXPECT_EQ(map.pixel(150, 150), c64Palette[5]);
    RasterImage fresh;  // a map of no size yet is always painted whole
    paintMap(fresh, castle, pictures, state);
    EXPECT_EQ(fresh.pixel(600, 380), kBlack);
}

TEST_F(MapDrawing, HitTests) {
    useRoom(3, MapRect{100, 100, 150, 150}, 1);  // overlaps room 0: the lower number wins
    EXPECT_EQ(findRoomAt(castle, 96, 96), 0);
    EXPECT_EQ(findRoomAt(castle, 120, 120), 0);
    EXPECT_EQ(findRoomAt(castle, 207, 207), 0);
    EXPECT_EQ(findRoomAt(castle, 208, 100), -1);
    EXPECT_EQ(findRoomAt(castle, 600, 380), -1);  // room 2 is not in use
    EXPECT_EQ(findRoomAt(castle, 320, 210), 1);
    castle.room(0).roomInUse = 0;
    EXPECT_EQ(findRoomAt(castle, 120, 120), 3);
    castle.room(0).roomInUse = 1;
    EXPECT_EQ(findRoomCornerAt(castle, 192, 192), 0);
    EXPECT_EQ(findRoomCornerAt(castle, 207, 207), 0);
    EXPECT_EQ(findRoomCornerAt(castle, 191, 200), -1);
    EXPECT_EQ(findRoomCornerAt(castle, 208, 200), -1);
    EXPECT_EQ(findRoomCornerAt(castle, 134, 140), 3);
}

TEST_F(MapDrawing, DoorPositionFromAClickOnTheRoomBorder) {
    const MapRect r{96, 96, 208, 208};
    // 3 pixels inside the right edge, halfway down.
    EXPECT_EQ(doorMapPositionAt(r, 204, 152), (DoorMapPosition{1, 26, 28}));
    EXPECT_EQ(doorMapPositionAt(r, 98, 98)->direction, 3);  // top left corner band
    EXPECT_EQ(doorMapPositionAt(r, 150, 100), (DoorMapPosition{0, 12, 0}));
    EXPECT_EQ(doorMapPositionAt(r, 150, 205), (DoorMapPosition{2, 12, 52}));
    EXPECT_EQ(doorMapPositionAt(r, 97, 150), (DoorMapPosition{3, 0, 24}));
    EXPECT_FALSE(doorMapPositionAt(r, 150, 150));  // the middle
    EXPECT_FALSE(doorMapPositionAt(r, 208, 150));  // just outside
    // The bands are 8 pixels deep on every side, edges included.
    for (const auto& [x, y, direction] : {std::tuple{150, 103, 0}, {150, 200, 2}, {103, 150, 3}, {200, 150, 1}}) {
        ASSERT_TRUE(doorMapPositionAt(r, x, y)) << x << "," << y;
        EXPECT_EQ(doorMapPositionAt(r, x, y)->direction, direction) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{150, 104}, {150, 199}, {104, 150}, {199, 150}, {150, 95}, {95, 150}})
        EXPECT_FALSE(doorMapPositionAt(r, x, y)) << x << "," << y;
    EXPECT_EQ(snapToMapGrid(100), 96);
    EXPECT_EQ(mapSwatchColour(3), c64Palette[3]);
}

TEST_F(MapDrawing, DamagedRectanglesAndPositionsStayInsideTheMap) {
    useRoom(4, MapRect{INT_MAX, INT_MIN, INT_MIN, INT_MAX}, INT_MIN);
    useRoom(5, MapRect{600, 380, 500, 300}, 77);  // dragged up and left
    door(4, 0, 0, INT_MAX, INT_MIN);
    door(5, 1, 1, -7, 1000);
    castle.currentRoom = 4;
    MapPaintState hover;
    hover.hoveredDoor = CellPos{0, 0};
    paintMap(map, castle, pictures, hover);
    EXPECT_EQ(map.pixel(550, 340), c64Palette[77 & 15]);
    EXPECT_EQ(findRoomAt(castle, 550, 340), -1);  // a reversed rectangle holds no point
    (void)doorMarkerRect(castle, 4, castle.room(4).object(0, 0));
    EXPECT_EQ(doorMarkerRect(castle, 99, castle.room(4).object(0, 0)), PixelRect{});
}

TEST_F(MapDrawing, LabelledMapNumbersRoomsAndMarksStartRooms) {
    castle.currentRoom = 0;
    castle.settings.playerStartRoom[0] = 0;
    castle.settings.playerStartRoom[1] = 1;
    useRoom(2, MapRect{400, 96, 512, 208}, 5);  // no start room: its number only
    auto countIn = [&](const MapRect& r, Rgb c) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += map.pixel(x, y) == c ? 1 : 0;
        return n;
    };
    const Rgb yellow = c64Palette[7], cyan = c64Palette[3];
    const MapRect inside0{104, 104, 200, 200}, inside2{408, 104, 504, 200};

    paintMap(map, castle, pictures, {});
    const RasterImage plain = map;
    EXPECT_EQ(countIn(inside0, kWhite), 0);
    EXPECT_EQ(countIn(inside0, yellow), 0);

    MapPaintState labelled;
    labelled.labels = true;
    paintMap(map, castle, pictures, labelled);
    // Room 1: its number in white and "1UP" in yellow on black, around the centre.
    EXPECT_GT(countIn(inside0, kWhite), 5);
    EXPECT_GT(countIn(inside0, yellow), 5);
    EXPECT_EQ(countIn(inside0, cyan), 0);
    EXPECT_EQ(map.pixel(152, 152 - 9), kBlack);  // the label boxes stand on the centre
    // Room 2 is small: its labels spill over, "2UP" in cyan.
    EXPECT_GT(countIn(MapRect{290, 190, 350, 226}, cyan), 5);
    EXPECT_GT(countIn(inside2, kWhite), 5);
    EXPECT_EQ(countIn(inside2, yellow) + countIn(inside2, cyan), 0);
    // The frames are left as they were: the current room's white, the others grey.
    EXPECT_EQ(map.pixel(96, 150), kWhite);
    EXPECT_EQ(map.pixel(400, 150), kGrey);
    // Away from the labels, nothing changed.
    for (int y = 0; y < 400; y += 7) {
        for (int x = 0; x < 640; x += 7) {
            const bool nearLabel = (x >= 130 && x < 175 && y >= 130 && y < 175) ||
                                   (x >= 285 && x < 355 && y >= 185 && y < 230) ||
                                   (x >= 440 && x < 470 && y >= 140 && y < 165);
            if (!nearLabel) {
                EXPECT_EQ(map.pixel(x, y), plain.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace grusk
