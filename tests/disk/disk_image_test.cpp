// The disk image library: layouts, allocation orders, files, names,
// scratching, write-back and damaged images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "disk/disk_image.h"
#include "disk/unprivileged.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using test::TempDir;
using Bytes = std::vector<uint8_t>;

DiskName nameOf(const std::string& text) {
    DiskName n{};
    di_pad_name(n.data(), text);
    return n;
}

const uint8_t kId[2] = {'0', '0'};

DiskImagePtr formatted(size_t size, const std::string& path = {}) {
    DiskImagePtr img = di_create_image(path, size);
    di_format(*img, nameOf("TEST"), kId);
    return img;
}

const uint8_t* block(const DiskImage& img, int t, int s) {
    return img.data.data() + blockOffset(img.kind, TrackSector{static_cast<uint8_t>(t), static_cast<uint8_t>(s)});
}

std::vector<uint8_t> pattern(size_t n, unsigned seed = 1) {
    std::vector<uint8_t> v(n);
    std::mt19937 rng(seed);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

// Writes a file and closes it; returns whether the close was complete.
bool writeFile(DiskImage& img, const std::string& name, const std::vector<uint8_t>& bytes) {
    ImageFilePtr f = di_open_file(img, nameOf(name), kTypePrg, "wb");
    if (!f) return false;
    if (!bytes.empty()) di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
    return di_close_file(std::move(f));
}

std::vector<uint8_t> readFile(DiskImage& img, const std::string& name, int type = kTypePrg) {
    ImageFilePtr f = di_open_file(img, nameOf(name), type, "rb");
    EXPECT_TRUE(f) << name;
    if (!f) return {};
    std::vector<uint8_t> out;
    uint8_t buf[1000];
    for (int n; (n = di_read_file(*f, buf, sizeof buf)) > 0;) out.insert(out.end(), buf, buf + n);
    di_close_file(std::move(f));
    return out;
}

std::vector<TrackSector> chainOf(const DiskImage& img, int entry) {
    std::vector<TrackSector> chain;
    TrackSector ts{img.data[entry + kEntryFirstBlock], img.data[entry + kEntryFirstBlock + 1]};
    while (ts.track != 0 && chain.size() < 5000) {
        chain.push_back(ts);
        ts = di_next_block(img, ts);
    }
    return chain;
}

TEST(DiskGeometry, BlockOffsetsAndSectorCounts) {
    const struct {
        ImageKind kind;
        int track, sector;
        size_t block;  // blocks before this one
        int sectors;   // on its track
    } cases[] = {
        {ImageKind::D64, 1, 0, 0, 21},      {ImageKind::D64, 17, 20, 356, 21},  {ImageKind::D64, 18, 0, 357, 19},
        {ImageKind::D64, 25, 0, 490, 18},   {ImageKind::D64, 30, 17, 597, 18},  {ImageKind::D64, 31, 0, 598, 17},
        {ImageKind::D64, 35, 16, 682, 17},  {ImageKind::D71, 36, 0, 683, 21},   {ImageKind::D71, 53, 0, 1040, 19},
        {ImageKind::D71, 70, 16, 1365, 17}, {ImageKind::D81, 40, 0, 1560, 40},  {ImageKind::D81, 80, 39, 3199, 40},
    };
    for (const auto& c : cases) {
        const TrackSector ts{static_cast<uint8_t>(c.track), static_cast<uint8_t>(c.sector)};
        EXPECT_EQ(blockOffset(c.kind, ts), c.block * 256) << c.track << "/" << c.sector;
        EXPECT_EQ(sectorsPerTrack(c.kind, c.track), c.sectors) << c.track;
        EXPECT_TRUE(isValidBlock(c.kind, ts));
        EXPECT_FALSE(isValidBlock(c.kind, {ts.track, static_cast<uint8_t>(c.sectors)}));
    }
    EXPECT_EQ(sectorsPerTrack(ImageKind::D64, 36), 0);
    EXPECT_FALSE(isValidBlock(ImageKind::D64, {0, 0}));
}

TEST(DiskImageCreate, OnlyAcceptedSizes) {
    EXPECT_FALSE(di_create_image("x", 174847));
    EXPECT_FALSE(di_create_image("x", 0));
    for (size_t size : {kD64Size, kD64WithErrorsSize, kD71Size, kD81Size}) {
        DiskImagePtr img = di_create_image("x", size);
        ASSERT_TRUE(img);
        EXPECT_TRUE(img->modified);
        EXPECT_EQ(img->status, kStatusLoaded);
        EXPECT_EQ(img->data.size(), size);
    }
    EXPECT_EQ(di_create_image("x", kD71Size)->kind, ImageKind::D71);
    EXPECT_EQ(di_create_image("x", kD81Size)->bamBlock, (TrackSector{40, 1}));
}

// The bytes from..from+n of a block.
Bytes bytesAt(const DiskImage& img, int t, int s, int from, int n) { return Bytes(block(img, t, s) + from, block(img, t, s) + from + n); }

TEST(DiskFormat, EmptyD64Layout) {
    DiskImagePtr img = formatted(kD64Size);
    EXPECT_EQ(img->blocksFree, 664);
    EXPECT_EQ(img->status, kStatusOk);
    // Link to the directory, format 'A', then per track: free count and bitmap.
    EXPECT_EQ(bytesAt(*img, 18, 0, 0, 8), (Bytes{18, 1, 'A', 0, 21, 0xFF, 0xFF, 0x1F}));
    EXPECT_EQ(bytesAt(*img, 18, 0, 4 * 18, 4), (Bytes{17, 0xFC, 0xFF, 0x07}));  // sectors 0 and 1 used
    EXPECT_EQ(bytesAt(*img, 18, 0, 4 * 35, 4), (Bytes{17, 0xFF, 0xFF, 0x01}));
    // Name padded with $A0, id, $A0, DOS type "2A", padding, then zeros.
    Bytes name{'T', 'E', 'S', 'T'};
    name.resize(18, 0xA0);
    name.insert(name.end(), {'0', '0', 0xA0, '2', 'A', 0xA0, 0xA0, 0xA0, 0xA0});
    name.resize(256 - 144, 0);
    EXPECT_EQ(bytesAt(*img, 18, 0, 144, 256 - 144), name);
    Bytes dir(256, 0);
    dir[1] = 0xFF;
    EXPECT_EQ(bytesAt(*img, 18, 1, 0, 256), dir);
    for (int t = 1; t <= 35; ++t)
        for (int s = 0; s < sectorsPerTrack(ImageKind::D64, t); ++s) {
            const bool dirBlock = t == 18 && s < 2;
            EXPECT_EQ(di_is_sector_free(*img, {static_cast<uint8_t>(t), static_cast<uint8_t>(s)}), !dirBlock);
        }
}

TEST(DiskFormat, WithoutIdKeepsOldIdAndData) {
    DiskImagePtr img = formatted(kD64Size);
    ASSERT_TRUE(writeFile(*img, "KEEP", pattern(300)));
    const uint8_t before = block(*img, 1, 10)[5];
    di_format(*img, nameOf("AGAIN"), nullptr);
    EXPECT_EQ(block(*img, 18, 0)[162], '0');
    EXPECT_EQ(block(*img, 1, 10)[5], before);  // data blocks are not cleared
    EXPECT_EQ(img->blocksFree, 664);
    EXPECT_EQ(di_find_entry(*img, nameOf("KEEP"), kTypePrg), -1);
}

TEST(DiskFormat, ErrorBytesStayUnchanged) {
    TempDir dir;
    std::vector<uint8_t> bytes(kD64WithErrorsSize, 0x55);
    for (size_t i = kD64Size; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    test::writeBytes(dir.file("e.d64"), bytes);
    DiskImagePtr img = di_load_image(dir.file("e.d64"));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->kind, ImageKind::D64);
    di_format(*img, nameOf("E"), kId);
    ASSERT_TRUE(writeFile(*img, "F", pattern(1000)));
    ASSERT_TRUE(di_free_image(std::move(img)));
    const auto after = test::readBytes(dir.file("e.d64"));
    ASSERT_EQ(after.size(), kD64WithErrorsSize);
    EXPECT_TRUE(std::equal(after.begin() + kD64Size, after.end(), bytes.begin() + kD64Size));
    EXPECT_EQ(after[0], 0);  // the block area was cleared by the format with an id
}

// Single bytes of the freshly formatted D71 and D81 headers and BAMs.
TEST(DiskFormat, D71AndD81Layouts) {
    const struct {
        size_t size;
        int track, sector, offset;
        uint8_t value;
    } bytes[] = {
        {kD71Size, 18, 0, 3, 0x80},       {kD71Size, 18, 0, 185 + 36, 21},  // count of track 36
        {kD71Size, 18, 0, 185 + 53, 0},   {kD71Size, 18, 0, 185 + 70, 17},  // track 53 stays used
        {kD71Size, 53, 0, 0, 0xFF},       {kD71Size, 53, 0, 2, 0x1F},       // track 36 bitmap
        {kD71Size, 53, 0, 3 * 17, 0},     {kD71Size, 53, 0, 3 * 34 + 2, 0x01},
        {kD81Size, 40, 0, 0, 40},         {kD81Size, 40, 0, 1, 3},          {kD81Size, 40, 0, 2, 0},
        {kD81Size, 40, 0, 4, 'T'},        {kD81Size, 40, 0, 5, 'E'},        {kD81Size, 40, 0, 6, 'S'},
        {kD81Size, 40, 0, 7, 'T'},        {kD81Size, 40, 0, 20, 0xA0},
        {kD81Size, 40, 0, 22, '0'},       {kD81Size, 40, 0, 25, '3'},       {kD81Size, 40, 0, 26, 'D'},
        {kD81Size, 40, 0, 27, 0xA0},      {kD81Size, 40, 0, 28, 0xA0},      {kD81Size, 40, 0, 29, 0},
        {kD81Size, 40, 1, 0, 40},         {kD81Size, 40, 1, 1, 2},          {kD81Size, 40, 2, 0, 0},
        {kD81Size, 40, 2, 1, 0xFF},       {kD81Size, 40, 1, 2, 'D'},        {kD81Size, 40, 2, 3, 0xBB},
        {kD81Size, 40, 1, 4, '0'},        {kD81Size, 40, 2, 6, 0xC0},       {kD81Size, 40, 2, 2, 'D'},
        {kD81Size, 40, 1, 3, 0xBB},       {kD81Size, 40, 2, 4, '0'},        {kD81Size, 40, 1, 6, 0xC0},       {kD81Size, 40, 1, 16, 40},
        {kD81Size, 40, 1, 6 * 40 + 10, 36}, {kD81Size, 40, 1, 6 * 40 + 11, 0xF0},  // track 40: 0-3 used
        {kD81Size, 40, 2, 16, 40},        {kD81Size, 40, 3, 1, 0xFF},
    };
    DiskImagePtr d71 = formatted(kD71Size), d81 = formatted(kD81Size);
    for (const auto& b : bytes)
        EXPECT_EQ(block(b.size == kD71Size ? *d71 : *d81, b.track, b.sector)[b.offset], b.value)
            << b.track << "/" << b.sector << "+" << b.offset;
    EXPECT_EQ(bytesAt(*d71, 18, 0, 171, 50), Bytes(50, 0));
    EXPECT_EQ(bytesAt(*d71, 53, 0, 105, 151), Bytes(151, 0));
    EXPECT_EQ(d71->blocksFree, 664 + 683 - 19);
    EXPECT_EQ(d71->bam2Block, (TrackSector{53, 0}));
    EXPECT_EQ(d81->blocksFree, 3160);
}

TEST(DiskAllocation, D64FileOrder) {
    DiskImagePtr img = formatted(kD64Size);
    ASSERT_TRUE(writeFile(*img, "A", pattern(254 * 22)));
    const int e = di_find_entry(*img, nameOf("A"), kTypePrg);
    ASSERT_GE(e, 0);
    const std::vector<TrackSector> chain = chainOf(*img, e);
    const std::vector<int> expected = {10, 20, 9, 19, 8, 18, 7, 17, 6, 16, 5, 15, 4, 14, 3, 13, 2, 12, 1, 11, 0};
    ASSERT_EQ(chain.size(), 22u);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(chain[i], (TrackSector{1, static_cast<uint8_t>(expected[i])}));
    EXPECT_EQ(chain[21], (TrackSector{2, 10}));
    EXPECT_EQ(img->blocksFree, 664 - 22);
    EXPECT_EQ(img->data[e + kEntryBlocks], 22);
}

TEST(DiskAllocation, D71AndD81FileOrders) {
    DiskImagePtr d71 = formatted(kD71Size);
    ASSERT_TRUE(writeFile(*d71, "A", pattern(254 * 5)));
    auto chain = chainOf(*d71, di_find_entry(*d71, nameOf("A"), kTypePrg));
    EXPECT_EQ(chain, (std::vector<TrackSector>{{1, 6}, {1, 12}, {1, 18}, {1, 3}, {1, 9}}));
    DiskImagePtr d81 = formatted(kD81Size);
    ASSERT_TRUE(writeFile(*d81, "A", pattern(254 * 3)));
    chain = chainOf(*d81, di_find_entry(*d81, nameOf("A"), kTypePrg));
    EXPECT_EQ(chain, (std::vector<TrackSector>{{1, 1}, {1, 2}, {1, 3}}));
}

TEST(DiskAllocation, FullDisksNeverUseDirectoryOrSecondBamTracks) {
    for (size_t size : {kD64Size, kD71Size, kD81Size}) {
        DiskImagePtr img = formatted(size);
        const int free = img->blocksFree;
        const int dirFree = di_track_blocks_free(*img, directoryTrack(img->kind));
        ImageFilePtr f = di_open_file(*img, nameOf("BIG"), kTypePrg, "wb");
        ASSERT_TRUE(f);
        const int entry = f->entry;
        const std::vector<uint8_t> bytes = pattern(static_cast<size_t>(free) * 254 + 1000);
        const int accepted = di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
        // One more block's worth is accepted into the buffer before the disk is found full.
        EXPECT_EQ(accepted, (free + 1) * 254) << size;
        EXPECT_EQ(img->status, kStatusDiskFull);
        EXPECT_EQ(img->blocksFree, 0);
        EXPECT_FALSE(di_close_file(std::move(f)));  // the buffered tail is lost
        EXPECT_EQ(img->data[entry + kEntryType], 0x02);
        const auto chain = chainOf(*img, entry);
        EXPECT_EQ(static_cast<int>(chain.size()), free);
        for (const TrackSector& ts : chain) {
            EXPECT_NE(ts.track, directoryTrack(img->kind));
            if (img->kind == ImageKind::D71) {
                EXPECT_NE(ts.track, 53);
            }
        }
        EXPECT_EQ(di_track_blocks_free(*img, directoryTrack(img->kind)), dirFree);
        EXPECT_EQ(di_count_blocks_free(*img), 0);
    }
}

TEST(DiskFiles, ByteLayoutsOfSmallFiles) {
    DiskImagePtr img = formatted(kD64Size);
    ASSERT_TRUE(writeFile(*img, "EMPTY", {}));
    ASSERT_TRUE(writeFile(*img, "ONE", pattern(254, 2)));
    ASSERT_TRUE(writeFile(*img, "TWO", pattern(255, 3)));
    const uint8_t* dir = block(*img, 18, 1);
    // Entry 0: the empty file.
    EXPECT_EQ(dir[2], 0x82);
    EXPECT_EQ(dir[3], 0);
    EXPECT_EQ(dir[4], 0);
    EXPECT_EQ(std::memcmp(dir + 5, "EMPTY", 5), 0);
    EXPECT_EQ(dir[10], 0xA0);
    EXPECT_EQ(dir[30], 0);
    EXPECT_EQ(dir[31], 0);
    // Entry 1: one block with link 0/255.
    const uint8_t* one = dir + 32;
    EXPECT_EQ(one[2], 0x82);
    EXPECT_EQ(one[3], 1);
    EXPECT_EQ(one[4], 10);
    EXPECT_EQ(one[30], 1);
    for (int i = 21; i < 30; ++i) EXPECT_EQ(one[i], 0);
    EXPECT_EQ(block(*img, 1, 10)[0], 0);
    EXPECT_EQ(block(*img, 1, 10)[1], 0xFF);
    // Entry 2: two blocks, the second with link 0/2.
    const uint8_t* two = dir + 64;
    EXPECT_EQ(two[30], 2);
    const TrackSector first{two[3], two[4]};
    // Every file's search starts again at sector 0 + 10, the next free one after 1/10.
    EXPECT_EQ(first, (TrackSector{1, 11}));
    const TrackSector second = di_next_block(*img, first);
    EXPECT_EQ(second, (TrackSector{1, 0}));
    EXPECT_EQ(block(*img, 1, 0)[0], 0);
    EXPECT_EQ(block(*img, 1, 0)[1], 2);
    EXPECT_EQ(readFile(*img, "EMPTY"), std::vector<uint8_t>{});
    EXPECT_EQ(readFile(*img, "ONE"), pattern(254, 2));
    EXPECT_EQ(readFile(*img, "TWO"), pattern(255, 3));
    EXPECT_EQ(img->openFiles, 0);
}

TEST(DiskDirectory, GrowthOrderAndLimit) {
    DiskImagePtr img = formatted(kD64Size);
    for (int i = 0; i < 144; ++i) {
        ASSERT_TRUE(writeFile(*img, "F" + std::to_string(i), {})) << i;
        if (i == 8) {
            EXPECT_EQ(block(*img, 18, 1)[0], 18);
            EXPECT_EQ(block(*img, 18, 1)[1], 4);
        }
    }
    TrackSector ts{18, 1};
    std::vector<int> order;
    while (ts.track != 0) {
        order.push_back(ts.sector);
        ts = di_next_block(*img, ts);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 4, 7, 10, 13, 16, 2, 5, 8, 11, 14, 17, 3, 6, 9, 12, 15, 18}));
    EXPECT_FALSE(di_open_file(*img, nameOf("F144"), kTypePrg, "wb"));
    EXPECT_EQ(img->status, kStatusDiskFull);
    // A scratched entry is used again.
    EXPECT_EQ(di_scratch(*img, nameOf("F7"), kTypePrg), kStatusScratched);
    EXPECT_TRUE(writeFile(*img, "AGAIN", {}));
    EXPECT_EQ(block(*img, 18, 1)[7 * 32 + 2], 0x82);
}

