// Disk image helpers, and a scratch program folder for the game disk tests: d64/ with the thirteen game files
// (distinct contents), resource/ with end-room data.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/disk_commands.h"
#include "disk/disk_image.h"
#include "disk/game_disk.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk::test {

using Bytes = std::vector<uint8_t>;

inline DiskName nameOf(const std::string& text) {
    DiskName n{};
    di_pad_name(n.data(), text);
    return n;
}

inline Bytes counting(size_t n, unsigned seed = 1) {
    Bytes v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 31 + seed * 7 + i / 251);
    return v;
}

inline DiskImagePtr formatted(size_t size, const std::string& path = {}) {
    DiskImagePtr img = di_create_image(path, size);
    const uint8_t id[2] = {'0', '0'};
    di_format(*img, nameOf("TEST"), id);
    return img;
}

inline uint8_t* blockAt(DiskImage& img, int t, int s) {
    return img.data.data() + blockOffset(img.kind, {static_cast<uint8_t>(t), static_cast<uint8_t>(s)});
}

// Writes a prg file and closes it; true when the close was complete.
inline bool writeFile(DiskImage& img, const std::string& name, const Bytes& bytes) {
    ImageFilePtr f = di_open_file(img, nameOf(name), kTypePrg, "wb");
    if (!f) return false;
    if (!bytes.empty()) di_write_file(*f, bytes.data(), static_cast<int>(bytes.size()));
    return di_close_file(std::move(f));
}

// The whole file, or the whole directory file for "$"; empty when it cannot be opened.
inline Bytes readFile(DiskImage& img, const std::string& name) {
    ImageFilePtr f = di_open_file(img, name == "$" ? directoryFileName() : nameOf(name), kTypePrg, "rb");
    Bytes out;
    uint8_t buf[1000];
    for (int n; f && (n = di_read_file(*f, buf, sizeof buf)) > 0;) out.insert(out.end(), buf, buf + n);
    if (f) di_close_file(std::move(f));
    return out;
}

inline std::vector<TrackSector> chainOf(const DiskImage& img, int entry) {
    std::vector<TrackSector> chain;
    TrackSector ts{img.data[entry + kEntryFirstBlock], img.data[entry + kEntryFirstBlock + 1]};
    for (; ts.track != 0 && chain.size() < 5000; ts = di_next_block(img, ts)) chain.push_back(ts);
    return chain;
}

// Sizes from 0 blocks up to several, to see each file land whole.
inline Bytes gameFileBytes(size_t index) { return counting(1 + index * 300, static_cast<unsigned>(index)); }

inline std::string headerNameAndId(const std::string& image) {
    const Bytes b = readBytes(image);
    return b.size() < kD64Size ? std::string() : std::string(b.begin() + 357 * 256 + 144, b.begin() + 357 * 256 + 164);
}

struct ProgramFolder {
    TempDir dir;
    FakePlatform ui;
    AppState app{ui};
    std::filesystem::path savedCwd = std::filesystem::current_path();

    ProgramFolder() {
        app.programFolder = dir.path().string();
        std::filesystem::create_directories(dir.path() / "d64");
        std::filesystem::create_directories(dir.path() / "resource");
        for (size_t i = 0; i < kGameFiles.size(); ++i)
            writeBytes(dir.file(std::string("d64/") + kGameFiles[i]), gameFileBytes(i));
        writeBytes(dir.file("resource/endroom.bin"), counting(545));
    }
    ~ProgramFolder() {
        std::error_code ec;
        std::filesystem::current_path(savedCwd, ec);
    }
    std::string path(const std::string& relative) const { return dir.file(relative); }
};

}  // namespace grusk::test
