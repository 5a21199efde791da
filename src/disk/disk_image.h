// Commodore floppy disk images (D64, D71, D81) held whole in memory: block
// addressing, the block availability map, the directory, file streams over
// block chains, formatting, scratching and writing the image back.
//
// Every operation works on one DiskImage that a caller loads or creates,
// changes and releases within one step of its own. Failures give a null
// result or a short count and leave a drive-style status in the image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace grusk {

enum class ImageKind : int { D64 = 1, D71 = 2, D81 = 3 };

// Accepted image sizes in bytes.
inline constexpr size_t kD64Size = 174848;          // 683 blocks
inline constexpr size_t kD64WithErrorsSize = 175531; // 683 blocks + 683 error bytes
inline constexpr size_t kD71Size = 349696;          // 1366 blocks
inline constexpr size_t kD81Size = 819200;          // 3200 blocks

inline constexpr int kBlockSize = 256;
inline constexpr int kBlockData = 254;  // data bytes after the two link bytes

// Drive-style status codes.
inline constexpr int kStatusOk = 0;
inline constexpr int kStatusScratched = 1;
inline constexpr int kStatusWriteProtect = 26;  // "write protect on": the host file may not be written
inline constexpr int kStatusNotFound = 62;
inline constexpr int kStatusExists = 63;
inline constexpr int kStatusTypeMismatch = 64;
inline constexpr int kStatusDiskFull = 72;
inline constexpr int kStatusLoaded = 254;
inline constexpr int kStatusOpening = 255;

// File types (the low three bits of a directory entry's type byte).
inline constexpr int kTypeDel = 0;
inline constexpr int kTypeSeq = 1;
inline constexpr int kTypePrg = 2;
inline constexpr int kTypeUsr = 3;
inline constexpr uint8_t kTypeLocked = 0x40;
inline constexpr uint8_t kTypeClosed = 0x80;
inline constexpr uint8_t kNamePad = 0xA0;

// Offsets inside a 32-byte directory entry.
inline constexpr int kEntryType = 2;
inline constexpr int kEntryFirstBlock = 3;
inline constexpr int kEntryName = 5;
inline constexpr int kEntryBlocks = 30;
inline constexpr int kEntrySize = 32;

// A 16-byte disk name or pattern, padded with 0xA0.
using DiskName = std::array<uint8_t, 16>;

// Track 0 means "no block".
struct TrackSector {
    uint8_t track = 0;
    uint8_t sector = 0;
    bool operator==(const TrackSector&) const = default;
};

struct DiskImage {
    std::string path;
    size_t size = 0;
    ImageKind kind = ImageKind::D64;
    std::vector<uint8_t> data;  // size bytes, never resized while the image lives
    TrackSector bamBlock;
    TrackSector bam2Block;      // 0/0 on a D64
    TrackSector headerBlock;
    int openFiles = 0;
    int blocksFree = 0;         // outside the directory track
    bool modified = false;
    int status = kStatusLoaded;
    int statusTrack = 0;
    int statusSector = 0;
};

struct ImageFile {
    DiskImage* image = nullptr;
    int entry = -1;             // byte offset of the directory entry in image->data; -1 for "$"
    char mode = 'r';
    long position = 0;          // bytes transferred so far
    TrackSector block;
    TrackSector nextBlock;
    const uint8_t* buffer = nullptr;          // reading: data bytes of the current block
    std::array<uint8_t, kBlockData> writeBuffer{};
    int bufferPos = 0;
    int bufferLength = 0;
    int blocksVisited = 0;      // cuts file chains that loop back on themselves
    std::vector<bool> directoryBlocksSeen;  // "$": ends at the first block seen twice
};

using DiskImagePtr = std::unique_ptr<DiskImage>;
using ImageFilePtr = std::unique_ptr<ImageFile>;

// --- Geometry -------------------------------------------------------------

bool isAcceptedImageSize(size_t size);
int trackCount(ImageKind kind);
int sectorsPerTrack(ImageKind kind, int track);  // 0 for a track the kind lacks
int totalBlocks(ImageKind kind);
int directoryTrack(ImageKind kind);
bool isValidBlock(ImageKind kind, TrackSector ts);
// Byte offset of a block in the image; the block must be valid.
size_t blockOffset(ImageKind kind, TrackSector ts);

// --- Image operations -----------------------------------------------------

