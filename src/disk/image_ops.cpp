#include "disk/image_ops.h"

#include <algorithm>
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

std::optional<ImageCastles> listImageCastleEntries(const std::string& imagePath) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return std::nullopt;
    ImageCastles list;
    list.freeText = std::to_string(image->blocksFree) + " blocks free\n";
    const bool ok = walkDirectoryFile(*image, [&](const uint8_t* entry) {
        // entry points at the type byte: the name follows three bytes later.
        if (entry[0] == 0) return;
        ImageCastle castle;
        castle.hostName = hostNameFromDisk(entry + 3);
        if (castle.hostName.empty() || (castle.hostName[0] != 'Z' && castle.hostName[0] != 'z')) return;
        std::memcpy(castle.diskName.data(), entry + 3, 16);
        list.castles.push_back(std::move(castle));
    });
    di_free_image(std::move(image));
    if (!ok) return std::nullopt;
    return list;
}

std::optional<NameList> listImageCastles(const std::string& imagePath) {
    std::optional<ImageCastles> list = listImageCastleEntries(imagePath);
    if (!list) return std::nullopt;
    NameList names{list->freeText};
    for (ImageCastle& castle : list->castles) names.push_back(std::move(castle.hostName));
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
    if (fs::exists(imagePath, ec)) {
        // A folder, pipe or device is never replaced by an image.
        if (!fs::is_regular_file(imagePath, ec)) {
            out << imagePath << ": not a regular file\n";
            return nullptr;
        }
        image = di_load_image(imagePath);
    }
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
        const int result =
            insertHostFile(*image, file.path, file.name.empty() ? baseNameOf(file.path) : file.name,
                           KeepOnFailure::No);
        if (results) results->push_back(result);
        // Half a disk is no disk: the image file is not touched.
        if (result != kInsertDone) return kMakeFileFailed;
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

int insertHostFile(DiskImage& image, const std::string& hostPath, const std::string& hostName, KeepOnFailure keep) {
    const auto keepOnFailure = static_cast<bool>(keep);
    // The host file is read whole first. Only regular files: a folder reads
    // as nothing and a pipe could block. One larger than the image never fits.
    std::error_code ec;
    std::optional<std::vector<uint8_t>> bytes;
    bool tooLarge = false;
    if (fs::is_regular_file(hostPath, ec)) {
        bytes = readWholeFile(hostPath, image.size);
        tooLarge = !bytes && fileSize(hostPath) > static_cast<long long>(image.size);
    }
    // A failed copy must leave no trace: no entry, no blocks, no counts.
    const std::vector<uint8_t> before = keepOnFailure ? image.data : std::vector<uint8_t>{};
    const int freeBefore = image.blocksFree;
    const bool modifiedBefore = image.modified;
    auto undo = [&](int result) {
        if (!keepOnFailure) return result;
        std::copy(before.begin(), before.end(), image.data.begin());
        image.blocksFree = freeBefore;
        image.modified = modifiedBefore;
        return result;
    };
    ImageFilePtr file = di_open_file(image, diskNameFromHost(hostName), kTypePrg, "wb");
    if (!file) return undo(kInsertCannotCreate);
    if (!bytes) {
        di_close_file(std::move(file));
        return undo(tooLarge ? kInsertIncomplete : kInsertNoHostFile);
    }
    for (size_t done = 0; done < bytes->size(); done += kCopyChunk) {
        const int n = static_cast<int>(std::min(kCopyChunk, bytes->size() - done));
        if (di_write_file(*file, bytes->data() + done, n) < n) {
            di_close_file(std::move(file));
            return undo(kInsertIncomplete);
        }
    }
    if (!di_close_file(std::move(file))) return undo(kInsertIncomplete);
    return kInsertDone;
}

namespace {

// Loads the image, lets change() put the file in, and writes the image back
// only when that gave kInsertDone.
template <typename Change>
int changeImage(const std::string& imagePath, Change change) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return kInsertNoImage;
    const int result = change(*image);
    if (result != kInsertDone) return result;  // released unwritten
    if (!di_free_image(std::move(image))) return kInsertIncomplete;
    return kInsertDone;
}

}  // namespace

int insertFileAs(const std::string& imagePath, const std::string& hostPath, const std::string& hostName) {
    return changeImage(imagePath, [&](DiskImage& image) { return insertHostFile(image, hostPath, hostName); });
}

int replaceFileAs(const std::string& imagePath, const std::string& hostPath, const std::string& hostName) {
    return changeImage(imagePath, [&](DiskImage& image) {
        const int old = di_find_named_entry(image, diskNameFromHost(hostName), kTypePrg, true);
        if (old >= 0) di_scratch_entry(image, old);
        return insertHostFile(image, hostPath, hostName);
    });
}

namespace {

// extractFile with the way the image file is opened left to open().
template <typename Open>
int extractWith(const std::string& imagePath, const std::string& hostPath, std::ostream& out, std::ostream& err,
                bool* copied, Open open) {
    if (copied) *copied = false;
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return 1;
    ImageFilePtr file = open(*image);
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

}  // namespace

int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath,
                std::ostream& out, std::ostream& err, bool* copied) {
    return extractWith(imagePath, hostPath, out, err, copied, [&](DiskImage& image) {
        return di_open_file(image, diskNameFromHost(fileName), kTypePrg, "rb");
    });
}

int extractNamedFile(const std::string& imagePath, const DiskName& name, const std::string& hostPath,
                     std::ostream& out, std::ostream& err, bool* copied) {
    return extractWith(imagePath, hostPath, out, err, copied, [&](DiskImage& image) -> ImageFilePtr {
        const int entry = di_find_named_entry(image, name, kTypePrg, false);
        if (entry < 0) return nullptr;
        return di_open_entry(image, entry);
    });
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

int deleteNamedFile(const std::string& imagePath, const DiskName& name) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return 0;
    const int entry = di_find_named_entry(*image, name, kTypePrg, true);
    if (entry < 0) return kStatusNotFound;
    di_scratch_entry(*image, entry);
    if (!di_free_image(std::move(image))) return 0;
    return kStatusScratched;
}

int imageBlocksFree(const std::string& imagePath) {
    DiskImagePtr image = di_load_image(imagePath);
    if (!image) return -1;
    const int free = image->blocksFree;
    di_free_image(std::move(image));
    return free;
}

}  // namespace grusk
