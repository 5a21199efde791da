// Named damaged images, each put through what the program does with an
// image: listing, reading every file, inserting, deleting. Random damage is
// the disk fuzz target's; this table holds the damage worth naming.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

#include "disk/disk_image.h"
#include "disk/image_ops.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using test::TempDir;

DiskName nameOf(const std::string& text) {
    DiskName n{};
    di_pad_name(n.data(), text);
    return n;
}

uint8_t* blockOf(DiskImage& img, int t, int s) {
    return img.data.data() + blockOffset(img.kind, TrackSector{static_cast<uint8_t>(t), static_cast<uint8_t>(s)});
}

void link(DiskImage& img, TrackSector from, TrackSector to) {
    uint8_t* b = blockOf(img, from.track, from.sector);
    b[0] = to.track;
    b[1] = to.sector;
}

// The last block of the directory chain.
TrackSector lastDirectoryBlock(const DiskImage& img) {
    TrackSector ts{static_cast<uint8_t>(directoryTrack(img.kind)), 0};
    for (TrackSector next; (next = di_next_block(img, ts)).track != 0;) ts = next;
    return ts;
}

TrackSector firstBlockOf(const DiskImage& img, const std::string& name) {
    const int e = di_find_entry(img, nameOf(name), kTypePrg);
    return {img.data[static_cast<size_t>(e) + kEntryFirstBlock], img.data[static_cast<size_t>(e) + kEntryFirstBlock + 1]};
}

struct Damage {
    const char* name;
    size_t size;
    std::function<void(DiskImage&)> apply;
    std::vector<std::string> castles;  // what the listing shows afterwards
    size_t za = 3 * 254;               // bytes that reading ZA gives afterwards
};

// Every image starts with nine files, so that the directory has two blocks:
// ZA of three blocks, then ZB to ZI of one block each.
std::vector<uint8_t> baseImage(size_t size) {
    DiskImagePtr img = di_create_image({}, size);
    const uint8_t id[2] = {'0', '0'};
    di_format(*img, nameOf("BASE"), id);
    for (int i = 0; i < 9; ++i) {
        ImageFilePtr f = di_open_file(*img, nameOf(std::string("Z") + static_cast<char>('A' + i)), kTypePrg, "wb");
        const std::vector<uint8_t> bytes(i == 0 ? 3 * 254 : 100, static_cast<uint8_t>(i));
        di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
        di_close_file(std::move(f));
    }
    return di_free_image_to_bytes(std::move(img));
}

const std::vector<std::string> kAll = {"za", "zb", "zc", "zd", "ze", "zf", "zg", "zh", "zi"};
const std::vector<std::string> kFirstBlock = {"za", "zb", "zc", "zd", "ze", "zf", "zg", "zh"};

const std::vector<Damage>& damages() {
    static const std::vector<Damage> table = {
        {"file chain loops back", kD64Size,
         [](DiskImage& img) {
             const TrackSector first = firstBlockOf(img, "ZA");
             const TrackSector second = di_next_block(img, first);
             link(img, di_next_block(img, second), first);
         },
         kAll, 683 * 254},
        {"file chain leaves the disk", kD64Size,
         [](DiskImage& img) { link(img, firstBlockOf(img, "ZA"), TrackSector{36, 0}); }, kAll, 0},
        {"first block beyond the disk", kD64Size,
         [](DiskImage& img) { img.data[static_cast<size_t>(di_find_entry(img, nameOf("ZA"), kTypePrg)) + 3] = 99; },
         kAll, 0},
        {"directory loops back", kD64Size, [](DiskImage& img) { link(img, {18, 4}, {18, 1}); }, kAll},
        // A link out of range reads as 0/0: a last block without data for "$".
        {"directory leaves the disk", kD64Size, [](DiskImage& img) { link(img, {18, 1}, {18, 40}); }, {}},
        {"D64 directory leads into the BAM", kD64Size, [](DiskImage& img) { link(img, {18, 1}, {18, 0}); },
         kFirstBlock},
        {"D71 directory leads into the BAM", kD71Size, [](DiskImage& img) { link(img, {18, 1}, {18, 0}); },
         kFirstBlock},
        {"D71 directory leads into the second BAM", kD71Size, [](DiskImage& img) { link(img, {18, 1}, {53, 0}); },
         kFirstBlock},
        {"D81 directory leads into the header", kD81Size, [](DiskImage& img) { link(img, {40, 3}, {40, 0}); },
         kFirstBlock},
        {"D81 directory leads into the first BAM", kD81Size, [](DiskImage& img) { link(img, {40, 3}, {40, 1}); },
         kFirstBlock},
        {"D81 directory leads into the second BAM", kD81Size,
         [](DiskImage& img) { link(img, lastDirectoryBlock(img), {40, 2}); }, kAll},
        {"BAM counts disagree with their bitmaps", kD64Size,
         [](DiskImage& img) {
             uint8_t* bam = blockOf(img, 18, 0);
             std::memset(bam + 4 * 2 + 1, 0, 3);   // track 2: free by count, full by bitmap
             std::memset(bam + 4 * 18 + 1, 0, 3);  // the directory track the same
         },
         kAll},
    };
    return table;
}

