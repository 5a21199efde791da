// Whole-image operations on image files: listing, making, inserting,
// extracting, deleting and free space, with their results and messages.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include "disk/image_ops.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

std::vector<uint8_t> bytesOf(size_t n, int seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 31 + static_cast<size_t>(seed));
    return v;
}

std::string makeD64(const TempDir& dir, const std::string& name = "disk.d64") {
    std::ostringstream report;
    EXPECT_EQ(makeImage(dir.file(name), "grusk 2008", "00", report), 0);
    return dir.file(name);
}

TEST(ImageOps, MakeImageKindsAndReport) {
    TempDir dir;
    std::ostringstream report;
    ASSERT_EQ(makeImage(dir.file("new.d64"), "my disk", "ab", report), 0);
    EXPECT_EQ(test::readBytes(dir.file("new.d64")).size(), kD64Size);
    const std::string text = report.str();
    EXPECT_EQ(text.rfind("TRK  FREE  MAP\n  1: 21/21 111111111111111111111\n", 0), 0u) << text;
    EXPECT_NE(text.find("\n 18: 17/19 0011111111111111111\n"), std::string::npos);
    EXPECT_NE(text.find("\n 35: 17/17 11111111111111111\n\n664 blocks free\n"), std::string::npos);
    // Name and id are stored with swapped letter case.
    const auto bytes = test::readBytes(dir.file("new.d64"));
    const size_t bam = 357 * 256;
    EXPECT_EQ(std::memcmp(bytes.data() + bam + 144, "MY DISK", 7), 0);
    EXPECT_EQ(bytes[bam + 151], 0xA0);
    EXPECT_EQ(bytes[bam + 162], 'A');
    EXPECT_EQ(bytes[bam + 163], 'B');

    ASSERT_EQ(makeImage(dir.file("new.D71"), "x", "00", report), 0);
    EXPECT_EQ(test::readBytes(dir.file("new.D71")).size(), kD71Size);
    ASSERT_EQ(makeImage(dir.file("new.d81"), "x", "00", report), 0);
    EXPECT_EQ(test::readBytes(dir.file("new.d81")).size(), kD81Size);

    std::ostringstream out;
    EXPECT_EQ(makeImage(dir.file("new.txt"), "x", "00", out), 1);
    EXPECT_EQ(out.str(), "di_create_image failed\n");
    EXPECT_FALSE(fs::exists(dir.file("new.txt")));
    out.str("");
    EXPECT_EQ(makeImage(dir.file("new.d99"), "x", "00", out), 1);
    EXPECT_EQ(out.str(), "unknown image type\n");

    // An existing image keeps its own kind whatever its name.
    fs::copy_file(dir.file("new.D71"), dir.file("other.d64"));
    ASSERT_EQ(insertFile(dir.file("other.d64"), dir.file("new.d64")), 0);
    out.str("");
    ASSERT_EQ(makeImage(dir.file("other.d64"), "again", "01", out), 0);
    EXPECT_EQ(test::readBytes(dir.file("other.d64")).size(), kD71Size);
    EXPECT_NE(out.str().find(" 70: 17/17 "), std::string::npos);
    EXPECT_EQ(imageBlocksFree(dir.file("other.d64")), 1328);
}

TEST(ImageOps, InsertAndList) {
    TempDir dir;
    const std::string image = makeD64(dir);
    auto list = listImageCastles(image);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (NameList{"664 blocks free\n"}));

    fs::create_directory(dir.path() / "sub");
    test::writeBytes(dir.file("sub/zmyhouse.prg"), bytesOf(600, 1));
    test::writeBytes(dir.file("sub/castle.prg"), bytesOf(10, 2));
    test::writeBytes(dir.file("sub/a very long castle name.prg"), bytesOf(10, 3));
    test::writeBytes(dir.file("sub/Zupper.prg"), bytesOf(10, 4));
    const fs::path before = fs::current_path();
    fs::current_path(dir.path() / "sub");
    EXPECT_EQ(insertFile(image, "zmyhouse.prg"), 0);  // a relative host path
    fs::current_path(before);
    EXPECT_EQ(insertFile(image, dir.file("sub/castle.prg")), 0);
    EXPECT_EQ(insertFile(image, dir.file("sub/a very long castle name.prg")), 0);
    EXPECT_EQ(insertFile(image, dir.file("sub/Zupper.prg")), 0);

    int free = 0;
    const auto items = listImageDirectory(image, free);
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 4u);
    EXPECT_EQ((*items)[0].hostName, "zmyhouse");
    EXPECT_EQ((*items)[0].blocks, 3);
    EXPECT_EQ((*items)[2].hostName, "a very long cast");  // first 16 characters
    EXPECT_EQ(free, 664 - 6);
    // The disk name bytes of zmyhouse are ZMYHOUSE filled with 0xA0.
    const auto bytes = test::readBytes(image);
    const uint8_t* entry = bytes.data() + 358 * 256;
    EXPECT_EQ(std::memcmp(entry + 5, "ZMYHOUSE", 8), 0);
    for (int i = 13; i < 21; ++i) EXPECT_EQ(entry[i], 0xA0);

    list = listImageCastles(image);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (NameList{"658 blocks free\n", "zmyhouse", "Zupper"}));
    EXPECT_EQ(imageBlocksFree(image), 658);
}

