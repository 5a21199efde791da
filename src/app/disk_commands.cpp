#include "app/disk_commands.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/castle_program_commands.h"
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

namespace {

// Tells what kept a game disk from being made; true when it was made.
bool reportGameDisk(AppState& app, int made, int unusableGameFile) {
    if (made == kMakeFileFailed) {
        if (unusableGameFile >= 0) {
            app.ui.addLogLine(std::string(kGameFileUnusable) + kGameFiles[static_cast<size_t>(unusableGameFile)]);
            app.ui.showLog();
        }
        return false;
    }
    if (made != 0) {
        app.ui.message(kImageCreationFailed, kCaptionKvt);
        return false;
    }
    return true;
}

}  // namespace

int buildGameDisk(AppState& app, std::string& imagePath, bool askForName, std::ostream& report,
                  const std::vector<HostFile>& moreFiles, std::vector<int>* moreResults) {
    std::string path = imagePath;
    if (askForName) {
        path = askImageSaveName(app);
        if (path.empty()) return 0;
    }
    int unusable = -1;
    const int made = makeGameDisk(GameDiskFolders{app.programFolder, app.dataFolder}, path, report, moreFiles, moreResults, &unusable);
    if (!reportGameDisk(app, made, unusable)) return 0;
    imagePath = path;
    return 1;
}

int buildGameDisk(AppState& app, std::string& imagePath, bool askForName, std::ostream& report) {
    return buildGameDisk(app, imagePath, askForName, report, {}, nullptr);
}

int buildGameDisk(AppState& app, std::string& imagePath, bool askForName) {
    return buildGameDisk(app, imagePath, askForName, std::cout);
}

int storeCompiledCastle(AppState& app, const std::string& imagePath) {
    return storeCompiledCastle(app.programFolder, imagePath);
}

int buildGameDiskWithCastle(AppState& app, std::string& imagePath, std::ostream& report, int* castleResult) {
    int unusable = -1;
    const int made = makeGameDiskWithCastle(GameDiskFolders{app.programFolder, app.dataFolder}, imagePath, report, castleResult, &unusable);
    return reportGameDisk(app, made, unusable) ? 1 : 0;
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
