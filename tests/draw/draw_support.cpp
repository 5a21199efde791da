#include "draw/draw_support.h"

#include <filesystem>
#include <map>

#include "editor/catalogue.h"
#include "editor/draw/palette.h"
#include "model/castle_model.h"
#include "support/test_support.h"

namespace grusk::test {

namespace {

// Headers and rows of a BMP file; pixel(x, y) writes one pixel's bytes.
template <typename Pixel>
std::vector<uint8_t> bmp(const RasterImage& image, bool topDown, int bits, const std::vector<Rgb>& table, Pixel pixel) {
    const int w = image.width(), h = image.height();
    const size_t stride = (size_t(w) * size_t(bits / 8) + 3) / 4 * 4, base = 54 + table.size() * 4;
    std::vector<uint8_t> b(base + stride * size_t(h), 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, uint32_t(b.size()), 4); put(10, uint32_t(base), 4); put(14, 40, 4); put(18, uint32_t(w), 4);
    put(22, uint32_t(topDown ? -h : h), 4); put(26, 1, 2); put(28, uint32_t(bits), 2);
    put(34, uint32_t(stride * size_t(h)), 4); put(46, uint32_t(table.size()), 4);
    for (size_t i = 0; i < table.size(); ++i) put(54 + i * 4, table[i].packed() & 0xFFFFFF, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixel(&b[base + size_t(topDown ? y : h - 1 - y) * stride + size_t(x * bits / 8)], image.pixel(x, y));
    return b;
}

}  // namespace

std::vector<uint8_t> bmp24(const RasterImage& image, bool topDown) {
    return bmp(image, topDown, 24, {}, [](uint8_t* at, Rgb c) { at[0] = c.b; at[1] = c.g; at[2] = c.r; });
}

std::vector<uint8_t> bmp8(const RasterImage& image, bool topDown) {
    std::map<uint32_t, uint8_t> index;
    std::vector<Rgb> table;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (index.emplace(image.pixel(x, y).packed(), uint8_t(table.size())).second) table.push_back(image.pixel(x, y));
    return bmp(image, topDown, 8, table, [&](uint8_t* at, Rgb c) { *at = index[c.packed()]; });
}

PictureSet makeTestPictures() {
    PictureSet set;
    for (int i = 0; i < kObjectTypes; ++i) {
        const Size cells = designedCellSize(i);
        const int w = cells.width * 16, h = cells.height * 16;
        RasterImage img(w, h, pictureColour(i));
        if (i >= kWalkway && i <= kWalkwaySlideM) {
            img.fill(kTransparentKey);
            img.fillRect(0, 0, w, 1, kWalkwayLine);
        } else if (i == kDoorBell || i == kTrap || i == kConveyor || i == kPicConveyorLeft || i == kPicConveyorRight ||
                   i == kPicTrapClosed || (i >= kPicConveyorRightFrame1 && i < kPicConveyorRightFrame1 + 32)) {
            img.fill(kTransparentKey);
            img.setPixel(1, 1, pictureColour(i));
        } else if (i >= kPicGlyphA && i <= kPicGlyphDash) {
            img.fillRect(0, 0, w, h / 2, kGlyphKey);
            img.fillRect(0, h / 2, w, h - h / 2, kGlyphInk);
        } else if (i == kCamouflage) {
            img.fill(kKeyWhite);
            img.fillRect(0, 0, w / 2, h, kCamouflageInk);
        }
        set.setPicture(i, std::move(img));
    }
    const Size door = designedCellSize(kDoor);
    for (int k = 0; k < kDoorPictureCount; ++k)
        set.setDoorPicture(k, RasterImage(door.width * 16, door.height * 16, doorPictureColour(k)));
    return set;
}

void writeTestPictureFiles(const std::string& folder) {
    const std::filesystem::path resource = std::filesystem::path(folder) / "resource";
    std::filesystem::create_directories(resource);
    const PictureSet set = makeTestPictures();
    for (int i = 0; i < kObjectTypes; ++i)
        writeBytes((resource / (std::string(objectTypeName(i)) + ".bmp")).string(), bmp24(set.picture(i)));
    for (int k = 0; k < kDoorPictureCount; ++k)
        writeBytes((resource / doorPictureFiles[size_t(k)]).string(), bmp8(set.doorPicture(k)));
}

}  // namespace grusk::test