TEST(ImageOps, FailedInsertsLeaveTheImageUntouched) {
    TempDir dir;
    EXPECT_EQ(insertFile(dir.file("missing.d64"), dir.file("x.prg")), kInsertNoImage);
    const std::string image = makeD64(dir);
    test::writeBytes(dir.file("zone.prg"), bytesOf(100, 1));
    ASSERT_EQ(insertFile(image, dir.file("zone.prg")), 0);
    // Fill the disk up to 2 blocks.
    test::writeBytes(dir.file("zfill.prg"), bytesOf(661 * 254, 2));
    ASSERT_EQ(insertFile(image, dir.file("zfill.prg")), 0);
    fs::create_directory(dir.path() / "zfolder.prg");
    test::writeBytes(dir.file("zhuge.prg"), bytesOf(3 * 254, 5));
    test::writeBytes(dir.file("zlarger.prg"), bytesOf(kD64Size + 1, 6));
    const struct {
        const char* host;
        int result;
    } cases[] = {
        {"zone.prg", kInsertCannotCreate},   // the name exists
        {"zgone.prg", kInsertNoHostFile},    // no such host file
        {"zfolder.prg", kInsertNoHostFile},  // not a file
        {"zhuge.prg", kInsertIncomplete},    // one block more than is free
        {"zlarger.prg", kInsertIncomplete},  // larger than any image
    };
    for (const auto& c : cases) {
        const test::Untouched before{image};
        EXPECT_EQ(insertFile(image, dir.file(c.host)), c.result) << c.host;
        EXPECT_TRUE(before.holds()) << c.host;
    }
    auto list = listImageCastles(image);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (NameList{"2 blocks free\n", "zone", "zfill"}));
    // Exactly what fits is complete.
    test::writeBytes(dir.file("zfits.prg"), bytesOf(2 * 254, 7));
    EXPECT_EQ(insertFile(image, dir.file("zfits.prg")), 0);
    EXPECT_EQ(imageBlocksFree(image), 0);
}

