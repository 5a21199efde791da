// The D64 manager's commands through the scripted platform.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>

#include "app/d64_manager.h"
#include "disk/disk_fixture.h"
#include "disk/image_ops.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using test::ProgramFolder;

// Records the folder preselected in the picker.
class PickerPlatform : public FakePlatform {
public:
    std::vector<std::string> preselected;
    std::optional<std::string> askFolder(const std::string& title, const std::string& pre) override {
        preselected.push_back(pre);
        return FakePlatform::askFolder(title, pre);
    }
};

struct Manager : ProgramFolder {
    D64Manager manager{app};
    fs::path folder = dir.path() / "castles";

    Manager() {
        fs::create_directories(folder);
        fs::current_path(folder);
    }
    std::string image(const std::string& name = "disk.d64") {
        std::ostringstream report;
        EXPECT_EQ(makeImage(path(name), "test", "00", report), 0);
        return path(name);
    }
    std::string castle(const std::string& name, size_t size, uint8_t fill = 1) {
        const std::string p = (folder / name).string();
        test::writeBytes(p, std::vector<uint8_t>(size, fill));
        return p;
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const FolderItem& item : manager.folderItems) names.push_back(item.name);
        return names;
    }
    // Opens the manager with the image shown.
    void show(const std::string& img) {
        manager.open();
        manager.imageField = img;
        manager.showImage(img);
    }
    // Leaves exactly `free` blocks on the image with a non-castle filler.
    void fill(const std::string& img, int free) {
        test::writeBytes(path("filler.prg"), std::vector<uint8_t>(static_cast<size_t>(664 - free) * 254, 9));
        ASSERT_EQ(insertFile(img, path("filler.prg")), 0);
        ASSERT_EQ(imageBlocksFree(img), free);
    }
};

TEST(D64Manager, FirstOpenWithoutImage) {
    Manager m;
    m.manager.open();
    EXPECT_EQ(m.manager.imagePath, m.path("GruskEdit.d64"));
    EXPECT_EQ(m.manager.imageField, "D64 Image File");
    EXPECT_EQ(fs::path(m.manager.folderField), fs::current_path());
    EXPECT_TRUE(m.manager.imageItems.empty());
    EXPECT_EQ(m.manager.freeBlocksText, "");
    EXPECT_FALSE(m.manager.copyInEnabled);
    EXPECT_FALSE(m.manager.deleteEnabled);
    EXPECT_EQ(m.ui.text(WindowId::D64Manager, kD64ImageField), "D64 Image File");
    EXPECT_FALSE((m.ui.controlEnabled[{WindowId::D64Manager, kD64CopyInButton}]));
    EXPECT_FALSE((m.ui.controlEnabled[{WindowId::D64Manager, kD64DeleteButton}]));
}

TEST(D64Manager, FolderListMatchesCastlesWithoutRegardToCase) {
    Manager m;
    m.castle("zone.prg", 10);
    m.castle("zTwo.PRG", 10);
    m.castle("castle.prg", 10);
    m.castle("zthree.seq", 10);
    fs::create_directory(m.folder / "zdir.prg");
    m.manager.open();
    EXPECT_EQ(m.folderNames(), (std::vector<std::string>{"zone", "ztwo"}));
    EXPECT_EQ(m.manager.folderItems[1].hostPath, (m.folder / "zTwo.PRG").string());
}

TEST(D64Manager, OpenWithExistingImageShowsIt) {
    Manager m;
    const std::string img = m.image("GruskEdit.d64");
    ASSERT_EQ(insertFile(img, m.castle("zone.prg", 300)), 0);
    m.manager.open();
    EXPECT_EQ(m.manager.imageField, img);
    EXPECT_EQ(m.manager.imageItems, std::vector<std::string>{"zone"});
    EXPECT_EQ(m.manager.freeBlocksText, "662 blocks free\n");
    EXPECT_TRUE(m.manager.copyInEnabled);
    EXPECT_TRUE(m.manager.deleteEnabled);
    EXPECT_EQ(m.ui.text(WindowId::D64Manager, kD64FreeBlocksText), "662 blocks free\n");
    EXPECT_TRUE((m.ui.controlEnabled[{WindowId::D64Manager, kD64DeleteButton}]));
}

