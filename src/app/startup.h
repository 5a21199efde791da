// The one-time set-up of the editor: what the configuration file says about
// the emulator, and the object list's items. Where the program folder is:
// app/program_folders.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"

namespace grusk {

constexpr const char* kConfigFileName = "GruskEdit.ini";

// What the window layer read from "GruskEdit.ini" ([Emulator] Path).
struct Configuration {
    bool fileFound = false;
    std::optional<std::string> emulatorPath;
};

// First match of a program name in a PATH-style list ("" when none).
std::string findOnSearchPath(const std::string& program, const std::string& searchPath);
// Without a configuration file: <programFolder>/vice/x64sc when it exists,
// else the first of x64sc and x64 on the search path, else the bundled path.
std::string defaultEmulatorPath(const std::string& programFolder, const std::string& searchPath);
// Sets emulatorPath: the file's value, or the default when the file is missing
// or gives no path (or an empty one).
void applyConfiguration(AppState& app, const Configuration& config, const std::string& searchPath);

// The names of the placeable types 0..27 in type order.
std::vector<std::string> objectListItems();

}  // namespace grusk
