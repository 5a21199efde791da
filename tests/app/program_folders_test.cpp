// Where the shipped files and the user's files are looked for: a program
// folder (the build's or a copied one) holds both; an installed program reads
// from share/gruskedit and writes to the user's data folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_state.h"
#include "app/program_folders.h"
#include "disk/game_disk.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

// A working folder, an executable in <prefix>/bin and its share folder, each
// with resource/ or without.
struct Layout {
    test::TempDir root;
    std::string work = (root.path() / "work").string();
    std::string bin = (root.path() / "prefix" / "bin").string();
    std::string share = (root.path() / "prefix" / "share" / "gruskedit").string();
    Layout(bool workRes, bool binRes, bool shareRes) {
        for (const auto& [dir, res] : {std::pair{work, workRes}, {bin, binRes}, {share, shareRes}})
            fs::create_directories(res ? fs::path(dir) / "resource" : fs::path(dir));
    }
};

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
    const auto editor = FolderPreference::WorkingFolderFirst;
    const auto tool = FolderPreference::ExecutableFolderFirst;
    const Case cases[] = {
        {"editor started in a program folder", true, true, true, editor, "@", true, Work, Work},
        {"editor in the build's program folder", false, true, true, editor, "@", true, Bin, Bin},
        {"editor installed", false, false, true, editor, "@", true, Share, XdgUser},
        {"relative XDG_DATA_HOME is ignored", false, false, true, editor, "rel/data", true, Share, HomeUser},
        {"no XDG_DATA_HOME", false, false, true, editor, "", true, Share, HomeUser},
        {"no home at all: the working folder", false, false, true, editor, "", false, Share, Work},
        {"editor with nothing found: beside itself", false, false, false, editor, "@", true, Bin, Bin},
        {"tool beside its resources", true, true, true, tool, "@", true, Bin, Bin},
        {"tool installed ignores the working folder", true, false, true, tool, "@", true, Share, XdgUser},
        {"tool with nothing found: the working folder", false, false, false, tool, "@", true, Work, Work},
        {"tool in a program folder, not installed", true, false, false, tool, "@", true, Work, Work},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Layout l(c.workRes, c.binRes, c.shareRes);
        const std::string xdg = (l.root.path() / "xdg").string();
        const std::string home = (l.root.path() / "home").string();
        FolderEnvironment env{l.work, l.bin, std::string(c.dataHome) == "@" ? xdg : c.dataHome, c.home ? home : ""};
        auto path = [&](Where w) {
            switch (w) {
                case Work: return l.work;
                case Bin: return l.bin;
                case Share: return l.share;
                case XdgUser: return xdg + "/GruskEdit";
                case HomeUser: return home + "/.local/share/GruskEdit";
            }
            return std::string();
        };
        const ProgramFolders f = locateProgramFolders(env, c.preference);
        EXPECT_EQ(f.dataFolder, path(c.data));
        EXPECT_EQ(f.userFolder, path(c.user));
        EXPECT_EQ(f.installed, c.data == Share);
    }
}

TEST(ProgramFoldersTest, EachGameFileComesFromTheUserWhenTheUserHasIt) {
    test::TempDir user, data;
    fs::create_directories(user.path() / "d64" / "grusk.prg");  // a folder is no game file
    test::writeBytes(user.file("d64/castles.prg"), {1, 8});
    test::writeBytes(user.file("d64/pic a title.prg"), {1, 8});
    FakePlatform ui;
    AppState app(ui);
    app.programFolder = user.path().string();
    app.dataFolder = data.path().string();
    for (const char* name : kGameFiles) {
        const bool own = std::string(name) == "castles.prg" || std::string(name) == "pic a title.prg";
        EXPECT_EQ(app.gameFilePath(name), ((own ? user.path() : data.path()) / "d64" / name).string()) << name;
    }
    EXPECT_EQ(app.dataPath("help.txt"), data.file("help.txt"));
    EXPECT_EQ(app.programPath("GruskEdit.ini"), user.file("GruskEdit.ini"));

    // One program folder: everything below it, whether the file is there or not.
    app.dataFolder.clear();
    EXPECT_EQ(app.gameFilePath("grusk.prg"), user.file("d64/grusk.prg"));
    EXPECT_EQ(app.gameFilePath("music0.prg"), user.file("d64/music0.prg"));
    EXPECT_EQ(app.dataPath("resource/endroom.bin"), user.file("resource/endroom.bin"));
}

TEST(ProgramFoldersTest, TheUsersFolderIsMadeOnlyWhenInstalled) {
    test::TempDir root;
    std::string message;
    const std::string user = (root.path() / "deep" / "GruskEdit").string();
    EXPECT_TRUE(prepareUserFolder(ProgramFolders{root.file("share"), user, false}, &message));
    EXPECT_FALSE(fs::exists(user));
    EXPECT_TRUE(prepareUserFolder(ProgramFolders{root.file("share"), user, true}, &message));
    EXPECT_TRUE(fs::is_directory(fs::path(user) / "resource"));
    EXPECT_TRUE(fs::is_directory(fs::path(user) / "d64"));
    EXPECT_TRUE(prepareUserFolder(ProgramFolders{root.file("share"), user, true}, &message)) << "again: no harm";

    test::writeBytes(root.file("file"), {1});
    EXPECT_FALSE(prepareUserFolder(ProgramFolders{root.file("share"), root.file("file"), true}, &message));
    EXPECT_NE(message.find(root.file("file")), std::string::npos) << message;
}

}  // namespace
}  // namespace grusk