TEST(D64Manager, CopyInChecksFreeSpace) {
    Manager m;
    const std::string img = m.image();
    m.fill(img, 1);
    m.castle("zbig.prg", 300);
    m.manager.open();
    m.manager.imageField = img;
    m.manager.copyIn({0});
    EXPECT_EQ(m.ui.messageTexts(), std::vector<std::string>{"Disc full!"});
    EXPECT_EQ(m.ui.messages[0].caption, "KVT");
    EXPECT_TRUE(m.manager.imageItems.empty());

    // With two free blocks the copy is tried (and fits).
    const std::string img2 = m.image("two.d64");
    m.fill(img2, 2);
    m.ui.clearRecords();
    m.manager.imageField = img2;
    m.manager.copyIn({0});
    EXPECT_TRUE(m.ui.messages.empty());
    EXPECT_EQ(m.manager.imageItems, std::vector<std::string>{"zbig"});
    EXPECT_EQ(m.manager.imagePath, img2);
    EXPECT_EQ(m.manager.imageField, img2);
}

TEST(D64Manager, CopyInAsksBeforeOverwriting) {
    Manager m;
    const std::string img = m.image();
    m.castle("za.prg", 100, 1);
    m.castle("zb.prg", 100, 2);
    m.castle("zc.prg", 100, 3);
    m.manager.open();
    m.manager.imageField = img;
    m.manager.copyIn({0, 1});
    EXPECT_EQ(m.manager.imageItems, (std::vector<std::string>{"za", "zb"}));

    // Changed host files; No keeps the image and skips the rest.
    m.castle("za.prg", 100, 7);
    const auto before = test::readBytes(img);
    m.ui.replies = {Reply::No};
    m.manager.copyIn({2, 0});
    EXPECT_EQ(m.ui.questionTexts(), std::vector<std::string>{"File exists. Overwrite?"});
    EXPECT_EQ(m.ui.messages[0].caption, "Watch it!");
    EXPECT_EQ(test::readBytes(img), before);
    EXPECT_EQ(m.manager.imageItems, (std::vector<std::string>{"za", "zb"}));

    // Yes replaces it.
    m.ui.clearRecords();
    m.ui.replies = {Reply::Yes};
    m.manager.copyIn({0, 2});
    EXPECT_EQ(m.ui.questionTexts().size(), 1u);
    std::ostringstream out, err;
    extractFile(img, "za", m.path("check.prg"), out, err);
    EXPECT_EQ(test::readBytes(m.path("check.prg")), std::vector<uint8_t>(100, 7));
    // The replaced castle takes the entry its old version left free.
    EXPECT_EQ(m.manager.imageItems, (std::vector<std::string>{"za", "zb", "zc"}));
}

