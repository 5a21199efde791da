// Whole-image operations on image files: making, inserting, extracting and deleting, with what they refuse. What
// they print is checked through the command line (cli_disk_test.cpp).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include "disk/disk_fixture.h"
#include "disk/image_ops.h"

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

// Host names to disk names and back: the first 16 characters, letter case
// swapped, bytes modulo 128, 127 shown as '?'.
TEST(ImageOps, NamesAndTypes) {
    EXPECT_EQ(hostNameFromDisk(diskNameFromHost("pic a title and more").data()), "pic a title and ");
    EXPECT_EQ(hostNameFromDisk(diskNameFromHost("zCastle 1\xC1").data()), "zCastle 1A");
    EXPECT_EQ(hostNameFromDisk(nameOf("GRUSK\x7F").data()), "grusk?");
    for (const auto& [type, text] : {std::pair{0x82, "prg"}, std::pair{0xC1, "seq<"}, std::pair{0x04, "*rel"},
                                     std::pair{0x87, "???"}})
        EXPECT_EQ(fileTypeText(static_cast<uint8_t>(type)), text);
}

}  // namespace
}  // namespace grusk
