// Where files are looked for, which emulator is used, "Test Castle" and the sample castle.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "app/program_folders.h"
#include "app/sample_castle.h"
#include "app/startup.h"
#include "app/test_run.h"
#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "editor/catalogue.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFoldersTest, LookupOrder) {
    enum Where { Work, Bin, Share, XdgUser, HomeUser };
    struct Case {
        const char* what;
        bool workRes, binRes, shareRes;
        FolderPreference preference;
        const char* dataHome;  // "@" stands for <root>/xdg
        bool home;
        Where data, user;
    };
    const auto editor = FolderPreference::WorkingFolderFirst, tool = FolderPreference::ExecutableFolderFirst;
    const Case cases[] = {
        {"editor started in a program folder", true, true, true, editor, "@", true, Work, Work},
        {"editor in the build's program folder", false, true, true, editor, "@", true, Bin, Bin},
        {"editor installed", false, false, true, editor, "@", true, Share, XdgUser},
        {"relative XDG_DATA_HOME is ignored", false, false, true, editor, "rel/data", true, Share, HomeUser},
        {"no home at all: the working folder", false, false, true, editor, "", false, Share, Work},
        {"editor with nothing found: beside itself", false, false, false, editor, "@", true, Bin, Bin},
        {"tool installed ignores the working folder", true, false, true, tool, "@", true, Share, XdgUser},
        {"tool with nothing found: the working folder", false, false, false, tool, "@", true, Work, Work},
        {"tool in a program folder, not installed", true, false, false, tool, "@", true, Work, Work},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir root;
        const fs::path r = root.path();
        const std::string paths[] = {(r / "work").string(), (r / "prefix/bin").string(),
                                     (r / "prefix/share/gruskedit").string(), (r / "xdg/GruskEdit").string(),
                                     (r / "home/.local/share/GruskEdit").string()};
        for (int w : {Work, Bin, Share}) {
            const bool res = w == Work ? c.workRes : w == Bin ? c.binRes : c.shareRes;
            fs::create_directories(res ? fs::path(paths[w]) / "resource" : fs::path(paths[w]));
        }
        const std::string dataHome = std::string(c.dataHome) == "@" ? (r / "xdg").string() : c.dataHome;
        const ProgramFolders f = locateProgramFolders(
            FolderEnvironment{paths[Work], paths[Bin], dataHome, c.home ? (r / "home").string() : ""}, c.preference);
        EXPECT_EQ(std::tuple(f.dataFolder, f.userFolder, f.installed),
                  std::tuple(paths[c.data], paths[c.user], c.data == Share));
    }
    // The user's folder is made, or the message names what stands in its way.
    test::TempDir root;
    std::string message;
    const std::string user = root.file("deep/GruskEdit");
    EXPECT_TRUE(prepareUserFolder(ProgramFolders{root.file("share"), user, true}, &message));
    EXPECT_TRUE(fs::is_directory(fs::path(user) / "d64"));
    test::writeBytes(root.file("file"), {1});
    EXPECT_FALSE(prepareUserFolder(ProgramFolders{root.file("share"), root.file("file"), true}, &message));
    EXPECT_NE(message.find(root.file("file")), std::string::npos) << message;
}

void makeProgram(const fs::path& path, fs::perms perms = fs::perms::owner_all) {
    fs::create_directories(path.parent_path());
    test::writeBytes(path.string(), {'#', '!'});
    fs::permissions(path, perms);
}

// A program folder with the end room and stand-ins for the game's files.
class EditorFolder : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    test::TempDir dir;
    fs::path cwd = fs::current_path();

    void SetUp() override {
        for (const char* sub : {"resource", "d64"}) fs::create_directories(dir.path() / sub);
        fs::copy_file(test::sourceDir() + "/data/endroom/endroom.bin", dir.path() / "resource" / "endroom.bin");
        for (const char* name : kGameFiles) test::writeBytes((dir.path() / "d64" / name).string(), {1, 8, 0x60});
        app.programFolder = dir.path().string();
        app.emulatorPath = "/opt/vice/x64sc";
    }
    void TearDown() override { fs::current_path(cwd); }
    std::string image() const { return (dir.path() / "resource" / "test00.d64").string(); }
};

