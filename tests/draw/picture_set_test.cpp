#include <gtest/gtest.h>

#include <filesystem>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "editor/draw/palette.h"
#include "editor/draw/picture_set.h"
#include "model/castle_model.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

std::string sep() { return std::string(1, char(fs::path::preferred_separator)); }

class PictureSetLoading : public ::testing::Test {
protected:
    void SetUp() override { test::writeTestPictureFiles(dir.path().string()); }
    void TearDown() override { resetPictureSizes(); }
    std::string resource(const std::string& name) const { return (dir.path() / "resource" / name).string(); }

    test::TempDir dir;
    std::string failure;
    PictureSet set;
};

TEST_F(PictureSetLoading, LoadsEveryPictureAndTheDoors) {
    ASSERT_TRUE(set.loadObjectPictures(dir.path().string(), &failure));
    EXPECT_TRUE(failure.empty());
    for (int i = 0; i < kObjectTypes; ++i) {
        ASSERT_FALSE(set.picture(i).empty()) << i;
        EXPECT_EQ(set.picture(i).width(), designedCellSize(i).width * 16);
    }
    EXPECT_EQ(set.picture(kDoor).pixel(5, 5), test::pictureColour(kDoor));
    for (int k = 0; k < kDoorPictureCount; ++k) EXPECT_EQ(set.doorPicture(k).pixel(0, 0), test::doorPictureColour(k));
    EXPECT_TRUE(set.picture(-1).empty());
    EXPECT_TRUE(set.picture(153).empty());
    EXPECT_TRUE(set.doorPicture(6).empty());
}

TEST_F(PictureSetLoading, MissingPictureStopsWithItsName) {
    fs::remove(resource("Force Field.bmp"));
    EXPECT_FALSE(set.loadObjectPictures(dir.path().string(), &failure));
    EXPECT_EQ(failure, "resource" + sep() + "Force Field.bmp NOT found!!");
    EXPECT_FALSE(set.picture(kForceFieldSwitch).empty());
    EXPECT_TRUE(set.picture(kFrankenstein).empty());  // loading stopped at the missing one
}

TEST_F(PictureSetLoading, PictureTooBigToHoldStopsWithAllocationMessage) {
    // A sparse file far larger than any picture: it costs no disk space.
    fs::resize_file(resource("Key_w.bmp"), uintmax_t(100) * 1024 * 1024);
    EXPECT_FALSE(set.loadObjectPictures(dir.path().string(), &failure));
    EXPECT_EQ(failure, "resource" + sep() + "Key_w.bmp could NOT be allocated!!");
}

TEST_F(PictureSetLoading, HeaderSizesGoToTheCatalogueAndDamagedPicturesStayEmpty) {
    test::writeBytes(resource("Trap.bmp"), test::bmp24(RasterImage(48, 16, Rgb{1, 2, 3})));
    auto damaged = test::bmp24(RasterImage(32, 32, Rgb{1, 2, 3}));
    damaged[14] = 12;  // header not understood: not drawn, but its size counts
    test::writeBytes(resource("Mummy.bmp"), damaged);
    auto noWidth = test::bmp24(RasterImage(16, 16, Rgb{1, 2, 3}));
    noWidth[18] = 0;
    test::writeBytes(resource("Ladder.bmp"), noWidth);
    fs::remove(resource("door2.bmp"));  // door pictures may be missing silently
    ASSERT_TRUE(set.loadObjectPictures(dir.path().string(), &failure));
    EXPECT_TRUE(failure.empty());
    EXPECT_EQ(pictureSize(kTrap), (Size{48, 16}));
    EXPECT_EQ(cellSize(kTrap), (Size{3, 1}));
    EXPECT_EQ(pictureSize(kMummy), (Size{32, 32}));
    EXPECT_TRUE(set.picture(kMummy).empty());
    EXPECT_EQ(pictureSize(kLadder), (Size{16, 16}));
    EXPECT_TRUE(set.picture(kLadder).empty());
    EXPECT_TRUE(set.doorPicture(kDoorPictureP2).empty());
    EXPECT_FALSE(set.doorPicture(kDoorPictureP1).empty());
}

TEST_F(PictureSetLoading, StartupGraphics) {
    test::writeBytes(resource("oneuptwoup.bmp"), test::bmp24(RasterImage(640, 48, Rgb{1, 1, 50})));
    test::writeBytes(resource("startpic01.bmp"), test::bmp24(RasterImage(640, 120, Rgb{1, 1, 51})));
    test::writeBytes(resource("title.bmp"), test::bmp24(RasterImage(640, 280, Rgb{1, 1, 52})));
    set.loadStartupGraphics(dir.path().string(), 1);
    EXPECT_EQ(set.startPictureIndex(), 1);
    EXPECT_EQ(set.markers().pixel(639, 47), (Rgb{1, 1, 50}));
    EXPECT_EQ(set.startPicture().pixel(0, 0), (Rgb{1, 1, 51}));
    EXPECT_EQ(set.title().height(), 280);
    EXPECT_TRUE(set.about().empty());
    // No colour strip file: made from the palette, 16 pixels per colour from the top.
    ASSERT_EQ(set.colourStrip().width(), 64);
    ASSERT_EQ(set.colourStrip().height(), 256);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(set.colourStrip().pixel(0, 16 * i), c64Palette[size_t(i)]);
        EXPECT_EQ(set.colourStrip().pixel(63, 16 * i + 15), c64Palette[size_t(i)]);
    }
    test::writeBytes(resource("colourstrip.bmp"), test::bmp24(RasterImage(64, 256, Rgb{7, 7, 7})));
    for (int round = 0; round < 20; ++round) {
        set.loadStartupGraphics(dir.path().string());
        ASSERT_GE(set.startPictureIndex(), 0);
        ASSERT_LT(set.startPictureIndex(), 3);
    }
    EXPECT_EQ(set.colourStrip().pixel(0, 0), (Rgb{7, 7, 7}));
}

}  // namespace
}  // namespace grusk
