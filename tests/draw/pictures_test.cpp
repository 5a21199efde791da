// The pictures drawn at build time (catalogue size, C64 colours, the group's key colour), and how
// a set of them loads, fails and falls back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "editor/draw/bmp.h"
#include "editor/draw/palette.h"
#include "model/castle_model.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

Rgb keyOf(int i) {
    if ((i >= kWalkway && i <= kWalkwaySlideM) || i == kDoorBell || i == kTrap || i == kPicTrapClosed ||
        i == kConveyor || i == kPicConveyorLeft || i == kPicConveyorRight ||
        (i >= kPicConveyorRightFrame1 && i < kPicConveyorLeftFrame1 + 16))
        return kTransparentKey;
    if (i >= kPicGlyphA && i <= kPicGlyphDash) return kGlyphKey;
    return i == kCamouflage ? kKeyWhite : kKeyBlack;
}

// A shipped picture's size, 2 x 2 pixel blocks and palette colours besides the key; its colours.
std::set<uint32_t> expectShipped(const std::string& name, int width, int height, Rgb key) {
    SCOPED_TRACE(name);
    const RasterImage img = bitmapFromFile(test::programDir() + "/resource/" + name + ".bmp");
    EXPECT_EQ((std::pair{img.width(), img.height()}), (std::pair{width, height}));
    std::set<uint32_t> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const Rgb c = img.pixel(x, y);
            colours.insert(c.packed());
            EXPECT_EQ(c, img.pixel(x & ~1, y & ~1)) << x << "," << y;
            EXPECT_TRUE(c == key || std::find(c64Palette.begin(), c64Palette.end(), c) != c64Palette.end()) << x << "," << y;
            if (::testing::Test::HasFailure()) return colours;
        }
    return colours;
}

TEST(ShippedPictures, EveryPictureHasItsSizeColoursAndKey) {
    for (int i = 0; i < kObjectTypes; ++i) {
        const Size cells = designedCellSize(i);
        const auto colours = expectShipped(std::string(objectTypeNames[size_t(i)]), cells.width * 16, cells.height * 16, keyOf(i));
        // Something drawn, and keyed pixels to see through (a space shows no letter: all black).
        if (i == kPicGlyphBlank) EXPECT_EQ(colours, std::set<uint32_t>{c64Palette[0].packed()});
        else EXPECT_TRUE(colours.size() > 1 && colours.count(keyOf(i).packed())) << objectTypeNames[size_t(i)];
    }
    for (const char* name : {"startpic00", "startpic01", "startpic02", "title"})
        EXPECT_GT(expectShipped(name, 640, name[0] == 't' ? 280 : 120, kKeyWhite).size(), 2u);
    EXPECT_GT(expectShipped("oneuptwoup", 640, 48, kKeyBlack).size(), 2u);
    PictureSet shipped;
    std::string failure;
    ASSERT_TRUE(shipped.loadObjectPictures(test::programDir(), &failure)) << failure;
    shipped.loadStartupGraphics(test::programDir());
    EXPECT_EQ(shipped.colourStrip().width(), 64);  // the file, as the palette would make it
    for (int y = 0; y < 256; ++y) ASSERT_EQ(shipped.colourStrip().pixel(y % 64, y), c64Palette[size_t(y / 16)]) << y;
    const RasterImage icon = bitmapFromFile(test::programDir() + "/resource/icon.bmp");
    EXPECT_TRUE(!shipped.about().empty() && !icon.empty() && icon.width() == icon.height());
}

class PictureSetLoading : public ::testing::Test {
protected:
    void SetUp() override { test::writeTestPictureFiles(dir.path().string()); }
    void TearDown() override { resetPictureSizes(); }
    std::string resource(const std::string& name) const { return (dir.path() / "resource" / name).string(); }
    bool load() { return set.loadObjectPictures(dir.path().string(), &failure); }

    test::TempDir dir;
    std::string failure;
    PictureSet set;
};

TEST_F(PictureSetLoading, FailuresNameTheFile) {
    fs::remove(resource("Force Field.bmp"));
    EXPECT_FALSE(load());
    EXPECT_EQ(failure, (fs::path("resource") / "Force Field.bmp").string() + " NOT found!!");
    EXPECT_FALSE(set.picture(kForceFieldSwitch).empty());
    EXPECT_TRUE(set.picture(kFrankenstein).empty());  // loading stopped at the missing one
    // A sparse file far larger than any picture: it costs no disk space.
    test::writeTestPictureFiles(dir.path().string());
    fs::resize_file(resource("Key_w.bmp"), uintmax_t(100) * 1024 * 1024);
    EXPECT_FALSE(load());
    EXPECT_EQ(failure, (fs::path("resource") / "Key_w.bmp").string() + " could NOT be allocated!!");
}

TEST_F(PictureSetLoading, HeaderSizesGoToTheCatalogueAndDamagedPicturesStayEmpty) {
    test::writeBytes(resource("Trap.bmp"), test::bmp24(RasterImage(48, 16, Rgb{1, 2, 3})));
    auto damaged = test::bmp24(RasterImage(32, 32, Rgb{1, 2, 3}));
    damaged[14] = 12;  // header not understood: not drawn, but its size counts
    test::writeBytes(resource("Mummy.bmp"), damaged);
    damaged = test::bmp24(RasterImage(16, 16, Rgb{1, 2, 3}));
    damaged[18] = 0;  // no width: the designed size stays
    test::writeBytes(resource("Ladder.bmp"), damaged);
    fs::remove(resource("door2.bmp"));  // door pictures may be missing silently
    ASSERT_TRUE(load()) << failure;
    EXPECT_EQ(set.doorPicture(kDoorPictureP1).pixel(0, 0), test::doorPictureColour(kDoorPictureP1));
    EXPECT_EQ((std::vector{cellSize(kTrap), pictureSize(kMummy), pictureSize(kLadder)}),
              (std::vector<Size>{{3, 1}, {32, 32}, {16, 16}}));
    EXPECT_TRUE(set.picture(kMummy).empty() && set.picture(kLadder).empty() && set.picture(-1).empty() &&
                set.picture(kObjectTypes).empty() && set.doorPicture(kDoorPictureP2).empty() && set.doorPicture(6).empty());
}

TEST_F(PictureSetLoading, StartupGraphicsAndTheMadeColourStrip) {
    test::writeBytes(resource("startpic01.bmp"), test::bmp24(RasterImage(640, 120, Rgb{1, 1, 51})));
    set.loadStartupGraphics(dir.path().string(), 1);
    EXPECT_EQ(set.startPicture().pixel(0, 0), (Rgb{1, 1, 51}));
    ASSERT_EQ(set.colourStrip().height(), 256);  // no file: made from the palette
    for (int y = 0; y < 256; ++y) ASSERT_EQ(set.colourStrip().pixel(y % 64, y), c64Palette[size_t(y / 16)]) << y;
    for (int asked : {0, 0, 0, 1, 2, -1, 3, 7}) {  // outside the three: one of them at random
        set.loadStartupGraphics(dir.path().string(), asked);
        const int got = set.startPictureIndex();
        EXPECT_TRUE(asked >= 0 && asked < 3 ? got == asked : got >= 0 && got < 3) << asked;
    }
}

}  // namespace
}  // namespace grusk
