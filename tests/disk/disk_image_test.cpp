// The disk image library: layouts of the three kinds, allocation orders,
// files, scratching and write-back. Interop and damaged images have files of their own.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "disk/disk_fixture.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using namespace test;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes padded(const std::string& text, size_t n) {
    Bytes b(text.begin(), text.end());
    b.resize(n, 0xA0);
    return b;
}

// A fresh format of each kind: header, BAM and directory bytes, free blocks,
// the blocks a file takes in turn, and a disk filled up.
TEST(DiskLayout, FormatAllocationOrderAndFullDiskOfEachKind) {
    const struct {
        size_t size;
        int track, sector, offset;
        Bytes bytes;
    } layout[] = {
        {kD64Size, 18, 0, 0, {18, 1, 'A', 0, 21, 0xFF, 0xFF, 0x1F}},
        {kD64Size, 18, 0, 72, {17, 0xFC, 0xFF, 0x07, 19, 0xFF, 0xFF, 0x07}},  // 18: sectors 0 and 1 used
        {kD64Size, 18, 0, 140, Bytes{17, 0xFF, 0xFF, 0x01} + padded("TEST", 18) + Bytes{'0', '0'} + padded("", 1) +
                                   padded("2A", 6) + Bytes(85, 0)},
        {kD64Size, 18, 1, 0, Bytes{0, 0xFF} + Bytes(254, 0)},
        {kD71Size, 18, 0, 3, {0x80}},
        {kD71Size, 18, 0, 171, Bytes(50, 0) + Bytes{21}},  // then the counts of tracks 36 to 70
        {kD71Size, 18, 0, 185 + 53, {0}},                  // track 53 stays used
        {kD71Size, 18, 0, 185 + 70, {17}},
        {kD71Size, 53, 0, 0, {0xFF, 0xFF, 0x1F}},  // bitmaps of tracks 36 to 70
        {kD71Size, 53, 0, 3 * 17, {0}},
        {kD71Size, 53, 0, 3 * 34 + 2, Bytes{0x01} + Bytes(151, 0)},
        {kD81Size, 40, 0, 0, Bytes{40, 3, 0, 0} + padded("TEST", 16) + padded("", 2) + Bytes{'0', '0', 0xA0, '3', 'D'} +
                                 padded("", 2) + Bytes{0}},
        {kD81Size, 40, 1, 0, {40, 2, 'D', 0xBB, '0', '0', 0xC0}},
        {kD81Size, 40, 1, 16, {40}},
        {kD81Size, 40, 1, 6 * 40 + 10, {36, 0xF0}},  // track 40: sectors 0 to 3 used
        {kD81Size, 40, 2, 0, {0, 0xFF, 'D', 0xBB, '0', '0', 0xC0}},
        {kD81Size, 40, 2, 16, {40}},
        {kD81Size, 40, 3, 0, {0, 0xFF}},
    };
    const struct {
        size_t size;
        ImageKind kind;
        int blocksFree;
        std::vector<std::pair<int, int>> fileBlocks;
    } kinds[] = {
        {kD64Size, ImageKind::D64, 664, {{1, 10}, {1, 20}, {1, 9}, {1, 19}, {1, 8}, {1, 18}, {1, 7}, {1, 17}, {1, 6}, {1, 16}, {1, 5},
                         {1, 15}, {1, 4}, {1, 14}, {1, 3}, {1, 13}, {1, 2}, {1, 12}, {1, 1}, {1, 11}, {1, 0}, {2, 10}}},
        {kD71Size, ImageKind::D71, 1328, {{1, 6}, {1, 12}, {1, 18}, {1, 3}, {1, 9}}},
        {kD81Size, ImageKind::D81, 3160, {{1, 1}, {1, 2}, {1, 3}}},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.size);
        DiskImagePtr img = formatted(k.size);
        for (const auto& b : layout) {
            if (b.size != k.size) continue;
            const uint8_t* at = blockAt(*img, b.track, b.sector) + b.offset;
            EXPECT_EQ(Bytes(at, at + b.bytes.size()), b.bytes) << b.track << "/" << b.sector << "+" << b.offset;
        }
        EXPECT_EQ((std::pair{img->blocksFree, di_count_blocks_free(*img)}), (std::pair{k.blocksFree, k.blocksFree}));
        ASSERT_TRUE(writeFile(*img, "A", counting(254 * k.fileBlocks.size())));
        const int entry = di_find_entry(*img, nameOf("A"), kTypePrg);
        std::vector<std::pair<int, int>> blocks;
        for (const TrackSector ts : chainOf(*img, entry)) blocks.emplace_back(ts.track, ts.sector);
        EXPECT_EQ(blocks, k.fileBlocks);

        // Filled up, never on the directory track (nor a D71's second BAM track);
        // one block's worth more goes into the buffer before the disk is found full.
        const int free = k.blocksFree - static_cast<int>(k.fileBlocks.size());
        ImageFilePtr f = di_open_file(*img, nameOf("BIG"), kTypePrg, "wb");
        const int big = f->entry;
        const Bytes bytes = counting(static_cast<size_t>(free) * 254 + 1000);
        EXPECT_EQ(di_write_file(*f, bytes.data(), static_cast<int>(bytes.size())), (free + 1) * 254);
        EXPECT_FALSE(di_close_file(std::move(f)));
        EXPECT_EQ(img->status, kStatusDiskFull);
        EXPECT_EQ(img->data[big + kEntryType], 0x02);  // left unclosed
        const auto chain = chainOf(*img, big);
        EXPECT_EQ(static_cast<int>(chain.size()), free);
        for (const TrackSector& ts : chain)
            EXPECT_TRUE(ts.track != directoryTrack(img->kind) && (img->kind != ImageKind::D71 || ts.track != 53));
        EXPECT_EQ(di_count_blocks_free(*img), 0);
        // Its bytes load as an image of the same kind, a block less does not.
        const Bytes image = di_free_image_to_bytes(std::move(img));
        ASSERT_TRUE(di_load_image_bytes(image.data(), image.size()));
        EXPECT_EQ(di_load_image_bytes(image.data(), image.size())->kind, k.kind);
        EXPECT_FALSE(di_load_image_bytes(image.data(), image.size() - 256));
    }
}

