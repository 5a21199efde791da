// A disk image into loading, the directory listing, reading every file,
// scratching a pattern, writing a new file and the write-back to memory.
#include <cstring>
#include <vector>

#include "disk/disk_image.h"

using namespace grusk;

namespace {

size_t imageSizeFor(size_t size) {
    // The input is padded or cut to one of the accepted sizes.
    if (size <= 174848) return 174848;
    if (size <= 175531) return 175531;
    if (size <= 349696) return 349696;
    return 819200;
}

DiskName nameOf(const char* text) {
    DiskName n;
    di_pad_name(n.data(), text);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(imageSizeFor(size), 0);
    std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    DiskImagePtr image = di_load_image_bytes(bytes.data(), bytes.size());
    if (!image) return 0;

    uint8_t buffer[4096];
    if (ImageFilePtr dir = di_open_file(*image, directoryFileName(), 2, "rb")) {
        while (di_read_file(*dir, buffer, 254) == 254) {
        }
        di_close_file(std::move(dir));
    }
    // Read every closed file the directory names.
    for (int entry : di_directory_entries(*image)) {
        const uint8_t typeByte = image->data[static_cast<size_t>(entry) + 2];
        if (!(typeByte & 0x80)) continue;
        DiskName name;
        std::memcpy(name.data(), &image->data[static_cast<size_t>(entry) + 5], 16);
        if (ImageFilePtr f = di_open_file(*image, name, typeByte & 7, "rb")) {
            while (di_read_file(*f, buffer, sizeof buffer) > 0) {
            }
            di_close_file(std::move(f));
        }
    }
    di_scratch(*image, nameOf("Z*"), 2);
    if (ImageFilePtr out = di_open_file(*image, nameOf("zfuzz"), 2, "wb")) {
        std::memset(buffer, 0x5A, sizeof buffer);
        for (int i = 0; i < 3; ++i) di_write_file(*out, buffer, sizeof buffer);
        di_close_file(std::move(out));
    }
    const std::vector<uint8_t> written = di_free_image_to_bytes(std::move(image));
    if (!written.empty() && written.size() != bytes.size()) __builtin_trap();
    return 0;
}
