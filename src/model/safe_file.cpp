#include "model/safe_file.h"

#include <atomic>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace grusk {

namespace fs = std::filesystem;

namespace {

std::string temporaryNameBeside(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const fs::path target(path);
    // Appended piece by piece: GCC 12 at -O3 gives a false -Wrestrict for "." + string.
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return (target.parent_path() / name).string();
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& writer) {
    if (path.empty()) return false;
    const std::string temp = temporaryNameBeside(path);
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = writer(f);
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) {
        fs::rename(temp, path, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size) {
    return writeFileAtomically(path, [&](std::FILE* f) { return size == 0 || std::fwrite(data, 1, size, f) == size; });
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, size_t maxSize) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes;
    const long long size = fileSize(path);
    if (size > 0 && static_cast<unsigned long long>(size) <= maxSize) bytes.reserve(static_cast<size_t>(size));
    uint8_t chunk[65536];
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) break;
        if (bytes.size() + n > maxSize) {
            std::fclose(f);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(f);
    return bytes;
}

long long fileSize(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return -1;
    const auto size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(size);
}

bool canOpenForReading(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool endsWithNoCase(const std::string& text, const std::string& ending) {
    if (text.size() < ending.size()) return false;
    const size_t start = text.size() - ending.size();
    for (size_t i = 0; i < ending.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[start + i])) !=
            std::tolower(static_cast<unsigned char>(ending[i])))
            return false;
    return true;
}

}  // namespace grusk