TEST(DiskDirectory, DirectoryFileReadsHeaderThenBlocks) {
    DiskImagePtr img = formatted(kD64Size);
    for (int i = 0; i < 9; ++i) ASSERT_TRUE(writeFile(*img, "F" + std::to_string(i), {}));
    ImageFilePtr f = di_open_file(*img, directoryFileName(), kTypePrg, "rb");
    ASSERT_TRUE(f);
    std::vector<uint8_t> all;
    uint8_t buf[100];
    for (int n; (n = di_read_file(*f, buf, sizeof buf)) > 0;) all.insert(all.end(), buf, buf + n);
    ASSERT_EQ(all.size(), 3u * 254);
    EXPECT_TRUE(std::equal(all.begin(), all.begin() + 254, block(*img, 18, 0) + 2));
    EXPECT_TRUE(std::equal(all.begin() + 254, all.begin() + 508, block(*img, 18, 1) + 2));
    EXPECT_TRUE(std::equal(all.begin() + 508, all.end(), block(*img, 18, 4) + 2));
    di_close_file(std::move(f));
}

TEST(DiskNames, Matching) {
    const DiskName name = nameOf("ZCASTLE");
    EXPECT_TRUE(di_match_name(nameOf("*").data(), name.data()));
    EXPECT_TRUE(di_match_name(nameOf("Z*").data(), name.data()));
    EXPECT_FALSE(di_match_name(nameOf("Y*").data(), name.data()));
    EXPECT_TRUE(di_match_name(nameOf("Z?ASTLE").data(), name.data()));
    EXPECT_TRUE(di_match_name(nameOf("ZCASTLE").data(), name.data()));
    EXPECT_FALSE(di_match_name(nameOf("ZCAST").data(), name.data()));
    EXPECT_FALSE(di_match_name(nameOf("ZCASTLE2").data(), name.data()));
    EXPECT_TRUE(di_match_name(nameOf("0123456789ABCDEF").data(), nameOf("0123456789ABCDEF").data()));
}

