#include "disk/disk_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/safe_file.h"

namespace grusk {

namespace fs = std::filesystem;

// --- Geometry -------------------------------------------------------------

bool isAcceptedImageSize(size_t size) {
    return size == kD64Size || size == kD64WithErrorsSize || size == kD71Size || size == kD81Size;
}

namespace {

bool kindForSize(size_t size, ImageKind& kind) {
    if (size == kD64Size || size == kD64WithErrorsSize) {
        kind = ImageKind::D64;
    } else if (size == kD71Size) {
        kind = ImageKind::D71;
    } else if (size == kD81Size) {
        kind = ImageKind::D81;
    } else {
        return false;
    }
    return true;
}

int d64Sectors(int track) {
    if (track < 1) return 0;
    if (track <= 17) return 21;
    if (track <= 24) return 19;
    if (track <= 30) return 18;
    if (track <= 35) return 17;
    return 0;
}

int d64BlockNumber(int t, int s) {
    if (t < 18) return (t - 1) * 21 + s;
    if (t <= 24) return 357 + (t - 18) * 19 + s;
    if (t <= 30) return 490 + (t - 25) * 18 + s;
    return 598 + (t - 31) * 17 + s;
}

int interleaveOf(ImageKind kind) {
    switch (kind) {
        case ImageKind::D64: return 10;
        case ImageKind::D71: return 6;
        case ImageKind::D81: return 1;
    }
    return 10;
}

}  // namespace

int trackCount(ImageKind kind) {
    switch (kind) {
        case ImageKind::D64: return 35;
        case ImageKind::D71: return 70;
        case ImageKind::D81: return 80;
    }
    return 0;
}

int sectorsPerTrack(ImageKind kind, int track) {
    if (track < 1 || track > trackCount(kind)) return 0;
    switch (kind) {
        case ImageKind::D64: return d64Sectors(track);
        case ImageKind::D71: return d64Sectors(track > 35 ? track - 35 : track);
        case ImageKind::D81: return 40;
    }
    return 0;
}

int totalBlocks(ImageKind kind) {
    switch (kind) {
        case ImageKind::D64: return 683;
        case ImageKind::D71: return 1366;
        case ImageKind::D81: return 3200;
    }
    return 0;
}

int directoryTrack(ImageKind kind) { return kind == ImageKind::D81 ? 40 : 18; }

bool isValidBlock(ImageKind kind, TrackSector ts) {
    return ts.track >= 1 && ts.track <= trackCount(kind) && ts.sector < sectorsPerTrack(kind, ts.track);
}

size_t blockOffset(ImageKind kind, TrackSector ts) {
    const int t = ts.track;
    const int s = ts.sector;
    int number = 0;
    switch (kind) {
        case ImageKind::D64: number = d64BlockNumber(t, s); break;
        case ImageKind::D71: number = t > 35 ? 683 + d64BlockNumber(t - 35, s) : d64BlockNumber(t, s); break;
        case ImageKind::D81: number = (t - 1) * 40 + s; break;
    }
    return static_cast<size_t>(number) * kBlockSize;
}

namespace {

uint8_t* blockAt(DiskImage& image, TrackSector ts) { return image.data.data() + blockOffset(image.kind, ts); }
const uint8_t* blockAt(const DiskImage& image, TrackSector ts) {
    return image.data.data() + blockOffset(image.kind, ts);
}

void setStatus(DiskImage& image, int code, int track = 0, int sector = 0) {
    image.status = code;
    image.statusTrack = track;
    image.statusSector = sector;
}

// Where a track's free-sector count and bitmap live.
struct TrackBam {
    size_t countOffset = 0;
    size_t bitmapOffset = 0;
};

TrackBam trackBam(const DiskImage& image, int t) {
    TrackBam b;
    if (image.kind == ImageKind::D81) {
        const bool first = t <= 40;
        const int n = first ? t : t - 40;
        const size_t base = blockOffset(image.kind, TrackSector{40, static_cast<uint8_t>(first ? 1 : 2)});
        b.countOffset = base + static_cast<size_t>(6 * n + 10);
        b.bitmapOffset = base + static_cast<size_t>(6 * n + 11);
        return b;
    }
    const size_t bam = blockOffset(image.kind, TrackSector{18, 0});
    if (t <= 35) {
        b.countOffset = bam + static_cast<size_t>(4 * t);
        b.bitmapOffset = bam + static_cast<size_t>(4 * t + 1);
    } else {
        b.countOffset = bam + static_cast<size_t>(185 + t);
        b.bitmapOffset = blockOffset(image.kind, TrackSector{53, 0}) + static_cast<size_t>(3 * (t - 36));
    }
    return b;
}

bool rawBit(const DiskImage& image, TrackSector ts) {
    const TrackBam b = trackBam(image, ts.track);
    return (image.data[b.bitmapOffset + ts.sector / 8] >> (ts.sector % 8)) & 1;
}

void setKindBlocks(DiskImage& image) {
    switch (image.kind) {
        case ImageKind::D64:
            image.bamBlock = {18, 0};
            image.bam2Block = {0, 0};
            image.headerBlock = {18, 0};
            break;
        case ImageKind::D71:
            image.bamBlock = {18, 0};
            image.bam2Block = {53, 0};
            image.headerBlock = {18, 0};
            break;
        case ImageKind::D81:
            image.bamBlock = {40, 1};
            image.bam2Block = {40, 2};
            image.headerBlock = {40, 0};
            break;
    }
}

DiskImagePtr newImage(const std::string& path, size_t size) {
    ImageKind kind;
    if (!kindForSize(size, kind)) return nullptr;
    auto image = std::make_unique<DiskImage>();
    image->path = path;
    image->size = size;
    image->kind = kind;
    image->data.assign(size, 0);
    setKindBlocks(*image);
    return image;
}

// The blocks that hold the BAM and header: never part of the directory chain.
std::vector<TrackSector> bamBlocks(const DiskImage& image) {
    switch (image.kind) {
        case ImageKind::D64: return {{18, 0}};
        case ImageKind::D71: return {{18, 0}, {53, 0}};
        case ImageKind::D81: return {{40, 0}, {40, 1}, {40, 2}};
    }
    return {};
}

// A table of every block of the image with the BAM blocks already marked, for
// the walks along the directory chain.
std::vector<bool> blocksWithBamMarked(const DiskImage& image) {
    std::vector<bool> seen(static_cast<size_t>(totalBlocks(image.kind)), false);
    for (const TrackSector ts : bamBlocks(image)) seen[blockOffset(image.kind, ts) / kBlockSize] = true;
    return seen;
}

void finishLoad(DiskImage& image) {
    image.openFiles = 0;
    image.blocksFree = di_count_blocks_free(image);
    image.modified = false;
    setStatus(image, kStatusLoaded);
}

}  // namespace

// --- BAM ------------------------------------------------------------------

int di_track_blocks_free(const DiskImage& image, int track) {
    if (track < 1 || track > trackCount(image.kind)) return 0;
    return image.data[trackBam(image, track).countOffset];
}

bool di_is_sector_free(const DiskImage& image, TrackSector ts) {
    if (!isValidBlock(image.kind, ts)) return false;
    if (image.kind == ImageKind::D64 && di_track_blocks_free(image, ts.track) == 0) return false;
    return rawBit(image, ts);
}

// The count follows the bit only when the bit really changes, so a damaged
// chain that names a block twice cannot push a count past its track.
void di_mark_used(DiskImage& image, TrackSector ts) {
    if (!isValidBlock(image.kind, ts)) return;
    const TrackBam b = trackBam(image, ts.track);
    uint8_t& bits = image.data[b.bitmapOffset + ts.sector / 8];
    const uint8_t mask = static_cast<uint8_t>(1u << (ts.sector % 8));
    if (bits & mask) {
        bits = static_cast<uint8_t>(bits & ~mask);
        uint8_t& count = image.data[b.countOffset];
        if (count > 0) --count;
    }
    image.modified = true;
}

void di_mark_free(DiskImage& image, TrackSector ts) {
    if (!isValidBlock(image.kind, ts)) return;
    const TrackBam b = trackBam(image, ts.track);
    uint8_t& bits = image.data[b.bitmapOffset + ts.sector / 8];
    const uint8_t mask = static_cast<uint8_t>(1u << (ts.sector % 8));
    if (!(bits & mask)) {
        bits = static_cast<uint8_t>(bits | mask);
        uint8_t& count = image.data[b.countOffset];
        if (count < 255) ++count;
    }
    image.modified = true;
}

int di_count_blocks_free(const DiskImage& image) {
    const int dirTrack = directoryTrack(image.kind);
    int total = 0;
    for (int t = 1; t <= trackCount(image.kind); ++t)
        if (t != dirTrack) total += di_track_blocks_free(image, t);
    return total;
}

TrackSector di_next_block(const DiskImage& image, TrackSector ts) {
    if (!isValidBlock(image.kind, ts)) return {};
    const uint8_t* b = blockAt(image, ts);
    const TrackSector link{b[0], b[1]};
    if (link.track == 0) return link;
    if (!isValidBlock(image.kind, link)) return {};
    return link;
}

namespace {

// A free sector on the track, starting at first and stepping by one; -1 when
// the bitmap has none (a count that disagrees with its bitmap).
int findFreeSector(const DiskImage& image, int track, int first) {
    const int n = sectorsPerTrack(image.kind, track);
    if (n == 0) return -1;
    int candidate = first % n;
    for (int i = 0; i < n; ++i) {
        if (di_is_sector_free(image, TrackSector{static_cast<uint8_t>(track), static_cast<uint8_t>(candidate)}))
            return candidate;
        candidate = (candidate + 1) % n;
    }
    return -1;
}

}  // namespace

TrackSector di_allocate_file_block(DiskImage& image, TrackSector previous) {
    const int first = previous.sector + interleaveOf(image.kind);
    auto tryTracks = [&](int from, int to, int skip) -> TrackSector {
        for (int t = from; t <= to; ++t) {
            if (t == skip || di_track_blocks_free(image, t) == 0) continue;
            const int s = findFreeSector(image, t, first);
            if (s < 0) continue;  // damaged BAM: the count lies, try the next track
            const TrackSector ts{static_cast<uint8_t>(t), static_cast<uint8_t>(s)};
            di_mark_used(image, ts);
            return ts;
        }
        return {};
    };
    TrackSector found;
    switch (image.kind) {
        case ImageKind::D64: found = tryTracks(1, 35, 18); break;
        case ImageKind::D71:
            found = tryTracks(1, 35, 18);
            if (found.track == 0) found = tryTracks(36, 70, 53);
            break;
        case ImageKind::D81:
            found = tryTracks(1, 40, 40);
            if (found.track == 0) found = tryTracks(41, 80, 0);
            break;
    }
    return found;
}

TrackSector di_allocate_directory_block(DiskImage& image) {
    const int dirTrack = directoryTrack(image.kind);
    if (di_track_blocks_free(image, dirTrack) == 0) return {};
    // Follow the chain to its last block, remembering its blocks so that a
    // damaged image can neither loop here nor get a block linked in twice.
    // The BAM blocks count as seen: a chain leading into them is damaged too,
    // and none of them may be taken as a new directory block.
    std::vector<bool> inChain = blocksWithBamMarked(image);
    auto mark = [&](TrackSector ts) {
        const size_t index = blockOffset(image.kind, ts) / kBlockSize;
        if (inChain[index]) return false;
        inChain[index] = true;
        return true;
    };
    TrackSector last{static_cast<uint8_t>(dirTrack), 0};
    for (;;) {
        const TrackSector next = di_next_block(image, last);
        if (next.track == 0) break;
        if (!mark(next)) return {};  // cyclic chain or one into the BAM: leave it alone
        last = next;
    }
    const int n = sectorsPerTrack(image.kind, last.track);
    int candidate = (last.sector + 3) % n;
    int found = -1;
    for (int i = 0; i < n; ++i) {
        const TrackSector ts{last.track, static_cast<uint8_t>(candidate)};
        if (di_is_sector_free(image, ts) && !inChain[blockOffset(image.kind, ts) / kBlockSize]) {
            found = candidate;
            break;
        }
        candidate = (candidate + 1) % n;
    }
    if (found < 0) return {};
    const TrackSector ts{last.track, static_cast<uint8_t>(found)};
    di_mark_used(image, ts);
    uint8_t* lastBlock = blockAt(image, last);
    lastBlock[0] = ts.track;
    lastBlock[1] = ts.sector;
    uint8_t* block = blockAt(image, ts);
    std::memset(block, 0, kBlockSize);
    block[1] = 0xFF;
    image.modified = true;
    return ts;
}

// --- Directory --------------------------------------------------------------

std::vector<int> di_directory_entries(const DiskImage& image) {
    std::vector<int> entries;
    std::vector<bool> visited = blocksWithBamMarked(image);
    TrackSector ts = di_next_block(image, TrackSector{static_cast<uint8_t>(directoryTrack(image.kind)), 0});
    while (ts.track != 0) {
        const size_t offset = blockOffset(image.kind, ts);
        const size_t index = offset / kBlockSize;
        if (visited[index]) break;  // loops back, or leads into the BAM
        visited[index] = true;
        for (int i = 0; i < 8; ++i) entries.push_back(static_cast<int>(offset) + i * kEntrySize);
        ts = di_next_block(image, ts);
    }
    return entries;
}

bool di_match_name(const uint8_t* pattern, const uint8_t* name) {
    for (int i = 0; i < 16; ++i) {
        if (pattern[i] == '*') return true;
        if (name[i] == kNamePad) return pattern[i] == kNamePad;
        if (pattern[i] != '?' && pattern[i] != name[i]) return false;
    }
    return true;
}

int di_find_named_entry(const DiskImage& image, const DiskName& name, int type, bool includeUnclosed) {
    for (int e : di_directory_entries(image)) {
        const uint8_t* entry = image.data.data() + e;
        const uint8_t typeByte = entry[kEntryType];
        if (typeByte == 0 || (typeByte & 7) != type) continue;
        if (!includeUnclosed && !(typeByte & kTypeClosed)) continue;
        if (std::memcmp(entry + kEntryName, name.data(), 16) == 0) return e;
    }
    return -1;
}

int di_find_entry(const DiskImage& image, const DiskName& pattern, int type) {
    for (int e : di_directory_entries(image)) {
        const uint8_t* entry = image.data.data() + e;
        if ((entry[kEntryType] & ~kTypeLocked) == type + kTypeClosed &&
            di_match_name(pattern.data(), entry + kEntryName))
            return e;
    }
    return -1;
}

namespace {

int newEntry(DiskImage& image, const DiskName& name, int type) {
    const std::vector<int> entries = di_directory_entries(image);
    for (int e : entries) {
        const uint8_t* entry = image.data.data() + e;
        if (entry[kEntryType] != 0 && std::memcmp(entry + kEntryName, name.data(), 16) == 0) {
            setStatus(image, kStatusExists);
            return -1;
        }
    }
    int found = -1;
    for (int e : entries) {
        if (image.data[static_cast<size_t>(e) + kEntryType] == 0) {
            found = e;
            break;
        }
    }
    if (found < 0) {
        const TrackSector ts = di_allocate_directory_block(image);
        if (ts.track == 0) {
            setStatus(image, kStatusDiskFull);
            return -1;
        }
        found = static_cast<int>(blockOffset(image.kind, ts));
    }
    uint8_t* entry = image.data.data() + found;
    std::memset(entry + 2, 0, kEntrySize - 2);
    std::memcpy(entry + kEntryName, name.data(), 16);
    entry[kEntryType] = static_cast<uint8_t>(type & 0x7F);
    image.modified = true;
    return found;
}

// Makes the file's current block the given one and sets up reading from it.
void enterReadBlock(ImageFile& file, TrackSector ts) {
    DiskImage& image = *file.image;
    file.block = ts;
    file.buffer = blockAt(image, ts) + 2;
    file.nextBlock = di_next_block(image, ts);
    if (file.nextBlock.track != 0) {
        file.bufferLength = kBlockData;
    } else {
        // A last block: its link sector holds the bytes used + 1. A link out
        // of range reads as 0/0 and so holds no data.
        const int used = static_cast<int>(file.nextBlock.sector) - 1;
        file.bufferLength = std::clamp(used, 0, kBlockData);
    }
    file.bufferPos = 0;
}

// Allocates the file's next block, links it in and stores count bytes.
// False when the disk is full.
bool storeBlock(ImageFile& file, const uint8_t* bytes, int count, bool last) {
    DiskImage& image = *file.image;
    if (image.blocksFree <= 0) return false;
    const TrackSector ts = di_allocate_file_block(image, file.block);
    if (ts.track == 0) return false;
    uint8_t* entry = image.data.data() + file.entry;
    if (file.block.track != 0) {
        uint8_t* previous = blockAt(image, file.block);
        previous[0] = ts.track;
        previous[1] = ts.sector;
    } else {
        entry[kEntryFirstBlock] = ts.track;
        entry[kEntryFirstBlock + 1] = ts.sector;
    }
    file.block = ts;
    uint8_t* block = blockAt(image, ts);
    block[0] = 0;
    block[1] = last ? static_cast<uint8_t>(count + 1) : 0xFF;
    std::memcpy(block + 2, bytes, static_cast<size_t>(count));
    if (count < kBlockData) std::memset(block + 2 + count, 0, static_cast<size_t>(kBlockData - count));
    const int blocks = (entry[kEntryBlocks] | (entry[kEntryBlocks + 1] << 8)) + 1;
    entry[kEntryBlocks] = static_cast<uint8_t>(blocks & 0xFF);
    entry[kEntryBlocks + 1] = static_cast<uint8_t>((blocks >> 8) & 0xFF);
    --image.blocksFree;
    image.modified = true;
    return true;
}

}  // namespace

// --- Image operations -------------------------------------------------------

DiskImagePtr di_load_image_bytes(const uint8_t* bytes, size_t size, const std::string& path) {
    if (!bytes && size) return nullptr;
    DiskImagePtr image = newImage(path, size);
    if (!image) return nullptr;
    std::memcpy(image->data.data(), bytes, size);
    finishLoad(*image);
    return image;
}

DiskImagePtr di_load_image(const std::string& path) {
    // Only regular files: opening a pipe or device could block for ever.
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(path, ec)) return nullptr;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return nullptr;
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return nullptr;
    const long end = std::ftell(f.get());
    if (end < 0 || !isAcceptedImageSize(static_cast<size_t>(end))) return nullptr;
    if (std::fseek(f.get(), 0, SEEK_SET) != 0) return nullptr;
    DiskImagePtr image = newImage(path, static_cast<size_t>(end));
    if (!image) return nullptr;
    size_t done = 0;
    while (done < image->size) {
        const size_t n = std::fread(image->data.data() + done, 1, image->size - done, f.get());
        if (n == 0) return nullptr;
        done += n;
    }
    finishLoad(*image);
    return image;
}

