// Whole-image operations on image files: making, inserting, extracting and deleting, with what they refuse, and
// what the command line prints for them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include "disk/disk_fixture.h"
#include "disk/image_ops.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using namespace test;

TEST(ImageOps, MakeImageByEndingAndNeverOverOtherFiles) {
    TempDir dir;
    std::ostringstream report;
    ASSERT_EQ(makeImage(dir.file("new.d64"), "my disk", "ab", report), 0);
    EXPECT_EQ(report.str().rfind("TRK  FREE  MAP\n  1: 21/21 111111111111111111111\n", 0), 0u) << report.str();
    EXPECT_NE(report.str().find("\n 18: 17/19 0011111111111111111\n"), std::string::npos);
    EXPECT_NE(report.str().find("\n 35: 17/17 11111111111111111\n\n664 blocks free\n"), std::string::npos);
    EXPECT_EQ(headerNameAndId(dir.file("new.d64")), "MY DISK\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0" "AB");
    // By the ending; never over a folder, a pipe or a link to one (the message names it).
    fs::create_directory(dir.path() / "folder.d64");
    ASSERT_EQ(::mkfifo(dir.file("pipe.d64").c_str(), 0644), 0);
    fs::create_symlink(dir.path() / "pipe.d64", dir.path() / "link.d64");
    for (const auto& [name, size, message] :
         {std::tuple{"new.D71", kD71Size, ""}, std::tuple{"new.d81", kD81Size, ""},
          std::tuple{"new.txt", size_t{0}, "di_create_image failed\n"}, std::tuple{"new.d99", size_t{0}, "unknown image type\n"},
          std::tuple{"folder.d64", size_t{0}, ": not a regular file\n"}, std::tuple{"pipe.d64", size_t{0}, ": not a regular file\n"},
          std::tuple{"link.d64", size_t{0}, ": not a regular file\n"}}) {
        std::ostringstream out;
        EXPECT_EQ(makeImage(dir.file(name), "x", "00", out), size ? 0 : 1) << name;
        EXPECT_EQ(fs::is_regular_file(dir.file(name)) ? fs::file_size(dir.file(name)) : size_t{0}, size) << name;
        EXPECT_EQ(size ? std::string() : out.str(), (message[0] == ':' ? dir.file(name) : "") + message);
    }
    EXPECT_TRUE(fs::is_empty(dir.path() / "folder.d64") && fs::is_fifo(dir.path() / "pipe.d64"));
}

TEST(ImageOps, InsertUnderHostNamesExtractAndDelete) {
    TempDir dir;
    const std::string image = dir.file("disk.d64");
    ASSERT_EQ(makeImage(image, "grusk 2008", "00"), 0);
    fs::create_directory(dir.path() / "sub");
    const fs::path cwd = fs::current_path();
    fs::current_path(dir.path() / "sub");  // the first by a relative host path
    for (const auto& [name, size] : {std::pair{"zmyhouse", 600}, std::pair{"a very long castle name", 10},
                                     std::pair{"Zupper", 5000}, std::pair{"empty", 0}}) {
        writeBytes(dir.file(std::string("sub/") + name + ".prg"), counting(static_cast<size_t>(size), static_cast<unsigned>(size)));
        EXPECT_EQ(insertFile(image, size == 600 ? "zmyhouse.prg" : dir.file(std::string("sub/") + name + ".prg")), 0) << name;
    }
    fs::current_path(cwd);
    int free = 0;
    const auto items = listImageDirectory(image, free);
    ASSERT_TRUE(items && items->size() == 4u);
    EXPECT_EQ((*items)[1].hostName, "a very long cast");  // the first 16 characters
    EXPECT_EQ((std::pair{(*items)[0].blocks, free}), (std::pair{3, 664 - 3 - 1 - 20}));
    // The disk name bytes swap the letter case and pad with 0xA0.
    const auto bytes = readBytes(image);
    EXPECT_EQ(std::string(bytes.begin() + 358 * 256 + 5, bytes.begin() + 358 * 256 + 21), "ZMYHOUSE\xA0\xA0\xA0\xA0\xA0\xA0\xA0\xA0");
    EXPECT_EQ(std::string(bytes.begin() + 358 * 256 + 64 + 5, bytes.begin() + 358 * 256 + 64 + 12), "zUPPER\xA0");
    EXPECT_EQ(*listImageCastles(image), (NameList{"640 blocks free\n", "zmyhouse", "Zupper"}));

    // Extracting: the first match of a pattern, an empty file, over an existing file.
    std::ostringstream out, err;
    bool copied = false;
    writeBytes(dir.file("out.prg"), counting(90000));
    for (const auto& [pattern, size] : {std::pair{"z*", 600}, std::pair{"Zupper", 5000}, std::pair{"empty", 0}}) {
        EXPECT_EQ(extractFile(image, pattern, dir.file("out.prg"), out, err, &copied), 0);
        EXPECT_EQ(readBytes(dir.file("out.prg")), counting(static_cast<size_t>(size), static_cast<unsigned>(size))) << pattern;
    }
    for (const auto& [name, path] : {std::pair{"znone", "out4.prg"}, std::pair{"Zupper", "no/such/folder/x.prg"}}) {
        EXPECT_EQ(extractFile(image, name, dir.file(path), out, err, &copied), 0);
        EXPECT_FALSE(copied || fs::exists(dir.file(path))) << name;
    }
    EXPECT_EQ(extractFile(dir.file("missing.d64"), "x", dir.file("x.prg"), out, err), 1);
    fs::create_directory(dir.path() / "folder.prg");  // never replaced, and the message says why
    EXPECT_EQ(extractFile(image, "Zupper", dir.file("folder.prg"), out, err, &copied), 0);
    EXPECT_EQ(err.str(), "Write error: Is a directory\n");
    EXPECT_TRUE(fs::is_empty(dir.path() / "folder.prg"));

    for (const auto& [pattern, status] : {std::pair{"zfour", kStatusNotFound}, std::pair{"z*", kStatusScratched},
                                          std::pair{"Z*", kStatusScratched}, std::pair{"?mpty", kStatusScratched}})
        EXPECT_EQ(deleteFile(image, pattern), status) << pattern;
    EXPECT_EQ(imageBlocksFree(image), 663);
    // A file left unclosed (by a full disk) goes by its exact name.
    DiskImagePtr img = di_load_image(image);
    ImageFilePtr open = di_open_file(*img, nameOf("ZOPEN"), kTypePrg, "wb");
    di_write_file(*open, counting(3 * 254 + 10).data(), 3 * 254 + 10);
    open.reset();
    ASSERT_TRUE(di_free_image(std::move(img)));
    EXPECT_EQ(deleteNamedFile(image, nameOf("ZOPEN")), kStatusScratched);
    EXPECT_EQ(imageBlocksFree(image), 663);
    EXPECT_EQ(deleteFile(dir.file("missing.d64"), "x"), 0);
    EXPECT_EQ(imageBlocksFree(dir.file("missing.d64")), -1);
}

