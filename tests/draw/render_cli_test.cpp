// gruskedit-cli render and render-map from end to end: a project file and a
// program folder of test pictures in, a 640 x 400 PNG out.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "model/castle_files.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

// Width and height from a PNG's header chunk; (0, 0) when it is no PNG.
std::pair<int, int> pngSize(const std::string& path) {
    const auto b = test::readBytes(path);
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 24 || !std::equal(signature, signature + 8, b.begin()) || std::string(b.begin() + 12, b.begin() + 16) != "IHDR")
        return {0, 0};
    auto be = [&](size_t at) { return int(b[at]) << 24 | int(b[at + 1]) << 16 | int(b[at + 2]) << 8 | int(b[at + 3]); };
    return {be(16), be(20)};
}

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeTestPictureFiles(dir.path().string());
        auto castle = allocateCells();
        Room& room = castle->room(0);
        room.roomInUse = 1;
        room.roomMapRect = MapRect{16, 64, 128, 128};
        for (int x = 0; x < 10; ++x) room.walkway(x, 20) = kWalkway;
        CellRecord& door = room.object(4, 17);
        door.type = kDoor;
        door.picture = kDoor;
        castle_ = dir.file("castle.cas");
        ASSERT_TRUE(saveCastleFileTo(*castle, castle_));
    }
    // The command with the test pictures' program folder, its exit status.
    int run(std::vector<std::string> args, const std::string& folder = {}) {
        args.insert(args.begin(), {"--program-folder", folder.empty() ? dir.path().string() : folder});
        return test::runCli(args).exit;
    }

    test::TempDir dir;
    std::string castle_;
};

TEST_F(RenderCommand, WritesRoomAndMapPicturesWithLinksAndLabelsOnlyWhenAskedFor) {
    ASSERT_EQ(run({"render", castle_, "1", dir.file("plain.png")}), 0);
    EXPECT_EQ(pngSize(dir.file("plain.png")), (std::pair<int, int>{640, 400}));
    ASSERT_EQ(run({"render", castle_, "64", dir.file("room64.png")}), 0);
    ASSERT_EQ(run({"render", "--links", castle_, "1", dir.file("links.png")}), 0);
    ASSERT_EQ(run({"render", castle_, "1", dir.file("links2.png"), "--links"}), 0);
    EXPECT_NE(test::readBytes(dir.file("plain.png")), test::readBytes(dir.file("links.png")));
    EXPECT_EQ(test::readBytes(dir.file("links.png")), test::readBytes(dir.file("links2.png")));
    ASSERT_EQ(run({"render-map", castle_, dir.file("map.png")}), 0);
    EXPECT_EQ(pngSize(dir.file("map.png")), (std::pair<int, int>{640, 400}));
    ASSERT_EQ(run({"render-map", "--labels", castle_, dir.file("labels.png")}), 0);
    EXPECT_NE(test::readBytes(dir.file("map.png")), test::readBytes(dir.file("labels.png")));
}

TEST_F(RenderCommand, RefusesWrongArgumentsAndUnreadableInput) {
    const std::string out = dir.file("out.png"), missing = dir.file("missing.cas");
    const std::vector<std::vector<std::string>> wrong = {
        {"render", castle_, "0", out},       {"render", castle_, "65", out},          {"render", castle_, "one", out},
        {"render", castle_, "1"},            {"render-map", castle_},                 {"render-map", castle_, out, "extra"},
        {"render", missing, "1", out},       {"render-map", missing, out},
    };
    for (const auto& args : wrong) EXPECT_EQ(run(args), 2) << args[0] << " " << args[1] << " " << args.back();
    EXPECT_FALSE(fs::exists(out));
    // Without the editor's pictures nothing can be drawn.
    test::TempDir empty;
    EXPECT_EQ(run({"render", castle_, "1", out}, empty.path().string()), 1);
    EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace grusk
