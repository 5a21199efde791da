// Game disks and "Save to D64...".
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>

#include "app/object_commands.h"
#include "disk/disk_fixture.h"
#include "disk/image_ops.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using test::ProgramFolder;

const char* const kDiskNames[] = {"castles", "grusk",  "music0", "music1", "music2", "music3",     "music4",
                                  "music5",  "music6", "music7", "music8", "object", "pic a title"};

std::vector<std::string> directoryNames(const std::string& image) {
    int free = 0;
    std::vector<std::string> names;
    if (auto items = listImageDirectory(image, free))
        for (const DirectoryItem& item : *items) names.push_back(item.hostName);
    return names;
}

std::vector<uint8_t> extracted(const ProgramFolder& pf, const std::string& image, const std::string& name) {
    std::ostringstream out, err;
    bool copied = false;
    extractFile(image, name, pf.path("out.bin"), out, err, &copied);
    EXPECT_TRUE(copied) << name;
    return test::readBytes(pf.path("out.bin"));
}

// One room with one door leading to itself: a castle without errors.
void makeValidCastle(AppState& app, int doorX = 10) {
    app.castle.room(0).roomInUse = 1;
    app.castle.currentRoom = 0;
    ASSERT_NE(placeObject(app, kDoor, doorX, 10), 0);
    CellRecord& door = app.castle.room(0).object(doorX, 10);
    door.destRoom = 0;
    door.destDoor = 0;
}

int buildQuietly(AppState& app, std::string& path, bool ask) {
    std::ostringstream report;
    return buildGameDisk(app, path, ask, report);
}

TEST(GameDisk, HoldsTheThirteenFilesInOrder) {
    ProgramFolder pf;
    std::string image = pf.path("game.d64");
    ASSERT_EQ(buildQuietly(pf.app, image, false), 1);
    EXPECT_EQ(image, pf.path("game.d64"));
    EXPECT_EQ(directoryNames(image), std::vector<std::string>(std::begin(kDiskNames), std::end(kDiskNames)));
    for (size_t i = 0; i < kGameFiles.size(); ++i)
        EXPECT_EQ(extracted(pf, image, kDiskNames[i]), test::gameFileBytes(i)) << kDiskNames[i];
    const auto bytes = test::readBytes(image);
    ASSERT_EQ(bytes.size(), kD64Size);
    const uint8_t* bam = bytes.data() + 357 * 256;
    EXPECT_EQ(std::memcmp(bam + 144, "GRUSK 2008\xA0", 11), 0);
    EXPECT_EQ(bam[162], '0');
    EXPECT_EQ(bam[163], '0');
    // Eight entries in 18/1, the other five at the start of 18/4.
    const uint8_t* dir1 = bytes.data() + 358 * 256;
    const uint8_t* dir4 = bytes.data() + 361 * 256;
    EXPECT_EQ(dir1[0], 18);
    EXPECT_EQ(dir1[1], 4);
    EXPECT_EQ(std::memcmp(dir1 + 7 * 32 + 5, "MUSIC5", 6), 0);
    EXPECT_EQ(std::memcmp(dir4 + 4 * 32 + 5, "PIC A TITLE\xA0", 12), 0);
    EXPECT_EQ(dir4[5 * 32 + 2], 0);
    // The first file starts at 1/10.
    EXPECT_EQ(dir1[3], 1);
    EXPECT_EQ(dir1[4], 10);
}

TEST(GameDisk, ReformatsExistingImagesOfAnyKind) {
    ProgramFolder pf;
    std::ostringstream report;
    ASSERT_EQ(makeImage(pf.path("old.d81"), "old", "xx", report), 0);
    test::writeBytes(pf.path("zkeep.prg"), std::vector<uint8_t>(3000, 1));
    ASSERT_EQ(insertFile(pf.path("old.d81"), pf.path("zkeep.prg")), 0);
    fs::rename(pf.path("old.d81"), pf.path("old.d64"));
    std::string image = pf.path("old.d64");
    ASSERT_EQ(buildQuietly(pf.app, image, false), 1);
    EXPECT_EQ(fs::file_size(image), kD81Size);
    EXPECT_EQ(directoryNames(image).size(), 13u);
    EXPECT_EQ(directoryNames(image).front(), "castles");
}

