#include "app/view_zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "editor/draw/palette.h"

namespace grusk {

namespace {

// Divisions that round toward minus and plus infinity, for positions left of
// and above the raster as well (the divisor is positive).
int floorDiv(long long a, long long b) { return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
int ceilDiv(long long a, long long b) { return static_cast<int>(a >= 0 ? (a + b - 1) / b : -((-a) / b)); }

}  // namespace

bool isZoomStep(int percent) {
    return std::find(std::begin(kZoomSteps), std::end(kZoomSteps), percent) != std::end(kZoomSteps);
}

int zoomInStep(int percent) {
    for (int step : kZoomSteps)
        if (step > percent) return step;
    return kZoomSteps[kZoomStepCount - 1];
}

int zoomOutStep(int percent) {
    for (int i = kZoomStepCount - 1; i >= 0; --i)
        if (kZoomSteps[i] < percent) return kZoomSteps[i];
    return kZoomSteps[0];
}

int validZoomStep(int percent) { return isZoomStep(percent) ? percent : kActualSize; }

int fitZoomStep(int spaceWidth, int spaceHeight, int rasterWidth, int rasterHeight) {
    int best = kZoomSteps[0];
    for (int step : kZoomSteps) {
        const ZoomMapping m(step);
        if (m.deviceLength(rasterWidth) <= spaceWidth && m.deviceLength(rasterHeight) <= spaceHeight) best = step;
    }
    return best;
}

int ZoomMapping::rasterAt(int devicePixel) const { return floorDiv(100LL * devicePixel, scale_); }

int ZoomMapping::firstDevicePixel(int rasterPixel) const {
    return ceilDiv(static_cast<long long>(rasterPixel) * scale_, 100);
}

int ZoomMapping::middleDevicePixel(int rasterPixel) const {
    const int first = firstDevicePixel(rasterPixel);
    const int end = firstDevicePixel(rasterPixel + 1);
    return end > first ? first + (end - 1 - first) / 2 : first;
}

PixelRect ZoomMapping::deviceRect(const PixelRect& raster) const {
    return PixelRect{firstDevicePixel(raster.left), firstDevicePixel(raster.top), firstDevicePixel(raster.right),
                     firstDevicePixel(raster.bottom)};
}

PixelRect ZoomMapping::rasterRect(const PixelRect& device) const {
    if (device.right <= device.left || device.bottom <= device.top) return PixelRect{};
    return PixelRect{rasterAt(device.left), rasterAt(device.top), rasterAt(device.right - 1) + 1,
                     rasterAt(device.bottom - 1) + 1};
}

int deviceScale(int zoomPercent, double devicePixelRatio) {
    if (!(devicePixelRatio > 0)) devicePixelRatio = 1;
    const long scaled = std::lround(zoomPercent * devicePixelRatio);
    return static_cast<int>(std::clamp<long>(scaled, 1, 100000));
}

CellPos canvasClientPixel(const ZoomMapping& mapping, int deviceX, int deviceY) {
    return CellPos{mapping.rasterAt(deviceX) + kCanvasLeft, mapping.rasterAt(deviceY) + kCanvasTop};
}

CellPos canvasDevicePixel(const ZoomMapping& mapping, int clientX, int clientY) {
    return CellPos{mapping.middleDevicePixel(clientX - kCanvasLeft), mapping.middleDevicePixel(clientY - kCanvasTop)};
}

void scaleRasterInto(const RasterImage& source, const ZoomMapping& mapping, RasterImage& target,
                     const PixelRect& deviceArea) {
    const int left = std::max(deviceArea.left, 0);
    const int top = std::max(deviceArea.top, 0);
    const int right = std::min(deviceArea.right, target.width());
    const int bottom = std::min(deviceArea.bottom, target.height());
    if (left >= right || top >= bottom || source.empty()) return;
    std::vector<int> column(static_cast<size_t>(right - left));
    for (int x = left; x < right; ++x) column[static_cast<size_t>(x - left)] = std::min(mapping.rasterAt(x), source.width() - 1);
    const uint32_t* src = source.data();
    uint32_t* dst = target.data();
    int lastRow = -1;
    for (int y = top; y < bottom; ++y) {
        uint32_t* out = dst + static_cast<size_t>(y) * target.width();
        const int sy = std::min(mapping.rasterAt(y), source.height() - 1);
        if (sy == lastRow) {
            // Rows that show the same raster row are copies of the one above.
            std::copy(out - target.width() + left, out - target.width() + right, out + left);
            continue;
        }
        lastRow = sy;
        const uint32_t* in = src + static_cast<size_t>(sy) * source.width();
        for (int x = left; x < right; ++x) out[x] = in[column[static_cast<size_t>(x - left)]];
    }
}

RasterImage scaleRaster(const RasterImage& source, const ZoomMapping& mapping) {
    RasterImage target(mapping.deviceLength(source.width()), mapping.deviceLength(source.height()));
    scaleRasterInto(source, mapping, target, PixelRect{0, 0, target.width(), target.height()});
    return target;
}

RasterImage squareIcon(const RasterImage& picture, int side) {
    RasterImage icon(side, side, Rgb{0, 0, 0});
    if (picture.empty() || side <= 0) return icon;
    const int w = picture.width();
    const int h = picture.height();
    const int longer = std::max(w, h);
    const int tw = std::max(1, w * side / longer);
    const int th = std::max(1, h * side / longer);
    // Walkway pieces keep their see-through parts in another key colour.
    RasterImage plain = picture;
    const uint32_t key = kTransparentKey.packed();
    uint32_t* p = plain.data();
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i)
        if (p[i] == key) p[i] = kKeyBlack.packed();
    icon.stretchBlit(plain, 0, 0, w, h, (side - tw) / 2, (side - th) / 2, tw, th, kKeyBlack);
    return icon;
}

std::string canvasStatusText(CellPos cell, int zoomPercent) {
    const std::string zoom = std::to_string(zoomPercent) + "%";
    if (!isInsideRoom(cell.x, cell.y)) return zoom;
    char buf[32];
    std::snprintf(buf, sizeof buf, "X: %02d Y: %02d", cell.x, cell.y);
    return std::string(buf) + "   " + zoom;
}

}  // namespace grusk
