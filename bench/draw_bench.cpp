// Drawing speed: a room where every cell holds something, and the castle map
// with 64 rooms and their doors. Goal: a full room well under 1 ms.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "app/app_state.h"
#include "editor/catalogue.h"
#include "editor/draw/map_renderer.h"
#include "editor/draw/palette.h"
#include "editor/draw/picture_set.h"
#include "editor/draw/room_renderer.h"
#include "model/castle_model.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

// Pictures at their designed sizes, half of each in its group's key colour so
// that every copy does the transparency test on real work.
PictureSet benchPictures() {
    PictureSet set;
    for (int i = 0; i < kObjectTypes; ++i) {
        const Size c = designedCellSize(i);
        RasterImage img(c.width * 16, c.height * 16, Rgb{uint8_t(i), 100, 200});
        Rgb key = kKeyBlack;
        if (i >= kWalkway && i <= kWalkwaySlideM) key = kTransparentKey;
        if (i >= kPicGlyphA && i <= kPicGlyphDash) key = kGlyphKey;
        if (i == kCamouflage) key = kKeyWhite;
        for (int y = 0; y < img.height(); y += 2) img.fillRect(0, y, img.width(), 1, key);
        set.setPicture(i, std::move(img));
    }
    for (int k = 0; k < kDoorPictureCount; ++k) set.setDoorPicture(k, RasterImage(48, 48, Rgb{200, 1, 1}));
    RasterImage markers(640, 48);
    markers.fillRect(0, 0, 320, 48, Rgb{9, 9, 9});
    set.setMarkers(markers);
    return set;
}

// Tiles the room with objects of every object-layer type, then a ladder,
// a walkway, camouflage and texts wherever they fit.
void fillRoom(CastleModel& castle, int roomIndex) {
    Room& room = castle.room(roomIndex);
    room.roomColour = 6;
    static const std::array<int, 22> types = {
        kConveyorSwitch, kConveyor, kDoorBell, kDoor, kForceFieldSwitch, kForceField, kFrankenstein,
        kKey, kLock, kLightningSwitch, kLightningMachine, kMummySwitch, kMummy, kGunControl, kGunLeft,
        kGunRight, kTransmitterTarget, kTransmitter, kTrapSwitch, kTrap, kText, kLightningSuspension};
    std::array<bool, kCellsPerRoom> used{};
    size_t next = 0;
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            if (used[size_t(Room::index(x, y))]) continue;
            for (size_t attempt = 0; attempt < types.size(); ++attempt) {
                const int t = types[(next + attempt) % types.size()];
                const Size s = cellSize(t);
                bool fits = x + s.width <= kColumns && y + s.height <= kRows;
                for (int dy = 0; fits && dy < s.height; ++dy)
                    for (int dx = 0; fits && dx < s.width; ++dx) fits = !used[size_t(Room::index(x + dx, y + dy))];
                if (!fits) continue;
                for (int dy = 0; dy < s.height; ++dy)
                    for (int dx = 0; dx < s.width; ++dx) {
                        used[size_t(Room::index(x + dx, y + dy))] = true;
                        room.object(x + dx, y + dy).type = kCoveredBase + x * kColumns + y;
                    }
                CellRecord& rec = room.object(x, y);
                rec.type = t;
                rec.picture = t;
                rec.mark = (x + y) % 3 == 0 ? kMarkUnlinked : kMarkPlain;
                if (t == kText) {
                    setRecordText(rec, "CASTLE OF GRUSK 1234");
                    rec.colour = 3;
                    rec.variant = y % 2;
                }
                if (t == kDoorBell) {
                    rec.links[0][0] = 0;
                    rec.links[0][1] = 0;
                }
                next = (next + attempt + 1) % types.size();
                break;
            }
        }
    }
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            room.walkway(x, y) = kWalkway + (x + y) % 9;
            room.camouflage(x, y) = 1 + x % 2;
            if (x % 5 == 0) room.vertical(x, y).type = kLadder;
        }
    room.roomInUse = 1;
}

void BM_DrawFullRoom(benchmark::State& state) {
    FakePlatform ui;
    AppState app(ui);
    fillRoom(app.castle, 0);
    const PictureSet pictures = benchPictures();
    RasterImage canvas(640, 400);
    for (auto _ : state) {
        drawRoom(canvas, app.castle, pictures);
        benchmark::DoNotOptimize(canvas.data());
    }
}
BENCHMARK(BM_DrawFullRoom)->Unit(benchmark::kMicrosecond);

void BM_PaintCanvasWithGridAndGhost(benchmark::State& state) {
    FakePlatform ui;
    AppState app(ui);
    fillRoom(app.castle, 0);
    app.showGrid = true;
    app.placeType = kLightningMachine;
    const PictureSet pictures = benchPictures();
    RasterImage canvas(640, 400);
    for (auto _ : state) {
        benchmark::DoNotOptimize(paintCanvas(canvas, app.castle, pictures,
                                             CanvasPaintOptions{CellPos{10, 10}, app.placeType, app.showGrid}));
    }
}
BENCHMARK(BM_PaintCanvasWithGridAndGhost)->Unit(benchmark::kMicrosecond);

void BM_PaintMap64Rooms(benchmark::State& state) {
    auto castle = allocateCells();
    for (int r = 0; r < kRooms; ++r) {
        Room& room = castle->room(r);
        room.roomInUse = 1;
        room.roomColour = r % 16;
        const int left = (r % 8) * 80, top = 48 + (r / 8) * 44;
        room.roomMapRect = MapRect{left, top, left + 64, top + 32};
        for (int d = 0; d < 10; ++d) {
            CellRecord& door = room.object(d * 3, d % 5 * 5);
            door.type = kDoor;
            door.mapX = d;
            door.mapY = d % 2 == 0 ? 0 : 12;
        }
    }
    const PictureSet pictures = benchPictures();
    RasterImage map(640, 400);
    MapPaintState paint;
    paint.hoveredDoor = CellPos{0, 0};
    for (auto _ : state) {
        paintMap(map, *castle, pictures, paint);
        benchmark::DoNotOptimize(map.data());
    }
}
BENCHMARK(BM_PaintMap64Rooms)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace grusk
