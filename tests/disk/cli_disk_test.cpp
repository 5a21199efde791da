// gruskedit-cli disk ... and gamedisk, run as the built program: arguments,
// exit status and what goes to which stream. What the operations do to an
// image is proven on the library itself.
#include <gtest/gtest.h>

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
using test::lines;
using test::TempDir;
using Result = test::CliResult;
Result cli(const std::vector<std::string>& args) { return test::runCli(args); }

TEST(CliDisk, WrongArgumentsGiveUsage) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"disk"}, {"disk", "nonsense", "x"}, {"disk", "make"}, {"disk", "make", "a", "b", "c", "d"},
             {"disk", "list"}, {"disk", "insert", "x.d64"}, {"disk", "extract", "x", "y"},
             {"disk", "delete", "x"}, {"disk", "free"}, {"gamedisk"}, {"gamedisk", "a", "b", "c"}}) {
        const Result r = cli(args);
        EXPECT_EQ(r.exit, 2) << args.size() << " " << args.back();
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(CliDisk, EveryCommandOnAnImage) {
    TempDir dir;
    const std::string image = dir.file("t.d64");
    Result r = cli({"disk", "make", image});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(lines(r.out).front(), "TRK  FREE  MAP");
    EXPECT_EQ(lines(r.out).back(), "664 blocks free");
    // The default name and id.
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
    EXPECT_EQ(cli({"disk", "list", image}).out, "660 blocks free\nzone\n");
    EXPECT_EQ(cli({"disk", "dir", image}).out, "3 \"zone\" prg\n1 \"notes\" prg\n0 \"empty\" prg\n660 blocks free\n");
    EXPECT_EQ(cli({"disk", "free", image}).out, "660\n");

    r = cli({"disk", "extract", image, "zone", dir.file("back.prg")});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(test::readBytes(dir.file("back.prg")), std::vector<uint8_t>(600, 1));
    r = cli({"disk", "extract", image, "ztwo", dir.file("none.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "Couldn't open file for reading\n");

    // Delete prints the drive status: 62 file not found, 1 files scratched.
    r = cli({"disk", "delete", image, "ztwo"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "62\n");
    r = cli({"disk", "delete", image, "zone"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(r.out, "1\n");

    // Insert stops at the first file that fails and names it with its code.
    test::writeBytes(dir.file("zc.prg"), {3});
    r = cli({"disk", "insert", image, dir.file("notes.prg"), dir.file("zc.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find(dir.file("notes.prg") + ": -2"), std::string::npos) << r.err;
    EXPECT_EQ(cli({"disk", "list", image}).out, "663 blocks free\n");
}

TEST(CliDisk, ImagesThatCannotBeLoaded) {
    TempDir dir;
    test::writeBytes(dir.file("short.d64"), std::vector<uint8_t>(1000));
    test::writeBytes(dir.file("z.prg"), {1});
    for (const std::string& image : {dir.file("missing.d64"), dir.file("short.d64"), dir.path().string()}) {
        for (const auto& args : std::vector<std::vector<std::string>>{{"disk", "list", image},
                                                                      {"disk", "dir", image},
                                                                      {"disk", "free", image},
                                                                      {"disk", "insert", image, dir.file("z.prg")},
                                                                      {"disk", "extract", image, "z", dir.file("x.prg")},
                                                                      {"disk", "delete", image, "z"}})
            EXPECT_EQ(cli(args).exit, 1) << args[1] << " " << image;
    }
    EXPECT_EQ(test::readBytes(dir.file("short.d64")), std::vector<uint8_t>(1000));
}

TEST(CliDisk, GameDiskWithAndWithoutCastle) {
    test::ProgramFolder pf;
    const std::string image = pf.path("game.d64");
    Result r = cli({"--program-folder", pf.app.programFolder, "gamedisk", image});
    ASSERT_EQ(r.exit, 0) << r.err;
    int free = 0;
    auto items = listImageDirectory(image, free);
    ASSERT_TRUE(items);
    EXPECT_EQ(items->size(), kGameFiles.size());

    pf.app.castle.room(0).roomInUse = 1;
    placeObject(pf.app, kDoor, 10, 10);
    pf.app.castle.room(0).object(10, 10).destRoom = 0;
    const std::string project = pf.path("castle.cas");
    test::writeBytes(project, castleFileImage(pf.app.castle));
    r = cli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("with.d64"), project});
    ASSERT_EQ(r.exit, 0) << r.err;
    items = listImageDirectory(pf.path("with.d64"), free);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), kGameFiles.size() + 1);
    EXPECT_EQ(items->back().hostName, "zcastle");

    // A castle with errors: its log on standard error, exit 1, no disk.
    test::ProgramFolder empty;
    const std::string bad = empty.path("bad.cas");
    test::writeBytes(bad, castleFileImage(empty.app.castle));
    r = cli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("bad.d64"), bad});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Error #1"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(pf.path("bad.d64")));
}

}  // namespace
}  // namespace grusk
