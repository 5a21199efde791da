// Images written once after all their files went in hold the same bytes as
// images written back after every file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "disk_fixture.h"

namespace grusk {
namespace {

using test::ProgramFolder;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::vector<uint8_t> filled(size_t size, int seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 31 + static_cast<size_t>(seed) * 7);
    return bytes;
}

// makeImage and one insertFile after another, and the same in one go.
void expectSameImage(const std::string& ending, const std::vector<HostFile>& files, const TempDir& dir) {
    const std::string oneByOne = dir.file("one" + ending);
    const std::string together = dir.file("all" + ending);
    std::ostringstream reportA, reportB;
    ASSERT_EQ(makeImage(oneByOne, "batch test", "7x", reportA), 0);
    std::vector<int> expected;
    for (const HostFile& f : files)
        expected.push_back(f.name.empty() ? insertFile(oneByOne, f.path) : insertFileAs(oneByOne, f.path, f.name));
    std::vector<int> results;
    ASSERT_EQ(makeImageWithFiles(together, "batch test", "7x", reportB, files, &results), 0);
    EXPECT_EQ(results, expected);
    EXPECT_EQ(reportA.str(), reportB.str());
    EXPECT_EQ(readBytes(oneByOne), readBytes(together)) << ending;
}

TEST(BatchedImage, SameBytesAsInsertingOneByOne) {
    TempDir dir;
    std::vector<HostFile> files;
    // Files of 0 to about 80 blocks, one missing, one given a name, one a folder.
    for (int i = 0; i < 12; ++i) {
        const std::string path = dir.file("file" + std::to_string(i) + ".prg");
        writeBytes(path, filled(static_cast<size_t>(i * i * 170), i));
        files.push_back(HostFile{path, {}});
    }
    files.push_back(HostFile{dir.file("missing.prg"), {}});
    files.push_back(HostFile{dir.file("file3.prg"), "zcastle"});
    files.push_back(HostFile{dir.path().string(), {}});
    for (const char* ending : {".d64", ".d71", ".d81"}) expectSameImage(ending, files, dir);

    // Until the disk is full: the last files do not fit, a write stops half way.
    for (int i = 0; i < 8; ++i) files.push_back(HostFile{dir.file("file11.prg"), "more" + std::to_string(i)});
    expectSameImage(".d64", files, dir);
}

TEST(BatchedImage, UnknownEndingMakesNothing) {
    TempDir dir;
    std::ostringstream report;
    EXPECT_EQ(makeImageWithFiles(dir.file("x.dqq"), "a", "b", report, {}), 1);
    EXPECT_EQ(report.str(), "unknown image type\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.dqq")));
}

TEST(BatchedImage, GameDiskWithCastleAsBuildingThenStoring) {
    ProgramFolder a;
    ProgramFolder b;
    const std::vector<uint8_t> castle = filled(20000, 5);
    writeBytes(a.path("resource/ztest00.prg"), castle);
    writeBytes(b.path("resource/ztest00.prg"), castle);
    std::ostringstream reportA, reportB;

    std::string imageA = a.path("game.d64");
    ASSERT_EQ(buildGameDisk(a.app, imageA, false, reportA), 1);
    EXPECT_EQ(storeCompiledCastle(a.app, imageA), kInsertDone);

    std::string imageB = b.path("game.d64");
    int result = -9;
    ASSERT_EQ(buildGameDiskWithCastle(b.app, imageB, reportB, &result), 1);
    EXPECT_EQ(result, kInsertDone);
    EXPECT_EQ(readBytes(imageA), readBytes(imageB));
    EXPECT_EQ(reportA.str(), reportB.str());
    EXPECT_FALSE(std::filesystem::exists(b.path("resource/ztest00.prg")));
    EXPECT_EQ(readBytes(b.path("resource/zcastle.prg")), castle);

    // Without a compiled castle the disk holds the game files only.
    std::string again = b.path("again.d64");
    std::string plain = a.path("plain.d64");
    ASSERT_EQ(buildGameDisk(a.app, plain, false, reportA), 1);
    ASSERT_EQ(buildGameDiskWithCastle(b.app, again, reportB, &result), 1);
    EXPECT_EQ(result, kInsertNoHostFile);
    EXPECT_EQ(readBytes(plain), readBytes(again));
}

}  // namespace
}  // namespace grusk
