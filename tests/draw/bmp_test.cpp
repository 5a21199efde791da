// BMP reading: every depth and row order as a round trip, headers the editor
// meets in older pictures, and a table of damaged files that give nothing.
#include <gtest/gtest.h>

#include "draw/draw_support.h"
#include "editor/draw/bmp.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using Bytes = std::vector<uint8_t>;

// 5 x 3: odd width, so rows carry padding; every pixel different.
RasterImage sample() {
    RasterImage img(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) img.setPixel(x, y, Rgb{uint8_t(x * 40), uint8_t(y * 90), uint8_t(x + y * 7)});
    return img;
}

RasterImage decode(const Bytes& b) { return bitmapFromBytes(b.data(), b.size()); }
std::string rowsOf(const RasterImage& img) {
    std::string s = std::to_string(img.width()) + "x" + std::to_string(img.height()) + ":";
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) s += " " + std::to_string(img.pixel(x, y).packed() & 0xFFFFFF);
    return s;
}
Bytes with(Bytes b, size_t at, uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) b.at(at + size_t(i)) = uint8_t(v >> (8 * i));
    return b;
}

TEST(Bmp, ReadsEveryDepthAndRowOrder) {
    for (bool topDown : {false, true}) {
        EXPECT_EQ(rowsOf(decode(test::bmp24(sample(), topDown))), rowsOf(sample())) << topDown;
        EXPECT_EQ(rowsOf(decode(test::bmp8(sample(), topDown))), rowsOf(sample())) << topDown;
    }
    EXPECT_TRUE(bitmapFromFile("/nonexistent/missing.bmp").empty());

    // 1-bit, 9 x 2, bottom-up: row 0 (stored last) alternates, row 1 is all set; entry 1 blue.
    Bytes one = with(with(with(test::bmp8(RasterImage(9, 2)), 28, 1, 2), 46, 2), 10, 62);
    one.resize(54 + 8);
    one[54 + 4] = 255;
    one.insert(one.end(), {0xFF, 0x80, 0, 0, 0xAA, 0x80, 0, 0});
    EXPECT_EQ(rowsOf(decode(one)), "9x2: 255 0 255 0 255 0 255 0 255 255 255 255 255 255 255 255 255 255");
    // 4-bit, 3 x 1: indexes 1, 2, 1; entry 1 red 10, entry 2 green 20.
    Bytes four = with(with(with(test::bmp8(RasterImage(3, 1)), 28, 4, 2), 46, 3), 10, 66);
    four.resize(54 + 12);
    four[54 + 6] = 10;
    four[54 + 9] = 20;
    four.insert(four.end(), {0x12, 0x10, 0, 0});
    EXPECT_EQ(rowsOf(decode(four)), "3x1: 655360 5120 655360");
    // 32-bit with the usual masks after a 40-byte header, and no pixel offset given.
    Bytes b32(54, 0);
    b32[0] = 'B', b32[1] = 'M', b32[14] = 40, b32[18] = 2, b32[22] = 1, b32[26] = 1, b32[28] = 32, b32[30] = 3;
    b32.insert(b32.end(), {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0});
    EXPECT_EQ(rowsOf(decode(b32)), "2x1: 3153936 6312000");
    for (size_t mask = 0; mask < 3; ++mask) EXPECT_TRUE(decode(with(b32, 54 + 4 * mask, 0xFE, 1)).empty()) << mask;

    // "Colours used" and "image size" left 0: a full table is meant, and the size is worked out.
    const Bytes small = test::bmp8(sample());  // 15 colours
    Bytes b(small.begin(), small.begin() + 54 + 15 * 4);
    b.resize(54 + 1024, 0);
    b.insert(b.end(), small.begin() + 54 + 15 * 4, small.end());
    const auto block = loadBitmapBytes(b.data(), b.size());
    ASSERT_TRUE(block);
    EXPECT_EQ((std::pair{block->header.sizeImage, block->header.clrUsed}), (std::pair{8u * 3u, 15u}));
    b = with(with(with(b, 10, 54 + 1024), 34, 0), 46, 0);
    EXPECT_EQ(loadBitmapBytes(b.data(), b.size())->header.clrUsed, 256u);
    EXPECT_EQ(rowsOf(decode(b)), rowsOf(sample()));
}

TEST(Bmp, DamagedFilesGiveNothing) {
    const Bytes good = test::bmp24(sample());
    Bytes table = test::bmp8(sample());
    table.resize(60);
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"last row cut short", Bytes(good.begin(), good.end() - 1)}, {"header cut short", Bytes(good.begin(), good.begin() + 40)},
        {"empty", {}}, {"old 12-byte header", with(good, 14, 12)}, {"header larger than the file", with(good, 14, 1000)},
        {"no width", with(good, 18, 0)}, {"too wide for a picture of ours", with(good, 18, 5000)},
        {"negative width", with(good, 18, 0x80000000u)}, {"no height", with(good, 22, 0)},
        {"height that cannot be negated", with(good, 22, 0x80000000u)}, {"too high, top-down", with(good, 22, uint32_t(-5000))},
        {"rows the file does not hold", with(good, 22, 4000)}, {"pixels beyond the end", with(good, 10, 0xFFFFFFF0u)},
        {"pixels inside the headers", with(good, 10, 3)}, {"compressed", with(good, 30, 1)}, {"16 bits", with(good, 28, 16, 2)},
        {"not BM", with(good, 0, 'X', 1)}, {"colour table past the end", table},
    };
    EXPECT_TRUE(loadBitmapBytes(good.data(), good.size()));
    for (const auto& c : cases)
        EXPECT_TRUE(!loadBitmapBytes(c.bytes.data(), c.bytes.size()) && decode(c.bytes).empty()) << c.what;
    // The header's size of a top-down picture, and none from a file cut inside its headers.
    int w = 0, h = 0;
    const Bytes top = test::bmp24(RasterImage(32, 16), true);
    EXPECT_TRUE(bitmapHeaderSize(top.data(), top.size(), &w, &h) && w * 100 + h == 3216);
    EXPECT_FALSE(bitmapHeaderSize(top.data(), 20, &w, &h));
}

}  // namespace
}  // namespace grusk
