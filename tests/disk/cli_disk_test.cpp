// gruskedit-cli disk ... and gamedisk, run as the built program: arguments,
// exit status and what goes to which stream.
#include <gtest/gtest.h>

#include <filesystem>

#include "disk/disk_fixture.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

using namespace test;

// In turn on one image; "err" is a text standard error must hold.
TEST(CliDisk, EveryCommandWithItsExitStatusAndOutput) {
    ProgramFolder pf;
    const std::string image = pf.path("t.d64"), folder = "--program-folder";
    for (const auto& [name, bytes] : {std::pair{"zone.prg", Bytes(600, 1)}, std::pair{"notes.prg", Bytes(10, 2)},
                                      std::pair{"empty.prg", Bytes{}}, std::pair{"short.d64", Bytes(1000)}})
        writeBytes(pf.path(name), bytes);
    writeBytes(pf.path("bad.cas"), castleFileImage(pf.app.castle));  // no rooms: errors
    pf.app.castle.room(0).roomInUse = 1;
    placeObject(pf.app.castle, kDoor, 10, 10);
    writeBytes(pf.path("good.cas"), castleFileImage(pf.app.castle));
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string out, err;
    } commands[] = {
        {{"disk"}, 2, "", "usage:"}, {{"disk", "nonsense", "x"}, 2, "", "usage:"},
        {{"disk", "make", "a", "b", "c", "d"}, 2, "", "usage:"}, {{"disk", "insert", image}, 2, "", "usage:"},
        {{"disk", "extract", "x", "y"}, 2, "", "usage:"}, {{"gamedisk", "a", "b", "c"}, 2, "", "usage:"},
        {{"disk", "make", pf.path("n.txt")}, 1, "di_create_image failed\n", ""},
        {{"disk", "make", pf.path("n.d81"), "My Name", "ab"}, 0, "", ""}, {{"disk", "make", image}, 0, "", ""},
        {{"disk", "insert", image, pf.path("zone.prg"), pf.path("notes.prg"), pf.path("empty.prg")}, 0, "", ""},
        {{"disk", "list", image}, 0, "660 blocks free\nzone\n", ""},
        {{"disk", "dir", image}, 0, "3 \"zone\" prg\n1 \"notes\" prg\n0 \"empty\" prg\n660 blocks free\n", ""},
        {{"disk", "free", image}, 0, "660\n", ""},
        {{"disk", "extract", image, "zone", pf.path("back.prg")}, 0, "", ""},
        {{"disk", "extract", image, "ztwo", pf.path("none.prg")}, 1, "Couldn't open file for reading\n", ""},
        {{"disk", "delete", image, "ztwo"}, 1, "62\n", ""},  // the drive status: file not found
        {{"disk", "delete", image, "zone"}, 0, "1\n", ""},   // files scratched
        // Insert stops at the first file that fails and names it with its code.
        {{"disk", "insert", image, pf.path("notes.prg"), pf.path("zone.prg")}, 1, "", pf.path("notes.prg") + ": -2"},
        {{"disk", "list", image}, 0, "663 blocks free\n", ""},
        {{"disk", "list", pf.path("short.d64")}, 1, "", ""},
        {{"disk", "delete", pf.path("missing.d64"), "z"}, 1, "", ""},
        {{folder, pf.app.programFolder, "gamedisk", pf.path("bad.d64"), pf.path("bad.cas")}, 1, "", "Error #1"},
        {{folder, pf.app.programFolder, "gamedisk", pf.path("game.d64"), pf.path("good.cas")}, 0, "", ""},
        {{"disk", "list", pf.path("game.d64")}, 0, "561 blocks free\nzcastle\n", ""},
    };
    for (const auto& c : commands) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.exit, c.exit) << c.args[1] << " " << c.args.back() << "\n" << r.err;
        EXPECT_TRUE(c.out.empty() || r.out == c.out) << c.args[1] << " " << c.args.back() << "\n" << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args[1] << " " << c.args.back() << "\n" << r.err;
    }
    EXPECT_EQ(headerNameAndId(image), "GRUSK 2008\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0" "00");  // the default name and id
    EXPECT_EQ(readBytes(pf.path("back.prg")), Bytes(600, 1));
    EXPECT_FALSE(std::filesystem::exists(pf.path("bad.d64")));
}

}  // namespace
}  // namespace grusk
