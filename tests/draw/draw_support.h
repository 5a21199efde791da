// Test helpers for the drawing code: a small BMP writer and a picture set made
// in memory whose pictures have recognisable colours and keyed areas.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/draw/picture_set.h"
#include "editor/draw/raster_image.h"

namespace grusk::test {

// BMP file bytes of an image: 24-bit, or 8-bit indexed with a colour table of
// the image's colours (at most 256). Rows bottom-up unless topDown.
std::vector<uint8_t> bmp24(const RasterImage& image, bool topDown = false);
std::vector<uint8_t> bmp8(const RasterImage& image, bool topDown = false);

// The colour test picture i is painted in where it is not keyed; doors 200 + k.
inline Rgb pictureColour(int index) { return Rgb{uint8_t(20 + index), uint8_t(180 - index), 60}; }
inline Rgb doorPictureColour(int which) { return Rgb{uint8_t(200 + which), 30, 30}; }
inline constexpr Rgb kWalkwayLine{200, 0, 200};  // top row of every walkway piece
inline constexpr Rgb kGlyphInk{5, 5, 5};         // lower half of every glyph
inline constexpr Rgb kCamouflageInk{9, 90, 9};   // left half of the camouflage picture

// Every picture at its designed size in pictureColour(i), but: walkways keyed under a kWalkwayLine top
// row; door bell, trap, conveyor and their states keyed but for pixel (1, 1), so the backing shows;
// glyphs keyed above kGlyphInk; camouflage kCamouflageInk beside white.
PictureSet makeTestPictures();

// Writes every picture of makeTestPictures() as BMP files into <folder>/resource.
void writeTestPictureFiles(const std::string& folder);

}  // namespace grusk::test
