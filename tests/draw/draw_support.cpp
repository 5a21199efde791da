#include "draw/draw_support.h"

#include <filesystem>
#include <map>

#include "editor/catalogue.h"
#include "editor/draw/palette.h"
#include "model/castle_model.h"
#include "support/test_support.h"

namespace grusk::test {

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

std::vector<uint8_t> bmpHeaders(int w, int h, int bits, uint32_t colours, bool topDown, size_t pixelBytes) {
    const uint32_t offset = 14 + 40 + colours * 4;
    std::vector<uint8_t> b(offset + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, uint32_t(w));
    put32(b, 22, uint32_t(topDown ? -h : h));
    put16(b, 26, 1);
    put16(b, 28, uint32_t(bits));
    put32(b, 34, uint32_t(pixelBytes));
    put32(b, 46, colours);
    return b;
}

bool isStateOfBacked(int i) {
    return i == kDoorBell || i == kTrap || i == kConveyor || i == kPicConveyorLeft || i == kPicConveyorRight ||
           i == kPicTrapClosed || (i >= kPicConveyorRightFrame1 && i < kPicConveyorRightFrame1 + 32);
}

}  // namespace

std::vector<uint8_t> bmp24(const RasterImage& image, bool topDown) {
    const int w = image.width(), h = image.height();
    const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> b = bmpHeaders(w, h, 24, 0, topDown, stride * size_t(h));
    const size_t base = 54;
    for (int y = 0; y < h; ++y) {
        const int stored = topDown ? y : h - 1 - y;
        for (int x = 0; x < w; ++x) {
            const Rgb c = image.pixel(x, y);
            const size_t at = base + size_t(stored) * stride + size_t(x) * 3;
            b[at] = c.b;
            b[at + 1] = c.g;
            b[at + 2] = c.r;
        }
    }
    return b;
}

std::vector<uint8_t> bmp8(const RasterImage& image, bool topDown) {
    const int w = image.width(), h = image.height();
    std::map<uint32_t, uint8_t> index;
    std::vector<Rgb> table;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = image.pixel(x, y);
            if (index.emplace(c.packed(), uint8_t(table.size())).second) table.push_back(c);
        }
    const size_t stride = (size_t(w) + 3) / 4 * 4;
    std::vector<uint8_t> b = bmpHeaders(w, h, 8, uint32_t(table.size()), topDown, stride * size_t(h));
    for (size_t i = 0; i < table.size(); ++i) {
        b[54 + i * 4] = table[i].b;
        b[54 + i * 4 + 1] = table[i].g;
        b[54 + i * 4 + 2] = table[i].r;
    }
    const size_t base = 54 + table.size() * 4;
    for (int y = 0; y < h; ++y) {
        const int stored = topDown ? y : h - 1 - y;
        for (int x = 0; x < w; ++x) b[base + size_t(stored) * stride + size_t(x)] = index[image.pixel(x, y).packed()];
    }
    return b;
}

RasterImage solid(int w, int h, Rgb c) { return RasterImage(w, h, c); }

Rgb pictureColour(int index) { return Rgb{uint8_t(20 + index), uint8_t(180 - index), 60}; }
Rgb doorPictureColour(int which) { return Rgb{uint8_t(200 + which), 30, 30}; }

PictureSet makeTestPictures() {
    PictureSet set;
    for (int i = 0; i < kObjectTypes; ++i) {
        const Size cells = designedCellSize(i);
        const int w = cells.width * 16, h = cells.height * 16;
        RasterImage img(w, h, pictureColour(i));
        if (i >= kWalkway && i <= kWalkwaySlideM) {
            img.fill(kTransparentKey);
            img.fillRect(0, 0, w, 1, kWalkwayLine);
        } else if (isStateOfBacked(i)) {
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
