// The command table of the main window: every menu, button and popup command
// by its id, dispatched to the part of the editor that owns it.
#include <filesystem>

#include "app/castle_program_commands.h"
#include "app/disk_commands.h"
#include "app/door_links.h"
#include "app/editor_session.h"
#include "app/object_commands.h"
#include "app/project_commands.h"
#include "app/room_navigation.h"
#include "app/test_run.h"
#include "disk/game_disk.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/castle_reader.h"
#include "gamedata/compiler.h"
#include "model/castle_files.h"
#include "model/safe_file.h"

namespace grusk {

namespace {

constexpr PixelRect kWholeMap{0, 0, 640, 400};

// Commands that change the castle only through editing operations: each is
// one undoable step with this name. Other commands are no steps ("").
std::string stepName(int id) {
    if (id >= kCmdColourWhite && id <= kCmdColourYellow) return "Set Color";
    switch (id) {
        case kCmdImportRoom: return "Import Room";
        case kCmdKillConnections: return "Kill Connections";
        case kCmdClearRoom: return "Clear Room";
        case kCmdCastleSettings: return "Castle Settings";
        case kCmdUnlink: return "Unlink";
        case kCmdNormalDoor:
        case kCmdExitDoor: return "Door Type";
        case kCmdEditDoor: return "Door Properties";
        case kCmdSetMapPosition: return "Door Map Position";
        case kCmdPlayer1Start: return "Player 1 Start";
        case kCmdPlayer2Start: return "Player 2 Start";
        case kCmdEditText: return "Edit Text";
        case kCmdDoubleHeight: return "Double Height";
        default: return "";
    }
}

}  // namespace

void EditorSession::runCommand(int id) {
    if (id == kCmdUndo || id == kCmdRedo) {
        if (id == kCmdUndo)
            undo();
        else
            redo();
        syncChangedMark();
        return;
    }
    if (runSelectionCommand(id)) {
        syncChangedMark();
        return;
    }
    const bool stepWasOpen = watch_.open();
    const std::string name = stepName(id);
    const bool opened = !name.empty() && watch_.beginCommand(name);
    runCommandUnwatched(id);
    if (opened && watch_.endCommand()) {
        historyMoved();
        // Some operations (colours, texts) leave the repaint to their caller.
        invalidateWholeCanvas(app_, false);
    } else if (!stepWasOpen) {
        // Commands that are no steps (loading, checking, door connections
        // made by a click later) may still change what the check finds.
        refreshProblems();
    }
    syncChangedMark();
}

void EditorSession::runCommandUnwatched(int id) {
    AppState& app = app_;
    if (isRoomNavigationCommand(id)) {
        navigateRooms(app, id);
        return;
    }
    if (id >= kCmdColourWhite && id <= kCmdColourYellow) {
        setObjectColour(app, id);
        return;
    }
    switch (id) {
        case kCmdNew:
            if (!confirmDiscard()) return;
            clearCastle(app);
            app.castle.settings = CastleSettings{};
            invalidateWholeCanvas(app, true);
            app.ui.invalidateMap(kWholeMap, true);
            startAfresh();
            return;
        case kCmdLoadCastle:
            if (!confirmDiscard()) return;
            if (readCastleProgram(app)) {
                startAfresh();
                recent_.add(app.castle.castleTitle);
            }
            return;
        case kCmdSaveCastle:
            renumberObjects(app.castle);
            ui_.forgetChosenFile();
            if (compileCastle(app, true) && ui_.lastChosenFile()) {
                // A program that could not be written is reported as done too: only a real file counts.
                const std::string target = castleProgramTarget(*ui_.lastChosenFile());
                std::error_code ec;
                if (std::filesystem::is_regular_file(target, ec)) recent_.add(target);
            }
            return;
        case kCmdSaveToD64:
            saveToD64(app);
            return;
        case kCmdLoadProject:
            if (!confirmDiscard()) return;
            app.suppressClick = true;
            if (loadProject(app)) {
                startAfresh();
                recent_.add(app.castle.castleTitle);
            }
            app.ui.invalidateMap(kWholeMap, true);
            return;
        case kCmdSaveProject:
            app.suppressClick = true;
            if (saveProject(app)) {
                markClean();
                recent_.add(app.castle.castleTitle);
            }
            return;
        case kCmdExit:
            requestExit();
            return;
        case kCmdImportRoom:
            app.suppressClick = true;
            importRoom(app);
            app.ui.invalidateMap(kWholeMap, true);
            return;
        case kCmdExportRoom:
            app.suppressClick = true;
            exportRoom(app);
            return;
        case kCmdKillConnections:
            killConnections(app, app.castle.currentRoom);
            return;
        case kCmdClearRoom:
            clearRoom(app.castle, app.castle.currentRoom);
            invalidateWholeCanvas(app, true);
            return;
        case kCmdCastleSettings: {
            CastleSettingsLogic logic(app);
            logic.open();
            dialogs_.runCastleSettings(logic);
            return;
        }
        case kCmdShowGrid:
            app.showGrid = !app.showGrid;
            invalidateWholeCanvas(app, false);
            return;
        case kCmdShowMapper:
            app.mapperVisible = !app.mapperVisible;
            app.ui.showWindow(WindowId::RoomMap, app.mapperVisible);
            return;
        case kCmdShowLinks:
            app.showLinks = !app.showLinks;
            invalidateWholeCanvas(app, false);
            return;
        case kCmdLabelMap:
            app.labelMap = !app.labelMap;
            app.ui.invalidateMap(kWholeMap, true);
            return;
        case kCmdShowProblems:
            refreshProblems();
            app.ui.showWindow(WindowId::Problems, true);
            return;
        case kCmdShowInspector:
            app.ui.showWindow(WindowId::Inspector, true);
            return;
        case kCmdD64Manager:
            d64_.open();
            dialogs_.runD64Manager(d64_);
            return;
        case kCmdCheckErrors:
            checkCastle(app, true);
            return;
        case kCmdTestCastle:
            testCastle(app);
            return;
        case kCmdAbout:
            dialogs_.runAbout(pictures_.about());
            return;
        case kCmdHelp:
            openHelp(app);
            return;
        case kCmdObjectList:
            return;  // the window reports the chosen row through objectListChosen
        case kCmdLink:
            startLinking(app);
            return;
        case kCmdUnlink:
            unlinkObject(app);
            return;
        case kCmdNormalDoor:
        case kCmdExitDoor:
            setDoorType(app, id == kCmdExitDoor);
            return;
        case kCmdEditDoor: {
            DoorPropertiesLogic logic(app);
            if (!logic.load()) return;
            logic.open();
            dialogs_.runDoorProperties(logic);
            logic.apply();
            return;
        }
        case kCmdConnect:
            startConnecting(app);
            return;
        case kCmdSetMapPosition:
            mapInput_.setMapPosition();
            return;
        case kCmdPlayer1Start:
        case kCmdPlayer2Start:
            setPlayerStart(app, id == kCmdPlayer1Start ? 1 : 2);
            return;
        case kCmdEditText: {
            const CellRecord* record = app.popupRecord();
            if (!record || record->type != kText) return;
            if (const auto typed = dialogs_.runTextDialog(textDialogInitial(*record))) textDialogOk(app, *typed);
            return;
        }
        case kCmdDoubleHeight:
            toggleDoubleHeight(app);
            return;
        default:
            return;
    }
}

bool EditorSession::openFile(const std::string& path) {
    if (!canOpenForReading(path)) {
        app_.ui.message("Could not open " + path, kCaptionKvt);
        return false;
    }
    if (fileKindOf(path) == FileKind::Room) {
        // A room file (opened from a file manager) goes into the current room
        // as a dropped one does: an Import Room step that can be undone.
        openDropped(path);
        return fileSize(path) == static_cast<long long>(kRoomFileSize);
    }
    int done = 0;
    const long long size = fileSize(path);
    if (isProjectFileSize(size)) {
        done = loadProjectFrom(app_, path);
        app_.ui.invalidateMap(kWholeMap, true);
    } else {
        app_.ui.clearLog();
        done = readCastleProgramFrom(app_, path);
    }
    if (done) {
        startAfresh();
        recent_.add(path);
    }
    return done != 0;
}

void EditorSession::runCommandWithFile(int commandId, const std::string& path) {
    ui_.answerNextOpenFile(path);
    runCommand(commandId);
    // A command that stopped before its dialog (the user kept the castle)
    // must not leave the answer to a later one.
    ui_.dropOpenFileAnswer();
}

bool EditorSession::openRecent(int index) {
    if (index < 0 || index >= static_cast<int>(recent_.paths().size())) return false;
    const std::string path = recent_.paths()[static_cast<size_t>(index)];
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        recent_.remove(path);
        app_.ui.message(path + " was not found. It has been taken off the list.", kCaptionKvt);
        return false;
    }
    const int before = recent_.revision();
    runCommandWithFile(fileKindOf(path) == FileKind::Project ? kCmdLoadProject : kCmdLoadCastle, path);
    // Every successful load puts the file at the top of the list again.
    return recent_.revision() != before;
}

void EditorSession::openDropped(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        app_.ui.message("Could not open " + path, kCaptionKvt);
        return;
    }
    // No file dialog was opened, so no stray click needs swallowing.
    const bool suppressed = app_.suppressClick;
    switch (fileKindOf(path)) {
        case FileKind::Project:
            runCommandWithFile(kCmdLoadProject, path);
            break;
        case FileKind::CastleProgram:
            runCommandWithFile(kCmdLoadCastle, path);
            break;
        case FileKind::Room:
            runCommandWithFile(kCmdImportRoom, path);
            break;
        case FileKind::DiskImage:
            d64_.imagePath = path;
            runCommand(kCmdD64Manager);
            break;
        case FileKind::Unknown:
            app_.ui.message("Not a castle, project, room or disk image file: " + path, kCaptionKvt);
            break;
    }
    app_.suppressClick = suppressed;
}

}  // namespace grusk