// nullptr for a missing file, a file that is not a regular file, a size
// that is not accepted, or a short read. Status 254.
DiskImagePtr di_load_image(const std::string& path);
// The same from bytes in memory; path may be empty (the image then cannot be
// written back to a file; take its bytes with di_free_image_to_bytes).
DiskImagePtr di_load_image_bytes(const uint8_t* bytes, size_t size, const std::string& path = {});
// A zero-filled, unformatted image marked modified; nullptr for a size that is not accepted.
DiskImagePtr di_create_image(const std::string& path, size_t size);
// id may be null (the old id bytes stay and nothing is cleared first). Returns 0.
int di_format(DiskImage& image, const DiskName& name, const uint8_t* id);
// Replaces the host file through a temporary file beside it and a rename;
// through symbolic links the file they lead to is replaced. False (modified
// stays set) when the image has no path or the write failed; status 26 when
// the user may not write the host file, which then stays as it was.
bool di_write_back(DiskImage& image);
// Writes the image back when modified, then releases it. False when a needed
// write-back failed.
bool di_free_image(DiskImagePtr image);
// Releases the image and gives its bytes (whether modified or not).
std::vector<uint8_t> di_free_image_to_bytes(DiskImagePtr image);

// --- Files ----------------------------------------------------------------

// The name that opens the directory file for reading.
DiskName directoryFileName();
// mode "rb" or "wb"; type 0-7. nullptr on failure, with the status set.
ImageFilePtr di_open_file(DiskImage& image, const DiskName& name, int type, std::string_view mode);
int di_read_file(ImageFile& file, uint8_t* buffer, int length);
// Returns the bytes accepted; fewer than asked means the disk is full (status 72).
int di_write_file(ImageFile& file, const uint8_t* data, int length);
// Finishes a written file and releases it. False when the file's last bytes
// could not be stored (the disk is full): the entry then stays unclosed and
// the status is 72.
bool di_close_file(ImageFilePtr file);
// Opens the file of a directory entry (a byte offset from di_find_entry or
// di_find_named_entry) for reading; nullptr when its first block is out of range.
ImageFilePtr di_open_entry(DiskImage& image, int entry);
// Deletes every file of the type (1-3) that matches, closed or left unclosed
// by a full disk, and frees its blocks; returns the status.
int di_scratch(DiskImage& image, const DiskName& pattern, int type);
// Deletes the file of one directory entry in use and frees its blocks.
void di_scratch_entry(DiskImage& image, int entry);

// --- Names ----------------------------------------------------------------

// Fills the field with 0xA0 and copies the text up to its end (or a zero
// byte) or 16 bytes; returns the number copied.
int di_pad_name(uint8_t* field, std::string_view text);
// The field's bytes up to the first 0xA0 (or zero byte) or 16 bytes; returns the length.
int di_unpad_name(std::string& text, const uint8_t* field);
// Host text to disk name bytes: bytes modulo 128, letter case swapped.
void toDiskName(std::string& text);
// Disk name bytes to host text: bytes modulo 128, letter case swapped, 127 shown as '?'.
void toHostName(std::string& text);

// --- BAM and chain primitives (exposed for tests and tools) ---------------

int di_track_blocks_free(const DiskImage& image, int track);
bool di_is_sector_free(const DiskImage& image, TrackSector ts);
void di_mark_used(DiskImage& image, TrackSector ts);
void di_mark_free(DiskImage& image, TrackSector ts);
int di_count_blocks_free(const DiskImage& image);
// The validated link of a block: a link out of range reads as 0/0.
TrackSector di_next_block(const DiskImage& image, TrackSector ts);
TrackSector di_allocate_file_block(DiskImage& image, TrackSector previous);
TrackSector di_allocate_directory_block(DiskImage& image);
bool di_match_name(const uint8_t* pattern, const uint8_t* name);
// Byte offset of the first closed entry of the type matching the pattern, or -1.
int di_find_entry(const DiskImage& image, const DiskName& pattern, int type);
// The first entry in use whose 16 name bytes are exactly name (no pattern)
// and whose type is type (1-7): closed files only, or unclosed ones too. -1 when none.
int di_find_named_entry(const DiskImage& image, const DiskName& name, int type, bool includeUnclosed);
// Byte offsets of every directory entry slot in walk order (used or not). The
// walk ends at a block seen before or at a BAM block, so a damaged chain
// never makes the BAM read as entries.
std::vector<int> di_directory_entries(const DiskImage& image);

}  // namespace grusk
