// gruskedit-cli disk ... and gamedisk, run as the built program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "app/object_commands.h"
#include "app/project_commands.h"
#include "disk/disk_fixture.h"
#include "disk/image_ops.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Result {
    int exit = -1;  // -1 when ended by a signal
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Result cli(const std::vector<std::string>& args, const std::string& cwd = GRUSK_PROGRAM_DIR) {
    static int counter = 0;
    const std::string errFile = (fs::temp_directory_path() / ("grusk-cli-err-" + std::to_string(::getpid()) + "-" +
                                                              std::to_string(counter++)))
                                    .string();
    std::string command = "cd " + quoted(cwd) + " && " + quoted(std::string(GRUSK_PROGRAM_DIR) + "/gruskedit-cli");
    for (const std::string& a : args) command += " " + quoted(a);
    command += " 2>" + quoted(errFile);
    Result r;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int status = ::pclose(pipe);
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto err = test::readBytes(errFile);
    r.err.assign(err.begin(), err.end());
    fs::remove(errFile);
    return r;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

class Cli : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        if (!fs::exists(std::string(GRUSK_PROGRAM_DIR) + "/gruskedit-cli"))
            GTEST_FAIL() << "gruskedit-cli has not been built";
    }
};

TEST_F(Cli, WrongArgumentsGiveUsage) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"disk"}, {"disk", "nonsense", "x"}, {"disk", "make"}, {"disk", "make", "a", "b", "c", "d"},
             {"disk", "list"}, {"disk", "insert", "x.d64"}, {"disk", "extract", "x", "y"},
             {"disk", "delete", "x"}, {"disk", "free"}, {"gamedisk"}, {"gamedisk", "a", "b", "c"}}) {
        const Result r = cli(args);
        EXPECT_EQ(r.exit, 2) << args.size() << " " << args.back();
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST_F(Cli, MakeListDirFree) {
    const std::string image = dir.file("t.d64");
    Result r = cli({"disk", "make", image});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(lines(r.out).front(), "TRK  FREE  MAP");
    EXPECT_EQ(lines(r.out).back(), "664 blocks free");
    // Default name and id.
    const auto bytes = test::readBytes(image);
    EXPECT_EQ(std::string(bytes.begin() + 357 * 256 + 144, bytes.begin() + 357 * 256 + 154), "GRUSK 2008");
    r = cli({"disk", "make", dir.file("n.d81"), "My Name", "ab"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(lines(r.out).back(), "3160 blocks free");
    r = cli({"disk", "make", dir.file("n.txt")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "di_create_image failed\n");

    test::writeBytes(dir.file("zone.prg"), std::vector<uint8_t>(600, 1));
    test::writeBytes(dir.file("notes.prg"), std::vector<uint8_t>(10, 2));
    test::writeBytes(dir.file("empty.prg"), {});
    r = cli({"disk", "insert", image, dir.file("zone.prg"), dir.file("notes.prg"), dir.file("empty.prg")});
    EXPECT_EQ(r.exit, 0) << r.err;
    r = cli({"disk", "list", image});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, "660 blocks free\nzone\n");
    r = cli({"disk", "dir", image});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, "3 \"zone\" prg\n1 \"notes\" prg\n0 \"empty\" prg\n660 blocks free\n");
    r = cli({"disk", "free", image});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, "660\n");
}

TEST_F(Cli, InsertStopsAtFirstFailure) {
    const std::string image = dir.file("t.d64");
    ASSERT_EQ(cli({"disk", "make", image}).exit, 0);
    test::writeBytes(dir.file("za.prg"), {1});
    test::writeBytes(dir.file("zc.prg"), {3});
    const Result r = cli({"disk", "insert", image, dir.file("za.prg"), dir.file("za.prg"), dir.file("zc.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find(dir.file("za.prg") + ": -2"), std::string::npos) << r.err;
    EXPECT_EQ(cli({"disk", "list", image}).out, "663 blocks free\nza\n");
    const Result missing = cli({"disk", "insert", image, dir.file("zmissing.prg")});
    EXPECT_EQ(missing.exit, 1);
    EXPECT_NE(missing.err.find(": -3"), std::string::npos);
}

TEST_F(Cli, ExtractAndDelete) {
    const std::string image = dir.file("t.d64");
    ASSERT_EQ(cli({"disk", "make", image}).exit, 0);
    const std::vector<uint8_t> bytes(3000, 0x42);
    test::writeBytes(dir.file("zone.prg"), bytes);
    ASSERT_EQ(cli({"disk", "insert", image, dir.file("zone.prg")}).exit, 0);
    Result r = cli({"disk", "extract", image, "zone", dir.file("back.prg")});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(test::readBytes(dir.file("back.prg")), bytes);
    r = cli({"disk", "extract", image, "ztwo", dir.file("none.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "Couldn't open file for reading\n");
    r = cli({"disk", "extract", image, "zone", dir.file("no/folder/x.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "Couldn't open file for writing\n");

    r = cli({"disk", "delete", image, "ztwo"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "62\n");
    r = cli({"disk", "delete", image, "zone"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(cli({"disk", "free", image}).out, "664\n");
}

TEST_F(Cli, ImagesThatCannotBeLoaded) {
    test::writeBytes(dir.file("short.d64"), std::vector<uint8_t>(1000));
    for (const std::string& image : {dir.file("missing.d64"), dir.file("short.d64"), dir.path().string()}) {
        test::writeBytes(dir.file("z.prg"), {1});
        EXPECT_EQ(cli({"disk", "list", image}).exit, 1);
        EXPECT_EQ(cli({"disk", "dir", image}).exit, 1);
        EXPECT_EQ(cli({"disk", "free", image}).exit, 1);
        EXPECT_EQ(cli({"disk", "insert", image, dir.file("z.prg")}).exit, 1);
        EXPECT_EQ(cli({"disk", "extract", image, "z", dir.file("x.prg")}).exit, 1);
        const Result del = cli({"disk", "delete", image, "z"});
        EXPECT_EQ(del.exit, 1);
        EXPECT_EQ(del.out, "0\n");
    }
}

TEST_F(Cli, GameDiskFromTheProgramFolder) {
    const std::string image = dir.file("game.d64");
    const Result r = cli({"gamedisk", image});
    ASSERT_EQ(r.exit, 0) << r.err;
    const Result listing = cli({"disk", "dir", image});
    const std::vector<std::string> expected = {
        "\"castles\"", "\"grusk\"",  "\"music0\"", "\"music1\"", "\"music2\"", "\"music3\"",      "\"music4\"",
        "\"music5\"",  "\"music6\"", "\"music7\"", "\"music8\"", "\"object\"", "\"pic a title\""};
    const auto got = lines(listing.out);
    ASSERT_EQ(got.size(), 14u) << listing.out;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NE(got[i].find(expected[i] + " prg"), std::string::npos) << got[i];
        EXPECT_NE(got[i].rfind("0 ", 0), 0u) << "the placeholder is not empty: " << got[i];
    }
}

// A castle project with one room and a door leading to itself.
std::string writeValidProject(test::ProgramFolder& pf) {
    pf.app.castle.room(0).roomInUse = 1;
    placeObject(pf.app, kDoor, 10, 10);
    pf.app.castle.room(0).object(10, 10).destRoom = 0;
    pf.app.castle.room(0).object(10, 10).destDoor = 0;
    const std::string path = pf.path("castle.cas");
    test::writeBytes(path, castleFileImage(pf.app.castle));
    return path;
}

TEST_F(Cli, GameDiskWithCastle) {
    test::ProgramFolder pf;
    const std::string project = writeValidProject(pf);
    const std::string image = pf.path("with.d64");
    Result r = cli({"--program-folder", pf.app.programFolder, "gamedisk", image, project});
    ASSERT_EQ(r.exit, 0) << r.err;
    int free = 0;
    const auto items = listImageDirectory(image, free);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 14u);
    EXPECT_EQ(items->back().hostName, "zcastle");
    EXPECT_EQ(items->front().blocks, 1);
    r = cli({"disk", "extract", image, "zcastle", pf.path("back.prg")});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(test::readBytes(pf.path("back.prg")), test::readBytes(pf.path("resource/zcastle.prg")));

    // A castle with errors: log lines on standard error, exit 1, no disk.
    test::ProgramFolder empty;
    const std::string bad = empty.path("bad.cas");
    test::writeBytes(bad, castleFileImage(empty.app.castle));
    r = cli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("bad.d64"), bad});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Error #1"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pf.path("bad.d64")));

    // A game file missing: the log line, exit 1 and no disk.
    fs::remove(pf.path("d64/object.prg"));
    r = cli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("half.d64"), project});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Game file missing or unusable: object.prg"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pf.path("half.d64")));

    r = cli({"gamedisk", pf.path("x/y/z.d64")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Image Creation failed"), std::string::npos);
}

}  // namespace
}  // namespace grusk
