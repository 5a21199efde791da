// "Recent Castles" and files dropped on the main window, through the editor session.
#include <gtest/gtest.h>

#include "app/recent_files.h"
#include "app/session_driver.h"

namespace grusk {
namespace {

TEST(RecentFiles, NewestFirstOnceEachAtMostEight) {
    RecentFiles recent;
    for (int i = 0; i < 10; ++i) recent.add("/c/f" + std::to_string(i) + ".cas");
    recent.add("/c/./f5.cas");  // the same file named another way moves up
    EXPECT_TRUE(recent.remove("/c/f7.cas"));
    EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/c/f5.cas", "/c/f9.cas", "/c/f8.cas", "/c/f6.cas",
                                                        "/c/f4.cas", "/c/f3.cas", "/c/f2.cas"}));

    recent.set({"", "/a.prg", "/b.cas", "/a.prg", "/c.cas", "/d", "/e", "/f", "/g", "/h", "/i"});
    EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/a.prg", "/b.cas", "/c.cas", "/d", "/e", "/f", "/g", "/h"}));
}

TEST(RecentFiles, KindByExtensionThenBySize) {
    test::TempDir dir;
    using enum FileKind;
    for (const auto& [name, size, kind] :
         {std::tuple{"B.CAS", 0, Project}, {"zcastle.prg", 5, CastleProgram}, {"room.Crm", 1, Room},
          {"disk.D71", 3, DiskImage}, {"notes.txt", 100, Unknown}, {"room.bak", int(kRoomFileSize), Room},
          {"image", 174848, DiskImage}, {"noext", 12, Unknown}}) {
        test::writeBytes(dir.file(name), std::vector<uint8_t>(size_t(size), 0));
        EXPECT_EQ(fileKindOf(dir.file(name)), kind) << name;
    }
}

class RecentDropTest : public ::testing::Test, protected test::SessionDriver {
protected:
    test::TempDir dir;
    const std::string program = test::sourceDir() + "/examples/sample.prg";
    std::string projectFile(const std::string& name) {
        buildSampleCastle(app);
        EXPECT_TRUE(saveCastleFileTo(castle, dir.file(name)));
        run(kCmdNew);
        return dir.file(name);
    }
    const std::vector<std::string>& recent() { return session.recentFiles().paths(); }
};

TEST_F(RecentDropTest, LoadingAndSavingPutFilesOnTheList) {
    const std::string cas = projectFile("sample.cas");
    ui.files = {cas, program, dir.file("copy")};
    for (int id : {kCmdLoadProject, kCmdLoadCastle, kCmdSaveProject}) run(id);
    EXPECT_EQ(recent(), (std::vector<std::string>{dir.file("copy.cas"), program, cas}));
    // "Save Castle..." lists the program it wrote, named as it was written.
    app.programFolder = test::programDir();
    ui.files = {dir.file("mine")};
    run(kCmdSaveCastle);
    EXPECT_EQ(recent().front(), dir.file("zmine.prg"));
    // Cancelled dialogs and failed loads change nothing.
    const auto before = recent();
    test::writeBytes(dir.file("bad.cas"), {1, 2, 3});
    ui.files = {std::nullopt, dir.file("bad.cas")};
    run(kCmdLoadProject);
    run(kCmdLoadProject);
    EXPECT_EQ(recent(), before);
}

TEST_F(RecentDropTest, RecentEntryLoadsAsItsCommandWithTheUnsavedQuestion) {
    const std::string cas = projectFile("sample.cas"), gone = dir.file("gone.cas");
    session.recentFiles().set({program, cas, gone});
    markCastleChanged(app);
    // Cancelled at the question: nothing is loaded, and the file does not answer a later dialog.
    ui.replies = {Reply::Cancel, Reply::No};
    EXPECT_TRUE(!session.openRecent(1) && castle.room(3).roomInUse == 0);
    ui.files = {std::nullopt};
    run(kCmdImportRoom);
    EXPECT_TRUE(session.openRecent(1) && castle.room(3).roomInUse == 1);
    EXPECT_EQ(ui.fileDialogs.size(), 1u);  // no dialog was shown for it
    EXPECT_EQ(ui.questionTexts(), std::vector<std::string>(2, "Save changes to the castle?"));
    EXPECT_TRUE(session.openRecent(1) && ui.caption() == program) << "now the castle program";
    EXPECT_FALSE(session.openRecent(2));
    EXPECT_EQ(recent(), (std::vector<std::string>{program, cas}));
    EXPECT_EQ(ui.messageTexts().back(), gone + " was not found. It has been taken off the list.");
}

}  // namespace
}  // namespace grusk