// Yes to the question replaces the castle only with a complete new copy;
// a failure shows "Write error!" and leaves the image byte for byte.
TEST(D64Manager, ReplaceKeepsTheOldCastleWhenTheCopyFails) {
    const struct {
        const char* what;
        std::function<void(Manager&, const std::string&)> spoil;
    } cases[] = {
        {"host file gone", [](Manager& m, const std::string&) { fs::remove(m.folder / "zone.prg"); }},
        {"disk full",
         [](Manager& m, const std::string& img) {
             // 130 blocks free and 1 held by the old castle; the new one needs 132
             // blocks, though the estimate of 129 lets the copy be tried.
             test::writeBytes(m.path("filler.prg"), std::vector<uint8_t>(533 * 254, 9));
             ASSERT_EQ(insertFile(img, m.path("filler.prg")), 0);
             ASSERT_EQ(imageBlocksFree(img), 130);
             m.castle("zone.prg", 254 * 131 + 1, 5);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Manager m;
        const std::string img = m.image();
        ASSERT_EQ(insertFile(img, m.castle("zone.prg", 100, 1)), 0);
        m.manager.open();
        m.manager.imageField = img;
        m.castle("zone.prg", 300, 2);
        c.spoil(m, img);
        const auto before = test::readBytes(img);
        m.ui.replies = {Reply::Yes};
        m.manager.copyIn({0});
        EXPECT_EQ(m.ui.questionTexts(), std::vector<std::string>{"File exists. Overwrite?"});
        EXPECT_EQ(m.ui.messageTexts(), std::vector<std::string>{"Write error!"});
        EXPECT_EQ(test::readBytes(img), before);
        EXPECT_EQ(m.manager.imageItems, std::vector<std::string>{"zone"});
    }
}

// Commands act on the selected entries by their stored names: "z*" and
// "z?x" are files, not patterns.
TEST(D64Manager, SelectedMeansExactlyThat) {
    Manager m;
    const std::string img = m.image();
    const struct {
        const char* name;
        uint8_t fill;
    } stored[] = {{"zax", 1}, {"z?x", 2}, {"z*", 3}, {"zone", 4}};
    for (const auto& f : stored) {
        test::writeBytes(m.path("host.prg"), std::vector<uint8_t>(500, f.fill));
        ASSERT_EQ(insertFileAs(img, m.path("host.prg"), f.name), 0);
    }
    m.show(img);
    ASSERT_EQ(m.manager.imageItems, (std::vector<std::string>{"zax", "z?x", "z*", "zone"}));
    m.manager.copyOut({1});
    EXPECT_EQ(test::readBytes((m.folder / "z?x.prg").string()), std::vector<uint8_t>(500, 2));
    m.manager.copyOut({2});
    EXPECT_EQ(test::readBytes((m.folder / "z*.prg").string()), std::vector<uint8_t>(500, 3));
    m.manager.deleteFiles({2, 1});
    EXPECT_EQ(m.manager.imageItems, (std::vector<std::string>{"zax", "zone"}));
    EXPECT_EQ(imageBlocksFree(img), 664 - 4);
    EXPECT_EQ(m.manager.freeBlocksText, "660 blocks free\n");
    EXPECT_TRUE(m.ui.messages.empty());
}

// A file left unclosed by a full disk is listed and can be deleted.
TEST(D64Manager, DeleteRemovesAnUnclosedEntry) {
    Manager m;
    const std::string img = m.image();
    {
        DiskImagePtr image = di_load_image(img);
        ImageFilePtr f = di_open_file(*image, diskNameFromHost("zcut"), kTypePrg, "wb");
        const std::vector<uint8_t> bytes(254 * 5 + 7, 1);
        di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
        f.reset();  // never closed
        ASSERT_TRUE(di_free_image(std::move(image)));
    }
    ASSERT_EQ(imageBlocksFree(img), 664 - 5);
    m.show(img);
    ASSERT_EQ(m.manager.imageItems, std::vector<std::string>{"zcut"});
    m.manager.deleteFiles({0});
    EXPECT_TRUE(m.ui.messages.empty());
    EXPECT_TRUE(m.manager.imageItems.empty());
    EXPECT_EQ(m.manager.freeBlocksText, "664 blocks free\n");
}

TEST(D64Manager, CopyOutAddsAndAsks) {
    Manager m;
    const std::string img = m.image();
    test::writeBytes(m.path("zone.prg"), std::vector<uint8_t>(500, 1));
    test::writeBytes(m.path("ztwo.prg"), std::vector<uint8_t>(50, 2));
    ASSERT_EQ(insertFile(img, m.path("zone.prg")), 0);
    ASSERT_EQ(insertFile(img, m.path("ztwo.prg")), 0);
    m.castle("zaa.prg", 10);
    m.show(img);
    m.manager.copyOut({1, 0});
    EXPECT_TRUE(m.ui.messages.empty());
    EXPECT_EQ(m.folderNames(), (std::vector<std::string>{"zaa", "zone", "ztwo"}));
    EXPECT_EQ(test::readBytes((m.folder / "zone.prg").string()), std::vector<uint8_t>(500, 1));
    EXPECT_EQ(test::readBytes((m.folder / "ztwo.prg").string()), std::vector<uint8_t>(50, 2));

    // Existing host files: No ends the whole command at once.
    m.castle("zone.prg", 3, 9);
    m.ui.replies = {Reply::No};
    m.manager.copyOut({0, 1});
    EXPECT_EQ(m.ui.questionTexts().size(), 1u);
    EXPECT_EQ(test::readBytes((m.folder / "zone.prg").string()), std::vector<uint8_t>(3, 9));
    // Yes replaces the file.
    m.ui.clearRecords();
    m.ui.replies = {Reply::Yes};
    m.manager.copyOut({0});
    EXPECT_EQ(test::readBytes((m.folder / "zone.prg").string()), std::vector<uint8_t>(500, 1));
    EXPECT_EQ(m.folderNames().size(), 3u);
}

TEST(D64Manager, CopyOutUsesExistingFileOfOtherCase) {
    Manager m;
    const std::string img = m.image();
    test::writeBytes(m.path("ztwo.prg"), std::vector<uint8_t>(50, 2));
    ASSERT_EQ(insertFile(img, m.path("ztwo.prg")), 0);
    m.castle("zTwo.PRG", 5, 5);
    m.show(img);
    m.ui.replies = {Reply::Yes};
    m.manager.copyOut({0});
    EXPECT_EQ(m.ui.questionTexts().size(), 1u);
    EXPECT_EQ(test::readBytes((m.folder / "zTwo.PRG").string()), std::vector<uint8_t>(50, 2));
    EXPECT_FALSE(fs::exists(m.folder / "ztwo.prg"));
}

// "<<" reports every copy that fails and lists only what it copied, under
// the lower-cased host name.
TEST(D64Manager, CopyOutTellsTheTruth) {
    Manager m;
    const std::string img = m.image();
    for (const char* name : {"zopen", "zone", "Zupper"}) {
        test::writeBytes(m.path("host.prg"), std::vector<uint8_t>(300, static_cast<uint8_t>(name[1])));
        ASSERT_EQ(insertFileAs(img, m.path("host.prg"), name), 0);
    }
    auto bytes = test::readBytes(img);
    bytes[358 * 256 + 2] = 0x02;  // zopen left unclosed
    test::writeBytes(img, bytes);
    m.castle("zaa.prg", 10);
    m.castle("zzz.prg", 10);
    fs::create_directory(m.folder / "zone.prg");  // the host file can't be written
    m.show(img);
    ASSERT_EQ(m.manager.imageItems, (std::vector<std::string>{"zopen", "zone", "Zupper"}));
    m.ui.replies = {Reply::Yes};
    m.manager.copyOut({0, 1, 2});
    EXPECT_EQ(m.ui.messageTexts(), (std::vector<std::string>{"Could not copy zopen", "Could not copy zone"}));
    EXPECT_EQ(m.ui.messages.back().caption, "KVT");
    EXPECT_FALSE(fs::exists(m.folder / "zopen.prg"));
    EXPECT_TRUE(fs::is_directory(m.folder / "zone.prg"));
    EXPECT_EQ(test::readBytes((m.folder / "zupper.prg").string()), std::vector<uint8_t>(300, 'u'));
    EXPECT_EQ(m.folderNames(), (std::vector<std::string>{"zaa", "zupper", "zzz"}));

    // A folder that has gone: nothing copied, nothing listed.
    m.ui.clearRecords();
    m.manager.folderField = (m.dir.path() / "gone").string();
    m.manager.copyOut({2});
    EXPECT_EQ(m.ui.messageTexts(), std::vector<std::string>{"Could not copy Zupper"});
    EXPECT_EQ(m.folderNames(), (std::vector<std::string>{"zaa", "zupper", "zzz"}));
}

TEST(D64Manager, CopyOutStaysInsideTheFolder) {
    Manager m;
    const std::string img = m.image();
    // A hostile image whose castle name climbs out of the folder.
    auto bytes = test::readBytes(img);
    test::writeBytes(m.path("zx.prg"), {1, 2, 3});
    ASSERT_EQ(insertFile(img, m.path("zx.prg")), 0);
    bytes = test::readBytes(img);
    const char* evil = "Z/../../EVIL";
    std::memcpy(bytes.data() + 358 * 256 + 5, evil, std::strlen(evil));
    test::writeBytes(img, bytes);
    m.show(img);
    ASSERT_EQ(m.manager.imageItems.size(), 1u);
    EXPECT_EQ(m.manager.imageItems[0], "z/../../evil");
    m.manager.copyOut({0});
    EXPECT_TRUE(fs::exists(m.folder / "z_.._.._evil.prg"));
    EXPECT_FALSE(fs::exists(m.dir.path().parent_path() / "evil.prg"));
}

TEST(D64Manager, ReadAndDeleteErrors) {
    Manager m;
    const std::string img = m.image();
    test::writeBytes(m.path("zone.prg"), {1});
    ASSERT_EQ(insertFile(img, m.path("zone.prg")), 0);
    m.show(img);
    fs::remove(img);
    m.manager.copyOut({0});
    EXPECT_EQ(m.ui.messageTexts(), std::vector<std::string>{"Read error!"});
    m.ui.clearRecords();
    m.manager.deleteFiles({0});
    EXPECT_EQ(m.ui.messageTexts(), std::vector<std::string>{"Deletion not successful"});
    EXPECT_TRUE(m.manager.imageItems.empty());
}

TEST(D64Manager, CreateNewImage) {
    Manager m;
    m.manager.open();
    m.manager.imageField = "previous text";
    m.ui.files.push_back(std::nullopt);
    m.manager.createNewImage();
    EXPECT_EQ(m.ui.messageTexts(), std::vector<std::string>{"Could not create image!"});
    EXPECT_EQ(m.manager.imageField, "previous text");
    EXPECT_FALSE(m.manager.copyInEnabled);

    m.ui.clearRecords();
    m.ui.files.push_back(m.path("fresh"));
    m.manager.createNewImage();
    EXPECT_TRUE(m.ui.messages.empty());
    EXPECT_EQ(m.manager.imagePath, m.path("fresh.d64"));
    EXPECT_EQ(m.manager.imageField, m.path("fresh.d64"));
    EXPECT_TRUE(m.manager.imageItems.empty());  // the game files are no castles
    EXPECT_FALSE(m.manager.freeBlocksText.empty());
    EXPECT_TRUE(m.manager.copyInEnabled);
    EXPECT_TRUE(m.manager.deleteEnabled);
    int free = 0;
    EXPECT_EQ(listImageDirectory(m.path("fresh.d64"), free)->size(), 13u);
}

TEST(D64Manager, OpenImageAndChooseFolder) {
    PickerPlatform ui;
    Manager m;
    AppState app(ui);
    app.programFolder = m.app.programFolder;
    D64Manager manager(app);
    manager.open();
    ui.files.push_back(std::nullopt);
    manager.openImage();
    EXPECT_EQ(manager.imageField, "D64 Image File");
    const std::string img = m.image();
    ui.files.push_back(img);
    manager.openImage();
    EXPECT_EQ(manager.imageField, img);
    EXPECT_EQ(manager.freeBlocksText, "664 blocks free\n");
    EXPECT_TRUE(manager.copyInEnabled);
    EXPECT_EQ(ui.fileDialogs.back().second.pattern, "*.d64");

    const fs::path other = m.dir.path() / "other";
    fs::create_directories(other);
    test::writeBytes((other / "zfar.prg").string(), {1});
    ui.folders.push_back(std::nullopt);
    manager.chooseFolder();
    EXPECT_EQ(fs::current_path(), m.folder);
    ui.folders.push_back(other.string());
    manager.chooseFolder();
    EXPECT_EQ(fs::current_path(), other);
    EXPECT_EQ(manager.folderField, other.string());
    ASSERT_EQ(manager.folderItems.size(), 1u);
    EXPECT_EQ(manager.folderItems[0].name, "zfar");
    EXPECT_EQ(manager.folderPickerLast, other.string());
    ui.folders.push_back(std::nullopt);
    manager.chooseFolder();
    EXPECT_EQ(ui.preselected, (std::vector<std::string>{"", "", other.string()}));
    EXPECT_EQ(ui.fileDialogs.back().first, "Select Folder");
    // Opened again later, the folder side is still the chosen folder.
    manager.open();
    EXPECT_EQ(manager.folderField, other.string());
    // The opened image becomes imagePath only when a copy or delete starts.
    EXPECT_EQ(manager.imagePath, m.path("GruskEdit.d64"));
}

}  // namespace
}  // namespace grusk