bool isBamBlock(const DiskImage& img, size_t offset) {
    const std::vector<TrackSector> bams = img.kind == ImageKind::D81   ? std::vector<TrackSector>{{40, 0}, {40, 1}, {40, 2}}
                                          : img.kind == ImageKind::D71 ? std::vector<TrackSector>{{18, 0}, {53, 0}}
                                                                       : std::vector<TrackSector>{{18, 0}};
    for (const TrackSector ts : bams)
        if (offset / kBlockSize == blockOffset(img.kind, ts) / kBlockSize) return true;
    return false;
}

TEST(DamagedImages, GiveCleanResultsAndNeverTouchTheBam) {
    for (const Damage& d : damages()) {
        SCOPED_TRACE(d.name);
        TempDir dir;
        const std::string path = dir.file("damaged.d64");
        std::vector<uint8_t> bytes = baseImage(d.size);
        {
            DiskImagePtr img = di_load_image_bytes(bytes.data(), bytes.size());
            d.apply(*img);
            bytes = di_free_image_to_bytes(std::move(img));
        }
        test::writeBytes(path, bytes);

        DiskImagePtr img = di_load_image(path);
        ASSERT_TRUE(img);
        for (int e : di_directory_entries(*img)) EXPECT_FALSE(isBamBlock(*img, static_cast<size_t>(e))) << e;
        // Every closed file reads to an end.
        for (const std::string& name : d.castles) {
            if (ImageFilePtr f = di_open_file(*img, diskNameFromHost(name), kTypePrg, "rb")) {
                std::vector<uint8_t> got(683 * 254 + 1);
                const int n = di_read_file(*f, got.data(), static_cast<int>(got.size()));
                if (name == "za") {
                    EXPECT_EQ(static_cast<size_t>(n), d.za);
                }
                di_close_file(std::move(f));
            }
        }
        img.reset();
        auto list = listImageCastles(path);
        ASSERT_TRUE(list);
        EXPECT_EQ(std::vector<std::string>(list->begin() + 1, list->end()), d.castles);

        // An insert either lands whole or leaves the file as it was.
        test::writeBytes(dir.file("znew.prg"), std::vector<uint8_t>(1000, 0x77));
        const auto before = test::readBytes(path);
        const int inserted = insertFile(path, dir.file("znew.prg"));
        if (inserted != kInsertDone) {
            EXPECT_EQ(test::readBytes(path), before) << inserted;
        } else {
            std::ostringstream out, err;
            bool copied = false;
            extractFile(path, "znew", dir.file("back.prg"), out, err, &copied);
            EXPECT_TRUE(copied);
            EXPECT_EQ(test::readBytes(dir.file("back.prg")), std::vector<uint8_t>(1000, 0x77));
        }
        // Deleting every castle never reaches the BAM through the directory:
        // the header's name and id stay.
        EXPECT_NE(deleteFile(path, "z*"), 0);
        const auto after = test::readBytes(path);
        const TrackSector header = d.size == kD81Size ? TrackSector{40, 0} : TrackSector{18, 0};
        const size_t at = blockOffset(d.size == kD81Size ? ImageKind::D81 : ImageKind::D64, header) +
                          (d.size == kD81Size ? 4 : 144);
        EXPECT_TRUE(std::equal(after.begin() + static_cast<long>(at), after.begin() + static_cast<long>(at) + 20,
                               before.begin() + static_cast<long>(at)));
        list = listImageCastles(path);
        ASSERT_TRUE(list);
        EXPECT_EQ(list->size(), 1u);
    }
}

}  // namespace
}  // namespace grusk
