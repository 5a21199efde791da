// Reading Windows BMP pictures: uncompressed 1-, 4- and 8-bit indexed and
// 24- and 32-bit files, bottom-up and top-down rows. Every size and offset is
// checked against the real length of the data, so a damaged or hostile file
// gives nothing rather than a crash or an oversized allocation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/draw/raster_image.h"

namespace grusk {

// Largest picture accepted in either direction.
inline constexpr int kMaxBitmapSide = 4096;

struct BitmapInfoHeader {
    uint32_t size = 0;  // 40, or a larger later header whose first 40 bytes are these
    int32_t width = 0;
    int32_t height = 0;  // negative: rows stored top-down
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;  // filled in when the file leaves it 0
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;  // 256 when the file leaves it 0
    uint32_t clrImportant = 0;
};

// A BMP read into memory: info header, a 256-entry colour table (blue, green,
// red, reserved per entry; zero where the file has fewer entries) and the
// pixel rows exactly as stored (each row padded to 4 bytes).
struct BitmapBlock {
    BitmapInfoHeader header;
    std::array<uint8_t, 256 * 4> colourTable{};
    std::vector<uint8_t> pixels;

    int width() const { return header.width; }
    int height() const { return header.height < 0 ? -header.height : header.height; }
    bool topDown() const { return header.height < 0; }
};

std::optional<BitmapBlock> loadBitmapBytes(const uint8_t* data, size_t size);
std::optional<BitmapBlock> loadBitmapFile(const std::string& path);

// The picture of a block as an RGB image.
RasterImage bitmapFromBlock(const BitmapBlock& block);
// loadBitmapFile / loadBitmapBytes followed by bitmapFromBlock; empty on failure.
RasterImage bitmapFromFile(const std::string& path);
RasterImage bitmapFromBytes(const uint8_t* data, size_t size);

// Reads only the width and height of the info header that starts 14 bytes
// into a BMP file's bytes; false when the bytes are too short for it.
bool bitmapHeaderSize(const uint8_t* data, size_t size, int* width, int* height);

}  // namespace grusk
