#include "disk/image_ops.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "model/safe_file.h"

namespace grusk {

namespace fs = std::filesystem;

namespace {
constexpr size_t kCopyChunk = 4096;
}

DiskName diskNameFromHost(const std::string& text) {
    std::string name = text.substr(0, 16);
    toDiskName(name);
    DiskName field{};
    di_pad_name(field.data(), name);
    return field;
}

std::string hostNameFromDisk(const uint8_t* field) {
    std::string text;
    di_unpad_name(text, field);
    toHostName(text);
    return text;
}

namespace {

// Reads the directory file "$" piece by piece (one block's data each) and
// hands every entry's 30 bytes from the type byte on to the visitor.
// False when the header could not be read.
template <typename Visit>
bool walkDirectoryFile(DiskImage& image, Visit visit) {
    ImageFilePtr dir = di_open_file(image, directoryFileName(), kTypePrg, "rb");
    if (!dir) return false;
    uint8_t piece[kBlockData];
    if (di_read_file(*dir, piece, kBlockData) < kBlockData) {
        di_close_file(std::move(dir));
        return false;
    }
    while (di_read_file(*dir, piece, kBlockData) == kBlockData)
        for (int i = 0; i < 8; ++i) visit(piece + i * kEntrySize);
    di_close_file(std::move(dir));
    return true;
}

}  // namespace

std::optional<NameList> listImageCastles(const std::string& imagePath) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return std::nullopt;
    NameList names;
    names.push_back(std::to_string(image->blocksFree) + " blocks free\n");
    const bool ok = walkDirectoryFile(*image, [&](const uint8_t* entry) {
        // entry points at the type byte: the name follows three bytes later.
        if (entry[0] == 0) return;
        const std::string name = hostNameFromDisk(entry + 3);
        if (!name.empty() && (name[0] == 'Z' || name[0] == 'z')) names.push_back(name);
    });
    di_free_image(std::move(image));
    if (!ok) return std::nullopt;
    return names;
}

std::string fileTypeText(uint8_t typeByte) {
    static const char* const kNames[8] = {"del", "seq", "prg", "usr", "rel", "cbm", "dir", "???"};
    std::string text;
    if (!(typeByte & kTypeClosed)) text += '*';
    text += kNames[typeByte & 7];
    if (typeByte & kTypeLocked) text += '<';
    return text;
}

std::optional<std::vector<DirectoryItem>> listImageDirectory(const std::string& imagePath, int& blocksFree) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return std::nullopt;
    blocksFree = image->blocksFree;
    std::vector<DirectoryItem> items;
    walkDirectoryFile(*image, [&](const uint8_t* entry) {
        if (entry[0] == 0) return;
        DirectoryItem item;
        item.typeByte = entry[0];
        item.hostName = hostNameFromDisk(entry + 3);
        item.blocks = entry[kEntryBlocks - kEntryType] | (entry[kEntryBlocks - kEntryType + 1] << 8);
        items.push_back(std::move(item));
    });
    di_free_image(std::move(image));
    return items;
}

namespace {

// makeImage up to the formatted image in memory and its report; nullptr when
// no image could be made (the reason is in the report).
DiskImagePtr formattedImage(const std::string& imagePath, const std::string& diskName, const std::string& diskId,
                            std::ostream& out) {
    size_t size = 0;
    const size_t len = imagePath.size();
    if (len > 4 && imagePath[len - 4] == '.' && (imagePath[len - 3] == 'd' || imagePath[len - 3] == 'D')) {
        switch (imagePath[len - 2]) {
            case '6': size = kD64Size; break;
            case '7': size = kD71Size; break;
            case '8': size = kD81Size; break;
            default: out << "unknown image type\n"; return nullptr;
        }
    }
    std::error_code ec;
    DiskImagePtr image;
    if (fs::exists(imagePath, ec)) image = di_load_image(imagePath);
    if (!image) image = di_create_image(imagePath, size);
    if (!image) {
        out << "di_create_image failed\n";
        return nullptr;
    }
    const DiskName name = diskNameFromHost(diskName);
    std::string idText = diskId.substr(0, 2);
    toDiskName(idText);
    uint8_t id[2] = {kNamePad, kNamePad};
    for (size_t i = 0; i < idText.size(); ++i) id[i] = static_cast<uint8_t>(idText[i]);
    di_format(*image, name, id);

    out << "TRK  FREE  MAP\n";
    char line[64];
    for (int t = 1; t <= trackCount(image->kind); ++t) {
        const int sectors = sectorsPerTrack(image->kind, t);
        std::snprintf(line, sizeof line, "%3d: %2d/%d ", t, di_track_blocks_free(*image, t), sectors);
        out << line;
        for (int s = 0; s < sectors; ++s)
            out << (di_is_sector_free(*image, TrackSector{static_cast<uint8_t>(t), static_cast<uint8_t>(s)}) ? '1' : '0');
        out << '\n';
    }
    out << '\n' << image->blocksFree << " blocks free\n";
    return image;
}

std::string baseNameOf(const std::string& hostPath) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(hostPath), ec);
    return (ec ? fs::path(hostPath) : absolute).stem().string();
}

}  // namespace

