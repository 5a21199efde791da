#include "app/canvas_mouse.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/door_links.h"
#include "app/object_commands.h"
#include "app/room_map_input.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"

namespace grusk {

namespace {

// Status controls of the main window.
constexpr int kStatusName = 1212;
constexpr int kStatusNumber = 1223;
constexpr int kDoorFields[] = {1251, 1252, 1255, 1101, 1102};
constexpr int kDestRoomField = 1101;
constexpr int kDestDoorField = 1102;

// Pixels the mouse must travel from the press point before an object is dragged.
constexpr int kDragThreshold = 5;

// A cell no mouse move can report: the next move always counts as a new cell.
constexpr CellPos kNoCell{-1000, -1000};

bool locksColumn(int type) {
    return type == kLadder || type == kSlidingPole || type == kLightningSuspension || type == kGunRailLeft ||
           type == kGunRailRight;
}

// The cells after from up to to on a straight line: the window system merges
// the moves of a quick pointer, and a run or an erase must not leave gaps.
std::vector<CellPos> cellsAfter(CellPos from, CellPos to) {
    std::vector<CellPos> cells;
    const int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
    const int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    for (int err = dx + dy; from != to; cells.push_back(from)) {
        const int twice = 2 * err;
        if (twice >= dy) err += dy, from.x += sx;
        if (twice <= dx) err += dx, from.y += sy;
    }
    return cells;
}

PixelRect rectAt(CellPos cell, const PixelRect& sizeOf) {
    const int left = cell.x * kCellPixels + kCanvasLeft;
    const int top = cell.y * kCellPixels + kCanvasTop;
    return PixelRect{left, top, left + (sizeOf.right - sizeOf.left), top + (sizeOf.bottom - sizeOf.top)};
}

// The cells an object of the type covers from its anchor, at least the anchor.
Size blockOf(int type) {
    Size s = cellSize(type);
    if (s.width < 1) s.width = 1;
    if (s.height < 1) s.height = 1;
    return s;
}

}  // namespace

CellPos canvasCellAt(int clientX, int clientY) {
    return CellPos{(clientX - kCanvasLeft) / kCellPixels, (clientY - kCanvasTop) / kCellPixels};
}

std::optional<PixelRect> objectArea(const Room& room, CellPos cell) {
    if (!isInsideRoom(cell.x, cell.y)) return std::nullopt;
    const int type = room.object(cell.x, cell.y).type;
    if (!isObjectType(type)) return std::nullopt;
    const Size size = pictureSize(type);
    const int left = cell.x * kCellPixels + kCanvasLeft;
    const int top = cell.y * kCellPixels + kCanvasTop;
    return PixelRect{left, top, left + std::max(size.width, 0), top + std::max(size.height, 0)};
}

CanvasMouse::CanvasMouse(AppState& app) : app_(app) {}

void CanvasMouse::addObjectArea(CellPos cell) {
    if (const auto area = objectArea(room(), cell)) pendingRegion_.push_back(*area);
}

void CanvasMouse::canvasPainted(const PixelRect& ghost) {
    if (ghost.right - ghost.left >= 0 && ghost.bottom - ghost.top >= 0) ghost_ = ghost;
    ghostMoved_ = false;
}

void CanvasMouse::canvasPainted(const std::optional<PixelRect>& ghost) {
    canvasPainted(ghost ? *ghost : PixelRect{0, 0, -1, -1});
}

PixelRect CanvasMouse::ghostRectAt(CellPos cell) const {
    Size size = isObjectType(app_.placeType) ? pictureSize(app_.placeType) : Size{};
    if (size.width < 0 || size.height < 0) size = Size{kCellPixels, kCellPixels};
    const PixelRect oneCell{0, 0, size.width, size.height};
    return rectAt(cell, oneCell);
}

void CanvasMouse::objectListChosen(int type) {
    app_.placeType = type;
    app_.listSelectionActive = true;
    if (!pointerOnCanvas_ || !isInsideRoom(mouseCell_.x, mouseCell_.y)) return;
    // The ghost shows under the resting pointer at once, not at the next move.
    if (ghost_) app_.ui.invalidateCanvas(*ghost_, false);
    const PixelRect here = ghostRectAt(mouseCell_);
    app_.ui.invalidateCanvas(here, false);
    lastRedrawn_ = here;
}

void CanvasMouse::cancelChoice() {
    // Not while the button is down: the run or drag in progress keeps its type.
    if (dragging_ || !(buttonDownPos_ == CellPos{}) || app_.placeType == -1) return;
    app_.placeType = -1;
    app_.listSelectionActive = false;
    ghostMoved_ = false;
    app_.ui.invalidateCanvas(kCanvasRect, true);
}

void CanvasMouse::pointerLeft() {
    pointerOnCanvas_ = false;
    mouseCell_ = CellPos{};
    mousePixel_ = CellPos{};
    // Coming back onto the same cell must count as a move again.
    lastMouseCell_ = kNoCell;
    clearStatus();
    // The paint draws no ghost while the pointer is elsewhere.
    if (ghost_) {
        app_.ui.invalidateCanvas(*ghost_, false);
        ghost_.reset();
    }
}

void CanvasMouse::clearStatus() {
    app_.ui.setControlText(WindowId::Main, kStatusName, "-");
    app_.ui.setControlText(WindowId::Main, kStatusNumber, "-");
    app_.ui.setControlText(WindowId::Main, kDestRoomField, "-");
    app_.ui.setControlText(WindowId::Main, kDestDoorField, "-");
    for (int id : kDoorFields) app_.ui.showControl(WindowId::Main, id, false);
}

Selection& CanvasMouse::selection() {
    if (selectionRoom_ != app_.castle.currentRoom) {
        selection_.clear();
        selectionRoom_ = app_.castle.currentRoom;
        banding_ = draggingSelection_ = false;
    }
    if (!selection_.empty()) pruneSelection(room(), selection_);
    return selection_;
}

void CanvasMouse::setSelection(const Selection& selection) {
    selection_ = selection;
    selectionRoom_ = app_.castle.currentRoom;
    app_.ui.invalidateCanvas(kCanvasRect, false);
}

void CanvasMouse::clearSelection() {
    if (!selection_.empty()) app_.ui.invalidateCanvas(kCanvasRect, false);
    selection_.clear();
}

std::optional<CellBlock> CanvasMouse::selectionBand() const {
    if (!banding_) return std::nullopt;
    return CellBlock{std::min(bandStart_.x, bandEnd_.x), std::min(bandStart_.y, bandEnd_.y),
                     std::max(bandStart_.x, bandEnd_.x), std::max(bandStart_.y, bandEnd_.y)};
}

std::optional<std::array<int, 2>> CanvasMouse::selectionDragOffset() const {
    if (!draggingSelection_) return std::nullopt;
    return std::array<int, 2>{mouseCell_.x - selectionGrab_.x, mouseCell_.y - selectionGrab_.y};
}

std::string CanvasMouse::takeStepName() { return std::exchange(stepName_, std::string()); }

bool CanvasMouse::pointerOnRoom() const { return pointerOnCanvas_ && isInsideRoom(mouseCell_.x, mouseCell_.y); }

void CanvasMouse::catchUp(int clientX, int clientY, MouseButtons held) {
    if (mousePixel_.x != clientX || mousePixel_.y != clientY) mouseMove(clientX, clientY, held);
}

void CanvasMouse::mouseMove(int clientX, int clientY, MouseButtons held) {
    if (app_.skipNextMouseMove) {
        app_.skipNextMouseMove = false;
        return;
    }
    pointerOnCanvas_ = true;
    mousePixel_ = CellPos{clientX, clientY};
    mouseCell_ = canvasCellAt(clientX, clientY);
    if (mouseCell_ == lastMouseCell_) return;
    lastMouseCell_ = mouseCell_;

    if (!isInsideRoom(mouseCell_.x, mouseCell_.y)) {
        clearStatus();
    } else {
        const FoundObject found = findObjectAt(app_.castle, mouseCell_.x, mouseCell_.y);
        hoverType_ = found.type;
        hoverAnchor_ = found.type == kEmpty ? CellPos{} : found.anchor;
        if (hoverType_ == kDoor && map_) map_->doorHovered(hoverAnchor_);

        if (held.ctrl) ghostMoved_ = false;
        if (app_.placeType != -1 && ghost_) {
            const PixelRect here = rectAt(mouseCell_, *ghost_);
            app_.ui.invalidateCanvas(*ghost_, false);
            app_.ui.invalidateCanvas(here, false);
            lastRedrawn_ = here;
            ghost_.reset();
            ghostMoved_ = true;
        } else if (app_.placeType != -1) {
            // No ghost drawn yet (the pointer just came onto the canvas): it
            // shows now; only a drawn ghost that moves ends a fresh list choice.
            const PixelRect here = ghostRectAt(mouseCell_);
            app_.ui.invalidateCanvas(here, false);
            lastRedrawn_ = here;
        }

        updateHighlight();
        updateStatus();
    }

    if (app_.listSelectionActive && ghostMoved_) {
        if (lastRedrawn_) app_.ui.invalidateCanvas(*lastRedrawn_, false);
        app_.listSelectionActive = false;
    }
    if (!pendingRegion_.empty()) {
        app_.ui.invalidateCanvasRegion(pendingRegion_, false);
        pendingRegion_.clear();
    }

    handleHeldButtons(held);
}

void CanvasMouse::updateHighlight() {
    if (hoverAnchor_ == lastHoverAnchor_) return;
    lastHoverAnchor_ = hoverAnchor_;
    if (map_) map_->canvasHoverChanged(hoverAnchor_);
    Room& r = room();

    // Take the highlight off the objects that carried it.
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = r.object(x, y);
            if (rec.mark != kMarkHighlighted) continue;
            rec.mark = kMarkPlain;
            addObjectArea({x, y});
            for (const auto& link : rec.links)
                if (link[0] != -1) addObjectArea({link[0], link[1]});
        }
    }

    if (hoverType_ < 0 || hoverType_ > 254 || hoverAnchor_.x < 0) return;
    addObjectArea(hoverAnchor_);
    CellRecord& hovered = r.object(hoverAnchor_.x, hoverAnchor_.y);
    for (const auto& link : hovered.links) {
        if (link[0] == -1) continue;
        hovered.mark = kMarkHighlighted;
        // Links read from a damaged file may name any cell: mark real objects only.
        if (isInsideRoom(link[0], link[1]) && isObjectType(r.object(link[0], link[1]).type))
            r.object(link[0], link[1]).mark = kMarkHighlighted;
        addObjectArea({link[0], link[1]});
    }
}

