// The pictures drawn at build time into the program's resource folder: every
// file the editor loads is there, has the size the catalogue expects, uses
// only C64 colours and its group's key colour.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "editor/catalogue.h"
#include "editor/draw/bmp.h"
#include "editor/draw/palette.h"
#include "editor/draw/raster_image.h"
#include "support/test_support.h"

namespace grusk {
namespace {

std::string resourcePath(std::string_view name) {
    return test::programDir() + "/resource/" + std::string(name) + ".bmp";
}

RasterImage load(std::string_view name) { return bitmapFromFile(resourcePath(name)); }

// The key colour of each group of object pictures.
Rgb keyOf(int i) {
    if (i >= kWalkway && i <= kWalkwaySlideM) return kTransparentKey;
    if (i == kDoorBell || i == kTrap || i == kPicTrapClosed || i == kConveyor || i == kPicConveyorLeft ||
        i == kPicConveyorRight || (i >= kPicConveyorRightFrame1 && i < kPicConveyorLeftFrame1 + 16))
        return kTransparentKey;
    if (i >= kPicGlyphA && i <= kPicGlyphDash) return kGlyphKey;
    if (i == kCamouflage) return kKeyWhite;
    return kKeyBlack;
}

bool isPaletteColour(Rgb c) {
    for (const Rgb& p : c64Palette)
        if (p == c) return true;
    return false;
}

struct ColourCount {
    int key = 0;
    int other = 0;  // neither the key nor a C64 colour
    std::set<uint32_t> colours;
};

ColourCount countColours(const RasterImage& img, Rgb key) {
    ColourCount n;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const Rgb c = img.pixel(x, y);
            n.colours.insert(c.packed());
            if (c == key) ++n.key;
            else if (!isPaletteColour(c)) ++n.other;
        }
    return n;
}

// Every C64 pixel is a 2 x 2 block of one colour.
bool isChunky(const RasterImage& img) {
    if (img.width() % 2 || img.height() % 2) return false;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2) {
            const Rgb c = img.pixel(x, y);
            if (img.pixel(x + 1, y) != c || img.pixel(x, y + 1) != c || img.pixel(x + 1, y + 1) != c) return false;
        }
    return true;
}

TEST(ShippedPictures, EveryObjectPictureHasItsCatalogueSizeAndGroupKey) {
    for (int i = 0; i < 153; ++i) {
        const std::string_view name = objectTypeNames[static_cast<size_t>(i)];
        SCOPED_TRACE(std::string(name));
        ASSERT_TRUE(std::filesystem::exists(resourcePath(name))) << "missing " << resourcePath(name);
        const RasterImage img = load(name);
        ASSERT_FALSE(img.empty()) << "unreadable";
        const Size cells = designedCellSize(i);
        EXPECT_EQ(img.width(), cells.width * 16);
        EXPECT_EQ(img.height(), cells.height * 16);
        EXPECT_TRUE(isChunky(img));
        const ColourCount n = countColours(img, keyOf(i));
        EXPECT_EQ(n.other, 0) << "colours outside the C64 palette and the key";
        if (i == kPicGlyphBlank) {
            // A space shows no letter: all black, no text colour.
            EXPECT_EQ(n.key, 0);
            EXPECT_EQ(n.colours, std::set<uint32_t>{c64Palette[0].packed()});
        } else {
            EXPECT_GT(n.key, 0) << "no transparent pixels in the group's key colour";
            EXPECT_GT(int(n.colours.size()), 1) << "nothing drawn";
        }
    }
}

TEST(ShippedPictures, ScreenPictures) {
    struct Screen {
        std::string_view name;
        int width, height;
        Rgb key;
    };
    const std::vector<Screen> screens = {
        {"startpic00", 640, 120, kKeyWhite}, {"startpic01", 640, 120, kKeyWhite},
        {"startpic02", 640, 120, kKeyWhite}, {"title", 640, 280, kKeyWhite},
        {"oneuptwoup", 640, 48, kKeyBlack},
    };
    for (const Screen& s : screens) {
        SCOPED_TRACE(std::string(s.name));
        const RasterImage img = load(s.name);
        ASSERT_EQ(img.width(), s.width);
        ASSERT_EQ(img.height(), s.height);
        EXPECT_TRUE(isChunky(img));
        const ColourCount n = countColours(img, s.key);
        EXPECT_EQ(n.other, 0);
        EXPECT_GT(n.key, 0);
        EXPECT_GT(n.colours.size(), 2u);
    }
    for (std::string_view name : {"about", "icon"}) {
        const RasterImage img = load(name);
        EXPECT_FALSE(img.empty()) << name;
        EXPECT_GT(countColours(img, kKeyBlack).colours.size(), 2u) << name;
    }
    const RasterImage icon = load("icon");
    EXPECT_EQ(icon.width(), icon.height());

    // The colour strip: 16 swatches of 64 x 16 in palette order from the top.
    const RasterImage strip = load("colourstrip");
    ASSERT_EQ(strip.width(), 64);
    ASSERT_EQ(strip.height(), 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(strip.pixel(x, y), c64Palette[static_cast<size_t>(y / 16)]) << x << "," << y;
}

}  // namespace
}  // namespace grusk
