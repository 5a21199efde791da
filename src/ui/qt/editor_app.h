// The desktop program put together: the Qt platform, the session, the main
// window and the auxiliary windows, and the modal dialogs the command table
// opens. main() makes one; the GUI tests make one per test.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/dialog_host.h"
#include "app/editor_session.h"
#include "ui/qt/qt_platform.h"

namespace grusk {

class MainWindow;
class MapDoorPrompt;
class RoomMapWindow;
class SelectDoorWindow;
class ToolWindow;

class EditorApp : public DialogHost {
public:
    EditorApp();
    ~EditorApp() override;

    QtPlatform& platform() { return platform_; }
    EditorSession& session() { return *session_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    ToolWindow& logWindow() { return *log_; }
    ToolWindow& inspectorWindow() { return *inspector_; }
    ToolWindow& problemsWindow() { return *problems_; }
    SelectDoorWindow& selectDoorWindow() { return *selectDoor_; }
    MapDoorPrompt& mapDoorPrompt() { return *mapDoor_; }
    RoomMapWindow& roomMapWindow() { return *roomMap_; }

    // Window creation: loads the pictures from the program folder. False when
    // one is missing (its message has been shown): the program must end.
    bool start(const std::string& programFolder);
    // Shipped files from folders.dataFolder, the user's files in folders.userFolder.
    bool start(const ProgramFolders& folders);

    // Takes window geometry, zooms and the recent files from "GruskEdit.ini"
    // of the program folder and from then on writes them back when they
    // change and when the program ends. True when a main window geometry
    // was restored. Tests leave it off, so that they share no settings.
    bool restoreView();
    void rememberView();

    // What ending the program does; by default it quits the application.
    std::function<void()> onQuit;

    void runCastleSettings(CastleSettingsLogic& logic) override;
    void runDoorProperties(DoorPropertiesLogic& logic) override;
    void runD64Manager(D64Manager& manager) override;
    void runAbout(const RasterImage& picture) override;
    std::optional<std::string> runTextDialog(const std::string& initial) override;
    std::optional<int> runRoomNumberDialog(int initial) override;
    void quit() override;

private:
    // Fills the Problems and Inspector lists from the session when they changed.
    void refreshToolWindows();

    QtPlatform platform_;
    std::unique_ptr<EditorSession> session_;
    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<ToolWindow> log_;
    std::unique_ptr<ToolWindow> inspector_;
    std::unique_ptr<ToolWindow> problems_;
    long long problemsShown_ = -1;
    std::unique_ptr<RoomMapWindow> roomMap_;
    SelectDoorWindow* selectDoor_ = nullptr;  // owned by the main window
    MapDoorPrompt* mapDoor_ = nullptr;
    bool rememberingView_ = false;
};

}  // namespace grusk