TEST(DiskNames, PaddingAndConversion) {
    uint8_t field[16];
    EXPECT_EQ(di_pad_name(field, "0123456789abcdefXYZ"), 16);
    EXPECT_EQ(field[15], 'f');
    EXPECT_EQ(di_pad_name(field, "ab"), 2);
    EXPECT_EQ(field[2], 0xA0);
    std::string text;
    EXPECT_EQ(di_unpad_name(text, field), 2);
    EXPECT_EQ(text, "ab");
    std::string host = "zMyHouse 1\xC1";
    toDiskName(host);
    EXPECT_EQ(host, "ZmYhOUSE 1a");
    std::string disk = "GRUSK 2008\x7F";
    toHostName(disk);
    EXPECT_EQ(disk, "grusk 2008?");
}

TEST(DiskFiles, OpenRules) {
    DiskImagePtr img = formatted(kD64Size);
    EXPECT_FALSE(di_open_file(*img, nameOf("NONE"), kTypePrg, "rb"));
    EXPECT_EQ(img->status, kStatusNotFound);
    EXPECT_FALSE(di_open_file(*img, nameOf("X"), kTypePrg, "r"));
    EXPECT_EQ(img->status, kStatusOpening);
    EXPECT_FALSE(di_open_file(*img, nameOf("X"), kTypePrg, "ab"));
    EXPECT_EQ(img->status, kStatusOpening);
    ASSERT_TRUE(writeFile(*img, "SEQ", {}));
    EXPECT_FALSE(di_open_file(*img, nameOf("SEQ"), kTypeSeq, "rb"));  // the type must match
    EXPECT_FALSE(di_open_file(*img, nameOf("SEQ"), kTypeSeq, "wb"));  // any type blocks the name
    EXPECT_EQ(img->status, kStatusExists);
    // A locked file is still found.
    const int e = di_find_entry(*img, nameOf("SEQ"), kTypePrg);
    img->data[e + kEntryType] |= kTypeLocked;
    EXPECT_GE(di_find_entry(*img, nameOf("SEQ"), kTypePrg), 0);
    ImageFilePtr w = di_open_file(*img, nameOf("W"), kTypePrg, "wb");
    EXPECT_EQ(img->openFiles, 1);
    EXPECT_EQ(img->status, kStatusOk);
    di_close_file(std::move(w));
    EXPECT_EQ(img->openFiles, 0);
}

