// A disk image into loading, the directory listing, reading every file,
// scratching a pattern, writing a new file and the write-back to memory;
// then the same image as a file through the image file operations the
// D64 manager and the game disk builder use (list, extract, insert, replace,
// delete, by pattern and by exact name).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "disk/disk_image.h"
#include "disk/image_ops.h"
#include "model/safe_file.h"

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

// A folder of this process for the image and host files, removed at exit.
const std::string& workFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/grusk-fuzz-disk-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        static std::string path = made;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        });
        return path;
    }();
    return folder;
}

void inMemory(const std::vector<uint8_t>& bytes) {
    DiskImagePtr image = di_load_image_bytes(bytes.data(), bytes.size());
    if (!image) return;

    uint8_t buffer[4096];
    if (ImageFilePtr dir = di_open_file(*image, directoryFileName(), 2, "rb")) {
        while (di_read_file(*dir, buffer, 254) == 254) {
        }
        di_close_file(std::move(dir));
    }
    // Read every closed file the directory names.
    for (int entry : di_directory_entries(*image)) {
        const uint8_t typeByte = image->data[static_cast<size_t>(entry) + 2];
        fileTypeText(typeByte);
        hostNameFromDisk(&image->data[static_cast<size_t>(entry) + 5]);
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
}

void asFile(const std::vector<uint8_t>& bytes) {
    const std::string folder = workFolder();
    const std::string imagePath = folder + "/image.d64";
    const std::string hostPath = folder + "/zcastle.prg";
    if (!writeFileAtomically(imagePath, bytes)) return;
    int blocksFree = 0;
    listImageDirectory(imagePath, blocksFree);
    const auto castles = listImageCastles(imagePath);
    std::ostringstream out, err;
    const std::string wanted = castles && castles->size() > 1 ? (*castles)[1] : std::string("z*");
    extractFile(imagePath, wanted, hostPath, out, err);
    if (!canOpenForReading(hostPath)) writeFileAtomically(hostPath, bytes.data(), 700);
    // A copy that fails leaves the image file byte for byte as it was.
    auto unchangedOnFailure = [&](int result, const std::optional<std::vector<uint8_t>>& before) {
        if (result != kInsertDone && readWholeFile(imagePath, 1 << 20) != before) __builtin_trap();
    };
    auto before = readWholeFile(imagePath, 1 << 20);
    unchangedOnFailure(insertFileAs(imagePath, hostPath, "zfuzz"), before);
    // The D64 manager's way: exact stored names, replacing in one step.
    if (const auto entries = listImageCastleEntries(imagePath); entries && !entries->castles.empty()) {
        const DiskName first = entries->castles.front().diskName;
        extractNamedFile(imagePath, first, hostPath, out, err);
        before = readWholeFile(imagePath, 1 << 20);
        unchangedOnFailure(replaceFileAs(imagePath, hostPath, entries->castles.front().hostName), before);
        deleteNamedFile(imagePath, entries->castles.back().diskName);
    }
    deleteFile(imagePath, "Z*");
    imageBlocksFree(imagePath);
    std::remove(hostPath.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<uint8_t> bytes;
    bytes.assign(imageSizeFor(size), 0);
    std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    inMemory(bytes);
    asFile(bytes);
    return 0;
}
