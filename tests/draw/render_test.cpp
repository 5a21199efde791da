// The room canvas, its overlays and the map with the test pictures: probes name the rules pixel by pixel, a hash
// of the raster holds every other pixel. Then what the drawings do not reach: pixels and copies at the edges and far
// past them, and lines of any slope.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "editor/draw/link_overlay.h"
#include "editor/draw/map_renderer.h"
#include "editor/draw/palette.h"
#include "editor/draw/raster_image.h"
#include "editor/draw/room_renderer.h"
#include "editor/object_info.h"

namespace grusk {
namespace {

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kGrey{200, 200, 200};
constexpr Rgb kComma{77, 0, 77}, kSeeThrough{90, 90, 90};
Rgb c64(int i) { return c64Palette[static_cast<size_t>(i)]; }
Rgb pic(int i) { return test::pictureColour(i); }

struct Probe {
    int x, y;
    Rgb colour;
};

// The probes, then an FNV-1a hash over the size and every pixel.
void expectPicture(const RasterImage& image, const std::vector<Probe>& probes, const char* hash, const char* what) {
    for (const Probe& p : probes)
        EXPECT_EQ(image.pixel(p.x, p.y).packed(), p.colour.packed()) << what << " at " << p.x << "," << p.y;
    uint64_t h = 1469598103934665603ull;
    std::vector<uint32_t> words{uint32_t(image.width()), uint32_t(image.height())};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) words.push_back(image.pixel(x, y).packed());
    for (uint32_t v : words)
        for (int i = 0; i < 4; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 1099511628211ull;
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    EXPECT_EQ(text, std::string(hash)) << what;
}

class Drawing : public ::testing::Test {
protected:
    std::unique_ptr<CastleModel> model = allocateCells();
    CastleModel& castle = *model;
    Room& room = castle.room(0);
    PictureSet pictures = test::makeTestPictures();
    RasterImage canvas{640, 400};