void CanvasMouse::updateStatus() {
    Platform& ui = app_.ui;
    const Room& r = room();
    const CellRecord& cell = r.object(mouseCell_.x, mouseCell_.y);
    if (cell.type != kEmpty && hoverAnchor_.x >= 0) {
        const CellRecord& anchor = r.object(hoverAnchor_.x, hoverAnchor_.y);
        ui.setControlText(WindowId::Main, kStatusNumber, std::to_string(anchor.number + 1));
        if (anchor.type == kDoor) {
            if (app_.mouseMode != kMouseConnecting) {
                for (int id : kDoorFields) ui.showControl(WindowId::Main, id, true);
                if (anchor.variant == 1) {
                    ui.setControlText(WindowId::Main, kDestRoomField, "-");
                    ui.setControlText(WindowId::Main, kDestDoorField, "-");
                } else {
                    ui.setControlText(WindowId::Main, kDestDoorField, std::to_string(anchor.destDoor + 1));
                    ui.setControlText(WindowId::Main, kDestRoomField, std::to_string(anchor.destRoom + 1));
                }
            }
        } else {
            // The destination fields belong to doors: nothing else may show a stale one.
            for (int id : kDoorFields) ui.showControl(WindowId::Main, id, false);
        }
        ui.setControlText(WindowId::Main, kStatusName, std::string(objectTypeName(anchor.type)));
        return;
    }
    for (int id : kDoorFields) ui.showControl(WindowId::Main, id, false);
    const int walkway = r.walkway(mouseCell_.x, mouseCell_.y);
    const int vertical = r.vertical(mouseCell_.x, mouseCell_.y).type;
    if (walkway != kEmpty) {
        ui.setControlText(WindowId::Main, kStatusName, std::string(objectTypeName(walkway)));
    } else if (vertical != kEmpty) {
        ui.setControlText(WindowId::Main, kStatusName, std::string(objectTypeName(vertical)));
    } else {
        ui.setControlText(WindowId::Main, kStatusName, "-");
        ui.setControlText(WindowId::Main, kStatusNumber, "-");
    }
}

