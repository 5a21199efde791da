// The project and room file commands of the File menu: they ask for the file,
// ask before overwriting and report files of the wrong kind.
#pragma once

#include <string>

#include "app/app_state.h"

namespace grusk {

const FileFilter kCastleFilter{"Grusk Castles", "*.cas"};
const FileFilter kRoomFilter{"Grusk Rooms", "*.crm"};

// Asks before overwriting ("Watch out!"); non-zero when the file was written.
int writeCastleFile(AppState& app, const std::string& path);
// Reads a project file over the castle; non-zero when it could be opened.
int readCastleFile(AppState& app, const std::string& path);

// The menu commands. Each returns non-zero when it did its work.
int loadProject(AppState& app);
int saveProject(AppState& app);
int exportRoom(AppState& app);
int importRoom(AppState& app);

// Loads a project file by path as "Load Project..." does after its dialog:
// refuses a file of another size with "Not a castle file: %s".
int loadProjectFrom(AppState& app, const std::string& path);

}  // namespace grusk
