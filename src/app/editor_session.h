// One editing session: the castle and application state, the pictures, the
// D64 manager, the mouse handlers of the canvas and the map, and the command
// table. The window layer creates one, forwards its events here and shows
// what the session hands back, so that every behaviour can be tested without
// a window system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/canvas_mouse.h"
#include "app/dialog_host.h"
#include "app/edit_watch.h"
#include "app/program_folders.h"
#include "app/recent_files.h"
#include "app/room_map_input.h"
#include "app/session_platform.h"
#include "app/startup.h"
#include "app/d64_manager.h"
#include "editor/draw/picture_set.h"
#include "editor/draw/raster_image.h"
#include "gamedata/castle_problems.h"

namespace grusk {

// Undo and redo in the command table (Edit menu, Ctrl+Z; Ctrl+Y and Ctrl+Shift+Z).
inline constexpr int kCmdUndo = 57643;
inline constexpr int kCmdRedo = 57644;
// The main window's status line with the number of problems the castle has.
inline constexpr int kCtlProblemCount = 1605;

// "No problems", "1 problem", "3 problems".
std::string problemCountText(size_t problems);

class EditorSession {
public:
    EditorSession(Platform& platform, DialogHost& dialogs);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    AppState& app() { return app_; }
    const AppState& app() const { return app_; }
    SessionPlatform& ui() { return ui_; }
    DialogHost& dialogs() { return dialogs_; }
    PictureSet& pictures() { return pictures_; }
    CanvasMouse& mouse() { return mouse_; }
    RoomMapInput& mapInput() { return mapInput_; }
    D64Manager& d64Manager() { return d64_; }

    // Window creation: takes the program folder, loads the pictures (a missing
    // one shows its message and gives false: the program must end) and clears
    // the castle.
    bool create(const std::string& programFolder);
    // The same with the shipped files read from folders.dataFolder and the
    // user's folder (made when missing) as the program folder.
    bool create(const ProgramFolders& folders);

    // The one-time set-up at the first paint: working folder, configuration,
    // caption, object list, hidden auxiliary windows, start-up graphics, the
    // room button and the title screen.
    bool firstPaintPending() const { return firstPaintPending_; }
    void firstPaint(const Configuration& config, const std::string& searchPath);
    const std::vector<std::string>& objectList() const { return objectList_; }

    // Paints the canvas (640 x 400, canvas coordinates) and returns it: the
    // title screen after the first paint, until the canvas is next redrawn;
    // the room from then on.
    const RasterImage& paintCanvas();
    const RasterImage& canvas() const { return canvas_; }
    bool showingTitleScreen() const;

    // The command table: every menu, button and popup command by its id.
    void runCommand(int commandId);
    // The selection commands (Edit menu, keys) and the Room menu; false for
    // any other command. Each change is one undoable step named after it.
    bool runSelectionCommand(int commandId);
    // The token that tells this editor's castle apart in clipboard texts.
    uint64_t castleId() const { return castleId_; }

    // A row chosen in the object list (1206): the type to place.
    void objectListChosen(int row);

    // Throwing the castle away (Exit, New, loading): when it has unsaved
    // changes, asks "Save changes to the castle?"; Yes saves it as "Save
    // Project..." does. False when the user cancelled (or the save failed).
    bool confirmDiscard();
    // Exit, the "EXIT" button and the close box: asks, then ends the program.
    // False when the user chose to stay.
    bool requestExit();
    bool quitRequested() const { return quitRequested_; }

    // The door dialog's "Position" button: shows the room map and runs the
    // "Set Door position on the Map:" prompt until the map is clicked.
    void awaitDoorMapClick();

    // The command line file: a project file (by its size), a room file (by
    // its name or size: into the current room), else a castle program.
    bool openFile(const std::string& path);

