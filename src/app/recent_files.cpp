#include "app/recent_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "disk/disk_image.h"
#include "model/castle_files.h"

namespace fs = std::filesystem;

namespace grusk {

std::string recentFileKey(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(path), ec);
    if (ec) p = fs::path(path);
    return p.lexically_normal().string();
}

void RecentFiles::set(const std::vector<std::string>& paths) {
    std::vector<std::string> kept;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        const std::string key = recentFileKey(path);
        if (std::find(kept.begin(), kept.end(), key) != kept.end()) continue;
        kept.push_back(key);
        if (static_cast<int>(kept.size()) == kMaxRecentFiles) break;
    }
    if (kept != paths_) {
        paths_ = std::move(kept);
        ++revision_;
    }
}

void RecentFiles::add(const std::string& path) {
    if (path.empty()) return;
    const std::string key = recentFileKey(path);
    paths_.erase(std::remove(paths_.begin(), paths_.end(), key), paths_.end());
    paths_.insert(paths_.begin(), key);
    if (static_cast<int>(paths_.size()) > kMaxRecentFiles) paths_.resize(kMaxRecentFiles);
    ++revision_;
}

bool RecentFiles::remove(const std::string& path) {
    const std::string key = recentFileKey(path);
    const auto it = std::find(paths_.begin(), paths_.end(), key);
    if (it == paths_.end()) return false;
    paths_.erase(it);
    ++revision_;
    return true;
}

FileKind fileKindOf(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".cas") return FileKind::Project;
    if (ext == ".prg") return FileKind::CastleProgram;
    if (ext == ".crm") return FileKind::Room;
    if (ext == ".d64" || ext == ".d71" || ext == ".d81") return FileKind::DiskImage;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) return FileKind::Unknown;
    if (isProjectFileSize(static_cast<long long>(size))) return FileKind::Project;
    if (size == kRoomFileSize) return FileKind::Room;
    if (isAcceptedImageSize(static_cast<size_t>(size))) return FileKind::DiskImage;
    return FileKind::Unknown;
}

}  // namespace grusk