TEST(DiskLayout, FormatWithoutIdKeepsIdAndDataAndErrorBytesStay) {
    TempDir dir;
    Bytes bytes = counting(kD64WithErrorsSize);
    writeBytes(dir.file("e.d64"), bytes);
    DiskImagePtr img = di_load_image(dir.file("e.d64"));
    ASSERT_TRUE(img && img->kind == ImageKind::D64);
    const uint8_t id[2] = {'4', '2'};
    di_format(*img, nameOf("E"), id);
    ASSERT_TRUE(writeFile(*img, "KEEP", counting(300)));
    const uint8_t data = blockAt(*img, 1, 10)[5];
    di_format(*img, nameOf("AGAIN"), nullptr);
    EXPECT_EQ((Bytes{blockAt(*img, 18, 0)[162], blockAt(*img, 1, 10)[5]}), (Bytes{'4', data}));  // data blocks stay
    EXPECT_EQ((std::pair{img->blocksFree, di_find_entry(*img, nameOf("KEEP"), kTypePrg)}), (std::pair{664, -1}));
    ASSERT_TRUE(di_free_image(std::move(img)));
    const auto after = readBytes(dir.file("e.d64"));
    ASSERT_EQ(after.size(), kD64WithErrorsSize);
    EXPECT_TRUE(std::equal(after.begin() + kD64Size, after.end(), bytes.begin() + kD64Size));
    EXPECT_EQ(after[0], 0);  // the format with an id cleared the blocks
}

// Type, first block, name, zeros, size in blocks; each file's search starts
// again at sector 10 of track 1; a last block links 0/bytes+1.
TEST(DiskFiles, EntriesAndBlocksOfSmallFiles) {
    DiskImagePtr img = formatted(kD64Size);
    for (const auto& [name, size] : {std::pair{"EMPTY", 0}, std::pair{"ONE", 254}, std::pair{"TWO", 255}})
        ASSERT_TRUE(writeFile(*img, name, counting(static_cast<size_t>(size), static_cast<unsigned>(size))));
    const uint8_t* dir = blockAt(*img, 18, 1);
    EXPECT_EQ(Bytes(dir + 2, dir + 32), (Bytes{0x82, 0, 0} + padded("EMPTY", 16) + Bytes(11, 0)));
    EXPECT_EQ(Bytes(dir + 32 + 2, dir + 64), (Bytes{0x82, 1, 10} + padded("ONE", 16) + Bytes(9, 0) + Bytes{1, 0}));
    EXPECT_EQ((Bytes{dir[64 + 3], dir[64 + 4], dir[64 + 30], blockAt(*img, 1, 10)[0], blockAt(*img, 1, 10)[1]}), (Bytes{1, 11, 2, 0, 0xFF}));
    EXPECT_EQ(Bytes(blockAt(*img, 1, 0), blockAt(*img, 1, 0) + 2), (Bytes{0, 2}));
    for (const auto& [name, size] : {std::pair{"EMPTY", 0}, std::pair{"ONE", 254}, std::pair{"TWO", 255}})
        EXPECT_EQ(readFile(*img, name), counting(static_cast<size_t>(size), static_cast<unsigned>(size)));
    EXPECT_EQ(img->openFiles, 0);
}

