#include "app/app_state.h"

#include <filesystem>

#include "app/program_folders.h"
#include "disk/game_disk.h"

namespace grusk {

AppState::AppState(Platform& platform)
    : castleRecords(allocateCells()), castle(*castleRecords), ui(platform) {}

CellRecord* AppState::pendingDoorRecord() {
    if (!isValidRoom(pendingDoorRoom) || !isInsideRoom(pendingDoor.x, pendingDoor.y)) return nullptr;
    return &castle.room(pendingDoorRoom).object(pendingDoor.x, pendingDoor.y);
}

CellRecord* AppState::popupRecord() {
    if (!isInsideRoom(popupCell.x, popupCell.y)) return nullptr;
    return &castle.current().object(popupCell.x, popupCell.y);
}

std::string AppState::programPath(const std::string& relative) const {
    return (std::filesystem::path(programFolder) / std::filesystem::path(relative)).string();
}

std::string AppState::dataPath(const std::string& relative) const {
    return (std::filesystem::path(shippedFolder()) / std::filesystem::path(relative)).string();
}

std::string AppState::gameFilePath(const std::string& name) const {
    return grusk::gameFilePath(programFolder, shippedFolder(), name);
}

void selectRoom(AppState& app, int room) {
    if (!isValidRoom(room)) return;
    if (app.roomSelected) app.roomSelected(room);
    app.castle.currentRoom = room;
    app.ui.invalidateCanvas(kCanvasRect, false);
    app.ui.invalidateMap(PixelRect{0, 0, 640, 400}, false);
    const std::string shown = std::to_string(room + 1);
    app.ui.setControlText(WindowId::RoomMap, 1255, shown);
    app.ui.setControlText(WindowId::Main, 1256, shown);
}

void clearCastle(AppState& app) {
    clearCastleRecords(app.castle);
    app.ui.setCaption(app.castle.castleTitle);
    selectRoom(app, 0);
}

void invalidateCells(AppState& app, int x, int y, int widthCells, int heightCells, bool erase) {
    app.ui.invalidateCanvas(cellRect(x, y, widthCells, heightCells), erase);
}

void invalidateWholeCanvas(AppState& app, bool erase) { app.ui.invalidateCanvas(kCanvasRect, erase); }

}  // namespace grusk