TEST(ImageOps, MakeImageRefusesWhatIsNoRegularFile) {
    TempDir dir;
    fs::create_directory(dir.path() / "folder.d64");
    ASSERT_EQ(::mkfifo(dir.file("pipe.d64").c_str(), 0644), 0);
    fs::create_symlink(dir.path() / "pipe.d64", dir.path() / "link.d64");
    for (const char* name : {"folder.d64", "pipe.d64", "link.d64"}) {
        std::ostringstream out;
        EXPECT_EQ(makeImage(dir.file(name), "x", "00", out), 1) << name;
        EXPECT_EQ(out.str(), dir.file(name) + ": not a regular file\n");
    }
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.d64"));
    EXPECT_TRUE(fs::is_empty(dir.path() / "folder.d64"));
    EXPECT_TRUE(fs::is_fifo(dir.path() / "pipe.d64"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.d64"));
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 3);
}

TEST(ImageOps, ExtractCopiesAndReports) {
    TempDir dir;
    std::ostringstream out, err;
    EXPECT_EQ(extractFile(dir.file("missing.d64"), "x", dir.file("x.prg"), out, err), 1);
    const std::string image = makeD64(dir);
    test::writeBytes(dir.file("zone.prg"), bytesOf(5000, 1));
    test::writeBytes(dir.file("ztwo.prg"), bytesOf(10, 2));
    test::writeBytes(dir.file("empty.prg"), {});
    ASSERT_EQ(insertFile(image, dir.file("zone.prg")), 0);
    ASSERT_EQ(insertFile(image, dir.file("ztwo.prg")), 0);
    ASSERT_EQ(insertFile(image, dir.file("empty.prg")), 0);

    bool copied = false;
    EXPECT_EQ(extractFile(image, "zone", dir.file("out1.prg"), out, err, &copied), 0);
    EXPECT_TRUE(copied);
    EXPECT_EQ(test::readBytes(dir.file("out1.prg")), bytesOf(5000, 1));
    // The name is a pattern: the first match is copied.
    EXPECT_EQ(extractFile(image, "z*", dir.file("out2.prg"), out, err, &copied), 0);
    EXPECT_EQ(test::readBytes(dir.file("out2.prg")), bytesOf(5000, 1));
    EXPECT_EQ(extractFile(image, "empty", dir.file("out3.prg"), out, err, &copied), 0);
    EXPECT_TRUE(copied);
    EXPECT_TRUE(fs::exists(dir.file("out3.prg")));
    EXPECT_EQ(fs::file_size(dir.file("out3.prg")), 0u);
    EXPECT_EQ(out.str(), "");

    EXPECT_EQ(extractFile(image, "znone", dir.file("out4.prg"), out, err, &copied), 0);
    EXPECT_FALSE(copied);
    EXPECT_EQ(out.str(), "Couldn't open file for reading\n");
    EXPECT_FALSE(fs::exists(dir.file("out4.prg")));
    out.str("");
    EXPECT_EQ(extractFile(image, "zone", dir.file("no/such/folder/x.prg"), out, err, &copied), 0);
    EXPECT_FALSE(copied);
    EXPECT_EQ(out.str(), "Couldn't open file for writing\n");

    // Over an existing host file: replaced whole.
    test::writeBytes(dir.file("out5.prg"), bytesOf(90000, 9));
    EXPECT_EQ(extractFile(image, "ztwo", dir.file("out5.prg"), out, err, &copied), 0);
    EXPECT_EQ(test::readBytes(dir.file("out5.prg")), bytesOf(10, 2));
}

TEST(ImageOps, DeleteAndFree) {
    TempDir dir;
    EXPECT_EQ(deleteFile(dir.file("missing.d64"), "x"), 0);
    EXPECT_EQ(imageBlocksFree(dir.file("missing.d64")), -1);
    const std::string image = makeD64(dir);
    for (const char* name : {"zone", "ztwo", "zthree", "castle"}) {
        test::writeBytes(dir.file(std::string(name) + ".prg"), bytesOf(1000, 3));
        ASSERT_EQ(insertFile(image, dir.file(std::string(name) + ".prg")), 0);
    }
    EXPECT_EQ(imageBlocksFree(image), 664 - 16);
    EXPECT_EQ(deleteFile(image, "zfour"), kStatusNotFound);
    EXPECT_EQ(deleteFile(image, "zone"), kStatusScratched);
    EXPECT_EQ(imageBlocksFree(image), 664 - 12);
    EXPECT_EQ(deleteFile(image, "zt*"), kStatusScratched);
    EXPECT_EQ(imageBlocksFree(image), 664 - 4);
    auto list = listImageCastles(image);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (NameList{"660 blocks free\n"}));
    EXPECT_EQ(deleteFile(image, "c?stle"), kStatusScratched);
    EXPECT_EQ(imageBlocksFree(image), 664);
}

TEST(ImageOps, HostAndDiskNames) {
    const DiskName name = diskNameFromHost("pic a title and more");
    EXPECT_EQ(std::memcmp(name.data(), "PIC A TITLE AND ", 16), 0);
    EXPECT_EQ(hostNameFromDisk(name.data()), "pic a title and ");
    const DiskName shortName = diskNameFromHost("zCastle");
    EXPECT_EQ(std::memcmp(shortName.data(), "ZcASTLE\xA0", 8), 0);
    EXPECT_EQ(hostNameFromDisk(shortName.data()), "zCastle");
    EXPECT_EQ(fileTypeText(0x82), "prg");
    EXPECT_EQ(fileTypeText(0xC1), "seq<");
    EXPECT_EQ(fileTypeText(0x04), "*rel");
    EXPECT_EQ(fileTypeText(0x87), "???");
}

}  // namespace
}  // namespace grusk
