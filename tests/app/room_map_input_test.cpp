// The room map's mouse handling: rectangles, the colour strip, the room buttons, door positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/object_commands.h"
#include "app/room_map_input.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

class RoomMapInputTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    RoomMapInput map{app};

    void drag(int x0, int y0, const std::vector<std::pair<int, int>>& path) {
        map.mouseMove(x0, y0, false);
        map.leftDown(x0, y0);
        for (const auto& [x, y] : path) map.mouseMove(x, y, true);
        const auto [x1, y1] = path.empty() ? std::make_pair(x0, y0) : path.back();
        map.leftUp(x1, y1);
    }
    void click(int x, int y) { drag(x, y, {}); }
    // Moves from one point to another in steps of at most 8 pixels, as a hand would.
    static std::vector<std::pair<int, int>> path(int x0, int y0, int x1, int y1) {
        std::vector<std::pair<int, int>> points;
        const int steps = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1}) / 8 + 1;
        for (int i = 1; i <= steps; ++i)
            points.emplace_back(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        return points;
    }
    Room& room(int r) { return app.castle.room(r); }
    static void expectRect(const MapRect& r, int left, int top, int right, int bottom) {
        EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}), std::vector<int>({left, top, right, bottom}));
    }
    void putOnMap(int r, MapRect rect) { room(r).roomInUse = 1; room(r).roomMapRect = rect; }
};

// A click without a move, or a drag up and to the left, leaves the room off the map.
TEST_F(RoomMapInputTest, NewRectangleSnapsToTheGridAndStopsAt112Pixels) {
    click(100, 100);
    EXPECT_EQ(room(0).roomInUse, 0);
    drag(300, 300, {{200, 200}});
    EXPECT_EQ(room(0).roomInUse, 0);
    map.beginPaint();  // the first paint chooses red for new rooms
    drag(100, 100, {{250, 200}, {400, 300}});
    EXPECT_EQ(room(0).roomColour, 2);
    expectRect(room(0).roomMapRect, 96, 96, 208, 208);
    selectRoom(app, 1);
    drag(100, 290, {{103, 301}});  // one move inside the same grid square
    expectRect(room(1).roomMapRect, 96, 288, 112, 304);
}

TEST_F(RoomMapInputTest, CornerResizesAndInsideMovesTheRectangle) {
    putOnMap(0, {96, 96, 208, 208});
    putOnMap(5, {400, 96, 448, 144});
    for (const auto& [x, cursor] : {std::pair{200, CursorShape::SizeDiagonal}, {150, CursorShape::SizeAll},
                                   {20, CursorShape::Arrow}}) {
        map.mouseMove(x, x, false);
        EXPECT_EQ(map.cursor(), cursor) << x;
    }

    drag(200, 200, {{201, 201}, {150, 170}});  // the first move grabs the corner
    expectRect(room(0).roomMapRect, 96, 96, 160, 176);

    // Pressing on room 5 makes it current; dragging moves it with the grab point under the mouse.
    drag(421, 121, path(421, 121, 300, 250));
    EXPECT_EQ(app.castle.currentRoom, 5);
    expectRect(room(5).roomMapRect, 272, 208, 320, 256);

    // Against the right and bottom edges it stops inside the map.
    drag(290, 220, path(290, 220, 639, 399));
    expectRect(room(5).roomMapRect, 592, 352, 640, 400);
    drag(600, 360, path(600, 360, 2, 2));
    expectRect(room(5).roomMapRect, 0, 0, 48, 48);
}

TEST_F(RoomMapInputTest, RightClickTakesARoomOffTheMapAndKeepsItsObjects) {
    putOnMap(3, {96, 96, 208, 208});
    selectRoom(app, 3);
    placeObject(app, kKey, 2, 2);
    selectRoom(app, 0);
    ui.clearRecords();
    map.rightUp(150, 150);
    EXPECT_EQ(std::vector<int>({room(3).roomInUse, app.castle.currentRoom, room(3).object(2, 2).type}),
              std::vector<int>({0, 3, kKey}));
    EXPECT_EQ(ui.mapRedraws.back(), std::make_pair(PixelRect{0, 0, 640, 400}, true));
}

TEST_F(RoomMapInputTest, ColourStripRoomButtonsAndHide) {
    putOnMap(0, {96, 96, 208, 208});
    ui.clearRecords();
    map.leftUp(650, 50);  // fourth swatch
    map.leftUp(704, 50);  // right of the strip
    EXPECT_EQ(std::vector<int>({map.mapColour(), room(0).roomColour}), std::vector<int>({3, 3}));

    app.castle.currentRoom = 63;
    EXPECT_TRUE(map.command(kMapNextRoomButton) && ui.text(WindowId::RoomMap, kMapRoomField) == "1");
    EXPECT_TRUE(map.command(kMapPrevRoomButton) && ui.text(WindowId::RoomMap, kMapRoomField) == "64");
    app.mapperVisible = true;
    EXPECT_TRUE(map.command(kMapHideButton));
    EXPECT_FALSE(app.mapperVisible || ui.windowVisible[WindowId::RoomMap] || map.command(1234));
}

// A border click sets the door's map position (left wins in a corner); the middle keeps it.
TEST_F(RoomMapInputTest, DoorPositionIsSetByABorderClickOnly) {
    putOnMap(2, {96, 96, 208, 208});
    putOnMap(1, {96, 96, 160, 160});
    selectRoom(app, 2);
    placeObject(app, kDoor, 4, 4);
    app.popupCell = {4, 4};
    const CellRecord& door = app.castle.room(2).object(4, 4);
    const struct {
        int x, y, direction, mapX, mapY;
    } cases[] = {{205, 152, 1, 26, 28}, {98, 98, 3, 0, 0}, {150, 150, 3, 0, 0}};
    for (const auto& c : cases) {
        map.setMapPosition();
        EXPECT_TRUE(app.mapperVisible && ui.windowVisible[WindowId::MapDoor]);
        click(c.x, c.y);
        EXPECT_FALSE(app.mapDoorMode || ui.windowVisible[WindowId::MapDoor]);
        EXPECT_EQ(std::vector<int>({door.direction, door.mapX, door.mapY, app.castle.currentRoom}),
                  std::vector<int>({c.direction, c.mapX, c.mapY, 2}));
    }
    expectRect(room(2).roomMapRect, 96, 96, 208, 208);
}

}  // namespace
}  // namespace grusk