DiskImagePtr di_create_image(const std::string& path, size_t size) {
    DiskImagePtr image = newImage(path, size);
    if (!image) return nullptr;
    image->openFiles = 0;
    image->blocksFree = di_count_blocks_free(*image);
    image->modified = true;
    setStatus(*image, kStatusLoaded);
    return image;
}

int di_format(DiskImage& image, const DiskName& name, const uint8_t* id) {
    image.modified = true;
    if (image.kind == ImageKind::D81) {
        if (id) std::fill(image.data.begin(), image.data.end(), 0);
        for (int which = 1; which <= 2; ++which) {
            uint8_t* bam = blockAt(image, TrackSector{40, static_cast<uint8_t>(which)});
            bam[0] = which == 1 ? 40 : 0;
            bam[1] = which == 1 ? 2 : 0xFF;
            bam[2] = 'D';
            bam[3] = 0xBB;
            if (id) {
                bam[4] = id[0];
                bam[5] = id[1];
            }
            bam[6] = 0xC0;
            std::memset(bam + 7, 0, kBlockSize - 7);
        }
        for (int t = 1; t <= 80; ++t)
            for (int s = 0; s < 40; ++s) di_mark_free(image, TrackSector{static_cast<uint8_t>(t), static_cast<uint8_t>(s)});
        for (int s = 0; s <= 3; ++s) di_mark_used(image, TrackSector{40, static_cast<uint8_t>(s)});
        uint8_t* header = blockAt(image, TrackSector{40, 0});
        header[0] = 40;
        header[1] = 3;
        header[2] = 0;
        header[3] = 0;
        std::memcpy(header + 4, name.data(), 16);
        header[20] = header[21] = kNamePad;
        if (id) {
            header[22] = id[0];
            header[23] = id[1];
        }
        std::memset(header + 24, kNamePad, 5);
        header[25] = '3';
        header[26] = 'D';
        std::memset(header + 29, 0, kBlockSize - 29);
        uint8_t* dir = blockAt(image, TrackSector{40, 3});
        std::memset(dir, 0, kBlockSize);
        dir[1] = 0xFF;
    } else {
        const bool d71 = image.kind == ImageKind::D71;
        if (id) std::fill(image.data.begin(), image.data.begin() + static_cast<long>(d71 ? kD71Size : kD64Size), 0);
        uint8_t* bam = blockAt(image, TrackSector{18, 0});
        bam[0] = 18;
        bam[1] = 1;
        bam[2] = 'A';
        bam[3] = d71 ? 0x80 : 0x00;
        std::memset(bam + 4, 0, 140);
        if (d71) {
            std::memset(blockAt(image, TrackSector{53, 0}), 0, kBlockSize);
            std::memset(bam + 221, 0, 35);
        }
        for (int t = 1; t <= trackCount(image.kind); ++t) {
            if (d71 && t == 53) continue;
            for (int s = 0; s < sectorsPerTrack(image.kind, t); ++s)
                di_mark_free(image, TrackSector{static_cast<uint8_t>(t), static_cast<uint8_t>(s)});
        }
        di_mark_used(image, TrackSector{18, 0});
        di_mark_used(image, TrackSector{18, 1});
        std::memcpy(bam + 144, name.data(), 16);
        bam[160] = bam[161] = kNamePad;
        if (id) {
            bam[162] = id[0];
            bam[163] = id[1];
        }
        std::memset(bam + 164, kNamePad, 7);
        bam[165] = '2';
        bam[166] = 'A';
        std::memset(bam + 171, 0, d71 ? 50 : 85);
        uint8_t* dir = blockAt(image, TrackSector{18, 1});
        std::memset(dir, 0, kBlockSize);
        dir[1] = 0xFF;
    }
    image.blocksFree = di_count_blocks_free(image);
    setStatus(image, kStatusOk);
    return 0;
}