void CanvasMouse::handleHeldButtons(MouseButtons held) {
    if (!held.left) {
        if (held.right && app_.suppressClick) app_.suppressClick = false;
        return;
    }
    if (app_.suppressClick) {
        app_.suppressClick = false;
        return;
    }
    // After a jump through a door the button is still down from the double
    // click, and the pointer was moved onto the other door: nothing is drawn or
    // dragged there until the release.
    if (jumpedThroughDoor_) return;
    if (banding_) {
        bandEnd_ = CellPos{std::clamp(mouseCell_.x, 0, kColumns - 1), std::clamp(mouseCell_.y, 0, kRows - 1)};
        app_.ui.invalidateCanvas(kCanvasRect, false);
        return;
    }
    if (draggingSelection_) {
        app_.ui.invalidateCanvas(kCanvasRect, false);
        return;
    }
    if (app_.placeType != -1 && !held.ctrl && !dragging_) {
        CellPos at = mouseCell_;
        bool run = false;  // other types go where the pointer is, not between
        if (locksColumn(app_.placeType)) {
            if (lockedColumn_ == -1) lockedColumn_ = at.x;
            at.x = lockedColumn_;
            run = isInsideRoom(strokeCell_.x, strokeCell_.y) && strokeCell_.x == at.x;
        } else if (app_.placeType == kWalkway) {
            if (lockedRow_ == -1) lockedRow_ = at.y;
            at.y = lockedRow_;
            run = isInsideRoom(strokeCell_.x, strokeCell_.y) && strokeCell_.y == at.y;
        }
        for (const CellPos cell : run ? cellsAfter(strokeCell_, at) : std::vector<CellPos>{at})
            placeObject(app_, app_.placeType, cell.x, cell.y, -1);
        strokeCell_ = at;
    } else if (held.ctrl && !dragging_) {
        // Not during a drag: erasing there could remove the dragged object itself.
        const bool fromLast = isInsideRoom(strokeCell_.x, strokeCell_.y);
        for (const CellPos cell : fromLast ? cellsAfter(strokeCell_, mouseCell_) : std::vector<CellPos>{mouseCell_})
            deleteObjectAt(app_, cell.x, cell.y);
        strokeCell_ = mouseCell_;
    } else if (app_.mouseMode == kMouseNormal && !dragging_) {
        if (std::abs(mousePixel_.x - buttonDownPos_.x) < kDragThreshold &&
            std::abs(mousePixel_.y - buttonDownPos_.y) < kDragThreshold)
            return;
        startDrag();
    } else if (dragging_) {
        dragTarget_ = mouseCell_;
    }
}

