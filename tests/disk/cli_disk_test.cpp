// gruskedit-cli disk ... and gamedisk, run as the built program: arguments,
// exit status and what goes to which stream.
#include <gtest/gtest.h>

#include <filesystem>

#include "disk/disk_fixture.h"
#include "disk/image_ops.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

using namespace test;

TEST(CliDisk, WrongArgumentsGiveUsageAndUnloadableImagesFail) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"disk"}, {"disk", "nonsense", "x"}, {"disk", "make"}, {"disk", "make", "a", "b", "c", "d"},
             {"disk", "list"}, {"disk", "insert", "x.d64"}, {"disk", "extract", "x", "y"},
             {"disk", "delete", "x"}, {"disk", "free"}, {"gamedisk"}, {"gamedisk", "a", "b", "c"}}) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exit, 2) << args.size() << " " << args.back();
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
    TempDir dir;
    writeBytes(dir.file("short.d64"), Bytes(1000));
    for (const std::string& image : {dir.file("missing.d64"), dir.file("short.d64"), dir.path().string()})
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"list", image}, {"dir", image}, {"free", image}, {"insert", image, dir.file("short.d64")},
                 {"extract", image, "z", dir.file("x.prg")}, {"delete", image, "z"}}) {
            std::vector<std::string> command{"disk"};
            command.insert(command.end(), args.begin(), args.end());
            EXPECT_EQ(runCli(command).exit, 1) << args[0] << " " << image;
        }
    EXPECT_EQ(readBytes(dir.file("short.d64")), Bytes(1000));
}

TEST(CliDisk, EveryCommandOnAnImage) {
    TempDir dir;
    const std::string image = dir.file("t.d64");
    CliResult r = runCli({"disk", "make", image});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(lines(r.out).front(), "TRK  FREE  MAP");
    EXPECT_EQ(lines(r.out)[1], "  1: 21/21 111111111111111111111");
    EXPECT_EQ(lines(r.out)[35], " 35: 17/17 11111111111111111");
    EXPECT_EQ(lines(r.out).back(), "664 blocks free");
    const auto bytes = readBytes(image);  // the default name and id
    EXPECT_EQ(std::string(bytes.begin() + 357 * 256 + 144, bytes.begin() + 357 * 256 + 164), "GRUSK 2008\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0" "00");
    r = runCli({"disk", "make", dir.file("n.d81"), "My Name", "ab"});
    EXPECT_EQ(lines(r.out).back(), "3160 blocks free");
    r = runCli({"disk", "make", dir.file("n.txt")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "di_create_image failed\n");

    writeBytes(dir.file("zone.prg"), Bytes(600, 1));
    writeBytes(dir.file("notes.prg"), Bytes(10, 2));
    writeBytes(dir.file("empty.prg"), {});
    r = runCli({"disk", "insert", image, dir.file("zone.prg"), dir.file("notes.prg"), dir.file("empty.prg")});
    EXPECT_EQ(r.exit, 0) << r.err;
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string out;
    } commands[] = {
        {{"list", image}, 0, "660 blocks free\nzone\n"},
        {{"dir", image}, 0, "3 \"zone\" prg\n1 \"notes\" prg\n0 \"empty\" prg\n660 blocks free\n"},
        {{"free", image}, 0, "660\n"},
        {{"extract", image, "zone", dir.file("back.prg")}, 0, ""},
        {{"extract", image, "ztwo", dir.file("none.prg")}, 1, "Couldn't open file for reading\n"},
        {{"extract", image, "zone", dir.file("no/such/x.prg")}, 1, "Couldn't open file for writing\n"},
        {{"delete", image, "ztwo"}, 1, "62\n"},  // the drive status: file not found
        {{"delete", image, "zone"}, 0, "1\n"},   // files scratched
        {{"list", image}, 0, "663 blocks free\n"},
    };
    for (const auto& c : commands) {
        std::vector<std::string> command{"disk"};
        command.insert(command.end(), c.args.begin(), c.args.end());
        r = runCli(command);
        EXPECT_EQ(r.exit, c.exit) << c.args[0] << " " << c.args[2];
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[2];
    }
    EXPECT_EQ(readBytes(dir.file("back.prg")), Bytes(600, 1));
    // Insert stops at the first file that fails and names it with its code.
    writeBytes(dir.file("zc.prg"), {3});
    r = runCli({"disk", "insert", image, dir.file("notes.prg"), dir.file("zc.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find(dir.file("notes.prg") + ": -2"), std::string::npos) << r.err;
    EXPECT_EQ(runCli({"disk", "list", image}).out, "663 blocks free\n");
}

TEST(CliDisk, GameDiskWithAndWithoutCastle) {
    ProgramFolder pf;
    CliResult r = runCli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("game.d64")});
    ASSERT_EQ(r.exit, 0) << r.err;
    int free = 0;
    EXPECT_EQ(listImageDirectory(pf.path("game.d64"), free)->size(), kGameFiles.size());
    // A castle with errors: its log on standard error, exit 1, no disk.
    const std::string project = pf.path("castle.cas");
    writeBytes(project, castleFileImage(pf.app.castle));
    r = runCli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("bad.d64"), project});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Error #1"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(pf.path("bad.d64")));
    pf.app.castle.room(0).roomInUse = 1;
    placeObject(pf.app.castle, kDoor, 10, 10);
    writeBytes(project, castleFileImage(pf.app.castle));
    r = runCli({"--program-folder", pf.app.programFolder, "gamedisk", pf.path("with.d64"), project});
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto items = listImageDirectory(pf.path("with.d64"), free);
    ASSERT_EQ(items->size(), kGameFiles.size() + 1);
    EXPECT_EQ(items->back().hostName, "zcastle");
}

}  // namespace
}  // namespace grusk
