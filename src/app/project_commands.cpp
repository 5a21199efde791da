#include "app/project_commands.h"

#include "model/castle_files.h"
#include "model/safe_file.h"

namespace grusk {

namespace {

std::string withExtension(const std::string& path, const std::string& ext) {
    return endsWithNoCase(path, ext) ? path : path + ext;
}

}  // namespace

int writeCastleFile(AppState& app, const std::string& path) {
    if (canOpenForReading(path) &&
        app.ui.ask("File exists. Overwrite?", kCaptionWatchOut, QuestionKind::YesNo) != Reply::Yes)
        return 0;
    return saveCastleFileTo(app.castle, path) ? 1 : 0;
}

int readCastleFile(AppState& app, const std::string& path) { return readCastleFile(app.castle, path); }

int loadProjectFrom(AppState& app, const std::string& path) {
    // Read first, so that a wrong file leaves the castle in memory untouched.
    if (!canOpenForReading(path)) return 0;  // skipped silently, as every unreadable file
    ProjectBytes bytes;
    if (!bytes.read(path) || !isProjectFileSize(static_cast<long long>(bytes.size()))) {
        app.ui.message("Not a castle file: " + path, kCaptionKvt);
        return 0;
    }
    clearCastle(app);
    app.castle.castleTitle = path;
    app.ui.setCaption(path);
    readCastleImage(app.castle, bytes.data(), bytes.size());
    return 1;
}

int loadProject(AppState& app) {
    const auto path = app.ui.askOpenFile("", kCastleFilter);
    if (!path) return 0;
    return loadProjectFrom(app, *path);
}

int saveProject(AppState& app) {
    const auto chosen = app.ui.askSaveFile("", kCastleFilter);
    if (!chosen) return 0;
    const std::string path = withExtension(*chosen, ".cas");
    app.castle.castleTitle = path;
    app.ui.setCaption(path);
    return writeCastleFile(app, path);
}

int exportRoom(AppState& app) {
    const auto chosen = app.ui.askSaveFile("NewRoom.crm", kRoomFilter);
    if (!chosen) return 0;
    const std::string path = withExtension(*chosen, ".crm");
    if (canOpenForReading(path) &&
        app.ui.ask("File exists. Overwrite?", kCaptionWatchOut, QuestionKind::YesNo) != Reply::Yes)
        return 0;
    return writeFileAtomically(path, roomFileImage(app.castle, app.castle.currentRoom)) ? 1 : 0;
}

int importRoom(AppState& app) {
    const auto path = app.ui.askOpenFile("*.crm", kRoomFilter);
    if (!path) return 0;
    if (!canOpenForReading(*path)) return 0;
    const auto bytes = readWholeFile(*path, kRoomFileSize);
    if (!bytes || !isRoomFileSize(static_cast<long long>(bytes->size()))) {
        app.ui.message("Not a room file: " + *path, kCaptionKvt);
        return 0;
    }
    readRoomImage(app.castle, app.castle.currentRoom, bytes->data(), bytes->size());
    invalidateWholeCanvas(app, true);
    return 1;
}

}  // namespace grusk
