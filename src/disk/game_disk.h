// Game disks: a freshly formatted D64 holding the game's own program files
// from the program folder's d64/ folder, and the compiled castle put on such
// a disk as ZCASTLE.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "disk/image_ops.h"

namespace grusk {

inline constexpr const char* kGameDiskName = "grusk 2008";
inline constexpr const char* kGameDiskId = "00";

// The game's files in the order they go onto the disk (host names in d64/).
inline constexpr std::array<const char*, 13> kGameFiles = {
    "castles.prg", "grusk.prg",  "music0.prg", "music1.prg", "music2.prg", "music3.prg",      "music4.prg",
    "music5.prg",  "music6.prg", "music7.prg", "music8.prg", "object.prg", "pic a title.prg",
};

// The folders a game disk is made from: the user's (the compiled castle in
// resource/, the user's own game files in d64/) and the shipped one (stand-in
// game files in d64/; empty when it is the user's).
struct GameDiskFolders {
    std::string userFolder;
    std::string dataFolder;
};

// The game file of that host name in d64/: the user's when it is a file,
// else the shipped stand-in.
std::string gameFilePath(const std::string& userFolder, const std::string& dataFolder, const std::string& name);

// Makes a game disk at path from the game files in d64/, with more files put on
// after the game files; the image is written once, when all are in, and not
// at all when one of them fails. The formatting report goes to report.
// Gives makeImageWithFiles' result: 0 when made; kMakeFileFailed when a file
// could not go on whole (*unusableGameFile then gets the index of a game file
// that failed, else -1); anything else when the image could not be made.
// moreResults gets the more files' insertFile results when the disk was made
// or one of them failed.
int makeGameDisk(const GameDiskFolders& folders, const std::string& path, std::ostream& report,
                 const std::vector<HostFile>& moreFiles = {}, std::vector<int>* moreResults = nullptr,
                 int* unusableGameFile = nullptr);

// Renames <programFolder>/resource/ztest00.prg to resource/zcastle.prg
// (replacing an earlier one) and copies it into the image, where it is stored
// as ZCASTLE, replacing a castle of that name. Gives the replaceFileAs
// result, or -3 when there was no compiled castle to rename.
int storeCompiledCastle(const std::string& programFolder, const std::string& imagePath);

// makeGameDisk and then storeCompiledCastle for a new disk at path, with the
// image written once: the castle goes on with the game files. Gives
// makeGameDisk's result; *castleResult gets what storeCompiledCastle would
// return (when the disk could not be made, the castle's own failure if it was
// the one, else kInsertDone).
int makeGameDiskWithCastle(const GameDiskFolders& folders, const std::string& path, std::ostream& report,
                           int* castleResult, int* unusableGameFile = nullptr);

}  // namespace grusk