TEST(DiskFiles, UnclosedEntryKeepsItsNameUntilScratched) {
    DiskImagePtr img = formatted(kD64Size);
    ImageFilePtr f = di_open_file(*img, nameOf("OPEN"), kTypePrg, "wb");
    ASSERT_TRUE(f);
    const std::vector<uint8_t> bytes = pattern(254 * 3 + 10);
    di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
    // Left open (as after a full disk): searches don't see it, the name stays taken.
    const int e = f->entry;
    f.reset();
    EXPECT_EQ(img->data[e + kEntryType], 0x02);
    EXPECT_EQ(img->blocksFree, 664 - 3);
    EXPECT_EQ(di_find_entry(*img, nameOf("OPEN"), kTypePrg), -1);
    EXPECT_FALSE(di_open_file(*img, nameOf("OPEN"), kTypePrg, "wb"));
    EXPECT_EQ(img->status, kStatusExists);
    // Scratching removes it with its blocks.
    EXPECT_EQ(di_scratch(*img, nameOf("OPEN"), kTypePrg), kStatusScratched);
    EXPECT_EQ(img->data[e + kEntryType], 0);
    EXPECT_EQ(img->blocksFree, 664);
    EXPECT_EQ(di_count_blocks_free(*img), 664);
    EXPECT_TRUE(writeFile(*img, "OPEN", bytes));
    EXPECT_EQ(readFile(*img, "OPEN"), bytes);
}

