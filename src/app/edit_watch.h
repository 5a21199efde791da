// Turns what the window does to the castle into undoable steps. Every editing
// command and every mouse span from button press to release (on the canvas or
// on the map) is bracketed here; the edit history keeps what each step
// changed. A bracket opened while another is open joins it, so a map click
// made while a dialog is up belongs to the dialog's step. Mouse steps are
// named at their end after what they did ("Place Ladder", "Move Door",
// "Resize Room", ...).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "model/edit_history.h"

namespace grusk {

class EditWatch {
public:
    explicit EditWatch(AppState& app);
    ~EditWatch();
    EditWatch(const EditWatch&) = delete;
    EditWatch& operator=(const EditWatch&) = delete;

    EditHistory& history() { return history_; }
    const EditHistory& history() const { return history_; }

    // A command's step in the current room. True when this call opened the
    // step (the caller ends it with endCommand), false when it joined one.
    bool beginCommand(const std::string& name);
    // The same for a command that changes other rooms as well (the current
    // room is always watched).
    bool beginCommand(const std::string& name, std::vector<int> rooms);
    // Renames the open command step (for names known only at its end); it
    // keeps showing the room it began in.
    void nameCommand(const std::string& name);
    // Ends the step beginCommand opened; true when it was recorded.
    bool endCommand();

    // A mouse button went down: the first press opens a step; presses before
    // the release join it, and so does any press while a command's step is open.
    void mousePressed();
    // The button came up: ends the step the press opened, naming it after
    // what it did; true when it was recorded.
    bool mouseReleased();
    // The name the mouse step ending now is to carry instead of the one the
    // look at its changes would give.
    void nameMouseStep(const std::string& name) { mouseStepOverride_ = name; }

    // A step is open: edits go into it, and undo and redo must wait.
    bool open() const { return history_.inStep(); }
    // selectRoom tells of the room about to become current: an open step watches it too.
    void roomSelected(int room);
    // Forgets every step and any open one (New, loading a castle).
    void clear();

private:
    struct PressLook;
    std::string mouseStepName() const;
    void finishStep();

    AppState& app_;
    EditHistory history_;
    bool mouseOwnsStep_ = false;
    std::string mouseStepOverride_;
    std::unique_ptr<PressLook> press_;
};

// A room holding a door is always on the map: the canvas paint puts it there
// with the default rectangle. Doing it at the end of each step makes it part
// of the step, so undoing the door takes the room off the map again.
void keepDoorRoomOnMap(CastleModel& castle, int room);

}  // namespace grusk
