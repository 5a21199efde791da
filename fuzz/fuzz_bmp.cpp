// A BMP file into the reader and one drawing with the picture.
#include "editor/draw/bmp.h"
#include "editor/draw/palette.h"
#include "editor/draw/raster_image.h"

using namespace grusk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadBitmapBytes(data, size);
    const RasterImage picture = bitmapFromBytes(data, size);
    RasterImage canvas(640, 400);
    canvas.blit(picture, 300, 180, kKeyBlack);
    canvas.blit(picture, 8, 4, picture.width(), picture.height(), -5, 390, kTransparentKey);
    canvas.stretchBlit(picture, 600, 10, picture.width(), picture.height() * 2, kGlyphKey);
    return 0;
}
