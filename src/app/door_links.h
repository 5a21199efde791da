// Links between objects of a room and connections between doors: the
// "Link ...", "Unlink", door type, "Connect ...", start door and "Kill
// Connections" commands, and the logic of the Door Properties and Castle
// Settings dialogs, which the desktop program's windows drive.
#pragma once

#include <array>
#include <map>
#include <string>

#include "app/app_state.h"

namespace grusk {

// Completes "Link ...": links the popupCell object (the source) to the object
// at the clicked cell when the link rule allows it; otherwise shows
// "%d %d - %d %d" (source cell, clicked anchor). Ends the linking mode.
void linkObjectAt(AppState& app, int x, int y);

// Completes "Connect ...": connects the pending door and the door at the
// clicked cell of the current room both ways and reports
// "Connected to Room %d : Door %d". Ends the connecting mode and hides the
// select-door window; a click beside a door connects nothing.
void connectDoorAt(AppState& app, int x, int y);

// Every door of the room leads to room 1, door 1 (0, 0) afterwards.
void killConnections(AppState& app, int room);

// Popup commands on the popupCell object.
void startLinking(AppState& app);                  // "Link ..."
void unlinkObject(AppState& app);                  // "Unlink"
void setDoorType(AppState& app, bool exitDoor);    // "Normal Door" / "Exit Door"
void startConnecting(AppState& app);               // "Connect ..."
void setPlayerStart(AppState& app, int player);    // "Player 1 Start" (1) / "Player 2 Start" (2)

// Dialog numbers are read as decimal numbers; anything else reads as 0.
int parseDialogNumber(const std::string& text);

// Door Properties dialog (IDD_DOORLINK): controls and behaviour.
inline constexpr int kDoorRoomField = 1101;
inline constexpr int kDoorNumberField = 1102;
inline constexpr int kDoorMapXField = 1103;
inline constexpr int kDoorMapYField = 1104;
inline constexpr int kDoorDirectionButton = 1275;
inline constexpr int kDoorPositionButton = 255;
inline constexpr int kDialogOk = 1;

class DoorPropertiesLogic {
public:
    explicit DoorPropertiesLogic(AppState& app) : app_(app) {}

    // Before the dialog: copies the popup door's destDoor, destRoom, direction
    // (into doorDirectionResult), mapX and mapY to the transfer fields.
    // false when the popup object is no door.
    bool load();
    // On opening: field texts from the transfer fields (room and door 1-based),
    // doorDirectionEdit := doorDirectionResult.
    void open();
    std::string text(int controlId) const;
    void setText(int controlId, const std::string& typed);
    // The "Direction" button: top, right, bottom, left, then top again.
    void stepDirection();
    // The "Position" button: starts picking the map position; the window
    // hides itself and runs the map prompt, then calls mapPositionPicked.
    void startMapPosition();
    void mapPositionPicked();
    // "OK": reads the fields into the transfer fields. The dialog closes only
    // through OK (closesWith), then apply() stores the result into the door.
    void ok();
    void apply();
    static bool closesWith(int commandId) { return commandId == kDialogOk; }
    static std::string directionWord(int direction);  // "top", "right", "bottom", "left"

private:
    AppState& app_;
    int room_ = -1;
    CellPos door_;
    std::map<int, std::string> texts_;
    CellRecord* door() const;
};

// Castle Settings dialog (IDD_BASICS): start room, start door and lives of
// both players; rooms and doors shown 1-based, stored as their low 8 bits.
inline constexpr int kSettingsStartRoom1 = 1274;
inline constexpr int kSettingsStartDoor1 = 1273;
inline constexpr int kSettingsLives1 = 1103;
inline constexpr int kSettingsStartRoom2 = 1275;
inline constexpr int kSettingsStartDoor2 = 1276;
inline constexpr int kSettingsLives2 = 1104;

class CastleSettingsLogic {
public:
    static constexpr std::array<int, 6> kFields{kSettingsStartRoom1, kSettingsStartDoor1, kSettingsLives1,
                                                kSettingsStartRoom2, kSettingsStartDoor2, kSettingsLives2};

    explicit CastleSettingsLogic(AppState& app) : app_(app) {}
    void open();  // field texts from the castle settings
    std::string text(int controlId) const;
    void setText(int controlId, const std::string& typed);
    void ok();  // stores the fields into the castle settings
    static bool closesWith(int commandId) { return commandId == kDialogOk; }

private:
    AppState& app_;
    std::map<int, std::string> texts_;
};

}  // namespace grusk
