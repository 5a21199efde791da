// Game disks, "Save to D64..." and the stand-ins for the game's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <utility>

#include "disk/disk_fixture.h"
#include "disk/image_ops.h"
#include "editor/room_editing.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using namespace test;

NameList directoryNames(const std::string& image) {
    int free = 0;
    NameList names;
    if (auto items = listImageDirectory(image, free))
        for (const DirectoryItem& item : *items) names.push_back(item.hostName);
    return names;
}

Bytes extracted(const ProgramFolder& pf, const std::string& image, const std::string& name) {
    fs::remove(pf.path("out.bin"));
    extractFile(image, name, pf.path("out.bin"));
    return fs::exists(pf.path("out.bin")) ? readBytes(pf.path("out.bin")) : Bytes{1, 2, 3, 4};
}

void makeValidCastle(AppState& app, int doorX = 10) {
    app.castle.room(0).roomInUse = 1;
    ASSERT_NE(placeObject(app.castle, kDoor, doorX, 10), 0);
}

// The thirteen game files whole and in order under their host names, on a disk named "grusk 2008" with id "00"; an
// existing image of any kind is made again; a name asked for gets the ending.
TEST(GameDisk, HoldsTheThirteenFilesInOrder) {
    ProgramFolder pf;
    std::ostringstream report;
    ASSERT_EQ(makeImage(pf.path("old.d81"), "old", "xx"), 0);
    ASSERT_EQ(insertFile(pf.path("old.d81"), pf.path("d64/grusk.prg")), 0);
    fs::rename(pf.path("old.d81"), pf.path("old.d64"));
    std::string image = pf.path("old.d64");
    pf.ui.files = {std::nullopt, pf.path("new"), pf.path("CAPS.D64")};
    std::vector<std::pair<std::string, size_t>> made;
    for (bool ask : {false, true, true, true})
        if (buildGameDisk(pf.app, image, ask, report)) made.emplace_back(image, fs::file_size(image));
    EXPECT_EQ(made, (std::vector<std::pair<std::string, size_t>>{
                        {pf.path("old.d64"), kD81Size}, {pf.path("new.d64"), kD64Size}, {pf.path("CAPS.D64"), kD64Size}}));
    EXPECT_EQ(pf.ui.fileDialogs.back().second.label + pf.ui.fileDialogs.back().second.pattern, "D64 Images*.d64");
    NameList names;
    for (size_t i = 0; i < kGameFiles.size(); ++i) {
        names.push_back(std::string(kGameFiles[i]).substr(0, std::string(kGameFiles[i]).size() - 4));
        EXPECT_EQ(extracted(pf, image, names.back()), gameFileBytes(i)) << names.back();
    }
    for (const auto& [path, size] : made) EXPECT_EQ(directoryNames(path), names);
    EXPECT_EQ(headerNameAndId(image), "GRUSK 2008\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0" "00");
    EXPECT_EQ(buildGameDisk(pf.app, image = pf.path("no/such/folder/x.d64"), false, report), 0);
    ASSERT_EQ(pf.ui.messageTexts(), NameList{"Image Creation failed"});
    EXPECT_EQ(pf.ui.messages[0].caption, "KVT");
}

