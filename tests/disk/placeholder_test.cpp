// The stand-ins for the game's files that the build puts into program/d64.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "disk/game_disk.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

// Walks a tokenised BASIC program; gives the text of its PRINT lines, or
// fails the test when the line links do not chain up.
std::vector<std::string> basicPrintLines(const std::vector<uint8_t>& prg) {
    std::vector<std::string> texts;
    EXPECT_GE(prg.size(), 4u);
    if (prg.size() < 4) return texts;
    const int load = prg[0] | (prg[1] << 8);
    EXPECT_EQ(load, 0x0801);
    size_t at = 2;
    int lastNumber = -1;
    for (int guard = 0; guard < 100; ++guard) {
        if (at + 2 > prg.size()) {
            ADD_FAILURE() << "program ends inside a link";
            return texts;
        }
        const int link = prg[at] | (prg[at + 1] << 8);
        if (link == 0) {
            EXPECT_EQ(at + 2, prg.size()) << "bytes after the end of the program";
            return texts;
        }
        const int number = prg[at + 2] | (prg[at + 3] << 8);
        EXPECT_GT(number, lastNumber);
        lastNumber = number;
        EXPECT_EQ(prg[at + 4], 0x99) << "PRINT token";
        const size_t end = static_cast<size_t>(link - load + 2);  // file offset of the next line
        EXPECT_LT(end, prg.size());
        if (end >= prg.size() || end <= at + 5) return texts;
        EXPECT_EQ(prg[end - 1], 0) << "line end";
        texts.emplace_back(prg.begin() + static_cast<long>(at + 5), prg.begin() + static_cast<long>(end - 1));
        at = end;
    }
    ADD_FAILURE() << "too many lines";
    return texts;
}

TEST(Placeholders, ThirteenBasicProgramsInTheProgramFolder) {
    for (const char* name : kGameFiles) {
        const std::string path = test::programDir() + "/d64/" + name;
        ASSERT_TRUE(fs::exists(path)) << path;
        const std::vector<std::string> texts = basicPrintLines(test::readBytes(path));
        std::string all;
        for (const std::string& t : texts) {
            EXPECT_EQ(t.front(), '"');
            EXPECT_EQ(t.back(), '"');
            EXPECT_LE(t.size(), 40u);
            all += t.substr(1, t.size() - 2) + " ";
        }
        EXPECT_NE(all.find("THE GAME'S OWN FILES BELONG IN THE D64 FOLDER"), std::string::npos) << all;
        std::string upperName = name;
        for (char& c : upperName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(all.find(upperName), std::string::npos) << all;
    }
}

TEST(Placeholders, GeneratorNeverOverwritesTheGamesOwnFiles) {
    const std::string tool = std::string(GRUSK_BINARY_DIR) + "/data/d64/make_d64_placeholders";
    if (!fs::exists(tool)) GTEST_SKIP() << "the generator is not built here";
    test::TempDir dir;
    const fs::path d64 = dir.path() / "d64";
    fs::create_directories(d64);
    const std::vector<uint8_t> real = {0x01, 0x08, 0xAA, 0xBB};
    test::writeBytes((d64 / "grusk.prg").string(), real);
    // An older stand-in is brought up to date.
    std::vector<uint8_t> old = test::readBytes(test::programDir() + "/d64/object.prg");
    old.insert(old.end() - 2, {'X'});
    test::writeBytes((d64 / "object.prg").string(), old);
    ASSERT_EQ(std::system(("'" + tool + "' '" + d64.string() + "'").c_str()), 0);
    EXPECT_EQ(test::readBytes((d64 / "grusk.prg").string()), real);
    EXPECT_EQ(test::readBytes((d64 / "object.prg").string()), test::readBytes(test::programDir() + "/d64/object.prg"));
    for (const char* name : kGameFiles) EXPECT_TRUE(fs::exists(d64 / name)) << name;
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(d64)) ++files;
    EXPECT_EQ(files, 13);
}

}  // namespace
}  // namespace grusk