    CellRecord& put(int type, int x, int y, int picture = -1) {
        CellRecord& rec = room.object(x, y);
        rec.reset();
        rec.type = type;
        rec.picture = picture < 0 ? type : picture;
        return rec;
    }
    CellRecord& text(int x, int y, const char* letters, int colour) {
        CellRecord& rec = put(kText, x, y);
        setRecordText(rec, letters);
        rec.colour = colour;
        return rec;
    }
    void link(CellRecord& from, int slot, int x, int y) {
        from.links[slot][0] = x;
        from.links[slot][1] = y;
    }
    // One room with something of every rule the canvas draws by.
    void buildRoom() {
        room.roomColour = 0;  // C64 black, not the empty canvas
        castle.room(3).roomColour = 5;
        put(kDoor, 0, 0).number = 0;
        castle.settings = CastleSettings{{0, 0}, {3, 0}, {3, 3}};  // player 2 starts at door 0
        put(kDoor, 10, 5).destRoom = 3;
        put(kDoor, 16, 5, kExitDoor).variant = 1;
        put(kDoor, 22, 5).destRoom = 999;  // from a damaged file: leads nowhere
        for (int n = 1; n <= 3; ++n) room.object(4 + 6 * n, 5).number = static_cast<int8_t>(n);
        const CellPos doors[] = {{10, 5}, {16, 5}, {22, 5}};  // rung by the bells at columns 4, 6 and 8
        for (int i = 0; i < 3; ++i) link(put(kDoorBell, 4 + 2 * i, 1), 0, doors[i].x, doors[i].y);
        put(kDoorBell, 14, 1).mark = kMarkUnlinked;  // own colour and the red frame
        CellRecord& sw = put(kLightningSwitch, 0, 12);
        sw.mark = kMarkHighlighted;
        link(sw, 0, 5, 12);
        link(sw, 1, 10, 12);
        put(kLightningMachine, 5, 12).mark = kMarkHighlighted;
        put(kLightningMachine, 10, 12).mark = kMarkHighlighted;
        put(kLightningMachine, 20, 12);
        text(0, 20, "ABCDEFGHIJKLMNOPQRST", 3);
        text(1, 22, "ABCDEFGHIJKLMNOPQRST", 3);  // the 20th letter would end past the edge
        text(30, 16, "A", 3).variant = 1;       // double height: stretched, not repeated
        text(26, 0, "", 3);
        text(30, 0, "A,B", 1);
        pictures.setPicture(kPicGlyphComma, RasterImage(32, 16, kComma));
        CellRecord& trap = put(kTrap, 24, 8);
        trap.mark = kMarkUnlinked;
        trap.dragging = 1;
        put(kMummy, 28, 8).dragging = 1;
        RasterImage key(32, 16, kSeeThrough);
        key.setPixel(3, 3, kTransparentKey);
        pictures.setPicture(kPicKeyWhite, key);
        put(kKey, 34, 8, kPicKeyWhite);
        room.walkway(34, 8) = kWalkway;
        room.walkway(3, 4) = kWalkway;
        for (int y : {6, 7}) room.vertical(5, y).type = kLadder;
        room.walkway(5, 6) = kWalkwayLadderM;
        room.camouflage(9, 9) = 1;
        room.camouflage(10, 9) = 2;
        room.walkway(9, 9) = kWalkway;
    }
};

TEST_F(Drawing, RoomCanvas) {
    buildRoom();
    drawRoom(canvas, castle, pictures);
    const Rgb ground = c64(0), cyan = c64(3);
    expectPicture(canvas, {
        {53, 69, ground}, {55, 64, test::kWalkwayLine}, {53, 80, kBlack},                        // walkway
        {20, 20, test::doorPictureColour(kDoorPictureP2)}, {16 * 16 + 20, 100, pic(kExitDoor)},   // doors
        {72, 36, c64(5)}, {65, 17, pic(kDoorBell)}, {64, 16, c64(5)},                           // bell backed by room 4
        {104, 36, ground}, {136, 36, ground},                                                    // exit, nowhere
        {232, 36, ground}, {224, 16, kRed}, {239, 47, kRed}, {232, 48, kBlack},                  // unlinked frame
        {0, 192, kGreen}, {15, 223, kGreen}, {80, 192, kGreen}, {207, 255, kGreen},              // hovered frames
        {165, 197, pic(kLightningMachine)}, {320, 192, pic(kLightningMachine)},
        {0, 320, cyan}, {639, 320, cyan}, {639, 330, test::kGlyphInk},                          // text to the edge
        {15, 352, kBlack}, {16, 352, cyan}, {623, 352, cyan}, {624, 352, kBlack}, {639, 360, kBlack},
        {485, 271, cyan}, {485, 272, test::kGlyphInk}, {511, 287, test::kGlyphInk}, {485, 288, kBlack},
        {421, 5, pic(kText)}, {517, 5, kComma}, {549, 5, c64(1)},                                // glyphs
        {389, 133, kBlack}, {384, 128, kBlack}, {453, 133, kBlack}, {547, 131, kBlack},         // dragged; see-through key
        {548, 131, kSeeThrough},
        {85, 101, ground}, {85, 96, test::kWalkwayLine}, {85, 117, pic(kLadder)},               // crossing over ladder
        {146, 149, test::kCamouflageInk}, {156, 149, ground}, {162, 149, test::kCamouflageInk}, {172, 149, kBlack},
    }, "cd9e48be5df84d05", "room");
    const MapRect& onMap = castle.room(0).roomMapRect;  // a room with doors is put on the map
    EXPECT_TRUE(castle.room(0).roomInUse && onMap.left == kDefaultRoomMapRect.left && onMap.bottom == kDefaultRoomMapRect.bottom);

    // Grid, ghost, links and the problem frame lie over the room.
    const PixelRect ghost = paintCanvas(canvas, castle, pictures, {CellPos{5, 17}, kDoor, true, true, CellPos{20, 12}});
    EXPECT_EQ(ghost, (PixelRect{89, 283, 137, 331}));
    expectPicture(canvas, {{85, 277, pic(kDoor)}, {48, 66, kBlack}, {48, 67, kWhite}, {63, 69, kBlack},
                           {16, 380, kBlack}, {16, 381, kWhite}, {318, 190, kProblemFramePen}},
                  "8c2787260b0a215d", "overlays");
    EXPECT_FALSE(hasGhost(paintCanvas(canvas, castle, pictures, {CellPos{5, 5}, -1, false, false, std::nullopt})));
    EXPECT_FALSE(hasGhost(paintCanvas(canvas, castle, pictures, {std::nullopt, kDoor, false, false, std::nullopt})));
    EXPECT_EQ(paintCanvas(canvas, castle, pictures, {CellPos{38, 5}, kDoor, false, false, std::nullopt}), (PixelRect{617, 91, 665, 139}));
    EXPECT_EQ(canvas.pixel(620, 85), kBlack);  // remembered, though it does not fit
    paintCanvas(canvas, castle, pictures, {CellPos{5, 23}, kDoor, false, false, std::nullopt});
    EXPECT_EQ(canvas.pixel(85, 380), kBlack);
}

TEST_F(Drawing, LinkLinesAndDoorLabels) {
    const struct {
        int source, target;
    } kinds[] = {{kConveyorSwitch, kConveyor}, {kDoorBell, kDoor}, {kForceField, kForceFieldSwitch},
                 {kLock, kDoor}, {kLightningSwitch, kLightningMachine}, {kMummy, kMummySwitch},
                 {kGunControl, kGunLeft}, {kTransmitter, kTransmitterTarget}, {kTrap, kTrapSwitch}};
    canvas.fill(kGrey);
    std::vector<Probe> probes;
    for (int k = 0; k < 9; ++k) {
        put(kinds[k].target, 30, 2 * k + 1);
        link(put(kinds[k].source, 1, 2 * k + 1), 0, 30, 2 * k + 1);
        const PixelPoint from = objectCentre(room, 1, 2 * k + 1), to = objectCentre(room, 30, 2 * k + 1);
        const Rgb c = linkColour(kinds[k].source);
        for (int j = 0; j < k; ++j) EXPECT_NE(c, linkColour(kinds[j].source));
        probes.insert(probes.end(), {{from.x, from.y, c}, {to.x, to.y, c}, {to.x - 2, to.y - 2, c}});
    }
    put(kTrap, 10, 20);                     // no links: nothing drawn
    link(put(kForceField, 20, 20), 0, 55, 3);  // a link outside the room
    castle.room(2).roomInUse = 1;
    put(kDoor, 2, 21).variant = 1;
    CellRecord& connected = put(kDoor, 10, 21);
    std::tie(connected.destRoom, connected.destDoor) = std::pair{2, 1};
    put(kDoor, 18, 21).destRoom = 5;
    castle.room(2).object(10, 0).type = kDoor;
    castle.room(2).object(10, 0).number = 1;
    EXPECT_EQ(doorLabel(castle, connected), "3:2");
    drawLinkOverlay(canvas, castle, 0);
    drawProblemFrame(canvas, room, 30, 1);
    const PixelPoint trap = objectCentre(room, 10, 20), field = objectCentre(room, 20, 20);
    probes.insert(probes.end(), {{trap.x, trap.y, kGrey}, {field.x, field.y, kGrey}, {33, 337, kDoorLabelBackground},
                                 {58, 337, kGrey}, {179, 337, kDoorLabelBackground}, {180, 337, kGrey},
                                 {295, 337, kDoorLabelBackground}, {478, 14, kProblemFramePen}, {477, 13, kGrey}});
    expectPicture(canvas, probes, "77d7e446bd0f1044", "links");
}

class MapDrawing : public Drawing {
protected:
    MapDrawing() {
        RasterImage markers(640, 48, kBlack);
        markers.setPixel(10, 10, Rgb{9, 9, 9});
        pictures.setMarkers(markers);
        useRoom(0, MapRect{96, 96, 208, 208}, 5);
        useRoom(1, MapRect{300, 200, 340, 216}, 6);
        castle.room(2).roomMapRect = MapRect{0, 0, 640, 400};  // not in use
        useRoom(3, MapRect{400, 96, 512, 208}, 5);
        door(0, 3, 3, 10, 0);
        door(0, 20, 3, 0, 40);
        door(1, 3, 3, 2, 0);
        castle.settings.playerStartRoom[1] = 1;
    }
    void useRoom(int r, MapRect rect, int colour) {
        Room& room = castle.room(r);
        std::tie(room.roomInUse, room.roomMapRect, room.roomColour) = std::tuple{1, rect, colour};
    }
    void door(int r, int x, int y, int mapX, int mapY) {
        CellRecord& d = castle.room(r).object(x, y);
        std::tie(d.type, d.mapX, d.mapY) = std::tuple{kDoor, mapX, mapY};
    }
};

TEST_F(MapDrawing, RoomsFramesMarkersAndLabels) {
    RasterImage map, fresh;
    paintMap(fresh, castle, pictures, {true, std::nullopt});  // a map of no size yet is painted whole
    EXPECT_EQ(fresh.pixel(150, 150), c64(5));
    paintMap(map, castle, pictures, {});
    expectPicture(map, {{10, 10, Rgb{9, 9, 9}}, {11, 10, kBlack}, {103, 150, kWhite}, {104, 150, c64(5)},
                        {207, 207, kWhite}, {208, 150, kBlack}, {320, 207, kGrey}, {320, 216, kBlack},
                        {136, 96, kBlack}, {144, 96, kWhite}, {96, 176, kBlack}, {308, 200, kBlack}},
                  "b7ed2b94a98535d5", "map");
    EXPECT_EQ(doorMarkerRect(castle, 0, castle.room(0).object(3, 3)), (PixelRect{136, 96, 144, 104}));
    EXPECT_EQ(doorMarkerRect(castle, 99, castle.room(0).object(3, 3)), PixelRect{});

    castle.currentRoom = 1;
    paintMap(map, castle, pictures, {false, CellPos{3, 3}, false});
    expectPicture(map, {{96, 96, kGrey}, {300, 200, kWhite}, {136, 96, kBlack}, {308, 200, kRed}, {315, 207, kRed},
                        {310, 202, c64(2)}}, "e365b64290d17955", "hovered door");
    // Numbers and start rooms around the centres; the frames stay.
    castle.currentRoom = 0;
    paintMap(map, castle, pictures, {false, std::nullopt, true});
    expectPicture(map, {{96, 150, kWhite}, {400, 150, kGrey}, {152, 143, kBlack}, {10, 10, Rgb{9, 9, 9}}},
                  "2e4f5e188a8ef52b", "labelled map");
    map.fill(Rgb{50, 50, 50});
    paintMap(map, castle, pictures, {true, std::nullopt});  // markers only: the background stays
    expectPicture(map, {{620, 390, Rgb{50, 50, 50}}, {10, 10, Rgb{50, 50, 50}}, {150, 150, c64(5)}},
                  "c5e64692c471a1fe", "markers only");
}

TEST_F(MapDrawing, HitTestsAndDoorPositions) {
    useRoom(4, MapRect{INT_MAX, INT_MIN, INT_MIN, INT_MAX}, INT_MIN);  // damaged
    useRoom(5, MapRect{600, 380, 500, 300}, 77);                      // dragged up and left
    door(4, 0, 0, INT_MAX, INT_MIN);
    door(5, 1, 1, -7, 1000);
    castle.currentRoom = 4;
    RasterImage map;
    paintMap(map, castle, pictures, {false, CellPos{0, 0}, true});
    EXPECT_EQ(map.pixel(510, 310), c64(77 & 15));
    useRoom(6, MapRect{100, 100, 150, 150}, 1);  // overlaps room 1: the lower number wins
    const struct {
        int x, y, room, corner;
    } hits[] = {{96, 96, 0, -1}, {120, 120, 0, -1}, {207, 207, 0, 0}, {192, 192, 0, 0}, {191, 200, 0, -1},
                {208, 100, -1, -1}, {208, 200, -1, -1}, {620, 390, -1, -1}, {330, 210, 1, 1}, {550, 340, -1, -1},
                {134, 140, 0, 6}};
    for (const auto& h : hits) {
        EXPECT_EQ(findRoomAt(castle, h.x, h.y), h.room) << h.x << "," << h.y;
        EXPECT_EQ(findRoomCornerAt(castle, h.x, h.y), h.corner) << h.x << "," << h.y;
    }
    castle.room(0).roomInUse = 0;
    EXPECT_EQ(findRoomAt(castle, 120, 120), 6);

    const MapRect r{96, 96, 208, 208};
    const struct {
        int x, y, direction, mapX = -1, mapY = -1;  // direction -1: not on the border; mapX -1: not compared
    } borders[] = {{204, 152, 1, 26, 28}, {150, 100, 0, 12, 0}, {150, 205, 2, 12, 52}, {97, 150, 3, 0, 24},
                   {98, 98, 3},   {150, 103, 0},  {150, 200, 2},  {103, 150, 3},  {200, 150, 1}, {150, 104, -1},
                   {150, 199, -1}, {104, 150, -1}, {199, 150, -1}, {150, 95, -1}, {95, 150, -1}, {208, 150, -1},
                   {150, 150, -1}};
    for (const auto& b : borders) {
        const auto at = doorMapPositionAt(r, b.x, b.y);
        ASSERT_EQ(at.has_value(), b.direction >= 0) << b.x << "," << b.y;
        EXPECT_TRUE(!at || (at->direction == b.direction && (b.mapX < 0 || *at == DoorMapPosition{b.direction, b.mapX, b.mapY})))
            << b.x << "," << b.y;
    }
}

TEST_F(Drawing, TitleScreenWithWhiteTransparent) {
    RasterImage title(640, 280, Rgb{10, 20, 30});
    title.setPixel(0, 0, kKeyWhite);
    pictures.setTitle(title);
    RasterImage start(640, 120, Rgb{40, 50, 60});
    start.setPixel(639, 119, kKeyWhite);
    pictures.setStartPicture(start);
    canvas.fill(Rgb{9, 9, 9});
    paintTitleScreen(canvas, pictures);
    expectPicture(canvas, {{0, 0, kBlack}, {1, 0, Rgb{10, 20, 30}}, {5, 279, Rgb{10, 20, 30}},
                           {5, 280, Rgb{40, 50, 60}}, {639, 399, kBlack}}, "f71e114d91c5f124", "title");
}

constexpr Rgb kA{10, 20, 30}, kB{40, 50, 60}, kInk{250, 1, 2};

TEST(RasterImage, NothingLandsOutsideTheImage) {
    RasterImage img(4, 3, kA);
    for (const auto& [x, y] : {std::pair{-1, 1}, {4, 1}, {1, -1}, {1, 3}, {-1, -1}}) {
        img.setPixel(x, y, kB);
        EXPECT_EQ(img.pixel(x, y), Rgb{}) << x << "," << y;  // not a neighbouring row's pixel
    }
    const RasterImage src(6, 2, kB);
    img.blit(src, INT_MAX, INT_MAX, kA);
    img.blit(src, INT_MIN, 0, INT_MAX, INT_MAX, INT_MIN, INT_MIN, kA);
    img.stretchBlit(src, 0, 0, 0, 2, 0, 0, 4, 3, kA);  // no source columns: nothing to copy
    img.stretchBlit(src, 0, 0, 6, 0, 0, 0, 4, 3, kA);
    img.fillRect(INT_MAX - 1, 0, INT_MAX, INT_MAX, kB);
    img.frameRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kB);
    img.drawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kInk);  // neither hangs nor writes outside
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img.pixel(x, y), x == y ? kInk : kA) << x << "," << y;
}

TEST(RasterImage, LinesJoinTheirEndsWithOnePixelPerStep) {
    const int ends[][4] = {{0, 0, 39, 29}, {39, 0, 0, 29}, {5, 20, 30, 3}, {3, 3, 3, 25}, {2, 7, 37, 7},
                           {10, 10, 10, 10}, {0, 29, 12, 0}, {-20, 5, 60, 9}, {20, -30, 22, 50}};
    for (const auto& e : ends) {
        RasterImage image(40, 30);
        image.drawLine(e[0], e[1], e[2], e[3], kInk);
        int drawn = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) drawn += image.pixel(x, y) == kInk ? 1 : 0;
        const int steps = std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1])) + 1;
        const bool inside = e[0] >= 0 && e[1] >= 0 && e[2] < 40 && e[3] < 30 && e[2] >= 0 && e[3] >= 0;
        EXPECT_TRUE(inside ? drawn == steps && image.pixel(e[0], e[1]) == kInk && image.pixel(e[2], e[3]) == kInk
                           : drawn < steps && drawn > 0)
            << e[0] << "," << e[1] << " " << e[2] << "," << e[3] << ": " << drawn;
    }
}

}  // namespace
}  // namespace grusk
