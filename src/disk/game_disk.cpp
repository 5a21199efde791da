#include "disk/game_disk.h"

#include <filesystem>
#include <system_error>

#include "disk/image_ops.h"

namespace grusk {

namespace fs = std::filesystem;

namespace {

std::string programPath(const std::string& programFolder, const std::string& relative) {
    return (fs::path(programFolder) / fs::path(relative)).string();
}

}  // namespace

std::string gameFilePath(const std::string& userFolder, const std::string& dataFolder, const std::string& name) {
    const fs::path own = fs::path(userFolder) / "d64" / name;
    if (dataFolder.empty() || dataFolder == userFolder) return own.string();
    std::error_code ec;
    if (fs::is_regular_file(own, ec)) return own.string();
    return (fs::path(dataFolder) / "d64" / name).string();
}

int makeGameDisk(const GameDiskFolders& folders, const std::string& path, std::ostream& report,
                 const std::vector<HostFile>& moreFiles, std::vector<int>* moreResults, int* unusableGameFile) {
    if (unusableGameFile) *unusableGameFile = -1;
    // The user's own copy of each file wins over the shipped stand-in.
    std::vector<HostFile> files;
    for (const char* name : kGameFiles)
        files.push_back(HostFile{gameFilePath(folders.userFolder, folders.dataFolder, name), {}});
    files.insert(files.end(), moreFiles.begin(), moreFiles.end());
    std::vector<int> results;
    const int made = makeImageWithFiles(path, kGameDiskName, kGameDiskId, report, files, &results);
    if (made == kMakeFileFailed) {
        // A disk without one of the game's files would not play: nothing was written.
        const size_t failed = results.size() - 1;
        if (failed < kGameFiles.size()) {
            if (unusableGameFile) *unusableGameFile = static_cast<int>(failed);
        } else if (moreResults) {
            moreResults->assign(results.begin() + static_cast<long>(kGameFiles.size()), results.end());
        }
        return made;
    }
    if (made != 0) return made;
    if (moreResults) moreResults->assign(results.begin() + static_cast<long>(kGameFiles.size()), results.end());
    return 0;
}

int storeCompiledCastle(const std::string& programFolder, const std::string& imagePath) {
    const std::string compiled = programPath(programFolder, "resource/ztest00.prg");
    const std::string castle = programPath(programFolder, "resource/zcastle.prg");
    std::error_code ec;
    fs::rename(compiled, castle, ec);
    // Without a fresh castle program an older zcastle.prg must not go onto the disk.
    if (ec) return kInsertNoHostFile;
    return replaceFileAs(imagePath, castle, "zcastle");
}

int makeGameDiskWithCastle(const GameDiskFolders& folders, const std::string& path, std::ostream& report,
                           int* castleResult, int* unusableGameFile) {
    const std::string& programFolder = folders.userFolder;
    const std::string compiled = programPath(programFolder, "resource/ztest00.prg");
    std::error_code ec;
    if (!fs::is_regular_file(compiled, ec)) {
        // As storeCompiledCastle after the disk: no fresh castle, none on the disk.
        if (castleResult) *castleResult = kInsertNoHostFile;
        return makeGameDisk(folders, path, report, {}, nullptr, unusableGameFile);
    }
    // Stored under the name zcastle.prg gives it; renamed only once the disk is made.
    std::vector<int> results;
    const int made =
        makeGameDisk(folders, path, report, {HostFile{compiled, "zcastle"}}, &results, unusableGameFile);
    if (made != 0) {
        // The castle that did not go on is the caller's to report.
        if (castleResult) *castleResult = results.empty() ? kInsertDone : results.front();
        return made;
    }
    fs::rename(compiled, programPath(programFolder, "resource/zcastle.prg"), ec);
    if (castleResult) *castleResult = ec ? kInsertNoHostFile : results.front();
    return 0;
}

}  // namespace grusk
