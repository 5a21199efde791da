#include "model/safe_file.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
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

std::string resolveSymlinks(const std::string& path) {
    fs::path current(path);
    std::error_code ec;
    // As many hops as the system allows before it calls the chain a loop.
    for (int hops = 0; hops < 40 && fs::is_symlink(current, ec); ++hops) {
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

bool mayReplaceFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return false;
    if (::geteuid() == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return true;
}

bool writeFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& writer) {
    if (path.empty()) return false;
    // The rename would replace a link with a plain file, so write beside the real one.
    const std::string target = resolveSymlinks(path);
    const std::string temp = temporaryNameBeside(target);
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    // The new file keeps the permissions of the one it replaces.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) ::fchmod(::fileno(f), st.st_mode & 07777);
    bool ok = writer(f);
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok && !mayReplaceFile(target)) {
        errno = EACCES;
        ok = false;
    }
    // A folder, pipe or device is never replaced by a file.
    const fs::file_status status = fs::status(target, ec);
    if (ok && fs::exists(status) && !fs::is_regular_file(status)) {
        errno = EISDIR;
        ok = false;
    }
    if (ok) {
        fs::rename(temp, target, ec);
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
        if (n == 0) {
            // A read error is no end of file: half a file must not pass as whole.
            if (std::ferror(f)) {
                std::fclose(f);
                return std::nullopt;
            }
            break;
        }
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
