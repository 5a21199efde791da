// Where the program reads the files it ships with and where it keeps what the
// user writes.
//
// Run from a folder that holds resource/ (the build's program folder, or a
// copy of it) both are that one folder, as they always were. Installed, the
// shipped files (pictures, end-room data, stand-in game files, help) are read
// from <prefix>/share/gruskedit, and the writable things (GruskEdit.ini,
// resource/ztest00.prg, resource/test00.d64, the game's real files in d64/)
// live in the user's data folder: $XDG_DATA_HOME/GruskEdit, by default
// ~/.local/share/GruskEdit.
//
// Everything here is a function of the paths and environment values passed
// in, apart from looking at which folders and files exist.
#pragma once

#include <string>

namespace grusk {

inline constexpr const char* kUserFolderName = "GruskEdit";

// What the lookup depends on, gathered by the program's entry point.
struct FolderEnvironment {
    std::string workingFolder;
    std::string executableFolder;  // of the running program, links resolved
    std::string dataHome;          // $XDG_DATA_HOME (may be unset: empty)
    std::string home;              // $HOME
};

struct ProgramFolders {
    std::string dataFolder;  // read only: resource/*.bmp, resource/endroom.bin, d64/, help.txt
    std::string userFolder;  // the program folder: writable files, the working folder
    bool installed = false;  // the two differ
};

// The editor takes a working folder with resource/ first (a program folder
// the user started it in); gruskedit-cli looks beside itself first.
enum class FolderPreference { WorkingFolderFirst, ExecutableFolderFirst };

// <executableFolder>/../share/gruskedit for the standard install layout.
std::string installedDataFolder(const std::string& executableFolder);

// $XDG_DATA_HOME/GruskEdit when that is an absolute path, else
// $HOME/.local/share/GruskEdit; empty when neither is usable.
std::string userDataFolder(const FolderEnvironment& env);

// In order: a program folder (working or executable folder, by preference)
// holding resource/; the installed layout (share folder with resource/
// beside bin/) with the user's data folder; the executable's folder
// (WorkingFolderFirst) or the working folder (ExecutableFolderFirst).
ProgramFolders locateProgramFolders(const FolderEnvironment& env, FolderPreference preference);

// Both folders the same: --program-folder and the tests.
ProgramFolders singleProgramFolder(const std::string& folder);

// Makes the user folder with resource/ and d64/ when installed. False with a
// message naming the folder when it cannot be made.
bool prepareUserFolder(const ProgramFolders& folders, std::string* message);

// XDG_DATA_HOME and HOME of this process with the two folders given.
FolderEnvironment processFolderEnvironment(const std::string& workingFolder, const std::string& executableFolder);

}  // namespace grusk
