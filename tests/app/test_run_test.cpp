// "Test Castle" in a program folder of its own: the castle program and the
// game disk are rebuilt, the castle is on the disk, and the emulator gets the
// image path as its one argument; a castle with errors builds and starts nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/disk_commands.h"
#include "app/sample_castle.h"
#include "app/test_run.h"
#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "model/safe_file.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

class TestRunTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    test::TempDir dir;
    fs::path cwd = fs::current_path();

    void SetUp() override {
        fs::create_directories(dir.path() / "resource");
        fs::create_directories(dir.path() / "d64");
        fs::copy_file(test::sourceDir() + "/data/endroom/endroom.bin", dir.path() / "resource" / "endroom.bin");
        for (const char* name : kGameFiles) test::writeBytes((dir.path() / "d64" / name).string(), {1, 8, 0x60});
        app.programFolder = dir.path().string();
        app.emulatorPath = "/opt/vice/x64sc";
    }
    void TearDown() override { fs::current_path(cwd); }

    std::string image() const { return (dir.path() / "resource" / "test00.d64").string(); }
};

TEST_F(TestRunTest, BuildsTheTestDiskAndStartsTheEmulatorOnIt) {
    buildSampleCastle(app);
    ui.messages.clear();
    selectRoom(app, 2);
    testCastle(app);
    EXPECT_TRUE(ui.messageTexts().empty());
    ASSERT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(ui.started[0].path, "/opt/vice/x64sc");
    EXPECT_EQ(ui.started[0].args, std::vector<std::string>{image()});
    EXPECT_GT(fileSize((dir.path() / "resource" / "ztest00.prg").string()), 545);
    const auto castles = listImageCastles(image());
    ASSERT_TRUE(castles.has_value());
    EXPECT_NE(std::find(castles->begin(), castles->end(), "ztest00"), castles->end());
    EXPECT_EQ(app.castle.currentRoom, 2) << "the room being edited is shown again";
    EXPECT_EQ(fs::current_path(), dir.path());

    // A second run rebuilds the disk from scratch and starts again.
    test::writeBytes(image(), {1, 2, 3});
    testCastle(app);
    EXPECT_EQ(ui.started.size(), 2u);
    EXPECT_EQ(fileSize(image()), 174848);
}

TEST_F(TestRunTest, ACastleWithErrorsBuildsAndStartsNothing) {
    // An older program from an earlier run must not outlive a failed build.
    test::writeBytes((dir.path() / "resource" / "ztest00.prg").string(), {0, 0x78, 9, 9});
    testCastle(app);  // no rooms at all
    EXPECT_TRUE(ui.started.empty());
    EXPECT_FALSE(fs::exists(image()));
    EXPECT_FALSE(fs::exists(dir.path() / "resource" / "ztest00.prg"));
    ASSERT_FALSE(ui.log.empty());
    EXPECT_NE(ui.log[0].find("No Rooms defined"), std::string::npos);
}

TEST_F(TestRunTest, AProgramThatCannotBeWrittenStartsNothing) {
    buildSampleCastle(app);
    ui.messages.clear();
    fs::create_directories(dir.path() / "resource" / "ztest00.prg" / "inside");  // cannot be replaced
    testCastle(app);
    EXPECT_TRUE(ui.started.empty());
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"File cannot be written!"});
}

TEST_F(TestRunTest, AnImageThatCannotBeBuiltIsReported) {
    buildSampleCastle(app);
    ui.messages.clear();
    fs::create_directories(image());  // a folder where the image should go
    testCastle(app);
    EXPECT_TRUE(ui.started.empty());
    ASSERT_FALSE(ui.messageTexts().empty());
    EXPECT_EQ(ui.messageTexts().back(), "Could not create image!");
}

TEST_F(TestRunTest, AnEmulatorThatCannotBeStartedIsReported) {
    buildSampleCastle(app);
    ui.messages.clear();
    ui.startSucceeds = false;
    testCastle(app);
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Could not start /opt/vice/x64sc"});
    app.emulatorPath.clear();
    ui.messages.clear();
    ui.started.clear();
    testCastle(app);
    EXPECT_TRUE(ui.started.empty());
    EXPECT_EQ(ui.messageTexts(), std::vector<std::string>{"Could not start (no program set)"});
}

// Installed: the shipped files come from a read-only data folder, everything
// written goes to the user's folder, and a game file the user put there wins
// over the shipped one of the same name, file by file.
TEST_F(TestRunTest, AnInstalledEditorWritesOnlyIntoTheUsersFolder) {
    test::TempDir user;
    fs::create_directories(user.path() / "resource");
    fs::create_directories(user.path() / "d64");
    const std::vector<uint8_t> own{1, 8, 0x42, 0x42, 0x42};
    test::writeBytes((user.path() / "d64" / "castles.prg").string(), own);
    app.dataFolder = dir.path().string();
    app.programFolder = user.path().string();
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);  // as under /usr/share

    buildSampleCastle(app);
    ui.messages.clear();
    testCastle(app);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_TRUE(ui.messageTexts().empty());
    const std::string userImage = (user.path() / "resource" / "test00.d64").string();
    ASSERT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(ui.started[0].args, std::vector<std::string>{userImage});
    EXPECT_FALSE(fs::exists(image()));
    EXPECT_EQ(fs::current_path(), user.path());
    // The compiled castle ends with the shipped end-room data.
    const auto program = test::readBytes((user.path() / "resource" / "ztest00.prg").string());
    const auto endroom = test::readBytes(dir.file("resource/endroom.bin"));
    ASSERT_GT(program.size(), endroom.size());
    EXPECT_TRUE(std::equal(endroom.begin(), endroom.end(), program.end() - long(endroom.size())));

    const std::string out = user.file("out.prg");
    ASSERT_EQ(extractFile(userImage, "castles", out), 0);
    EXPECT_EQ(test::readBytes(out), own) << "the user's copy wins";
    fs::remove(out);
    ASSERT_EQ(extractFile(userImage, "grusk", out), 0);
    EXPECT_EQ(test::readBytes(out), (std::vector<uint8_t>{1, 8, 0x60})) << "the shipped stand-in fills in";
}

}  // namespace
}  // namespace grusk
