// The room canvas's mouse handling: placing the chosen type (also in runs while
// the button is held), Ctrl-erasing, clicking objects, dragging objects to a new
// place, linking and connecting clicks, popup menus, jumping through doors, and
// the hover highlight and status fields. Toolkit-free: the canvas widget feeds it
// main-window client pixels (the canvas lies at (9, 11)).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "editor/selection.h"

namespace grusk {

class RoomMapInput;

struct MouseButtons {
    bool left = false;
    bool right = false;
    bool ctrl = false;
    bool shift = false;
};

// Cell under a main-window client pixel; the division truncates toward zero,
// so the few pixels left of and above the canvas still count as column or row 0.
CellPos canvasCellAt(int clientX, int clientY);

// Canvas rectangle of the object at a cell: its anchor's pixel position and its
// picture size; nothing when no object (type 0..152) is at the cell.
std::optional<PixelRect> objectArea(const Room& room, CellPos cell);

class CanvasMouse {
public:
    explicit CanvasMouse(AppState& app);
    CanvasMouse(const CanvasMouse&) = delete;
    CanvasMouse& operator=(const CanvasMouse&) = delete;

    // The room map learns from here which door is under the mouse.
    void attachRoomMap(RoomMapInput* map) { map_ = map; }

    void mouseMove(int clientX, int clientY, MouseButtons held);
    void leftDown(int clientX, int clientY, MouseButtons held);
    void leftUp(int clientX, int clientY, MouseButtons held);
    void leftDoubleClick(int clientX, int clientY);
    void rightDown(int clientX, int clientY, MouseButtons held);
    // Returns the command chosen in an object's popup menu, or 0; the caller
    // routes it through the command table once the release is handled.
    int rightUp(int clientX, int clientY, MouseButtons held);

    // A type was chosen in the object list (1206). With the pointer over the
    // canvas its ghost is asked to show at once.
    void objectListChosen(int type);
    // Esc: the chosen type is given up as a right click after choosing does
    // (the window then clears the list's selection). Ignored during a drag.
    void cancelChoice();
    // The pointer left the canvas: it is over no cell, the status fields
    // read "-" and the ghost goes until the pointer comes back.
    void pointerLeft();
    bool pointerOnCanvas() const { return pointerOnCanvas_; }

    // Moves the object anchored at source so that its anchor lands on target,
    // keeping its number, links, colour, state and text and rewriting the links
    // of the room that pointed at it. When the target does not fit, the object
    // stays where it was. Returns true when it moved.
    bool moveObject(CellPos source, CellPos target);

    // Adds the area of the object at the cell to pendingRegion.
    void addObjectArea(CellPos cell);
    const std::vector<PixelRect>& pendingRegion() const { return pendingRegion_; }

    // What the canvas paint needs.
    CellPos mouseCell() const { return mouseCell_; }
    CellPos mousePixel() const { return mousePixel_; }
    // Called after every canvas paint with the ghost rectangle it returned
    // (a negative width or height: no ghost).
    void canvasPainted(const PixelRect& ghost);
    void canvasPainted(const std::optional<PixelRect>& ghost);
    std::optional<PixelRect> ghost() const { return ghost_; }
    bool ghostMoved() const { return ghostMoved_; }

    // Hover state: the object under the mouse and its anchor.
    int hoverType() const { return hoverType_; }
    CellPos hoverAnchor() const { return hoverAnchor_; }

    // The selection of the current room; it empties when another room
    // becomes current, and forgets what is no longer there.
    Selection& selection();
    void setSelection(const Selection& selection);
    void clearSelection();
    // A Shift+drag in progress: the block of cells spanned so far.
    std::optional<CellBlock> selectionBand() const;
    // While the selection is dragged: the cells it would move by.
    std::optional<std::array<int, 2>> selectionDragOffset() const;
    // The name for the mouse step that just ended, when the handler knows it
    // better than the look at the changed cells ("Move 5 objects"); "" else.
    std::string takeStepName();
    // The pointer is over the room's cells (for pasting under it).
    bool pointerOnRoom() const;

    bool draggingObject() const { return dragging_; }
    CellPos dragSource() const { return dragSource_; }
    CellPos dragTarget() const { return dragTarget_; }
    int lockedColumn() const { return lockedColumn_; }
    int lockedRow() const { return lockedRow_; }
    CellPos buttonDownPos() const { return buttonDownPos_; }

private:
    void updateStatus();
    void updateHighlight();
    void handleHeldButtons(MouseButtons held);
    void startDrag();
    // A press or release may arrive without a move to its position first.
    void catchUp(int clientX, int clientY, MouseButtons held);
    // Status fields for a pointer outside the room.
    void clearStatus();
    // Where the chosen type's ghost goes with its anchor at the cell.
    PixelRect ghostRectAt(CellPos cell) const;
    Room& room() { return app_.castle.current(); }

    AppState& app_;
    RoomMapInput* map_ = nullptr;

    CellPos mouseCell_;
    CellPos lastMouseCell_;
    CellPos mousePixel_;
    CellPos buttonDownPos_;
    int hoverType_ = kEmpty;
    CellPos hoverAnchor_;
    CellPos lastHoverAnchor_;
    bool dragging_ = false;
    bool jumpedThroughDoor_ = false;
    int dragRoom_ = -1;
    CellPos dragSource_;
    CellPos dragTarget_;
    int lockedColumn_ = -1;
    int lockedRow_ = -1;
    // The cell a held button last placed or erased in, the start of the next
    // piece of the stroke.
    CellPos strokeCell_;
    std::optional<PixelRect> ghost_;
    std::optional<PixelRect> lastRedrawn_;
    bool ghostMoved_ = false;
    bool pointerOnCanvas_ = false;
    std::vector<PixelRect> pendingRegion_;

    Selection selection_;
    int selectionRoom_ = -1;
    bool banding_ = false;
    CellPos bandStart_, bandEnd_;
    bool draggingSelection_ = false;
    CellPos selectionGrab_;
    std::string stepName_;
};

}  // namespace grusk
