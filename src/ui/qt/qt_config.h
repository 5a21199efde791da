// Reads "GruskEdit.ini" of the program folder with Qt's settings class, and
// keeps there what the editor remembers between runs: window geometry, zoom
// of the canvas and the map, and the recent files.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <string>

#include "app/startup.h"

namespace grusk {

// fileFound tells whether the file exists; emulatorPath is [Emulator] Path.
// A file that holds nothing but what the editor remembers by itself counts
// as missing, so that remembering a window size does not take the default
// emulator away.
Configuration readConfigurationFile(const std::string& programFolder);

struct RememberedView {
    QByteArray mainGeometry;
    int zoom = 100;
    QByteArray mapGeometry;
    int mapZoom = 100;
    QStringList recentFiles;
};

RememberedView readRememberedView(const std::string& programFolder);
// Writes the values into the file, keeping everything else it holds. False
// when the file could not be written (a read-only folder, for one).
bool writeRememberedView(const std::string& programFolder, const RememberedView& view);

// The views the user switched on or off, remembered between runs in the
// user's own settings (not in GruskEdit.ini, whose mere presence changes the
// emulator path).
struct ViewSettings {
    bool showLinks = false;
    bool labelMap = true;
};
ViewSettings readViewSettings();
void writeViewSettings(const ViewSettings& settings);

}  // namespace grusk
