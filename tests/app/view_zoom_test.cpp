// The zoom steps, "Fit", and the mapping of scaled device pixels back to the raster.
#include <gtest/gtest.h>

#include "app/canvas_mouse.h"
#include "app/object_commands.h"
#include "app/view_zoom.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

// Every zoom step, and steps as a 1.25x, 1.5x and 2x screen shows them.
std::vector<int> deviceScales() {
    std::vector<int> scales(std::begin(kZoomSteps), std::end(kZoomSteps));
    for (double ratio : {1.25, 1.5, 2.0})
        for (int step : kZoomSteps) scales.push_back(deviceScale(step, ratio));
    return scales;
}

TEST(ViewZoom, StepsInOutAndFit) {
    for (const auto& [from, in, out] : {std::tuple{50, 100, 50}, {200, 300, 150}, {400, 400, 300}, {120, 150, 100}})
        EXPECT_EQ(std::make_pair(zoomInStep(from), zoomOutStep(from)), std::make_pair(in, out)) << from;
    for (const auto& [w, h, step] : {std::tuple{640, 400, 100}, {639, 400, 50}, {1279, 800, 150}, {1920, 1199, 200},
                                    {5000, 5000, 400}, {2000, 600, 150}})
        EXPECT_EQ(fitZoomStep(w, h, kCanvasWidth, kCanvasHeight), step) << w << "x" << h;
    EXPECT_EQ(validZoomStep(125) + validZoomStep(300), kActualSize + 300);
}

// Each cell's device pixels map back to it; from 1:1 up each raster pixel is whole device pixels.
TEST(ViewZoom, DevicePixelsMapBackToTheirCellAndRasterPixel) {
    for (int scale : deviceScales()) {
        const ZoomMapping m(scale);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                const int x0 = m.firstDevicePixel(c * kCellPixels), x1 = m.firstDevicePixel((c + 1) * kCellPixels);
                const int y0 = m.firstDevicePixel(r * kCellPixels), y1 = m.firstDevicePixel((r + 1) * kCellPixels);
                ASSERT_LT(x0, x1);
                for (int x : {x0, (x0 + x1) / 2, x1 - 1})
                    for (int y : {y0, (y0 + y1) / 2, y1 - 1}) {
                        const CellPos client = canvasClientPixel(m, x, y);
                        ASSERT_EQ(canvasCellAt(client.x, client.y), (CellPos{c, r})) << scale << " " << x << "," << y;
                    }
            }
        EXPECT_EQ(m.firstDevicePixel(kCanvasWidth), m.deviceLength(kCanvasWidth));
        const int last = m.rasterAt(m.deviceLength(kCanvasWidth) - 1);
        EXPECT_TRUE(last <= kCanvasWidth - 1 && last >= kCanvasWidth - (100 + scale - 1) / scale) << scale;
        if (scale < 100) continue;  // below 1:1 some raster pixels are not shown
        for (int r = -20; r < kCanvasWidth + 20; ++r) {
            const int width = m.firstDevicePixel(r + 1) - m.firstDevicePixel(r);
            ASSERT_TRUE(width == scale / 100 || width == (scale + 99) / 100) << scale << " " << r;
            ASSERT_EQ(m.rasterAt(m.middleDevicePixel(r)), r) << scale;
            const CellPos device = canvasDevicePixel(m, r + kCanvasLeft, r + kCanvasTop);
            ASSERT_EQ(canvasClientPixel(m, device.x, device.y), (CellPos{r + kCanvasLeft, r + kCanvasTop}));
        }
        const PixelRect raster{16, 32, 48, 80};  // a redrawn area covers what it shows
        EXPECT_EQ(m.rasterRect(m.deviceRect(raster)), raster) << scale;
    }
}

// The drag threshold is five raster pixels whatever the zoom.
TEST(ViewZoom, DragStartsFiveRasterPixelsAwayWhateverTheZoom) {
    for (int scale : deviceScales()) {
        SCOPED_TRACE(scale);
        FakePlatform ui;
        AppState app{ui};
        CanvasMouse mouse{app};
        const ZoomMapping m{scale};
        placeObject(app, kDoor, 4, 4);
        const int x = 5 * kCellPixels + 14;  // column 5, two raster pixels from column 6
        const int y = m.middleDevicePixel(5 * kCellPixels + 8);
        const CellPos p = canvasClientPixel(m, m.middleDevicePixel(x), y);
        const int device4 = m.firstDevicePixel(x + 5) - 1;  // still shows raster x + 4
        for (int extra : {0, 1}) {
            mouse.mouseMove(p.x, p.y, {});
            mouse.leftDown(p.x, p.y, {});
            const CellPos q = canvasClientPixel(m, device4 + extra, y);
            mouse.mouseMove(q.x, q.y, {true, false, false});
            ASSERT_EQ(mouse.draggingObject(), extra == 1);
            if (!extra) mouse.leftUp(q.x, q.y, {});
        }
        const CellPos shown = canvasDevicePixel(m, ui.pointerMoves.back().first, ui.pointerMoves.back().second);
        const CellPos back = canvasClientPixel(m, shown.x, shown.y);
        EXPECT_EQ(canvasCellAt(back.x, back.y), (CellPos{4, 4}));
    }
}

TEST(ViewZoom, StatusLineNamesTheCellAsTheCheckDoes) {
    for (const auto& [cell, zoom, text] : {std::tuple{CellPos{0, 24}, 50, "X: 00 Y: 24   50%"},
                                           {CellPos{40, 3}, 100, "100%"}})
        EXPECT_EQ(canvasStatusText(cell, zoom), text) << cell.x;
}

}  // namespace
}  // namespace grusk