TEST(DiskFiles, CloseReportsLostTailOnFullDisk) {
    DiskImagePtr img = formatted(kD64Size);
    ImageFilePtr f = di_open_file(*img, nameOf("FILL"), kTypePrg, "wb");
    const std::vector<uint8_t> bytes = pattern(664 * 254);
    ASSERT_EQ(di_write_file(*f, bytes.data(), static_cast<int>(bytes.size())), 664 * 254);
    EXPECT_TRUE(di_close_file(std::move(f)));  // exactly full: complete
    EXPECT_EQ(img->blocksFree, 0);
    ImageFilePtr g = di_open_file(*img, nameOf("MORE"), kTypePrg, "wb");
    ASSERT_TRUE(g);
    const uint8_t b = 7;
    EXPECT_EQ(di_write_file(*g, &b, 1), 1);
    const int e = g->entry;
    EXPECT_FALSE(di_close_file(std::move(g)));
    EXPECT_EQ(img->status, kStatusDiskFull);
    EXPECT_EQ(img->data[e + kEntryType], 0x02);
    EXPECT_EQ(readFile(*img, "FILL"), bytes);
}

TEST(DiskScratch, FreesBlocksAndReportsCount) {
    DiskImagePtr img = formatted(kD64Size);
    ASSERT_TRUE(writeFile(*img, "ZA", pattern(1000)));
    ASSERT_TRUE(writeFile(*img, "ZB", pattern(600)));
    ASSERT_TRUE(writeFile(*img, "C", pattern(100)));
    EXPECT_EQ(img->blocksFree, 664 - 4 - 3 - 1);
    EXPECT_EQ(di_scratch(*img, nameOf("Z*"), kTypeSeq), kStatusNotFound);
    EXPECT_EQ(di_scratch(*img, nameOf("Z*"), 4), kStatusTypeMismatch);
    EXPECT_EQ(di_scratch(*img, nameOf("Z*"), kTypePrg), kStatusScratched);
    EXPECT_EQ(img->statusTrack, 2);
    EXPECT_EQ(img->blocksFree, 664 - 1);
    EXPECT_EQ(di_count_blocks_free(*img), 664 - 1);
    // The entry keeps its name, first block and size; only the type byte goes.
    const uint8_t* entry = block(*img, 18, 1);
    EXPECT_EQ(entry[2], 0);
    EXPECT_EQ(entry[5], 'Z');
    EXPECT_EQ(entry[30], 4);
    EXPECT_EQ(readFile(*img, "C"), pattern(100));
}

