// The selection on the room canvas: a frame of its own colour around every
// selected thing, the block a Shift+drag spans, and where a dragged
// selection would land.
#pragma once

#include <array>
#include <optional>

#include "editor/draw/raster_image.h"
#include "editor/selection.h"

namespace grusk {

// Draws over a painted room canvas (canvas coordinates, 16 pixels a cell).
// offset shifts the frames by whole cells (a selection being dragged); band
// is drawn dotted.
void drawSelectionFrames(RasterImage& canvas, const Room& room, const Selection& selection,
                         std::array<int, 2> offset = {0, 0}, std::optional<CellBlock> band = std::nullopt);

}  // namespace grusk
