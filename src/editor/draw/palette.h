// The C64 colour table, the key colours that make parts of pictures
// transparent, and the pen colours of the room canvas and the castle map.
#pragma once

#include <array>

#include "editor/draw/raster_image.h"

namespace grusk {

// Indexed by C64 colour number. Black is (1, 1, 1) so that it stays distinct
// from the (0, 0, 0) transparency key and the empty canvas.
inline constexpr std::array<Rgb, 16> c64Palette = {{
    {1, 1, 1},       {255, 255, 255}, {137, 64, 54},   {122, 191, 199},
    {138, 70, 174},  {104, 169, 65},  {62, 49, 162},   {208, 220, 113},
    {144, 95, 37},   {92, 71, 0},     {187, 119, 109}, {85, 85, 85},
    {128, 128, 128}, {172, 234, 136}, {125, 113, 219}, {171, 171, 171},
}};

// Colour numbers read from a file may be anything; like the C64's 4-bit
// colour memory only the low four bits count.
inline Rgb paletteColour(int colourNumber) { return c64Palette[static_cast<unsigned>(colourNumber) & 15u]; }

// Key colours (pixels of this colour are left out when a picture is copied).
inline constexpr Rgb kTransparentKey{124, 112, 218};  // walkways and pictures over a colour fill
inline constexpr Rgb kGlyphKey{172, 234, 136};        // text glyphs: the letter shape
inline constexpr Rgb kKeyBlack{0, 0, 0};              // other objects, vertical pieces, doors, ghost
inline constexpr Rgb kKeyWhite{255, 255, 255};        // camouflage, title and start pictures

// Pens.
inline constexpr Rgb kGridPen{0, 0, 0};               // dotted
inline constexpr Rgb kUnlinkedFramePen{255, 0, 0};    // mark 2: a link is missing
inline constexpr Rgb kHighlightFramePen{0, 255, 0};   // mark 1: hovered object and its links
inline constexpr Rgb kSelectionFramePen{255, 128, 0};  // selected objects and the selection block
inline constexpr Rgb kMapFramePen{200, 200, 200};     // 8-pixel inside frame of a room on the map
inline constexpr Rgb kMapCurrentFramePen{255, 255, 255};
inline constexpr Rgb kMapHoverDoorPen{255, 0, 0};

}  // namespace grusk