int makeImage(const std::string& imagePath, const std::string& diskName, const std::string& diskId,
              std::ostream& out) {
    DiskImagePtr image = formattedImage(imagePath, diskName, diskId, out);
    if (!image) return 1;
    if (!di_free_image(std::move(image))) {
        out << "Couldn't write the image\n";
        return 1;
    }
    return 0;
}

int makeImageWithFiles(const std::string& imagePath, const std::string& diskName, const std::string& diskId,
                       std::ostream& out, const std::vector<HostFile>& files, std::vector<int>* results) {
    if (results) results->clear();
    DiskImagePtr image = formattedImage(imagePath, diskName, diskId, out);
    if (!image) return 1;
    for (const HostFile& file : files) {
        // Each insertion starts from the image as a fresh load of the file
        // would give it, so that the bytes are those of one insertFile after another.
        const std::vector<uint8_t> bytes = di_free_image_to_bytes(std::move(image));
        image = di_load_image_bytes(bytes.data(), bytes.size(), imagePath);
        const int result = insertHostFile(*image, file.path, file.name.empty() ? baseNameOf(file.path) : file.name);
        if (results) results->push_back(result);
    }
    if (!di_write_back(*image)) {
        out << "Couldn't write the image\n";
        return 1;
    }
    return 0;
}

int makeImage(const std::string& imagePath, const std::string& diskName, const std::string& diskId) {
    return makeImage(imagePath, diskName, diskId, std::cout);
}

int insertFile(const std::string& imagePath, const std::string& hostPath) {
    return insertFileAs(imagePath, hostPath, baseNameOf(hostPath));
}

int insertHostFile(DiskImage& image, const std::string& hostPath, const std::string& hostName) {
    std::error_code ec;
    ImageFilePtr file = di_open_file(image, diskNameFromHost(hostName), kTypePrg, "wb");
    if (!file) return kInsertCannotCreate;
    // Only regular files: a folder reads as nothing and a pipe could block.
    std::FILE* host = fs::is_regular_file(hostPath, ec) ? std::fopen(hostPath.c_str(), "rb") : nullptr;
    if (!host) {
        di_close_file(std::move(file));
        return kInsertNoHostFile;
    }
    int result = kInsertDone;
    uint8_t buffer[kCopyChunk];
    for (;;) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, host);
        if (n == 0) {
            if (std::ferror(host)) result = kInsertNoHostFile;
            break;
        }
        if (di_write_file(*file, buffer, static_cast<int>(n)) < static_cast<int>(n)) {
            result = kInsertIncomplete;
            break;
        }
    }
    std::fclose(host);
    if (!di_close_file(std::move(file)) && result == kInsertDone) result = kInsertIncomplete;
    return result;
}

int insertFileAs(const std::string& imagePath, const std::string& hostPath, const std::string& hostName) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return kInsertNoImage;
    int result = insertHostFile(*image, hostPath, hostName);
    if (!di_free_image(std::move(image)) && result == kInsertDone) result = kInsertIncomplete;
    return result;
}

int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath,
                std::ostream& out, std::ostream& err, bool* copied) {
    if (copied) *copied = false;
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return 1;
    ImageFilePtr file = di_open_file(*image, diskNameFromHost(fileName), kTypePrg, "rb");
    if (!file) {
        out << "Couldn't open file for reading\n";
        di_free_image(std::move(image));
        return 0;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[kCopyChunk];
    for (;;) {
        const int n = di_read_file(*file, buffer, static_cast<int>(sizeof buffer));
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    di_close_file(std::move(file));
    di_free_image(std::move(image));

    // The host file appears whole or not at all.
    bool opened = false;
    int writeErrno = 0;
    const bool ok = writeFileAtomically(hostPath, [&](std::FILE* f) {
        opened = true;
        if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size()) return true;
        writeErrno = errno;
        return false;
    });
    if (!opened) {
        out << "Couldn't open file for writing\n";
    } else if (!ok) {
        if (writeErrno == 0) writeErrno = errno;
        err << "Write error: " << std::strerror(writeErrno) << '\n';
    } else if (copied) {
        *copied = true;
    }
    return 0;
}

int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath) {
    return extractFile(imagePath, fileName, hostPath, std::cout, std::cerr);
}

int deleteFile(const std::string& imagePath, const std::string& fileName) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return 0;
    const int status = di_scratch(*image, diskNameFromHost(fileName), kTypePrg);
    if (!di_free_image(std::move(image))) return 0;
    return status;
}

int imageBlocksFree(const std::string& imagePath) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return -1;
    const int free = image->blocksFree;
    di_free_image(std::move(image));
    return free;
}

}  // namespace grusk