bool di_write_back(DiskImage& image) {
    if (image.path.empty()) return false;
    // The rename would go past the file's own permissions: ask them first.
    if (!mayReplaceFile(resolveSymlinks(image.path))) {
        setStatus(image, kStatusWriteProtect);
        return false;
    }
    if (!writeFileAtomically(image.path, image.data.data(), image.size)) return false;
    image.modified = false;
    return true;
}

bool di_free_image(DiskImagePtr image) {
    if (!image) return false;
    if (image->modified) return di_write_back(*image);
    return true;
}

std::vector<uint8_t> di_free_image_to_bytes(DiskImagePtr image) {
    if (!image) return {};
    return std::move(image->data);
}

// --- Files ------------------------------------------------------------------

DiskName directoryFileName() {
    DiskName name{};
    name[0] = '$';
    return name;
}

ImageFilePtr di_open_file(DiskImage& image, const DiskName& name, int type, std::string_view mode) {
    setStatus(image, kStatusOpening);
    auto file = std::make_unique<ImageFile>();
    file->image = &image;
    if (mode == "rb") {
        file->mode = 'r';
        if (name == directoryFileName()) {
            file->entry = -1;
            file->directoryBlocksSeen = blocksWithBamMarked(image);
            enterReadBlock(*file, image.headerBlock);
            file->bufferLength = kBlockData;
            // On a D64 or D71 the directory always goes on at 18/1.
            if (image.kind != ImageKind::D81) file->nextBlock = TrackSector{18, 1};
        } else {
            const int e = di_find_entry(image, name, type);
            if (e < 0) {
                setStatus(image, kStatusNotFound);
                return nullptr;
            }
            return di_open_entry(image, e);
        }
        file->blocksVisited = 1;
    } else if (mode == "wb") {
        file->mode = 'w';
        if (type < 1 || type > 7) {
            // Type 0 would make the new entry read as a free slot.
            setStatus(image, kStatusTypeMismatch);
            return nullptr;
        }
        const int e = newEntry(image, name, type);
        if (e < 0) return nullptr;
        file->entry = e;
        file->block = {};
        file->buffer = file->writeBuffer.data();
        file->bufferLength = kBlockData;
        image.modified = true;
    } else {
        return nullptr;
    }
    file->position = 0;
    file->bufferPos = 0;
    ++image.openFiles;
    setStatus(image, kStatusOk);
    return file;
}

