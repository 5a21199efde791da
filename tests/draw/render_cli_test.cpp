// gruskedit-cli render and render-map from end to end: a project file and a
// program folder of test pictures in, a 640 x 400 PNG out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "draw/draw_support.h"
#include "editor/catalogue.h"
#include "model/castle_files.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

std::string cli() { return test::programDir() + "/gruskedit-cli"; }

std::string q(const std::string& path);

int run(const std::string& arguments) {
    const std::string command = q(cli()).append(" ").append(arguments).append(" >/dev/null 2>&1");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Appended piece by piece: GCC 12 at -O3 sees a false overlap (-Wrestrict)
// in "'" + std::string when it is inlined.
std::string q(const std::string& path) {
    std::string quoted(1, '\'');
    quoted.append(path).push_back('\'');
    return quoted;
}

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
        if (!fs::exists(cli())) GTEST_SKIP() << "gruskedit-cli is not built";
        test::writeTestPictureFiles(dir.path().string());
        auto castle = allocateCells();
        Room& room = castle->room(0);
        room.roomInUse = 1;
        room.roomMapRect = MapRect{16, 64, 128, 128};
        for (int x = 0; x < 10; ++x) room.walkway(x, 20) = kWalkway;
        CellRecord& door = room.object(4, 17);
        door.type = kDoor;
        door.picture = kDoor;
        castlePath = dir.file("castle.cas");
        ASSERT_TRUE(saveCastleFileTo(*castle, castlePath));
        folder = "--program-folder " + q(dir.path().string()) + " ";
    }

    test::TempDir dir;
    std::string castlePath;
    std::string folder;
};

TEST_F(RenderCommand, WritesRoomAndMapPictures) {
    ASSERT_EQ(run(folder + "render " + q(castlePath) + " 1 " + q(dir.file("room.png"))), 0);
    EXPECT_EQ(pngSize(dir.file("room.png")), (std::pair<int, int>{640, 400}));
    ASSERT_EQ(run(folder + "render " + q(castlePath) + " 64 " + q(dir.file("room64.png"))), 0);
    ASSERT_EQ(run(folder + "render-map " + q(castlePath) + " " + q(dir.file("map.png"))), 0);
    EXPECT_EQ(pngSize(dir.file("map.png")), (std::pair<int, int>{640, 400}));
}

TEST_F(RenderCommand, LinksAndLabelsAreDrawnOnlyWhenAskedFor) {
    const auto file = [&](const char* name) { return q(dir.file(name)); };
    ASSERT_EQ(run(folder + "render " + q(castlePath) + " 1 " + file("plain.png")), 0);
    ASSERT_EQ(run(folder + "render --links " + q(castlePath) + " 1 " + file("links.png")), 0);
    ASSERT_EQ(run(folder + "render " + q(castlePath) + " 1 " + file("links2.png") + " --links"), 0);
    EXPECT_NE(test::readBytes(dir.file("plain.png")), test::readBytes(dir.file("links.png")));
    EXPECT_EQ(test::readBytes(dir.file("links.png")), test::readBytes(dir.file("links2.png")));
    ASSERT_EQ(run(folder + "render-map " + q(castlePath) + " " + file("map.png")), 0);
    ASSERT_EQ(run(folder + "render-map --labels " + q(castlePath) + " " + file("labels.png")), 0);
    EXPECT_NE(test::readBytes(dir.file("map.png")), test::readBytes(dir.file("labels.png")));
}

TEST_F(RenderCommand, RefusesWrongArgumentsAndUnreadableInput) {
    const std::string out = q(dir.file("out.png"));
    EXPECT_EQ(run(folder + "render " + q(castlePath) + " 0 " + out), 2);
    EXPECT_EQ(run(folder + "render " + q(castlePath) + " 65 " + out), 2);
    EXPECT_EQ(run(folder + "render " + q(castlePath) + " one " + out), 2);
    EXPECT_EQ(run(folder + "render " + q(castlePath) + " 1"), 2);
    EXPECT_EQ(run(folder + "render-map " + q(castlePath)), 2);
    EXPECT_EQ(run(folder + "render-map " + q(castlePath) + " " + out + " extra"), 2);
    EXPECT_EQ(run(folder + "render " + q(dir.file("missing.cas")) + " 1 " + out), 2);
    EXPECT_EQ(run(folder + "render-map " + q(dir.file("missing.cas")) + " " + out), 2);
    EXPECT_FALSE(fs::exists(dir.file("out.png")));
    // Without the editor's pictures nothing can be drawn.
    test::TempDir empty;
    EXPECT_EQ(run("--program-folder " + q(empty.path().string()) + " render " + q(castlePath) + " 1 " + out), 1);
    EXPECT_FALSE(fs::exists(dir.file("out.png")));
}

}  // namespace
}  // namespace grusk
