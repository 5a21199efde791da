#include <gtest/gtest.h>

#include "draw/draw_support.h"
#include "editor/draw/bmp.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using test::bmp24;
using test::bmp8;

// 5 x 3: odd width, so rows carry padding; every pixel different.
RasterImage sample() {
    RasterImage img(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) img.setPixel(x, y, Rgb{uint8_t(x * 40), uint8_t(y * 90), uint8_t(x + y * 7)});
    return img;
}

void expectSame(const RasterImage& a, const RasterImage& b) {
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << x << "," << y;
}

RasterImage decode(const std::vector<uint8_t>& bytes) { return bitmapFromBytes(bytes.data(), bytes.size()); }

TEST(Bmp, ReadsBothDepthsInBothRowOrders) {
    const RasterImage img = sample();
    expectSame(decode(bmp24(img, false)), img);
    expectSame(decode(bmp24(img, true)), img);
    expectSame(decode(bmp8(img, false)), img);
    expectSame(decode(bmp8(img, true)), img);
}

TEST(Bmp, ReadsFourAndOneBitPictures) {
    // 1-bit, 9 x 2, bottom-up: row 0 (stored last) alternates, row 1 is all set.
    std::vector<uint8_t> b = bmp8(RasterImage(9, 2), false);
    b.resize(54 + 8);
    b[28] = 1;
    b[46] = 2;
    b[10] = 62;
    b[54 + 4] = 255, b[54 + 5] = 0, b[54 + 6] = 0;  // entry 1: blue
    const uint8_t rows[8] = {0xFF, 0x80, 0, 0, 0xAA, 0x80, 0, 0};
    b.insert(b.end(), rows, rows + 8);
    const RasterImage one = decode(b);
    ASSERT_EQ(one.width(), 9);
    EXPECT_EQ(one.pixel(0, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(one.pixel(1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(one.pixel(8, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(one.pixel(7, 1), (Rgb{0, 0, 255}));

    // 4-bit, 3 x 1: indexes 1, 2, 1.
    std::vector<uint8_t> f = bmp8(RasterImage(3, 1), false);
    f.resize(54 + 12);
    f[28] = 4;
    f[46] = 3;
    f[10] = 66;
    f[54 + 6] = 10;   // entry 1 red 10
    f[54 + 9] = 20;   // entry 2 green 20
    const uint8_t row[4] = {0x12, 0x10, 0, 0};
    f.insert(f.end(), row, row + 4);
    const RasterImage four = decode(f);
    ASSERT_EQ(four.width(), 3);
    EXPECT_EQ(four.pixel(0, 0), (Rgb{10, 0, 0}));
    EXPECT_EQ(four.pixel(1, 0), (Rgb{0, 20, 0}));
    EXPECT_EQ(four.pixel(2, 0), (Rgb{10, 0, 0}));
}

// 32-bit pixels with the usual masks after a 40-byte header, and no pixel
// offset given: the pixels follow the masks.
TEST(Bmp, ThirtyTwoBitPicturesWithMasksAfterTheHeader) {
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B', b[1] = 'M';
    b[14] = 40, b[18] = 2, b[22] = 1, b[26] = 1, b[28] = 32, b[30] = 3;
    const uint8_t masks[12] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    const uint8_t pixels[8] = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
    b.insert(b.end(), masks, masks + 12);
    b.insert(b.end(), pixels, pixels + 8);
    b[2] = uint8_t(b.size());
    const RasterImage img = decode(b);
    ASSERT_EQ(img.width(), 2);
    EXPECT_EQ(img.pixel(0, 0), (Rgb{0x30, 0x20, 0x10}));
    EXPECT_EQ(img.pixel(1, 0), (Rgb{0x60, 0x50, 0x40}));
    // Any other mask is not read.
    for (size_t mask = 0; mask < 3; ++mask) {
        std::vector<uint8_t> other = b;
        other[54 + 4 * mask] ^= 0x01;
        EXPECT_TRUE(decode(other).empty()) << mask;
    }
}

TEST(Bmp, BlockHoldsHeaderTableAndRows) {
    // An 8-bit file with "colours used" and "image size" left 0: a full
    // 256-entry table is then meant, and the size is worked out.
    const auto small = bmp8(sample(), false);  // 15 colours
    std::vector<uint8_t> b(small.begin(), small.begin() + 54 + 15 * 4);
    b.resize(54 + 1024, 0);
    b.insert(b.end(), small.begin() + 54 + 15 * 4, small.end());
    b[10] = uint8_t((54 + 1024) & 0xFF);
    b[11] = uint8_t((54 + 1024) >> 8);
    for (size_t at : {size_t(34), size_t(46)}) b[at] = b[at + 1] = b[at + 2] = b[at + 3] = 0;
    const auto block = loadBitmapBytes(b.data(), b.size());
    ASSERT_TRUE(block);
    EXPECT_EQ(block->header.size, 40u);
    EXPECT_EQ(block->width(), 5);
    EXPECT_EQ(block->height(), 3);
    EXPECT_EQ(block->header.sizeImage, 8u * 3u);  // rows padded to 8 bytes
    EXPECT_EQ(block->header.clrUsed, 256u);
    EXPECT_EQ(block->pixels.size(), 24u);
    expectSame(bitmapFromBlock(*block), sample());
}

TEST(Bmp, ReadsFilesAndRefusesMissingOnes) {
    test::TempDir dir;
    test::writeBytes(dir.file("a.bmp"), bmp24(sample(), true));
    expectSame(bitmapFromFile(dir.file("a.bmp")), sample());
    EXPECT_FALSE(loadBitmapFile(dir.file("missing.bmp")));
    EXPECT_TRUE(bitmapFromFile(dir.file("missing.bmp")).empty());
}

TEST(Bmp, RefusesDamagedFiles) {
    const auto good = bmp24(sample(), false);
    auto refused = [](std::vector<uint8_t> b) { return !loadBitmapBytes(b.data(), b.size()) && decode(b).empty(); };
    auto with32 = [&](size_t at, uint32_t v) {
        auto b = good;
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
        return b;
    };
    EXPECT_FALSE(refused(good));
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1)));  // last row cut short
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.begin() + 40)));  // header cut short
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(with32(14, 12)));            // old 12-byte header
    EXPECT_TRUE(refused(with32(14, 1000)));          // header larger than the file
    EXPECT_TRUE(refused(with32(18, 0)));             // no width
    EXPECT_TRUE(refused(with32(18, 5000)));          // too wide to be a picture of ours
    EXPECT_TRUE(refused(with32(18, 0x80000000u)));   // negative width
    EXPECT_TRUE(refused(with32(22, 0)));             // no height
    EXPECT_TRUE(refused(with32(22, 0x80000000u)));   // height that cannot be negated
    EXPECT_TRUE(refused(with32(22, uint32_t(-5000))));
    EXPECT_TRUE(refused(with32(22, 4000)));          // rows the file does not hold
    EXPECT_TRUE(refused(with32(10, 0xFFFFFFF0u)));   // pixel data beyond the end
    EXPECT_TRUE(refused(with32(10, 3)));             // pixel data inside the headers
    EXPECT_TRUE(refused(with32(30, 1)));             // compressed
    auto b16 = good;
    b16[28] = 16;
    EXPECT_TRUE(refused(b16));
    auto notBm = good;
    notBm[0] = 'X';
    EXPECT_TRUE(refused(notBm));
    // An 8-bit file whose colour table runs past the end.
    auto table = bmp8(sample(), false);
    table.resize(60);
    EXPECT_TRUE(refused(table));
}

TEST(Bmp, HeaderSizeIsReadEvenFromAnUndecodablePicture) {
    auto b = bmp24(RasterImage(48, 16), false);
    b[14] = 12;  // header kind not understood
    int w = 0, h = 0;
    ASSERT_TRUE(bitmapHeaderSize(b.data(), b.size(), &w, &h));
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 16);
    EXPECT_TRUE(decode(b).empty());
    auto top = bmp24(RasterImage(32, 16), true);
    ASSERT_TRUE(bitmapHeaderSize(top.data(), top.size(), &w, &h));
    EXPECT_EQ(h, 16);
    EXPECT_FALSE(bitmapHeaderSize(top.data(), 20, &w, &h));
}

}  // namespace
}  // namespace grusk