TEST(GameDisk, AsksForANameAndAppendsTheEnding) {
    ProgramFolder pf;
    std::string image = "ignored";
    pf.ui.files.push_back(std::nullopt);
    EXPECT_EQ(buildQuietly(pf.app, image, true), 0);
    EXPECT_TRUE(pf.ui.messages.empty());
    EXPECT_EQ(image, "ignored");
    ASSERT_EQ(pf.ui.fileDialogs.size(), 1u);
    EXPECT_EQ(pf.ui.fileDialogs[0].first, "");
    EXPECT_EQ(pf.ui.fileDialogs[0].second.label, "D64 Images");
    EXPECT_EQ(pf.ui.fileDialogs[0].second.pattern, "*.d64");

    pf.ui.files.push_back(pf.path("chosen"));
    EXPECT_EQ(buildQuietly(pf.app, image, true), 1);
    EXPECT_EQ(image, pf.path("chosen.d64"));
    EXPECT_TRUE(fs::exists(pf.path("chosen.d64")));

    pf.ui.files.push_back(pf.path("CAPS.D64"));
    EXPECT_EQ(buildQuietly(pf.app, image, true), 1);
    EXPECT_EQ(image, pf.path("CAPS.D64"));
    EXPECT_EQ(fs::file_size(pf.path("CAPS.D64")), kD64Size);
}

TEST(GameDisk, CreationFailureIsShown) {
    ProgramFolder pf;
    std::string image = pf.path("no/such/folder/x.d64");
    EXPECT_EQ(buildQuietly(pf.app, image, false), 0);
    EXPECT_EQ(pf.ui.messageTexts(), std::vector<std::string>{"Image Creation failed"});
    EXPECT_EQ(pf.ui.messages[0].caption, "KVT");
    EXPECT_EQ(image, pf.path("no/such/folder/x.d64"));
}