TEST(DiskWriteBack, ReplacesFileAndLeavesNoTemporary) {
    TempDir dir;
    const std::string path = dir.file("w.d64");
    {
        DiskImagePtr img = formatted(kD64Size, path);
        ASSERT_TRUE(di_free_image(std::move(img)));
    }
    DiskImagePtr img = di_load_image(path);
    ASSERT_TRUE(img);
    EXPECT_FALSE(img->modified);
    EXPECT_EQ(img->blocksFree, 664);
    ASSERT_TRUE(writeFile(*img, "X", pattern(10)));
    // The image's file becomes a folder: the write-back fails and says so.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    test::writeBytes(path + "/keep", {1});
    EXPECT_FALSE(di_write_back(*img));
    EXPECT_TRUE(img->modified);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    std::filesystem::remove_all(path);
    EXPECT_TRUE(di_free_image(std::move(img)));
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
    EXPECT_EQ(test::readBytes(path).size(), kD64Size);
}

TEST(DiskWriteBack, ThroughSymbolicLinksToTheRealFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "real");
    const std::string target = dir.file("real/disk.d64");
    ASSERT_TRUE(di_free_image(formatted(kD64Size, target)));
    std::filesystem::create_symlink("real/disk.d64", dir.path() / "hop.d64");
    std::filesystem::create_symlink(dir.path() / "hop.d64", dir.path() / "link.d64");
    DiskImagePtr img = di_load_image(dir.file("link.d64"));
    ASSERT_TRUE(img);
    ASSERT_TRUE(writeFile(*img, "VIA LINK", pattern(600)));
    ASSERT_TRUE(di_free_image(std::move(img)));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.d64"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "hop.d64"));
    DiskImagePtr back = di_load_image(target);
    ASSERT_TRUE(back);
    EXPECT_EQ(readFile(*back, "VIA LINK"), pattern(600));
    // Nothing left over beside the link or the target.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::recursive_directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 4);
}