void CanvasMouse::startDrag() {
    // A selected thing pressed on takes the whole selection along, by whole
    // cells counted from the cell of the press.
    const CellPos pressed = canvasCellAt(buttonDownPos_.x, buttonDownPos_.y);
    if (isInsideRoom(pressed.x, pressed.y) && isSelectedAt(room(), selection(), pressed.x, pressed.y)) {
        draggingSelection_ = true;
        selectionGrab_ = pressed;
        return;
    }
    const FoundObject found = findObjectAt(app_.castle, mouseCell_.x, mouseCell_.y);
    if (found.type < 0 || found.type == kEmpty) return;
    CellRecord& anchor = room().object(found.anchor.x, found.anchor.y);
    // Only objects of the object layer move; ladders and poles are redrawn instead.
    if (storageLayer(anchor.type) != Layer::Object) return;

    app_.ui.setPointerPos(mousePixel_.x - (mouseCell_.x - found.anchor.x) * kCellPixels,
                          mousePixel_.y - (mouseCell_.y - found.anchor.y) * kCellPixels);
    dragging_ = true;
    dragRoom_ = app_.castle.currentRoom;
    app_.placeType = anchor.picture;
    dragSource_ = dragTarget_ = found.anchor;
    anchor.dragging = 1;
    app_.listSelectionActive = true;
    // The object leaves its place; only the ghost follows the mouse.
    if (const auto area = objectArea(room(), found.anchor)) app_.ui.invalidateCanvas(*area, true);
}

