// Reads "GruskEdit.ini" of the program folder with Qt's settings class.
#pragma once

#include <string>

#include "app/startup.h"

namespace grusk {

// fileFound tells whether the file exists; emulatorPath is [Emulator] Path.
Configuration readConfigurationFile(const std::string& programFolder);

}  // namespace grusk
