// The pictures drawn at build time into the program's resource folder: every
// file the editor loads is there, has the size the catalogue expects, uses
// only C64 colours and its group's key colour, and the state and animation
// pictures really differ the way they should.
#include <gtest/gtest.h>

#include <array>
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

bool same(const RasterImage& a, const RasterImage& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

bool contains(const RasterImage& img, Rgb c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == c) return true;
    return false;
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

TEST(ShippedPictures, GlyphsAreDistinctLettersOnBlack) {
    std::vector<RasterImage> glyphs;
    for (int i = kPicGlyphA; i <= kPicGlyphDash; ++i) {
        SCOPED_TRACE(std::string(objectTypeNames[static_cast<size_t>(i)]));
        glyphs.push_back(load(objectTypeNames[static_cast<size_t>(i)]));
        for (uint32_t c : countColours(glyphs.back(), kGlyphKey).colours)
            EXPECT_TRUE(c == kGlyphKey.packed() || c == c64Palette[0].packed());
    }
    for (size_t a = 0; a < glyphs.size(); ++a)
        for (size_t b = a + 1; b < glyphs.size(); ++b)
            EXPECT_FALSE(same(glyphs[a], glyphs[b]))
                << objectTypeNames[kPicGlyphA + a] << " looks like " << objectTypeNames[kPicGlyphA + b];
}

TEST(ShippedPictures, StatePicturesDiffer) {
    // Keys and locks carry their colour, one drawing recoloured.
    const std::array<int, 7> colours = {1, 2, 3, 4, 5, 6, 7};
    for (int colour : colours) {
        for (int type : {kKey, kLock}) {
            const std::string_view name = objectTypeNames[static_cast<size_t>(keyLockPicture(type, colour))];
            SCOPED_TRACE(std::string(name));
            EXPECT_TRUE(contains(load(name), c64Palette[static_cast<size_t>(colour)]));
        }
    }
    EXPECT_TRUE(same(load("Key"), load("Key_w")));
    EXPECT_TRUE(same(load("Lock"), load("Lock_w")));

    // The second state of the monster faces the other way.
    const RasterImage left = load("Frankenstein"), right = load("Frankenstein (right)");
    ASSERT_EQ(left.width(), right.width());
    for (int y = 0; y < left.height(); ++y)
        for (int x = 0; x < left.width(); ++x) ASSERT_EQ(left.pixel(x, y), right.pixel(left.width() - 1 - x, y));

    const std::vector<std::vector<std::string_view>> cycles = {
        {"Conveyor", "Conveyor (left)", "Conveyor (right)"},
        {"conveyor Switch_left", "conveyor Switch_right", "conveyor Switch_off"},
        {"Lightning Machine", "Lightning (off)"},
        {"Lightning Switch", "Lightning Switch (off)"},
        {"Trap", "Trap (closed)"},
        {"trap switch_open", "trap switch_closed"},
        {"Door", "Exit Door"},
        {"Gun (left)", "Gun (right)"},
    };
    for (const auto& cycle : cycles)
        for (size_t a = 0; a < cycle.size(); ++a)
            for (size_t b = a + 1; b < cycle.size(); ++b)
                EXPECT_FALSE(same(load(cycle[a]), load(cycle[b]))) << cycle[a] << " = " << cycle[b];
}

TEST(ShippedPictures, AnimationFramesMove) {
    // The sixteen lightning frames are all different.
    std::vector<RasterImage> frames;
    for (int i = 0; i < 16; ++i) frames.push_back(load(objectTypeNames[static_cast<size_t>(kPicLightningFrame1 + i)]));
    for (size_t a = 0; a < frames.size(); ++a)
        for (size_t b = a + 1; b < frames.size(); ++b) EXPECT_FALSE(same(frames[a], frames[b])) << a << " " << b;

    // Each conveyor frame is the one before with the belt moved one C64 pixel
    // (2 screen pixels) in its direction; the rollers at the ends stay.
    for (int first : {kPicConveyorRightFrame1, kPicConveyorLeftFrame1}) {
        const int step = first == kPicConveyorRightFrame1 ? 2 : -2;
        for (int i = 0; i < 15; ++i) {
            const RasterImage a = load(objectTypeNames[static_cast<size_t>(first + i)]);
            const RasterImage b = load(objectTypeNames[static_cast<size_t>(first + i + 1)]);
            SCOPED_TRACE(std::string(objectTypeNames[static_cast<size_t>(first + i + 1)]));
            ASSERT_EQ(a.width(), 128);
            EXPECT_FALSE(same(a, b));
            for (int y = 4; y < 12; ++y)
                for (int x = 20; x < 108; ++x) ASSERT_EQ(b.pixel(x, y), a.pixel(x - step, y)) << x << "," << y;
        }
    }
}

TEST(ShippedPictures, StartDoorPicturesAreMarkedDoors) {
    const std::vector<std::pair<std::string_view, std::string_view>> doors = {
        {"door1", "Door"}, {"door2", "Door"}, {"door12", "Door"},
        {"exit door1", "Exit Door"}, {"exit door2", "Exit Door"}, {"exit door12", "Exit Door"},
    };
    std::vector<RasterImage> seen;
    for (const auto& [name, base] : doors) {
        SCOPED_TRACE(std::string(name));
        const RasterImage img = load(name);
        ASSERT_EQ(img.width(), 48);
        ASSERT_EQ(img.height(), 48);
        EXPECT_TRUE(isChunky(img));
        const ColourCount n = countColours(img, kKeyBlack);
        EXPECT_EQ(n.other, 0);
        EXPECT_GT(n.key, 0);
        EXPECT_FALSE(same(img, load(base)));
        for (const RasterImage& other : seen) EXPECT_FALSE(same(img, other));
        seen.push_back(img);
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
