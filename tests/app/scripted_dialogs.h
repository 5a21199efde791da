// A dialog host for tests: each modal window runs a scripted reaction on the
// logic it is handed, and every window opened is recorded.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_host.h"

namespace grusk::test {

class ScriptedDialogs : public DialogHost {
public:
    std::function<void(CastleSettingsLogic&)> onSettings;
    std::function<void(DoorPropertiesLogic&)> onDoor;
    std::function<void(D64Manager&)> onD64;
    std::optional<std::string> textReply;
    std::vector<std::string> opened;
    std::vector<std::string> textInitials;
    int quits = 0;

    void runCastleSettings(CastleSettingsLogic& logic) override {
        opened.push_back("settings");
        if (onSettings) onSettings(logic);
    }
    void runDoorProperties(DoorPropertiesLogic& logic) override {
        opened.push_back("door");
        if (onDoor) onDoor(logic);
    }
    void runD64Manager(D64Manager& manager) override {
        opened.push_back("d64");
        if (onD64) onD64(manager);
    }
    void runAbout(const RasterImage&) override { opened.push_back("about"); }
    std::optional<std::string> runTextDialog(const std::string& initial) override {
        opened.push_back("text");
        textInitials.push_back(initial);
        return textReply;
    }
    std::optional<int> roomNumberReply;
    std::optional<int> runRoomNumberDialog(int) override {
        opened.push_back("room number");
        return roomNumberReply;
    }
    void quit() override { ++quits; }
};

}  // namespace grusk::test