TEST_F(EditorFolder, EmulatorComesFromTheFileThenTheBundleThenTheSearchPath) {
    test::TempDir bin1, bin2;
    const std::string bundled = (dir.path() / "vice" / "x64sc").string();
    const std::string search = bin1.path().string() + "::" + bin2.path().string();
    const auto found = [&](const Configuration& config = {}) {
        applyConfiguration(app, config, search);
        return app.emulatorPath;
    };
    EXPECT_EQ(found(), bundled) << "nothing found: the bundled path";
    makeProgram(bin1.path() / "x64sc", fs::perms::owner_read);  // cannot run
    makeProgram(bin2.path() / "x64");
    makeProgram(bin2.path() / "x64sc");
    EXPECT_EQ(found(), (bin2.path() / "x64sc").string()) << "x64sc before x64";
    makeProgram(bundled);
    EXPECT_EQ(found(), bundled);
    // A file that gives no usable path counts as no path at all.
    EXPECT_EQ(found(Configuration{true, " \t\r\n"}), bundled);
    EXPECT_EQ(found(Configuration{true, "/usr/games/x64sc"}), "/usr/games/x64sc");
}

// A castle with errors builds nothing and leaves no older program; each failure is reported.
TEST_F(EditorFolder, WhatCannotBeBuiltOrStartedStartsNothingAndIsReported) {
    test::writeBytes((dir.path() / "resource" / "ztest00.prg").string(), {0, 0x78, 9, 9});
    testCastle(app);  // no rooms at all
    EXPECT_FALSE(!ui.started.empty() || fs::exists(image()) || fs::exists(dir.path() / "resource" / "ztest00.prg"));

    const std::pair<std::function<void()>, const char*> failures[] = {
        {[&] { fs::create_directories(dir.file("resource/ztest00.prg/inside")); }, "File cannot be written!"},
        {[&] { ui.startSucceeds = false; }, "Could not start /opt/vice/x64sc"},
        {[&] { app.emulatorPath.clear(); }, "Could not start (no program set)"},
    };
    buildSampleCastle(app);
    for (const auto& [spoil, message] : failures) {
        fs::remove_all(dir.path() / "resource" / "ztest00.prg");
        fs::remove_all(image());
        ui.clearRecords();
        spoil();
        testCastle(app);
        EXPECT_EQ(ui.messageTexts().empty() ? "" : ui.messageTexts().back(), message);
    }
}

// Installed: shipped files are read from the data folder, all is written to the user's folder.
TEST_F(EditorFolder, AnInstalledEditorBuildsTheDiskInTheUsersFolderAndStartsTheEmulator) {
    test::TempDir user;
    for (const char* sub : {"resource", "d64"}) fs::create_directories(user.path() / sub);
    const std::string userImage = user.file("resource/test00.d64");
    test::writeBytes(userImage, {1, 2, 3});
    const std::vector<uint8_t> own{1, 8, 0x42, 0x42, 0x42};
    test::writeBytes(user.file("d64/castles.prg"), own);
    fs::create_directories(user.path() / "d64" / "grusk.prg");  // a folder is no game file
    app.dataFolder = dir.path().string();
    app.programFolder = user.path().string();
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);  // as under /usr/share
    buildSampleCastle(app);
    selectRoom(app, 2);
    ui.messages.clear();
    testCastle(app);
    fs::permissions(dir.path(), fs::perms::owner_all);
    ASSERT_TRUE(ui.messageTexts().empty() && ui.started.size() == 1u);
    EXPECT_EQ(ui.started[0].args, std::vector<std::string>{userImage});
    EXPECT_EQ(app.castle.currentRoom, 2) << "the room being edited is shown again";
    for (const auto& [name, bytes] : {std::pair{"castles", own}, {"grusk", std::vector<uint8_t>{1, 8, 0x60}}}) {
        fs::remove(user.file("out.prg"));
        ASSERT_EQ(extractFile(userImage, name, user.file("out.prg")), 0);
        EXPECT_EQ(test::readBytes(user.file("out.prg")), bytes) << name;
    }
}

// The sample castle uses every type and still compiles to the committed program.
TEST_F(EditorFolder, SampleCastleGeneratorGivesTheCommittedProgram) {
    std::vector<std::string> errors;
    const auto program = sampleCastleProgram(app, &errors);
    ASSERT_TRUE(program.has_value()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(*program, test::readBytes(test::sourceDir() + "/examples/sample.prg"))
        << "regenerate examples/sample.prg with the regenerate_sample target";
    std::set<int> types;
    for (const Room& room : app.castle.rooms)
        for (int c = 0; c < kCellsPerRoom; ++c) {
            const int x = c % kColumns, y = c / kColumns;
            types.insert({room.object(x, y).type, room.vertical(x, y).type});
            if (room.walkway(x, y) != kEmpty) types.insert(kWalkway);
            if (room.camouflage(x, y)) types.insert(kCamouflage);
        }
    for (int t = 0; t < kPaletteTypes; ++t) EXPECT_TRUE(types.count(t)) << objectTypeName(t);
}

}  // namespace
}  // namespace grusk
