#include "editor/draw/bmp.h"

#include <cstring>

#include "model/safe_file.h"

namespace grusk {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitfields = 3;
// The biggest file worth reading: the largest 32-bit picture plus headers.
constexpr size_t kMaxBitmapFileSize = size_t(kMaxBitmapSide) * kMaxBitmapSide * 4 + 4096;

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

bool knownHeaderSize(uint32_t size) {
    // The plain 40-byte header and the later ones that extend it.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

uint64_t rowStride(int bitCount, int width) { return (uint64_t(bitCount) * uint64_t(width) + 31) / 32 * 4; }

bool plausible(const BitmapInfoHeader& h) {
    if (h.width <= 0 || h.width > kMaxBitmapSide) return false;
    if (h.height == 0 || h.height < -kMaxBitmapSide || h.height > kMaxBitmapSide) return false;
    switch (h.bitCount) {
        case 1: case 4: case 8: case 24: case 32: break;
        default: return false;
    }
    if (h.compression == kCompressionNone) return true;
    return h.compression == kCompressionBitfields && h.bitCount == 32;
}

}  // namespace

std::optional<BitmapBlock> loadBitmapBytes(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kFileHeaderSize + 40) return std::nullopt;
    if (data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const uint32_t dataOffset = u32(data + 10);

    BitmapBlock block;
    BitmapInfoHeader& h = block.header;
    const uint8_t* ih = data + kFileHeaderSize;
    h.size = u32(ih);
    if (!knownHeaderSize(h.size) || kFileHeaderSize + h.size > size) return std::nullopt;
    h.width = int32_t(u32(ih + 4));
    h.height = int32_t(u32(ih + 8));
    h.planes = u16(ih + 12);
    h.bitCount = u16(ih + 14);
    h.compression = u32(ih + 16);
    h.sizeImage = u32(ih + 20);
    h.xPelsPerMeter = int32_t(u32(ih + 24));
    h.yPelsPerMeter = int32_t(u32(ih + 28));
    h.clrUsed = u32(ih + 32);
    h.clrImportant = u32(ih + 36);
    if (!plausible(h)) return std::nullopt;

    size_t tableStart = kFileHeaderSize + h.size;
    if (h.compression == kCompressionBitfields) {
        // Only the usual layout of 32-bit pixels (blue, green, red, unused) is read.
        const size_t masksAt = kFileHeaderSize + 40;
        if (masksAt + 12 > size) return std::nullopt;
        if (u32(data + masksAt) != 0x00FF0000u || u32(data + masksAt + 4) != 0x0000FF00u ||
            u32(data + masksAt + 8) != 0x000000FFu)
            return std::nullopt;
        if (h.size == 40) tableStart += 12;
    }

    // Colour table: as many entries as the file declares, at most 256.
    uint64_t entries = h.clrUsed;
    if (h.bitCount <= 8 && entries == 0) entries = uint64_t(1) << h.bitCount;
    if (entries > 256) entries = 256;
    const uint64_t tableBytes = entries * 4;
    if (h.bitCount <= 8) {
        if (tableStart + tableBytes > size) return std::nullopt;
        std::memcpy(block.colourTable.data(), data + tableStart, size_t(tableBytes));
    }

    const int rows = h.height < 0 ? -h.height : h.height;
    const uint64_t needed = rowStride(h.bitCount, h.width) * uint64_t(rows);
    const uint64_t pixelsAt = dataOffset != 0 ? dataOffset : tableStart + tableBytes;
    if (pixelsAt < kFileHeaderSize + 40 || pixelsAt > size || size - pixelsAt < needed) return std::nullopt;
    block.pixels.assign(data + pixelsAt, data + pixelsAt + needed);

    if (h.sizeImage == 0) h.sizeImage = uint32_t(needed);
    if (h.clrUsed == 0) h.clrUsed = 256;
    return block;
}

std::optional<BitmapBlock> loadBitmapFile(const std::string& path) {
    const long long size = fileSize(path);
    if (size < 0 || static_cast<unsigned long long>(size) > kMaxBitmapFileSize) return std::nullopt;
    const auto bytes = readWholeFile(path, kMaxBitmapFileSize);
    if (!bytes) return std::nullopt;
    return loadBitmapBytes(bytes->data(), bytes->size());
}

RasterImage bitmapFromBlock(const BitmapBlock& block) {
    const BitmapInfoHeader& h = block.header;
    if (!plausible(h)) return {};
    const int width = h.width;
    const int rows = block.height();
    const uint64_t stride = rowStride(h.bitCount, width);
    if (block.pixels.size() < stride * uint64_t(rows)) return {};

    RasterImage image(width, rows);
    uint32_t* out = image.data();
    const uint8_t* table = block.colourTable.data();
    auto fromTable = [table](unsigned index) {
        const uint8_t* e = table + size_t(index & 255u) * 4;
        return 0xFF000000u | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    };
    for (int y = 0; y < rows; ++y) {
        const int stored = block.topDown() ? y : rows - 1 - y;
        const uint8_t* in = block.pixels.data() + size_t(stored) * stride;
        uint32_t* line = out + size_t(y) * size_t(width);
        switch (h.bitCount) {
            case 1:
                for (int x = 0; x < width; ++x) line[x] = fromTable((in[x >> 3] >> (7 - (x & 7))) & 1u);
                break;
            case 4:
                for (int x = 0; x < width; ++x) line[x] = fromTable((in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u);
                break;
            case 8:
                for (int x = 0; x < width; ++x) line[x] = fromTable(in[x]);
                break;
            case 24:
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = in + size_t(x) * 3;
                    line[x] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                }
                break;
            case 32:
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = in + size_t(x) * 4;
                    line[x] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                }
                break;
            default:
                return {};
        }
    }
    return image;
}

RasterImage bitmapFromFile(const std::string& path) {
    const auto block = loadBitmapFile(path);
    return block ? bitmapFromBlock(*block) : RasterImage{};
}

RasterImage bitmapFromBytes(const uint8_t* data, size_t size) {
    const auto block = loadBitmapBytes(data, size);
    return block ? bitmapFromBlock(*block) : RasterImage{};
}

bool bitmapHeaderSize(const uint8_t* data, size_t size, int* width, int* height) {
    if (data == nullptr || size < kFileHeaderSize + 12) return false;
    const int64_t w = int32_t(u32(data + kFileHeaderSize + 4));
    const int64_t h = int32_t(u32(data + kFileHeaderSize + 8));
    if (width) *width = int(w < 0 ? 0 : (w > 1 << 30 ? 1 << 30 : w));
    if (height) *height = int(h < 0 ? (-h > 1 << 30 ? 1 << 30 : -h) : (h > 1 << 30 ? 1 << 30 : h));
    return true;
}

}  // namespace grusk