TEST(DiskFiles, DirectoryGrowthLimitAndTheDirectoryFile) {
    DiskImagePtr img = formatted(kD64Size);
    for (int i = 0; i < 144; ++i) ASSERT_TRUE(writeFile(*img, "F" + std::to_string(i), {})) << i;
    std::vector<int> order;
    for (TrackSector ts{18, 1}; ts.track != 0; ts = di_next_block(*img, ts)) order.push_back(ts.sector);
    EXPECT_EQ(order, (std::vector<int>{1, 4, 7, 10, 13, 16, 2, 5, 8, 11, 14, 17, 3, 6, 9, 12, 15, 18}));
    EXPECT_FALSE(di_open_file(*img, nameOf("F144"), kTypePrg, "wb"));
    EXPECT_EQ(img->status, kStatusDiskFull);
    // "$" reads the header block and then the directory blocks, without links.
    const Bytes all = readFile(*img, "$");
    ASSERT_EQ(all.size(), 19u * 254);
    EXPECT_TRUE(std::equal(all.begin(), all.begin() + 254, blockAt(*img, 18, 0) + 2));
    EXPECT_TRUE(std::equal(all.begin() + 254 * 2, all.begin() + 254 * 3, blockAt(*img, 18, 4) + 2));
    // A scratched entry is used again.
    EXPECT_EQ(di_scratch(*img, nameOf("F7"), kTypePrg), kStatusScratched);
    EXPECT_TRUE(writeFile(*img, "AGAIN", {}));
    EXPECT_EQ(blockAt(*img, 18, 1)[7 * 32 + 5], 'A');
}

TEST(DiskFiles, OpeningUnclosedEntriesAndScratching) {
    DiskImagePtr img = formatted(kD64Size);
    for (const auto& [mode, status] : {std::pair{"rb", kStatusNotFound}, std::pair{"r", kStatusOpening}, std::pair{"ab", kStatusOpening}}) {
        EXPECT_FALSE(di_open_file(*img, nameOf("X"), kTypePrg, mode));
        EXPECT_EQ(img->status, status);
    }
    ASSERT_TRUE(writeFile(*img, "SEQ", {}));
    EXPECT_FALSE(di_open_file(*img, nameOf("SEQ"), kTypeSeq, "rb"));  // the type must match
    EXPECT_FALSE(di_open_file(*img, nameOf("SEQ"), kTypeSeq, "wb"));  // any type blocks the name
    EXPECT_EQ(img->status, kStatusExists);
    img->data[di_find_entry(*img, nameOf("SEQ"), kTypePrg) + kEntryType] |= kTypeLocked;
    EXPECT_GE(di_find_entry(*img, nameOf("SEQ"), kTypePrg), 0);

    // Left open (as after a full disk): searches miss it, its name stays taken.
    ImageFilePtr f = di_open_file(*img, nameOf("OPEN"), kTypePrg, "wb");
    const Bytes bytes = counting(254 * 3 + 10);
    di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
    const int e = f->entry;
    f.reset();
    EXPECT_EQ(di_find_entry(*img, nameOf("OPEN"), kTypePrg), -1);
    EXPECT_FALSE(di_open_file(*img, nameOf("OPEN"), kTypePrg, "wb"));
    EXPECT_EQ(di_scratch(*img, nameOf("OPEN"), kTypePrg), kStatusScratched);
    EXPECT_EQ((std::pair<int, int>{img->data[e + kEntryType], img->blocksFree}), (std::pair{0, 664}));
    for (const auto& [name, size] : {std::pair{"ZA", 1000}, std::pair{"ZB", 600}, std::pair{"C", 100}})
        ASSERT_TRUE(writeFile(*img, name, counting(static_cast<size_t>(size))));
    for (const auto& [type, status] : {std::pair{kTypeSeq, kStatusNotFound}, std::pair{4, kStatusTypeMismatch}, std::pair{kTypePrg, kStatusScratched}})
        EXPECT_EQ(di_scratch(*img, nameOf("Z*"), type), status) << type;
    // Two files scratched, the blocks of both free.
    EXPECT_EQ((std::vector{img->statusTrack, img->blocksFree, di_count_blocks_free(*img)}), (std::vector{2, 664 - 1, 664 - 1}));
    EXPECT_EQ(readFile(*img, "C"), counting(100));
}