TEST(ImageOps, FailedInsertsLeaveTheImageUntouched) {
    TempDir dir;
    EXPECT_EQ(insertFile(dir.file("missing.d64"), dir.file("x.prg")), kInsertNoImage);
    const std::string image = dir.file("disk.d64");
    ASSERT_EQ(makeImage(image, "x", "00"), 0);
    for (const auto& [host, size] : {std::pair{"zone.prg", 100}, std::pair{"zfill.prg", 661 * 254}}) {  // two blocks stay free
        writeBytes(dir.file(host), counting(static_cast<size_t>(size)));
        ASSERT_EQ(insertFile(image, dir.file(host)), 0);
    }
    fs::create_directory(dir.path() / "zfolder.prg");
    writeBytes(dir.file("zhuge.prg"), counting(3 * 254));
    writeBytes(dir.file("zlarger.prg"), counting(kD64Size + 1));
    for (const auto& [host, result] : {std::pair{"zone.prg", kInsertCannotCreate}, std::pair{"zgone.prg", kInsertNoHostFile},
                                       std::pair{"zfolder.prg", kInsertNoHostFile}, std::pair{"zhuge.prg", kInsertIncomplete},
                                       std::pair{"zlarger.prg", kInsertIncomplete}}) {
        const Untouched before{image};
        EXPECT_EQ(insertFile(image, dir.file(host)), result) << host;
        EXPECT_TRUE(before.holds()) << host;
    }
    writeBytes(dir.file("zfits.prg"), counting(2 * 254));  // exactly what fits is complete
    EXPECT_EQ(insertFile(image, dir.file("zfits.prg")), 0);
    EXPECT_EQ(imageBlocksFree(image), 0);
}

// Host names to disk names and back: letter case swapped, bytes modulo 128, 127 shown as '?'.
TEST(ImageOps, NamesAndTypes) {
    EXPECT_EQ(hostNameFromDisk(diskNameFromHost("zCastle 1\xC1").data()), "zCastle 1A");
    EXPECT_EQ(hostNameFromDisk(nameOf("GRUSK\x7F").data()), "grusk?");
    for (const auto& [type, text] : {std::pair{0x82, "prg"}, std::pair{0xC1, "seq<"}, std::pair{0x04, "*rel"},
                                     std::pair{0x87, "???"}})
        EXPECT_EQ(fileTypeText(static_cast<uint8_t>(type)), text);
}

// gruskedit-cli disk ... and gamedisk, run as the built program, in turn on one image: arguments, exit status and
// what goes to which stream (standard error must hold "err").
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