void CanvasMouse::leftDown(int clientX, int clientY, MouseButtons held) {
    jumpedThroughDoor_ = false;
    catchUp(clientX, clientY, MouseButtons{false, held.right, held.ctrl});
    if (buttonDownPos_.x == -1 && buttonDownPos_.y == -1) buttonDownPos_ = mousePixel_;
    if (app_.suppressClick) {
        app_.suppressClick = false;
        return;
    }
    if (held.shift && !held.ctrl && app_.placeType == -1 && app_.mouseMode == kMouseNormal && !dragging_ &&
        isInsideRoom(mouseCell_.x, mouseCell_.y)) {
        // Shift+drag spans a selection block; Shift+click picks one thing.
        selection();
        banding_ = true;
        bandStart_ = bandEnd_ = mouseCell_;
        return;
    }
    strokeCell_ = mouseCell_;
    if (app_.placeType != -1 && !held.ctrl && !dragging_) {
        placeObject(app_, app_.placeType, mouseCell_.x, mouseCell_.y, -1);
        toggleObjectState(app_, mouseCell_.x, mouseCell_.y);
    } else if (held.ctrl && !dragging_) {
        deleteObjectAt(app_, mouseCell_.x, mouseCell_.y);
    }
}

void CanvasMouse::leftUp(int clientX, int clientY, MouseButtons held) {
    catchUp(clientX, clientY, MouseButtons{true, held.right, held.ctrl});
    lockedColumn_ = lockedRow_ = -1;
    strokeCell_ = CellPos{};
    buttonDownPos_ = CellPos{};
    // The release that ends a double click through a door lands in the other
    // room: it must not click whatever lies there under the same cell.
    const bool afterJump = jumpedThroughDoor_;
    jumpedThroughDoor_ = false;

    if (banding_) {
        const CellBlock block = *selectionBand();
        banding_ = false;
        Selection& sel = selection();
        if (block.left == block.right && block.top == block.bottom)
            toggleSelectedAt(room(), sel, block.left, block.top);
        else
            sel = selectBlock(room(), block.left, block.top, block.right, block.bottom);
        app_.ui.invalidateCanvas(kCanvasRect, false);
        return;
    }
    if (draggingSelection_) {
        draggingSelection_ = false;
        const int dx = mouseCell_.x - selectionGrab_.x, dy = mouseCell_.y - selectionGrab_.y;
        Selection& sel = selection();
        const size_t count = sel.count();
        // A move that does not fit is refused: the selection stays where it was.
        if ((dx != 0 || dy != 0) && moveSelection(app_.castle, app_.castle.currentRoom, sel, dx, dy))
            stepName_ = "Move " + std::to_string(count) + (count == 1 ? " object" : " objects");
        app_.ui.invalidateCanvas(kCanvasRect, true);
        return;
    }

    if (!afterJump && isInsideRoom(mouseCell_.x, mouseCell_.y)) {
        if (dragging_) {
            dragging_ = false;
            app_.listSelectionActive = false;
            app_.placeType = -1;
            ghostMoved_ = false;
            if (dragRoom_ == app_.castle.currentRoom) {
                moveObject(dragSource_, dragTarget_);
            } else if (isValidRoom(dragRoom_) && isInsideRoom(dragSource_.x, dragSource_.y)) {
                // The room changed under the drag: the object stays where it was.
                app_.castle.room(dragRoom_).object(dragSource_.x, dragSource_.y).dragging = 0;
            }
        } else if (app_.mouseMode == kMouseLinking) {
            linkObjectAt(app_, mouseCell_.x, mouseCell_.y);
        } else if (app_.mouseMode == kMouseConnecting) {
            connectDoorAt(app_, mouseCell_.x, mouseCell_.y);
        } else {
            toggleObjectState(app_, mouseCell_.x, mouseCell_.y);
            // A plain click on bare floor lets go of the selection.
            Selection probe;
            if (!held.ctrl && app_.placeType == -1 && !toggleSelectedAt(room(), probe, mouseCell_.x, mouseCell_.y))
                clearSelection();
        }
    }
    shapeWalkways(app_);
    app_.ui.invalidateCanvas(kCanvasRect, false);
}

