// What the drawings above do not reach: pixels and copies at the edges and far past them, and lines of any slope.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "editor/draw/raster_image.h"

namespace grusk {
namespace {

constexpr Rgb kA{10, 20, 30}, kB{40, 50, 60}, kInk{250, 1, 2};

TEST(RasterImage, NothingLandsOutsideTheImage) {
    RasterImage img(4, 3, kA);
    for (const auto& [x, y] : {std::pair{-1, 1}, {4, 1}, {1, -1}, {1, 3}, {-1, -1}}) {
        img.setPixel(x, y, kB);
        EXPECT_EQ(img.pixel(x, y), Rgb{}) << x << "," << y;  // not a neighbouring row's pixel
    }
    const RasterImage src(6, 2, kB);
    img.blit(src, INT_MAX, INT_MAX, kA);
    img.blit(src, INT_MIN, 0, INT_MAX, INT_MAX, INT_MIN, INT_MIN, kA);
    img.stretchBlit(src, 0, 0, 0, 2, 0, 0, 4, 3, kA);  // no source columns: nothing to copy
    img.stretchBlit(src, 0, 0, 6, 0, 0, 0, 4, 3, kA);
    img.fillRect(INT_MAX - 1, 0, INT_MAX, INT_MAX, kB);
    img.frameRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kB);
    img.drawLine(INT_MIN, INT_MIN, INT_MAX, INT_MAX, kInk);  // neither hangs nor writes outside
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img.pixel(x, y), x == y ? kInk : kA) << x << "," << y;
}

TEST(RasterImage, LinesJoinTheirEndsWithOnePixelPerStep) {
    const int ends[][4] = {{0, 0, 39, 29}, {39, 0, 0, 29}, {5, 20, 30, 3}, {3, 3, 3, 25}, {2, 7, 37, 7},
                           {10, 10, 10, 10}, {0, 29, 12, 0}, {-20, 5, 60, 9}, {20, -30, 22, 50}};
    for (const auto& e : ends) {
        RasterImage image(40, 30);
        image.drawLine(e[0], e[1], e[2], e[3], kInk);
        int drawn = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) drawn += image.pixel(x, y) == kInk ? 1 : 0;
        const int steps = std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1])) + 1;
        const bool inside = e[0] >= 0 && e[1] >= 0 && e[2] < 40 && e[3] < 30 && e[2] >= 0 && e[3] >= 0;
        EXPECT_TRUE(inside ? drawn == steps && image.pixel(e[0], e[1]) == kInk && image.pixel(e[2], e[3]) == kInk
                           : drawn < steps && drawn > 0)
            << e[0] << "," << e[1] << " " << e[2] << "," << e[3] << ": " << drawn;
    }
}

}  // namespace
}  // namespace grusk
