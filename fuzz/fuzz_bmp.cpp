// A BMP file into the reader, copies of the picture onto an image, and the
// picture used as the editor uses a loaded object picture: its header size
// goes to the catalogue (it decides how many cells the object covers), and
// a room holding such objects is edited, drawn and compiled.
#include <cstdlib>

#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/draw/bmp.h"
#include "editor/draw/palette.h"
#include "editor/draw/raster_image.h"
#include "editor/draw/room_renderer.h"
#include "editor/room_editing.h"
#include "fuzz_support.h"

using namespace grusk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadBitmapBytes(data, size);
    const RasterImage picture = bitmapFromBytes(data, size);
    // A picture never takes more pixels than its file has bits.
    if (!picture.empty() && (picture.width() > kMaxBitmapSide || picture.height() > kMaxBitmapSide ||
                             size_t(picture.width()) * size_t(picture.height()) > size * 8))
        std::abort();
    RasterImage canvas(640, 400);
    canvas.blit(picture, 300, 180, kKeyBlack);
    canvas.blit(picture, 8, 4, picture.width(), picture.height(), -5, 390, kTransparentKey);
    canvas.stretchBlit(picture, 600, 10, picture.width(), picture.height() * 2, kGlyphKey);

    // As picture loading does: a header with a size sets the type's size.
    int width = 0, height = 0;
    if (!bitmapHeaderSize(data, size, &width, &height) || width <= 0 || height <= 0) return 0;
    static const int kTypes[] = {kDoor, kKey, kText, kLadder, kDoorBell};
    const int type = kTypes[size % (sizeof kTypes / sizeof kTypes[0])];
    static PictureSet* pictures = new PictureSet(fuzz::pictures());
    const RasterImage original = pictures->picture(type);
    pictures->setPicture(type, picture);
    setLoadedPictureSize(type, width, height);

    auto& w = fuzz::world();
    w.reset(1);
    w.app.castle.room(0).roomInUse = 1;
    for (int i = 0; i < 6; ++i) placeObject(w.app, type, (i * 13) % kColumns, (i * 7) % kRows, i == 0 ? 0 : -1);
    placeObject(w.app, kDoor, 30, 10, -1);
    shapeWalkways(w.app);
    drawRoom(w.canvas, w.app.castle, *pictures);
    deleteObjectAt(w.app, 13, 7);
    fuzz::checkBuildDraw(1);

    pictures->setPicture(type, original);
    resetPictureSizes();
    w.ui.clearRecords();
    return 0;
}
