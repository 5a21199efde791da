// The room's wiring drawn over the canvas: a line from every link source
// (switches, door bells, locks, force fields, mummies, Gun Controls,
// transmitters, traps) to each object it links, in a colour per kind of link,
// and on each door a label saying where it leads. Canvas coordinates.
#pragma once

#include "editor/draw/raster_image.h"
#include "model/castle_model.h"

namespace grusk {

// Colour of the lines drawn from a source of the type (black for a type that is no source).
Rgb linkColour(int sourceType);

inline constexpr Rgb kDoorLabelText{255, 255, 255};
inline constexpr Rgb kDoorLabelNowhere{255, 80, 80};
inline constexpr Rgb kDoorLabelBackground{0, 0, 0};

// The centre of the object anchored at a cell: where its link lines end.
struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};
PixelPoint objectCentre(const Room& room, int x, int y);

// Draws the lines and door labels of one room over the canvas.
void drawLinkOverlay(RasterImage& canvas, const CastleModel& castle, int room);

// The frame around an object a problem concerns: two pixels wide, just
// outside the object's picture area.
inline constexpr Rgb kProblemFramePen{255, 255, 0};
void drawProblemFrame(RasterImage& canvas, const Room& room, int x, int y);

}  // namespace grusk