ImageFilePtr di_open_entry(DiskImage& image, int entry) {
    setStatus(image, kStatusOpening);
    if (entry < 0 || static_cast<size_t>(entry) + kEntrySize > image.size) return nullptr;
    auto file = std::make_unique<ImageFile>();
    file->image = &image;
    file->mode = 'r';
    file->entry = entry;
    const TrackSector first{image.data[static_cast<size_t>(entry) + kEntryFirstBlock],
                            image.data[static_cast<size_t>(entry) + kEntryFirstBlock + 1]};
    if (first.track == 0) {
        file->block = {};
        file->nextBlock = {};
        file->bufferLength = 0;
    } else if (!isValidBlock(image.kind, first)) {
        return nullptr;
    } else {
        enterReadBlock(*file, first);
    }
    file->blocksVisited = 1;
    file->position = 0;
    file->bufferPos = 0;
    ++image.openFiles;
    setStatus(image, kStatusOk);
    return file;
}

int di_read_file(ImageFile& file, uint8_t* buffer, int length) {
    if (file.mode != 'r' || !file.image || length <= 0) return 0;
    DiskImage& image = *file.image;
    const int limit = totalBlocks(image.kind);
    int copied = 0;
    while (copied < length) {
        if (file.bufferPos < file.bufferLength) {
            const int n = std::min(file.bufferLength - file.bufferPos, length - copied);
            std::memcpy(buffer + copied, file.buffer + file.bufferPos, static_cast<size_t>(n));
            file.bufferPos += n;
            copied += n;
            continue;
        }
        if (file.nextBlock.track == 0) break;
        // A chain that loops back is cut after as many blocks as the image has.
        if (file.blocksVisited >= limit) break;
        if (!file.directoryBlocksSeen.empty()) {
            // The directory is a list: a block seen before would only repeat it.
            const size_t index = blockOffset(image.kind, file.nextBlock) / kBlockSize;
            if (file.directoryBlocksSeen[index]) break;
            file.directoryBlocksSeen[index] = true;
        }
        ++file.blocksVisited;
        enterReadBlock(file, file.nextBlock);
    }
    file.position += copied;
    return copied;
}

