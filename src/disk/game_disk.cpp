#include "disk/game_disk.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "disk/image_ops.h"
#include "gamedata/compiler.h"
#include "model/safe_file.h"

namespace grusk {

namespace fs = std::filesystem;

std::string askImageSaveName(AppState& app) {
    const std::optional<std::string> chosen = app.ui.askSaveFile("", kD64Filter);
    if (!chosen || chosen->empty()) return {};
    std::string path = *chosen;
    if (!endsWithNoCase(path, ".d64")) path += ".d64";
    return path;
}

int buildGameDisk(AppState& app, std::string& imagePath, bool askForName, std::ostream& report,
                  const std::vector<HostFile>& moreFiles, std::vector<int>* moreResults) {
    std::string path = imagePath;
    if (askForName) {
        path = askImageSaveName(app);
        if (path.empty()) return 0;
    }
    // The user's own copy of each file wins over the shipped stand-in.
    std::vector<HostFile> files;
    for (const char* name : kGameFiles) files.push_back(HostFile{app.gameFilePath(name), {}});
    files.insert(files.end(), moreFiles.begin(), moreFiles.end());
    std::vector<int> results;
    const int made = makeImageWithFiles(path, kGameDiskName, kGameDiskId, report, files, &results);
    if (made == kMakeFileFailed) {
        // A disk without one of the game's files would not play: nothing was written.
        const size_t failed = results.size() - 1;
        if (failed < kGameFiles.size()) {
            app.ui.addLogLine(std::string(kGameFileUnusable) + kGameFiles[failed]);
            app.ui.showLog();
        } else if (moreResults) {
            moreResults->assign(results.begin() + static_cast<long>(kGameFiles.size()), results.end());
        }
        return 0;
    }
    if (made != 0) {
        app.ui.message(kImageCreationFailed, kCaptionKvt);
        return 0;
    }
    imagePath = path;
    if (moreResults) moreResults->assign(results.begin() + static_cast<long>(kGameFiles.size()), results.end());
    return 1;
}

int buildGameDisk(AppState& app, std::string& imagePath, bool askForName, std::ostream& report) {
    return buildGameDisk(app, imagePath, askForName, report, {}, nullptr);
}

int buildGameDisk(AppState& app, std::string& imagePath, bool askForName) {
    return buildGameDisk(app, imagePath, askForName, std::cout);
}

int storeCompiledCastle(AppState& app, const std::string& imagePath) {
    const std::string compiled = app.programPath("resource/ztest00.prg");
    const std::string castle = app.programPath("resource/zcastle.prg");
    std::error_code ec;
    fs::rename(compiled, castle, ec);
    // Without a fresh castle program an older zcastle.prg must not go onto the disk.
    if (ec) return kInsertNoHostFile;
    return replaceFileAs(imagePath, castle, "zcastle");
}

int buildGameDiskWithCastle(AppState& app, std::string& imagePath, std::ostream& report, int* castleResult) {
    const std::string compiled = app.programPath("resource/ztest00.prg");
    std::error_code ec;
    if (!fs::is_regular_file(compiled, ec)) {
        // As storeCompiledCastle after the disk: no fresh castle, none on the disk.
        if (castleResult) *castleResult = kInsertNoHostFile;
        return buildGameDisk(app, imagePath, false, report);
    }
    // Stored under the name zcastle.prg gives it; renamed only once the disk is made.
    std::vector<int> results;
    if (!buildGameDisk(app, imagePath, false, report, {HostFile{compiled, "zcastle"}}, &results)) {
        // The castle that did not go on is the caller's to report.
        if (castleResult) *castleResult = results.empty() ? kInsertDone : results.front();
        return 0;
    }
    fs::rename(compiled, app.programPath("resource/zcastle.prg"), ec);
    if (castleResult) *castleResult = ec ? kInsertNoHostFile : results.front();
    return 1;
}

bool compileCastleForDisk(AppState& app) {
    // A stale program from an earlier run must never stand in for this build.
    const std::string compiled = app.programPath("resource/ztest00.prg");
    std::error_code ec;
    fs::remove(compiled, ec);
    renumberObjects(app.castle);
    if (!compileCastle(app, false)) return false;
    return fs::is_regular_file(compiled, ec);
}

void saveToD64(AppState& app) {
    if (!compileCastleForDisk(app)) return;
    std::error_code ec;
    std::string imagePath = askImageSaveName(app);
    if (imagePath.empty()) return;
    // An existing image is used as it is: the game files are not written again,
    // and the new castle replaces one stored there before.
    if (fs::exists(imagePath, ec)) {
        if (storeCompiledCastle(app, imagePath) != kInsertDone) app.ui.message(kCastleNotStored, kCaptionKvt);
        return;
    }
    // A new disk gets the castle with the game files, all or nothing.
    int castleResult = kInsertDone;
    if (!buildGameDiskWithCastle(app, imagePath, std::cout, &castleResult)) {
        app.ui.message(kCouldNotCreateImage, kCaptionKvt);
        return;
    }
    if (castleResult != kInsertDone) app.ui.message(kCastleNotStored, kCaptionKvt);
}

}  // namespace grusk