// A game file that is missing, unreadable or too large for the disk stops
// the build: a log line names it, an existing image keeps every byte and a
// new one is never made.
TEST(GameDisk, NeedsEveryGameFileWhole) {
    const struct {
        const char* what;
        size_t file;
        std::function<void(const std::string&)> spoil;
    } cases[] = {
        {"missing", 6, [](const std::string& p) { fs::remove(p); }},
        {"a folder", 0, [](const std::string& p) { fs::remove(p); fs::create_directory(p); }},
        {"too large", 12, [](const std::string& p) { test::writeBytes(p, std::vector<uint8_t>(700 * 254, 1)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder pf;
        c.spoil(pf.path(std::string("d64/") + kGameFiles[c.file]));
        const std::string line = std::string("Game file missing or unusable: ") + kGameFiles[c.file];
        std::string fresh = pf.path("fresh.d64");
        EXPECT_EQ(buildQuietly(pf.app, fresh, false), 0);
        EXPECT_FALSE(fs::exists(fresh));
        EXPECT_EQ(pf.ui.log, std::vector<std::string>{line});
        EXPECT_GT(pf.ui.logShown, 0);

        std::ostringstream report;
        ASSERT_EQ(makeImage(pf.path("old.d64"), "old", "01", report), 0);
        test::writeBytes(pf.path("zkeep.prg"), std::vector<uint8_t>(3000, 4));
        ASSERT_EQ(insertFile(pf.path("old.d64"), pf.path("zkeep.prg")), 0);
        const auto before = test::readBytes(pf.path("old.d64"));
        std::string old = pf.path("old.d64");
        EXPECT_EQ(buildQuietly(pf.app, old, false), 0);
        EXPECT_EQ(test::readBytes(old), before);
        EXPECT_EQ(pf.ui.log.size(), 2u);
    }
}

TEST(SaveToD64, BuildsDiskWithTheCastle) {
    ProgramFolder pf;
    makeValidCastle(pf.app);
    pf.ui.files.push_back(pf.path("mine"));
    saveToD64(pf.app);
    EXPECT_TRUE(pf.ui.messageTexts().empty()) << pf.ui.messageTexts().front();
    const std::string image = pf.path("mine.d64");
    ASSERT_TRUE(fs::exists(image));
    auto names = directoryNames(image);
    ASSERT_EQ(names.size(), 14u);
    EXPECT_EQ(names.back(), "zcastle");
    EXPECT_FALSE(fs::exists(pf.path("resource/ztest00.prg")));
    const auto program = test::readBytes(pf.path("resource/zcastle.prg"));
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(extracted(pf, image, "zcastle"), program);

    // A second castle saved to a new image: the castle compiled last is on it.
    placeObject(pf.app, kDoor, 20, 10);
    pf.ui.files.push_back(pf.path("second.d64"));
    saveToD64(pf.app);
    const auto program2 = test::readBytes(pf.path("resource/zcastle.prg"));
    EXPECT_NE(program2, program);
    EXPECT_EQ(extracted(pf, pf.path("second.d64"), "zcastle"), program2);

}

TEST(SaveToD64, ReplacesTheCastleOnAnExistingImage) {
    ProgramFolder pf;
    makeValidCastle(pf.app);
    pf.ui.files.push_back(pf.path("mine.d64"));
    saveToD64(pf.app);
    const std::string image = pf.path("mine.d64");
    ASSERT_EQ(directoryNames(image).size(), 14u);
    const int freeBefore = imageBlocksFree(image);
    auto blocks = [](size_t bytes) { return static_cast<int>((bytes + 253) / 254); };
    const int oldBlocks = blocks(test::readBytes(pf.path("resource/zcastle.prg")).size());

    placeObject(pf.app, kDoor, 20, 10);
    pf.ui.files.push_back(image);
    saveToD64(pf.app);
    EXPECT_TRUE(pf.ui.messageTexts().empty());
    const auto program = test::readBytes(pf.path("resource/zcastle.prg"));
    EXPECT_EQ(extracted(pf, image, "zcastle"), program);
    auto names = directoryNames(image);
    EXPECT_EQ(std::count(names.begin(), names.end(), "zcastle"), 1);
    EXPECT_EQ(names.size(), 14u);
    EXPECT_EQ(imageBlocksFree(image), freeBefore + oldBlocks - blocks(program.size()));  // the old blocks came free
}

TEST(SaveToD64, ExistingImageIsUsedAsItIs) {
    ProgramFolder pf;
    makeValidCastle(pf.app);
    std::ostringstream report;
    ASSERT_EQ(makeImage(pf.path("plain.d64"), "plain", "01", report), 0);
    pf.ui.files.push_back(pf.path("plain.d64"));
    saveToD64(pf.app);
    EXPECT_EQ(directoryNames(pf.path("plain.d64")), std::vector<std::string>{"zcastle"});
}

TEST(SaveToD64, StopsOnErrorsCancelAndFailures) {
    ProgramFolder pf;
    // No rooms: the check fails and nothing is asked.
    saveToD64(pf.app);
    EXPECT_TRUE(pf.ui.fileDialogs.empty());
    EXPECT_FALSE(pf.ui.log.empty());

    makeValidCastle(pf.app);
    pf.ui.files.push_back(std::nullopt);
    saveToD64(pf.app);
    EXPECT_EQ(pf.ui.fileDialogs.size(), 1u);
    EXPECT_TRUE(pf.ui.messageTexts().empty());
    // The compiled program stays where the compiler put it.
    EXPECT_TRUE(fs::exists(pf.path("resource/ztest00.prg")));

    pf.ui.files.push_back(pf.path("missing/folder/x.d64"));
    saveToD64(pf.app);
    EXPECT_EQ(pf.ui.messageTexts(), (std::vector<std::string>{"Image Creation failed", "Could not create image!"}));
    EXPECT_FALSE(fs::exists(pf.path("resource/zcastle.prg")));
}

TEST(SaveToD64, StaleCompiledCastleNeverReachesTheDisk) {
    ProgramFolder pf;
    // An older zcastle.prg and no fresh build: nothing is put on the image.
    test::writeBytes(pf.path("resource/zcastle.prg"), {1, 2, 3});
    std::ostringstream report;
    ASSERT_EQ(makeImage(pf.path("img.d64"), "x", "00", report), 0);
    EXPECT_EQ(storeCompiledCastle(pf.app, pf.path("img.d64")), kInsertNoHostFile);
    EXPECT_TRUE(directoryNames(pf.path("img.d64")).empty());
}

}  // namespace
}  // namespace grusk