    // Project files and castle programs opened or saved ("Recent Castles").
    RecentFiles& recentFiles() { return recent_; }
    const RecentFiles& recentFiles() const { return recent_; }
    // Opens entry index of the list as "Load Project..." or "Load Castle..."
    // would with that file chosen (the unsaved-changes question included). A
    // file that is gone is taken off the list with a message. True when the
    // file was loaded.
    bool openRecent(int index);
    // A file dropped on the main window: a project file loads as "Load
    // Project...", a castle program as "Load Castle...", a room file is
    // imported into the current room as "Import Room...", a disk image opens
    // the D64 manager on it; each with the questions of that command.
    void openDropped(const std::string& path);

    // Mouse button presses and releases of the canvas and the map go through
    // these: everything the handlers change from a press to its release is
    // one undoable step (a painted run, a drag, a map drag).
    void mouseButtonPressed();
    void mouseButtonReleased();

    // Undo and redo: each takes back or does again one step, shows the room
    // it took place in and redraws the canvas and the map. Nothing happens
    // while a step is still open (a mouse button held, a dialog up).
    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    // Menu texts naming the step: "Undo Place Ladder", "Redo Connect Doors";
    // plain "Undo" and "Redo" when there is nothing to take back or do again.
    std::string undoLabel() const;
    std::string redoLabel() const;
    const EditHistory& history() const { return watch_.history(); }

    // Live problems: what the error check finds, worked out without changing
    // the castle; refreshed after every command, mouse step, undo and redo.
    // The status line (kCtlProblemCount) follows them.
    const std::vector<CastleProblem>& problems() const { return problems_; }
    // Grows each time the list changes, so a window can tell when to refill.
    long long problemsVersion() const { return problemsVersion_; }
    void refreshProblems();
    // Goes to the problem's room and frames the object it concerns at its
    // cell until the next edit. False when the problem names no room.
    bool goToProblem(size_t index);
    // The framed object's room and anchor, if any.
    int problemFrameRoom() const { return frameRoom_; }
    CellPos problemFrameCell() const { return frameCell_; }

    // The Inspector: the object under the pointer, or the last one clicked
    // when the pointer is off the canvas.
    void pointerOnCanvas(bool on) { pointerOnCanvas_ = on; }
    // The canvas was clicked (after the mouse handling saw the press).
    void canvasClicked();
    std::vector<std::string> inspectorLines() const;

    // The castle now equals what was loaded or saved.
    void markClean();
    // Brings the caption's "*" in line with the castle's changed flag.
    void syncChangedMark();

private:
    void runCommandUnwatched(int commandId);
    // Runs a command whose open dialog is answered with path.
    void runCommandWithFile(int commandId, const std::string& path);
    // The castle was replaced or emptied: no step leads back from here.
    void startAfresh();
    // A step was recorded, undone or redone: the changed mark follows the history.
    void historyMoved();
    void showStep(int room);
    // Runs change as one step named by what it returns ("" = nothing done).
    template <typename Change>
    void selectionStep(std::vector<int> rooms, Change&& change);
    void copyToClipboard();
    void pasteFromClipboard(bool underPointer);
    void swapCurrentRoomWith(int other);
    void duplicateCurrentRoom();

    SessionPlatform ui_;
    DialogHost& dialogs_;
    AppState app_;
    PictureSet pictures_;
    CanvasMouse mouse_;
    RoomMapInput mapInput_;
    D64Manager d64_;
    EditWatch watch_;

    RasterImage canvas_;
    bool firstPaintPending_ = true;
    bool titleScreen_ = false;
    long long canvasRequestsAtTitle_ = 0;
    bool quitRequested_ = false;
    std::vector<std::string> objectList_;
    uint64_t castleId_ = 0;
    RecentFiles recent_;

    std::vector<CastleProblem> problems_;
    long long problemsVersion_ = 0;
    std::string problemText_;
    int frameRoom_ = -1;
    CellPos frameCell_;
    bool pointerOnCanvas_ = false;
    int clickedRoom_ = -1;
    CellPos clickedCell_;
};

}  // namespace grusk
