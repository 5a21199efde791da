// Application-wide state: the castle, the platform the core talks through,
// and the editor values that every command and mouse handler shares.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "editor/draw/canvas_geometry.h"
#include "model/castle_model.h"
#include "model/geometry.h"
#include "ui/platform.h"

namespace grusk {

enum MouseMode : int { kMouseNormal = 0, kMouseLinking = 2, kMouseConnecting = 3 };

struct AppState {
    explicit AppState(Platform& platform);
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    std::unique_ptr<CastleModel> castleRecords;  // created once, never replaced
    CastleModel& castle;
    Platform& ui;

    // Holds resource/, d64/, help.txt and GruskEdit.ini. An installed program
    // reads what it ships from dataFolder and keeps only what the user writes
    // here (see app/program_folders.h).
    std::string programFolder;
    std::string dataFolder;     // empty: the same as programFolder
    std::string emulatorPath;
    int placeType = -1;         // type chosen in the object list, -1 none
    bool showGrid = false;
    bool mapperVisible = false;
    bool showLinks = false;  // link lines and door labels over the canvas
    bool labelMap = true;    // room numbers and start marks on the map
    bool suppressClick = false;
    int mouseMode = kMouseNormal;
    int savedMouseMode = kMouseNormal;
    CellPos popupCell;          // anchor of the object whose popup opened last
    // The door being connected or positioned: its room and anchor cell.
    int pendingDoorRoom = -1;
    CellPos pendingDoor;
    bool listSelectionActive = false;
    bool skipNextMouseMove = false;
    // Set by every edit of the castle; cleared when it is loaded, saved as a
    // project or cleared, or when undo and redo come back to such a state, so
    // that throwing it away can ask first.
    bool castleChanged = false;
    // Told the room about to become current through selectRoom, so that an
    // edit step in progress can watch that room too. May be empty.
    std::function<void(int room)> roomSelected;

    // Door properties dialog transfer fields.
    int doorDestRoomEdit = 0;
    int doorDestDoorEdit = 0;
    int doorMapXEdit = 0;
    int doorMapYEdit = 0;
    int doorDirectionEdit = 0;
    int doorDirectionResult = 0;
    bool mapDoorMode = false;

    CellRecord* pendingDoorRecord();
    CellRecord* popupRecord();  // objectLayer record at popupCell in the current room, or nullptr

    // Path below the program folder built with the platform's separator.
    std::string programPath(const std::string& relative) const;
    // Path of a shipped, read-only file (pictures, end-room data, help).
    std::string dataPath(const std::string& relative) const;
    // The game file of that host name in d64/: the user's own, else the shipped one.
    std::string gameFilePath(const std::string& name) const;
    const std::string& shippedFolder() const { return dataFolder.empty() ? programFolder : dataFolder; }
};

// Makes the room current and asks for the canvas and map to be redrawn.
void selectRoom(AppState& app, int room);
// Empties the whole castle, shows "<NO CASTLE LOADED>" and selects room 0.
void clearCastle(AppState& app);

void invalidateCells(AppState& app, int x, int y, int widthCells, int heightCells, bool erase);
void invalidateWholeCanvas(AppState& app, bool erase);

// Notes that the castle in memory differs from what was last loaded or saved.
inline void markCastleChanged(AppState& app) { app.castleChanged = true; }

}  // namespace grusk