// Each refused write-back leaves the image's file byte for byte and inode for inode.
// Loads, changes and writes back; true when the write-back was refused as write protected.
bool refusedAsWriteProtected(const std::string& path) {
    DiskImagePtr img = di_load_image(path);
    if (!img || !writeFile(*img, "NEW", pattern(300))) return false;
    return !di_write_back(*img) && img->status == kStatusWriteProtect && img->modified;
}

TEST(DiskWriteBack, ReadOnlyFileIsRefusedEvenForRoot) {
    TempDir dir;
    const std::string path = dir.file("ro.d64");
    ASSERT_TRUE(di_free_image(formatted(kD64Size, path)));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    const test::Untouched before{path};
    EXPECT_TRUE(refusedAsWriteProtected(path));
    std::filesystem::create_symlink(path, dir.path() / "link.d64");
    EXPECT_TRUE(refusedAsWriteProtected(dir.file("link.d64")));
    EXPECT_TRUE(before.holds());
}

TEST(DiskWriteBack, FileOfAnotherUserIsRefused) {
    TempDir dir;
    // The folder is open to all, so only the file's own permissions stand in the way.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string path = dir.file("theirs.d64");
    ASSERT_TRUE(di_free_image(formatted(kD64Size, path)));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read | std::filesystem::perms::others_read);
    if (::geteuid() != 0) {
        // Without root the file is made ours but not writable.
        std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    }
    std::filesystem::create_symlink(path, dir.path() / "link.d64");
    const test::Untouched before{path};
    EXPECT_UNPRIVILEGED([&] { return refusedAsWriteProtected(path) && refusedAsWriteProtected(dir.file("link.d64")); });
    EXPECT_TRUE(before.holds());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.d64"));
}

TEST(DiskLoad, RejectsWhatIsNotAnImage) {
    TempDir dir;
    EXPECT_FALSE(di_load_image(dir.file("missing.d64")));
    test::writeBytes(dir.file("short.d64"), std::vector<uint8_t>(1000));
    EXPECT_FALSE(di_load_image(dir.file("short.d64")));
    EXPECT_FALSE(di_load_image(dir.path().string()));
    const auto bytes = di_free_image_to_bytes(formatted(kD81Size));
    DiskImagePtr mem = di_load_image_bytes(bytes.data(), bytes.size());
    ASSERT_TRUE(mem);
    EXPECT_EQ(mem->kind, ImageKind::D81);
    EXPECT_EQ(mem->blocksFree, 3160);
    EXPECT_FALSE(di_load_image_bytes(bytes.data(), 1000));
}

}  // namespace
}  // namespace grusk
