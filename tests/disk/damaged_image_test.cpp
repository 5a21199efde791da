// Named damaged images, each put through what the program does with an image: listing, reading every file,
// inserting, deleting. Random damage is the disk fuzz target's; this table holds the damage worth naming.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

#include "disk/disk_fixture.h"
#include "disk/image_ops.h"

namespace grusk {
namespace {

using namespace test;

void link(DiskImage& img, TrackSector from, TrackSector to) {
    blockAt(img, from.track, from.sector)[0] = to.track;
    blockAt(img, from.track, from.sector)[1] = to.sector;
}

TrackSector firstBlockOf(const DiskImage& img, const std::string& name) {
    const auto chain = chainOf(img, di_find_entry(img, nameOf(name), kTypePrg));
    return chain.empty() ? TrackSector{} : chain[0];
}

const std::vector<std::string> kAll = {"za", "zb", "zc", "zd", "ze", "zf", "zg", "zh", "zi"};
const std::vector<std::string> kFirstBlock(kAll.begin(), kAll.end() - 1);

TEST(DamagedImages, GiveCleanResultsAndNeverTouchTheBam) {
    const struct {
        const char* name;
        size_t size;
        std::function<void(DiskImage&)> apply;
        std::vector<std::string> castles;  // what the listing shows afterwards
        size_t za = 3 * 254;               // bytes that reading ZA gives afterwards
    } damages[] = {
        {"file chain loops back", kD64Size,
         [](DiskImage& img) {
             const TrackSector first = firstBlockOf(img, "ZA");
             link(img, di_next_block(img, di_next_block(img, first)), first);
         },
         kAll, 683 * 254},
        {"file chain leaves the disk", kD64Size, [](DiskImage& img) { link(img, firstBlockOf(img, "ZA"), {36, 0}); }, kAll, 0},
        {"first block beyond the disk", kD64Size,
         [](DiskImage& img) { img.data[static_cast<size_t>(di_find_entry(img, nameOf("ZA"), kTypePrg)) + 3] = 99; }, kAll, 0},
        {"directory loops back", kD64Size, [](DiskImage& img) { link(img, {18, 4}, {18, 1}); }, kAll},
        // A link out of range reads as 0/0: a last block without data for "$".
        {"directory leaves the disk", kD64Size, [](DiskImage& img) { link(img, {18, 1}, {18, 40}); }, {}},
        {"D64 directory leads into the BAM", kD64Size, [](DiskImage& img) { link(img, {18, 1}, {18, 0}); }, kFirstBlock},
        {"D71 directory leads into the BAM", kD71Size, [](DiskImage& img) { link(img, {18, 1}, {18, 0}); }, kFirstBlock},
        {"D71 directory leads into the second BAM", kD71Size, [](DiskImage& img) { link(img, {18, 1}, {53, 0}); },
         kFirstBlock},
        {"D81 directory leads into the header", kD81Size, [](DiskImage& img) { link(img, {40, 3}, {40, 0}); }, kFirstBlock},
        {"D81 directory leads into the first BAM", kD81Size, [](DiskImage& img) { link(img, {40, 3}, {40, 1}); },
         kFirstBlock},
        {"D81 directory leads into the second BAM", kD81Size,
         [](DiskImage& img) {
             TrackSector last{40, 3};
             for (TrackSector next; (next = di_next_block(img, last)).track != 0;) last = next;
             link(img, last, {40, 2});
         },
         kAll},
        {"BAM counts disagree with their bitmaps", kD64Size,
         [](DiskImage& img) {
             std::memset(blockAt(img, 18, 0) + 4 * 2 + 1, 0, 3);   // track 2: free by count, full by bitmap
             std::memset(blockAt(img, 18, 0) + 4 * 18 + 1, 0, 3);  // the directory track the same
         },
         kAll},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.name);
        TempDir dir;
        const std::string path = dir.file("damaged.d64");
        // Nine files, so that the directory has two blocks: ZA of three blocks, ZB to ZI of one.
        DiskImagePtr img = formatted(d.size);
        for (int i = 0; i < 9; ++i) ASSERT_TRUE(writeFile(*img, std::string("Z") + static_cast<char>('A' + i), Bytes(i == 0 ? 3 * 254 : 100, 1)));
        d.apply(*img);
        writeBytes(path, di_free_image_to_bytes(std::move(img)));
        img = di_load_image(path);
        ASSERT_TRUE(img);
        std::vector<TrackSector> bams{{18, 0}};
        if (img->kind != ImageKind::D64) bams = img->kind == ImageKind::D71 ? std::vector<TrackSector>{{18, 0}, {53, 0}} : std::vector<TrackSector>{{40, 0}, {40, 1}, {40, 2}};
        for (int e : di_directory_entries(*img))
            for (const TrackSector ts : bams) EXPECT_NE(static_cast<size_t>(e) / 256, blockOffset(img->kind, ts) / 256) << e;
        Bytes got(683 * 254 + 1);
        for (const std::string& name : d.castles)  // every closed file reads to an end
            if (ImageFilePtr f = di_open_file(*img, diskNameFromHost(name), kTypePrg, "rb")) {
                const int n = di_read_file(*f, got.data(), static_cast<int>(got.size()));
                EXPECT_TRUE(name != "za" || static_cast<size_t>(n) == d.za) << n;
            }
        const size_t name = blockOffset(img->kind, bams[0]) + (d.size == kD81Size ? 4 : 144);
        img.reset();
        auto list = listImageCastles(path);
        ASSERT_TRUE(list);
        EXPECT_EQ(NameList(list->begin() + 1, list->end()), d.castles);
        // An insert either lands whole or leaves the file as it was.
        writeBytes(dir.file("znew.prg"), Bytes(1000, 0x77));
        const auto before = readBytes(path);
        if (insertFile(path, dir.file("znew.prg")) != kInsertDone) {
            EXPECT_EQ(readBytes(path), before);
        } else {
            EXPECT_EQ(extractFile(path, "znew", dir.file("back.prg")), 0);
            EXPECT_EQ(readBytes(dir.file("back.prg")), Bytes(1000, 0x77));
        }
        // Deleting every castle never reaches the BAM through the directory:
        // the header's name and id stay, and nothing is listed afterwards.
        EXPECT_NE(deleteFile(path, "z*"), 0);
        const auto after = readBytes(path);
        EXPECT_TRUE(std::equal(after.begin() + static_cast<long>(name), after.begin() + static_cast<long>(name) + 20,
                               before.begin() + static_cast<long>(name)));
        EXPECT_EQ(listImageCastles(path)->size(), 1u);
    }
}

}  // namespace
}  // namespace grusk