TEST(DiskWriteBack, ReplacesTheRealFileThroughLinksAndFailsWhenItCannot) {
    TempDir dir;
    fs::create_directory(dir.path() / "real");
    const std::string target = dir.file("real/disk.d64");
    ASSERT_TRUE(di_free_image(formatted(kD64Size, target)));
    fs::create_symlink("real/disk.d64", dir.path() / "hop.d64");
    fs::create_symlink(dir.path() / "hop.d64", dir.path() / "link.d64");
    DiskImagePtr img = di_load_image(dir.file("link.d64"));
    ASSERT_TRUE(img);
    ASSERT_TRUE(writeFile(*img, "VIA LINK", counting(600)));
    ASSERT_TRUE(di_write_back(*img));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.d64") && fs::is_symlink(dir.path() / "hop.d64"));
    EXPECT_EQ(readFile(*di_load_image(target), "VIA LINK"), counting(600));
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir.path()), {}), 4) << "a temporary file is left";
    // The image's file became a folder: the write-back fails and says so.
    ASSERT_TRUE(writeFile(*img, "X", counting(10)));
    fs::remove(target);
    fs::create_directory(target);
    EXPECT_FALSE(di_write_back(*img));
    EXPECT_TRUE(img->modified && fs::is_empty(target));
    EXPECT_FALSE(di_load_image(dir.file("link.d64")));
}

// Loads, changes and writes back; true when refused as write protected.
bool refusedAsWriteProtected(const std::string& path) {
    DiskImagePtr img = di_load_image(path);
    if (!img || !writeFile(*img, "NEW", counting(300))) return false;
    return !di_write_back(*img) && img->status == kStatusWriteProtect && img->modified;
}

// Whether the check holds for a user who may not write the files the test made: this process when it is no root,
// else a child switched to the user nobody (root may write any file); nullopt when there is no such user.
std::optional<bool> unprivileged(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool nobody = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(!nobody || ::geteuid() == 0 ? 77 : check() ? 0 : 1);
    }
    int status = 0;
    if (pid < 0) return std::nullopt;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return false;
    if (WEXITSTATUS(status) == 77) return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

// Each refused write-back leaves the file byte for byte and inode for inode.
TEST(DiskWriteBack, ReadOnlyFilesAndFilesOfOthersAreRefused) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // only the files' own permissions stand in the way
    const std::string ro = dir.file("ro.d64"), theirs = dir.file("theirs.d64");
    for (const std::string& path : {ro, theirs}) ASSERT_TRUE(di_free_image(formatted(kD64Size, path)));
    fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(theirs, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read);
    if (::geteuid() != 0) fs::permissions(theirs, fs::perms::owner_write, fs::perm_options::remove);
    fs::create_symlink(ro, dir.path() / "ro-link.d64");
    fs::create_symlink(theirs, dir.path() / "link.d64");
    const Untouched roBefore{ro}, theirsBefore{theirs};
    EXPECT_TRUE(refusedAsWriteProtected(ro));  // even for root
    EXPECT_TRUE(refusedAsWriteProtected(dir.file("ro-link.d64")));
    const auto refused = unprivileged([&] { return refusedAsWriteProtected(theirs) && refusedAsWriteProtected(dir.file("link.d64")); });
    EXPECT_TRUE(roBefore.holds() && theirsBefore.holds());
    if (!refused) GTEST_SKIP() << "running as root without the user nobody: a file of another user cannot be tried";
    EXPECT_TRUE(*refused);
}

}  // namespace
}  // namespace grusk
