// The stand-ins for the game's files that the build puts into program/d64.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "disk/game_disk.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

// Each is a BASIC program at $0801 of chained PRINT lines with rising numbers (at most 40 characters in quotes)
// naming the file and where the game's own files belong.
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