// A game file that is missing, unreadable or too large for the disk stops the build: a log line names it, an
// existing image keeps every byte and a new one is never made.
TEST(GameDisk, NeedsEveryGameFileWhole) {
    const struct {
        const char* what;
        size_t file;
        std::function<void(const std::string&)> spoil;
    } cases[] = {
        {"missing", 6, [](const std::string& p) { fs::remove(p); }},
        {"a folder", 0, [](const std::string& p) { fs::remove(p); fs::create_directory(p); }},
        {"too large", 12, [](const std::string& p) { writeBytes(p, Bytes(700 * 254, 1)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder pf;
        c.spoil(pf.path(std::string("d64/") + kGameFiles[c.file]));
        std::ostringstream report;
        std::string image = pf.path("fresh.d64");
        EXPECT_EQ(buildGameDisk(pf.app, image, false, report), 0);
        EXPECT_FALSE(fs::exists(image));
        EXPECT_EQ(pf.ui.log, NameList{std::string("Game file missing or unusable: ") + kGameFiles[c.file]});
        EXPECT_GT(pf.ui.logShown, 0);
        ASSERT_EQ(makeImage(image = pf.path("old.d64"), "old", "01"), 0);
        const Untouched before{image};
        EXPECT_EQ(buildGameDisk(pf.app, image, false, report), 0);
        EXPECT_TRUE(before.holds());
    }
}

TEST(SaveToD64, PutsTheFreshCastleOnANewOrExistingImage) {
    ProgramFolder pf;
    makeValidCastle(pf.app);
    pf.ui.files.push_back(pf.path("mine"));
    saveToD64(pf.app);
    const std::string image = pf.path("mine.d64");
    NameList names = directoryNames(image);
    ASSERT_TRUE(names.size() == 14u && names.back() == "zcastle");
    EXPECT_FALSE(fs::exists(pf.path("resource/ztest00.prg")));
    const Bytes first = readBytes(pf.path("resource/zcastle.prg"));
    EXPECT_EQ(extracted(pf, image, "zcastle"), first);
    const int freeBefore = imageBlocksFree(image);

    // Again onto the same image: the castle is replaced and its old blocks come free.
    placeObject(pf.app.castle, kDoor, 20, 10);
    pf.ui.files.push_back(image);
    saveToD64(pf.app);
    const Bytes second = readBytes(pf.path("resource/zcastle.prg"));
    EXPECT_TRUE(second != first && extracted(pf, image, "zcastle") == second);
    EXPECT_EQ(directoryNames(image), names);
    auto blocks = [](const Bytes& b) { return static_cast<int>((b.size() + 253) / 254); };
    EXPECT_EQ(imageBlocksFree(image), freeBefore + blocks(first) - blocks(second));
    // An image without the game files is used as it is.
    ASSERT_EQ(makeImage(pf.path("plain.d64"), "plain", "01"), 0);
    pf.ui.files.push_back(pf.path("plain.d64"));
    saveToD64(pf.app);
    EXPECT_EQ(directoryNames(pf.path("plain.d64")), NameList{"zcastle"});
    EXPECT_EQ(pf.ui.messageTexts(), NameList{});
}

TEST(SaveToD64, StopsOnErrorsCancelAndFailuresAndNeverTakesAStaleCastle) {
    ProgramFolder pf;
    saveToD64(pf.app);  // no rooms: the check fails and nothing is asked
    EXPECT_TRUE(pf.ui.fileDialogs.empty() && !pf.ui.log.empty());
    writeBytes(pf.path("resource/zcastle.prg"), {1, 2, 3});
    ASSERT_EQ(makeImage(pf.path("img.d64"), "x", "00"), 0);
    EXPECT_EQ(storeCompiledCastle(pf.app, pf.path("img.d64")), kInsertNoHostFile);
    EXPECT_TRUE(directoryNames(pf.path("img.d64")).empty());

    makeValidCastle(pf.app);
    pf.ui.files.push_back(std::nullopt);
    saveToD64(pf.app);
    EXPECT_TRUE(pf.ui.fileDialogs.size() == 1u && pf.ui.messageTexts().empty());
    EXPECT_TRUE(fs::exists(pf.path("resource/ztest00.prg")));  // where the compiler put it
    pf.ui.files.push_back(pf.path("missing/folder/x.d64"));
    saveToD64(pf.app);
    EXPECT_EQ(pf.ui.messageTexts(), (NameList{"Image Creation failed", "Could not create image!"}));
    EXPECT_EQ(readBytes(pf.path("resource/zcastle.prg")), (Bytes{1, 2, 3}));
}

// The stand-ins for the game's files that the build puts into program/d64: each is a BASIC program at $0801 of
// chained PRINT lines with rising numbers (at most 40 characters in quotes) naming the file and where the game's
// own files belong.
TEST(Placeholders, ThirteenBasicProgramsInTheProgramFolder) {
    for (const char* name : kGameFiles) {
        SCOPED_TRACE(name);
        const auto prg = readBytes(test::programDir() + "/d64/" + name);
        ASSERT_TRUE(prg.size() >= 4u && (prg[0] | prg[1] << 8) == 0x0801);
        std::string all, upper = name;
        size_t at = 2, end = 0;
        for (int number = -1; at + 5 < prg.size() && (prg[at] | prg[at + 1]) != 0; at = end) {
            end = static_cast<size_t>((prg[at] | prg[at + 1] << 8) - 0x0801 + 2);
            ASSERT_TRUE(end > at + 7 && end < prg.size() && prg[end - 1] == 0 && prg[at + 4] == 0x99) << "line at " << at;
            ASSERT_GT(prg[at + 2] | prg[at + 3] << 8, std::exchange(number, prg[at + 2] | prg[at + 3] << 8));
            const std::string text(prg.begin() + static_cast<long>(at + 5), prg.begin() + static_cast<long>(end - 1));
            EXPECT_TRUE(text.size() <= 40u && text.front() == '"' && text.back() == '"') << text;
            all += text.substr(1, text.size() - 2) + " ";
        }
        EXPECT_EQ(at + 2, prg.size()) << "the program ends with a zero link";
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(all.find("THE GAME'S OWN FILES BELONG IN THE D64 FOLDER"), std::string::npos) << all;
        EXPECT_NE(all.find(upper), std::string::npos) << all;
    }
}

// The game's own files stay; an older stand-in is brought up to date.
TEST(Placeholders, GeneratorNeverOverwritesTheGamesOwnFiles) {
    const std::string tool = std::string(GRUSK_BINARY_DIR) + "/data/d64/make_d64_placeholders";
    if (!fs::exists(tool)) GTEST_SKIP() << "the generator is not built here";
    test::TempDir dir;
    const fs::path d64 = dir.path() / "d64";
    const std::string shipped = test::programDir() + "/d64/object.prg";
    fs::create_directories(d64);
    auto old = readBytes(shipped);
    old.insert(old.end() - 2, {'X'});
    test::writeBytes((d64 / "object.prg").string(), old);
    test::writeBytes((d64 / "grusk.prg").string(), {0x01, 0x08, 0xAA});
    ASSERT_EQ(std::system(("'" + tool + "' '" + d64.string() + "'").c_str()), 0);
    EXPECT_EQ(readBytes((d64 / "grusk.prg").string()), (std::vector<uint8_t>{0x01, 0x08, 0xAA}));
    EXPECT_EQ(readBytes((d64 / "object.prg").string()), readBytes(shipped));
    EXPECT_EQ(std::distance(fs::directory_iterator(d64), {}), 13);
}

}  // namespace
}  // namespace grusk