void CanvasMouse::leftDoubleClick(int clientX, int clientY) {
    catchUp(clientX, clientY, MouseButtons{});
    const CellPos cell = canvasCellAt(clientX, clientY);
    if (!isInsideRoom(cell.x, cell.y)) return;
    const FoundObject found = findObjectAt(app_.castle, cell.x, cell.y);
    if (found.type != kDoor) return;
    const CellRecord door = room().object(found.anchor.x, found.anchor.y);
    if (door.type != kDoor || !isValidRoom(door.destRoom)) return;
    selectRoom(app_, door.destRoom);
    jumpedThroughDoor_ = true;
    const Room& dest = app_.castle.room(door.destRoom);
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const CellRecord& rec = dest.object(x, y);
            if (rec.type == kDoor && rec.number == door.destDoor) {
                app_.ui.setPointerPos(x * kCellPixels + kCanvasLeft + 24, y * kCellPixels + kCanvasTop + 24);
                return;
            }
        }
    }
}

void CanvasMouse::rightDown(int clientX, int clientY, MouseButtons held) {
    catchUp(clientX, clientY, MouseButtons{held.left, false, held.ctrl});
    if (app_.suppressClick) app_.suppressClick = false;
}

int CanvasMouse::rightUp(int clientX, int clientY, MouseButtons held) {
    catchUp(clientX, clientY, MouseButtons{held.left, true, held.ctrl});
    app_.ui.setCursor(CursorShape::Arrow);
    int command = 0;
    if (!app_.listSelectionActive) {
        if (app_.mouseMode == kMouseLinking) app_.mouseMode = kMouseNormal;
        command = showObjectMenu(app_, mouseCell_.x, mouseCell_.y);
    } else {
        app_.listSelectionActive = false;
    }
    // The window takes the selection off the object list once no type is chosen.
    app_.placeType = -1;
    ghostMoved_ = false;
    shapeWalkways(app_);
    app_.ui.invalidateCanvas(kCanvasRect, true);
    return command;
}

bool CanvasMouse::moveObject(CellPos source, CellPos target) {
    if (!isInsideRoom(source.x, source.y)) return false;
    Room& r = room();
    CellRecord copy = r.object(source.x, source.y);
    if (storageLayer(copy.type) != Layer::Object) {
        r.object(source.x, source.y).dragging = 0;
        return false;
    }

    // Clear the object's cells, keeping them to put the object back if it does not fit.
    const Size block = blockOf(copy.type);
    const int marker = kCoveredBase + source.x * 40 + source.y;
    struct Saved {
        int x, y;
        CellRecord record;
    };
    std::vector<Saved> saved;
    for (int y = source.y; y < source.y + block.height; ++y) {
        for (int x = source.x; x < source.x + block.width; ++x) {
            if (!isInsideRoom(x, y)) continue;
            CellRecord& rec = r.object(x, y);
            if (!(x == source.x && y == source.y) && rec.type != marker) continue;
            saved.push_back({x, y, rec});
            rec.reset();
        }
    }
    recountRoom(app_.castle, app_.castle.currentRoom);

    const bool moved = placeObject(app_, copy.type, target.x, target.y, -1) != 0;
    if (moved) {
        for (CellRecord& rec : r.objectLayer()) {
            if (!isObjectType(rec.type)) continue;
            for (auto& link : rec.links)
                if (link[0] == source.x && link[1] == source.y) {
                    link[0] = target.x;
                    link[1] = target.y;
                }
        }
        copy.dragging = 0;
        copy.x = target.x;
        copy.y = target.y;
        r.object(target.x, target.y) = copy;
    } else {
        for (const Saved& s : saved) r.object(s.x, s.y) = s.record;
        r.object(source.x, source.y).dragging = 0;
    }
    invalidateCells(app_, source.x, source.y, block.width, block.height, true);
    recountRoom(app_.castle, app_.castle.currentRoom);
    return moved;
}

}  // namespace grusk
