#include "app/startup.h"

#include <filesystem>

#include "editor/catalogue.h"

namespace fs = std::filesystem;

namespace grusk {

namespace {

bool isExecutableFile(const fs::path& p) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return false;
    const fs::perms perms = fs::status(p, ec).permissions();
    return (perms & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec)) != fs::perms::none;
}

}  // namespace

std::string findOnSearchPath(const std::string& program, const std::string& searchPath) {
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string::npos) end = searchPath.size();
        const std::string dir = searchPath.substr(start, end - start);
        if (!dir.empty()) {
            const fs::path candidate = fs::path(dir) / program;
            if (isExecutableFile(candidate)) return candidate.string();
        }
        start = end + 1;
    }
    return {};
}

std::string defaultEmulatorPath(const std::string& programFolder, const std::string& searchPath) {
    const std::string bundled = (fs::path(programFolder) / "vice" / "x64sc").string();
    if (isExecutableFile(bundled)) return bundled;
    for (const char* name : {"x64sc", "x64"}) {
        const std::string found = findOnSearchPath(name, searchPath);
        if (!found.empty()) return found;
    }
    return bundled;
}

void applyConfiguration(AppState& app, const Configuration& config, const std::string& searchPath) {
    // A file without a path, or with an empty or blank one, names no program:
    // the default lookup applies as without a file.
    const std::string given = config.fileFound ? config.emulatorPath.value_or(std::string()) : std::string();
    if (given.find_first_not_of(" \t\r\n") != std::string::npos)
        app.emulatorPath = given;
    else
        app.emulatorPath = defaultEmulatorPath(app.programFolder, searchPath);
}

std::vector<std::string> objectListItems() {
    std::vector<std::string> items;
    for (int t = 0; t < kPaletteTypes; ++t) items.emplace_back(objectTypeName(t));
    return items;
}

}  // namespace grusk
