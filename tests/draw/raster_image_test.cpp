#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>

#include "editor/draw/raster_image.h"

namespace grusk {
namespace {

constexpr Rgb kKey{0, 0, 0};
constexpr Rgb kA{10, 20, 30};
constexpr Rgb kB{40, 50, 60};

// A 6 x 2 source: row 0 counts up in red, row 1 is kB, pixel (2, 0) is the key.
RasterImage source() {
    RasterImage src(6, 2, kB);
    for (int x = 0; x < 6; ++x) src.setPixel(x, 0, Rgb{uint8_t(100 + x), 0, 0});
    src.setPixel(2, 0, kKey);
    return src;
}

TEST(RasterImage, KeyedCopiesAreClippedOnEverySide) {
    for (int dx : {-3, -1, 0, 5, 8}) {
        RasterImage dst(10, 3, kA);
        dst.blit(source(), dx, -1, kKey);
        for (int x = 0; x < 10; ++x) {
            const int sx = x - dx;
            const Rgb expected = sx < 0 || sx >= 6 ? kA : kB;  // source row 1 lands on row 0
            ASSERT_EQ(dst.pixel(x, 0), expected) << dx << " " << x;
            ASSERT_EQ(dst.pixel(x, 1), kA);
        }
    }
    RasterImage keyed(10, 1, kA);
    keyed.blit(source(), 1, 0, kKey);
    EXPECT_EQ(keyed.pixel(1, 0), (Rgb{100, 0, 0}));
    EXPECT_EQ(keyed.pixel(3, 0), kA);  // the key pixel is left out
    EXPECT_EQ(keyed.pixel(6, 0), (Rgb{105, 0, 0}));
    RasterImage dst(4, 4, kA);
    dst.blit(source(), 4, 0, 100, 100, 0, 0, kKey);  // part of the source, cut to what it has
    EXPECT_EQ(dst.pixel(0, 0), (Rgb{104, 0, 0}));
    EXPECT_EQ(dst.pixel(2, 0), kA);
    EXPECT_EQ(dst.pixel(0, 2), kA);
    dst.blit(source(), INT_MAX, INT_MAX, kKey);
    dst.blit(source(), INT_MIN, 0, INT_MAX, INT_MAX, INT_MIN, INT_MIN, kKey);
    dst.fillRect(INT_MAX - 1, 0, INT_MAX, INT_MAX, kB);
    dst.frameRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kB);
    EXPECT_EQ(dst.pixel(3, 3), kA);
}

TEST(RasterImage, StretchedCopyRepeatsSourceRowsAndSkipsMissingPixels) {
    RasterImage dst(8, 4, kA);
    dst.stretchBlit(source(), 0, 0, 4, 2, 0, 0, 4, 4, kKey);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(dst.pixel(0, y), (y < 2 ? Rgb{100, 0, 0} : kB)) << y;
        EXPECT_EQ(dst.pixel(2, y), y < 2 ? kA : kB) << y;  // key left out
    }
    RasterImage part(8, 1, kA);
    part.stretchBlit(source(), -2, 0, 8, 1, 0, 0, 8, 1, kKey);  // source starts left of the picture
    EXPECT_EQ(part.pixel(0, 0), kA);
    EXPECT_EQ(part.pixel(1, 0), kA);
    EXPECT_EQ(part.pixel(2, 0), (Rgb{100, 0, 0}));
    EXPECT_EQ(part.pixel(7, 0), (Rgb{105, 0, 0}));
    RasterImage wide(12, 1, kA);
    wide.stretchBlit(source(), 0, 0, 6, 1, 0, 0, 12, 1, kKey);  // widened too
    EXPECT_EQ(wide.pixel(1, 0), (Rgb{100, 0, 0}));
    EXPECT_EQ(wide.pixel(11, 0), (Rgb{105, 0, 0}));
}

TEST(RasterImage, Pens) {
    RasterImage img(40, 40, kA);
    img.frameRect(0, 0, 40, 40, kB, PenStyle::InsideFrame8);
    EXPECT_EQ(img.pixel(7, 20), kB);
    EXPECT_EQ(img.pixel(8, 20), kA);
    EXPECT_EQ(img.pixel(32, 20), kB);
    EXPECT_EQ(img.pixel(31, 31), kA);
    img.frameRect(0, 0, 12, 12, kKey, PenStyle::InsideFrame8);  // too small for a hole
    EXPECT_EQ(img.pixel(6, 6), kKey);
    img.frameRect(20, 20, 5, 5, kKey, PenStyle::Dotted);
    EXPECT_EQ(img.pixel(20, 20), kKey);
    EXPECT_EQ(img.pixel(21, 20), (Rgb{255, 255, 255}));  // the gaps are white, not left out
    EXPECT_EQ(img.pixel(24, 22), kKey);
    EXPECT_EQ(img.pixel(22, 22), kA);  // no fill
    img.fillRect(30, 30, 4, 4, kB, kKey);
    EXPECT_EQ(img.pixel(30, 33), kKey);
    EXPECT_EQ(img.pixel(31, 32), kB);
    // Pixels off any edge are ignored, not wrapped onto a neighbouring row.
    RasterImage small(4, 3, kA);
    for (const auto& [x, y] : {std::pair{-1, 1}, {4, 1}, {1, -1}, {1, 3}, {-1, -1}}) small.setPixel(x, y, kB);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(small.pixel(x, y), kA) << x << "," << y;
}

TEST(RasterImage, LinesJoinTheirEndsWithOnePixelPerStep) {
    const Rgb ink{250, 1, 2};
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-20, 60);
    for (int i = 0; i < 300; ++i) {
        RasterImage image(40, 30);
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        image.drawLine(x0, y0, x1, y1, ink);
        int drawn = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) drawn += image.pixel(x, y) == ink ? 1 : 0;
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
        const bool inside0 = x0 >= 0 && x0 < 40 && y0 >= 0 && y0 < 30;
        const bool inside1 = x1 >= 0 && x1 < 40 && y1 >= 0 && y1 < 30;
        if (inside0) {
            EXPECT_EQ(image.pixel(x0, y0), ink);
        }
        if (inside1) {
            EXPECT_EQ(image.pixel(x1, y1), ink);
        }
        if (inside0 && inside1) {
            EXPECT_EQ(drawn, steps) << x0 << "," << y0 << " " << x1 << "," << y1;
        } else {
            EXPECT_LE(drawn, steps);
        }
    }
    // Ends far outside the image neither hang nor write outside it.
    RasterImage image(8, 8);
    image.drawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, ink);
    image.drawLine(-1000000000, 4, 1000000000, 4, ink);
    EXPECT_EQ(image.pixel(4, 4), ink);
}

}  // namespace
}  // namespace grusk
