// A small 5 x 7 pixel face for the labels the editor draws over its own
// pictures (door destinations on the canvas, room numbers on the map): digits,
// a few capitals, ':' and '?'.
#pragma once

#include <string_view>

#include "editor/draw/raster_image.h"

namespace grusk {

inline constexpr int kLabelGlyphWidth = 5;
inline constexpr int kLabelGlyphHeight = 7;

// Width of a text in pixels: 6 per character, less the gap after the last.
int labelTextWidth(std::string_view text);

// The text with its top left corner at (x, y). Characters the face lacks
// leave a gap.
void drawLabelText(RasterImage& image, int x, int y, std::string_view text, Rgb colour);

// The text on a box of background with a 1-pixel margin; the box's top left
// corner is at (x, y), its size labelTextWidth + 2 by 9.
void drawLabel(RasterImage& image, int x, int y, std::string_view text, Rgb colour, Rgb background);

}  // namespace grusk
