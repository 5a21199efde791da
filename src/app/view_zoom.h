// Zoom of the room canvas and the castle map. The editor always draws the
// same raster (640 x 400 for both); a window shows it scaled by whole-pixel
// nearest-neighbour steps, and every mouse position is mapped back to the
// raster pixel shown under it before the mouse handling sees it, so that
// placing, dragging and every other rule work in raster pixels at any zoom.
#pragma once

#include <string>

#include "app/app_state.h"
#include "editor/draw/raster_image.h"

namespace grusk {

// The zoom steps in percent, smallest first.
inline constexpr int kZoomSteps[] = {50, 100, 150, 200, 300, 400};
inline constexpr int kZoomStepCount = static_cast<int>(sizeof(kZoomSteps) / sizeof(kZoomSteps[0]));
inline constexpr int kActualSize = 100;

bool isZoomStep(int percent);
// The next larger and next smaller step; the largest and smallest stay.
// A value between steps goes to the step beyond it in that direction.
int zoomInStep(int percent);
int zoomOutStep(int percent);
// A remembered value: the step itself, or 100 for anything else.
int validZoomStep(int percent);
// The largest step at which a raster of the given size fits into the space;
// the smallest step when not even that fits.
int fitZoomStep(int spaceWidth, int spaceHeight, int rasterWidth, int rasterHeight);

// How a raster is laid out on a device: scale is device pixels per 100 raster
// pixels, that is the zoom times the screen's device pixel ratio. Raster
// pixel r covers the device pixels from ceil(r * scale / 100) up to, not
// including, ceil((r + 1) * scale / 100), so each raster pixel becomes a whole
// number of device pixels and a device pixel shows exactly one raster pixel.
class ZoomMapping {
public:
    explicit ZoomMapping(int scale = kActualSize) : scale_(scale < 1 ? 1 : scale) {}
    int scale() const { return scale_; }

    // Device pixels taken by a raster length.
    int deviceLength(int rasterLength) const { return firstDevicePixel(rasterLength); }
    // Raster pixel shown at a device pixel (floor, also left of and above 0).
    int rasterAt(int devicePixel) const;
    int firstDevicePixel(int rasterPixel) const;
    // The middle device pixel of a raster pixel (its first one when it is
    // left out, as below 100%).
    int middleDevicePixel(int rasterPixel) const;
    // Device rectangle that shows a raster rectangle, and the raster rectangle
    // that a device rectangle shows (both right and bottom exclusive).
    PixelRect deviceRect(const PixelRect& raster) const;
    PixelRect rasterRect(const PixelRect& device) const;

    bool operator==(const ZoomMapping&) const = default;

private:
    int scale_;
};

// Device scale of a zoom step on a screen with the given device pixel ratio.
int deviceScale(int zoomPercent, double devicePixelRatio);

// A device pixel of the scaled room canvas as the main-window client pixel
// the canvas mouse handling works in (the raster lies at (9, 11)).
CellPos canvasClientPixel(const ZoomMapping& mapping, int deviceX, int deviceY);
// The device pixel that shows the middle of a client pixel of the canvas.
CellPos canvasDevicePixel(const ZoomMapping& mapping, int clientX, int clientY);

// Scales the part of source shown in the device rectangle into target, which
// must have the source's size scaled (nearest neighbour, no smoothing).
void scaleRasterInto(const RasterImage& source, const ZoomMapping& mapping, RasterImage& target,
                     const PixelRect& deviceArea);
RasterImage scaleRaster(const RasterImage& source, const ZoomMapping& mapping);

// A picture shrunk or enlarged to fit a side x side square on a black ground,
// centred, keeping its proportions (nearest neighbour).
RasterImage squareIcon(const RasterImage& picture, int side);

// The status line under the canvas: the cell under the pointer as the error
// check numbers it ("X: 12 Y: 07") and the zoom ("200%"); only the zoom while
// the pointer is off the room.
std::string canvasStatusText(CellPos cell, int zoomPercent);

}  // namespace grusk
