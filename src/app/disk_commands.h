// The game disk commands: "Save to D64..." and the disk building that the
// D64 manager, the test run and the command-line tool share, with their
// questions and messages.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "disk/game_disk.h"

namespace grusk {

inline const FileFilter kD64Filter{"D64 Images", "*.d64"};

inline constexpr const char* kImageCreationFailed = "Image Creation failed";
inline constexpr const char* kCouldNotCreateImage = "Could not create image!";
inline constexpr const char* kGameFileUnusable = "Game file missing or unusable: ";  // + the file's name
inline constexpr const char* kCastleNotStored = "Write error!";

// Lets the user choose a save name for an image; ".d64" appended unless the
// name already ends in it (any case). Empty when cancelled.
std::string askImageSaveName(AppState& app);

// Makes a game disk at imagePath (askForName false) or at a path the user
// chooses (askForName true; on success the path is written back). The
// formatting report of the image goes to report. 1 when the disk was made.
// Every game file must go on whole: one that is missing, unreadable or too
// large stops the build with a log line naming it, and the image file is
// then as it was (or not there).
int buildGameDisk(AppState& app, std::string& imagePath, bool askForName, std::ostream& report);
// The same with more files put on after the game files (moreResults gets
// their insertFile results); the image is written once, when all are in, and
// not at all when one of them fails.
int buildGameDisk(AppState& app, std::string& imagePath, bool askForName, std::ostream& report,
                  const std::vector<HostFile>& moreFiles, std::vector<int>* moreResults);
int buildGameDisk(AppState& app, std::string& imagePath, bool askForName);

// Renumbers and compiles the castle quietly into resource/ztest00.prg (an
// older one is removed first). True when a fresh program is there.
bool compileCastleForDisk(AppState& app);

// Renames resource/ztest00.prg to resource/zcastle.prg (replacing an earlier
// one) and copies it into the image, where it is stored as ZCASTLE, replacing
// a castle of that name. Gives the replaceFileAs result, or -3 when there was
// no compiled castle to rename.
int storeCompiledCastle(AppState& app, const std::string& imagePath);

// buildGameDisk and then storeCompiledCastle for a new disk at imagePath, with
// the image written once: the castle goes on with the game files. 1 when the
// disk was made; *castleResult gets what storeCompiledCastle would return.
int buildGameDiskWithCastle(AppState& app, std::string& imagePath, std::ostream& report, int* castleResult);

// The whole "Save to D64..." command.
void saveToD64(AppState& app);

}  // namespace grusk