int di_write_file(ImageFile& file, const uint8_t* data, int length) {
    if (file.mode != 'w' || !file.image || length <= 0) return 0;
    int accepted = 0;
    while (accepted < length) {
        if (file.bufferPos == kBlockData) {
            if (!storeBlock(file, file.writeBuffer.data(), kBlockData, false)) {
                setStatus(*file.image, kStatusDiskFull);
                break;
            }
            file.bufferPos = 0;
        }
        const int n = std::min(kBlockData - file.bufferPos, length - accepted);
        std::memcpy(file.writeBuffer.data() + file.bufferPos, data + accepted, static_cast<size_t>(n));
        file.bufferPos += n;
        accepted += n;
    }
    file.position += accepted;
    return accepted;
}

bool di_close_file(ImageFilePtr file) {
    if (!file || !file->image) return false;
    DiskImage& image = *file->image;
    bool complete = true;
    if (file->mode == 'w') {
        uint8_t& typeByte = image.data[static_cast<size_t>(file->entry) + kEntryType];
        if (file->bufferPos == 0) {
            typeByte = static_cast<uint8_t>(typeByte | kTypeClosed);
        } else if (storeBlock(*file, file->writeBuffer.data(), file->bufferPos, true)) {
            typeByte = static_cast<uint8_t>(typeByte | kTypeClosed);
        } else {
            // The tail did not fit: the entry stays unclosed and the caller hears of it.
            complete = false;
            setStatus(image, kStatusDiskFull);
        }
        image.modified = true;
    }
    if (image.openFiles > 0) --image.openFiles;
    return complete;
}

