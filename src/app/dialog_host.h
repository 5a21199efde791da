// The modal windows the command table opens. The window layer shows them and
// lets the user work on the toolkit-free logic object handed in; each call
// returns when the window has ended. Tests answer them with a scripted host.
#pragma once

#include <optional>
#include <string>

namespace grusk {

class CastleSettingsLogic;
class DoorPropertiesLogic;
class D64Manager;
class RasterImage;

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // "Settings" (IDD_BASICS); ends only through OK.
    virtual void runCastleSettings(CastleSettingsLogic& logic) = 0;
    // "Door Properties" (IDD_DOORLINK); ends only through OK. Its "Position"
    // button runs the map-door prompt through the logic.
    virtual void runDoorProperties(DoorPropertiesLogic& logic) = 0;
    // "D64 Editor" (IDD_MAKEDISC) showing and driving the manager.
    virtual void runD64Manager(D64Manager& manager) = 0;
    // The about box with its picture.
    virtual void runAbout(const RasterImage& picture) = 0;
    // "Enter Text" (IDD_TEXT) with the initial text; the typed text on OK.
    virtual std::optional<std::string> runTextDialog(const std::string& initial) = 0;
    // "Swap With Room" (IDD_SWAPROOM): asks for a room number 1..64, starting
    // at initial; the number on OK, nothing on Cancel.
    virtual std::optional<int> runRoomNumberDialog(int initial) = 0;
    // Ends the program (after the session has asked about unsaved changes).
    virtual void quit() = 0;
};

}  // namespace grusk
