#include "app/program_folders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

// The install rules set this from the bin and data folders they use.
#ifndef GRUSK_DATA_FROM_BIN
#define GRUSK_DATA_FROM_BIN "../share/gruskedit"
#endif

namespace fs = std::filesystem;

namespace grusk {

namespace {

bool holdsResources(const std::string& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(fs::path(folder) / "resource", ec);
}

}  // namespace

std::string installedDataFolder(const std::string& executableFolder) {
    if (executableFolder.empty()) return {};
    return (fs::path(executableFolder) / GRUSK_DATA_FROM_BIN).lexically_normal().string();
}

std::string userDataFolder(const FolderEnvironment& env) {
    // Relative values of XDG_DATA_HOME are to be ignored.
    if (!env.dataHome.empty() && fs::path(env.dataHome).is_absolute())
        return (fs::path(env.dataHome) / kUserFolderName).string();
    if (!env.home.empty() && fs::path(env.home).is_absolute())
        return (fs::path(env.home) / ".local" / "share" / kUserFolderName).string();
    return {};
}

ProgramFolders singleProgramFolder(const std::string& folder) { return ProgramFolders{folder, folder, false}; }

ProgramFolders locateProgramFolders(const FolderEnvironment& env, FolderPreference preference) {
    const bool workingFirst = preference == FolderPreference::WorkingFolderFirst;
    const std::string& first = workingFirst ? env.workingFolder : env.executableFolder;
    const std::string& second = workingFirst ? env.executableFolder : env.workingFolder;
    if (holdsResources(first)) return singleProgramFolder(first);
    // The working folder is a program folder only for the editor: the tool
    // must not pick up whatever folder it happens to run in.
    if (workingFirst && holdsResources(second)) return singleProgramFolder(second);
    const std::string shared = installedDataFolder(env.executableFolder);
    if (holdsResources(shared)) {
        const std::string user = userDataFolder(env);
        // Without a home the working folder takes the user's files.
        return ProgramFolders{shared, user.empty() ? env.workingFolder : user, true};
    }
    return singleProgramFolder(workingFirst ? env.executableFolder : env.workingFolder);
}

bool prepareUserFolder(const ProgramFolders& folders, std::string* message) {
    if (!folders.installed) return true;
    for (const char* sub : {"resource", "d64"}) {
        std::error_code ec;
        const fs::path dir = fs::path(folders.userFolder) / sub;
        fs::create_directories(dir, ec);
        if (!fs::is_directory(dir, ec)) {
            if (message) *message = "Cannot make the folder " + dir.string();
            return false;
        }
    }
    return true;
}

FolderEnvironment processFolderEnvironment(const std::string& workingFolder, const std::string& executableFolder) {
    FolderEnvironment env;
    env.workingFolder = workingFolder;
    env.executableFolder = executableFolder;
    if (const char* v = std::getenv("XDG_DATA_HOME")) env.dataHome = v;
    if (const char* v = std::getenv("HOME")) env.home = v;
    return env;
}

}  // namespace grusk