void di_scratch_entry(DiskImage& image, int entry) {
    uint8_t* e = image.data.data() + entry;
    const int limit = totalBlocks(image.kind);
    TrackSector ts{e[kEntryFirstBlock], e[kEntryFirstBlock + 1]};
    if (!isValidBlock(image.kind, ts)) ts = {};
    for (int steps = 0; ts.track != 0 && steps < limit; ++steps) {
        di_mark_free(image, ts);
        ts = di_next_block(image, ts);
    }
    e[kEntryType] = 0;
    image.blocksFree = di_count_blocks_free(image);
    image.modified = true;
}

int di_scratch(DiskImage& image, const DiskName& pattern, int type) {
    if (type < 1 || type > 3) {
        setStatus(image, kStatusTypeMismatch);
        return kStatusTypeMismatch;
    }
    int deleted = 0;
    // An entry left unclosed by a full disk holds blocks too: it goes as well.
    for (int e : di_directory_entries(image)) {
        const uint8_t typeByte = image.data[static_cast<size_t>(e) + kEntryType];
        if ((typeByte & 0x3F) != type || !di_match_name(pattern.data(), image.data.data() + e + kEntryName)) continue;
        di_scratch_entry(image, e);
        ++deleted;
    }
    if (deleted == 0) {
        setStatus(image, kStatusNotFound);
        return kStatusNotFound;
    }
    setStatus(image, kStatusScratched, deleted, 0);
    return kStatusScratched;
}

// --- Names ------------------------------------------------------------------

int di_pad_name(uint8_t* field, std::string_view text) {
    std::memset(field, kNamePad, 16);
    int n = 0;
    while (n < 16 && n < static_cast<int>(text.size()) && text[static_cast<size_t>(n)] != '\0') {
        field[n] = static_cast<uint8_t>(text[static_cast<size_t>(n)]);
        ++n;
    }
    return n;
}

int di_unpad_name(std::string& text, const uint8_t* field) {
    text.clear();
    for (int i = 0; i < 16 && field[i] != kNamePad && field[i] != 0; ++i) text.push_back(static_cast<char>(field[i]));
    return static_cast<int>(text.size());
}

namespace {
char swapCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    return static_cast<char>(c);
}
}  // namespace

void toDiskName(std::string& text) {
    for (char& c : text) c = swapCase(static_cast<unsigned char>(c) & 0x7F);
}

void toHostName(std::string& text) {
    for (char& c : text) {
        const unsigned char b = static_cast<unsigned char>(c) & 0x7F;
        c = b == 127 ? '?' : swapCase(b);
    }
}

}  // namespace grusk
