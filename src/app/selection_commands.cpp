// The commands on selections (cut, copy, paste, duplicate, delete, select,
// nudge) and on whole rooms (duplicate, move up and down, swap). The work is
// done by the core; here each change becomes one named undoable step, the
// clipboard is read and written, and refusals are told to the user.
#include "app/editor_session.h"
#include "editor/catalogue.h"
#include "editor/selection.h"
#include "gamedata/room_order.h"

namespace grusk {

namespace {

constexpr PixelRect kWholeMap{0, 0, 640, 400};

std::string objects(size_t n) { return std::to_string(n) + (n == 1 ? " object" : " objects"); }

bool isSelectionCommand(int id) {
    return (id >= kCmdCut && id <= kCmdNudgeDown) || (id >= kCmdDuplicateRoom && id <= kCmdSwapWithRoom);
}

std::string pasteRefusal(PasteOutcome outcome) {
    switch (outcome) {
        case PasteOutcome::Outside: return "The objects do not fit in the room there.";
        case PasteOutcome::Collides: return "The objects would cover other objects there.";
        default: return "";
    }
}

}  // namespace

template <typename Change>
void EditorSession::selectionStep(std::vector<int> rooms, Change&& change) {
    const bool opened = watch_.beginCommand("", std::move(rooms));
    const std::string name = change();
    if (opened) {
        if (!name.empty()) watch_.nameCommand(name);
        if (watch_.endCommand()) historyMoved();
    }
    invalidateWholeCanvas(app_, true);
}

bool EditorSession::runSelectionCommand(int id) {
    if (!isSelectionCommand(id)) return false;
    CastleModel& castle = app_.castle;
    const int room = castle.currentRoom;
    switch (id) {
        case kCmdSelectAll:
            mouse_.setSelection(selectAll(castle.current()));
            return true;
        case kCmdSelectNone:
            mouse_.clearSelection();
            return true;
        case kCmdCopy:
            copyToClipboard();
            return true;
        case kCmdCut:
            copyToClipboard();
            selectionStep({}, [&] {
                const int removed = deleteSelection(castle, room, mouse_.selection());
                mouse_.clearSelection();
                return removed ? "Cut " + objects(size_t(removed)) : std::string();
            });
            return true;
        case kCmdDeleteSelection:
            selectionStep({}, [&] {
                const int removed = deleteSelection(castle, room, mouse_.selection());
                mouse_.clearSelection();
                return removed ? "Delete " + objects(size_t(removed)) : std::string();
            });
            return true;
        case kCmdPaste:
        case kCmdPasteAtPointer:
            pasteFromClipboard(id == kCmdPasteAtPointer);
            return true;
        case kCmdDuplicate: {
            const Fragment fragment = copySelection(castle, room, mouse_.selection());
            if (fragment.items.empty()) return true;
            const auto offset = duplicateOffset(castle, room, fragment);
            if (!offset) {
                app_.ui.message("There is no free place beside the selection for its copy.", kCaptionKvt);
                return true;
            }
            selectionStep({}, [&] {
                Fragment own = fragment;
                own.castleId = castleId_;
                const PasteResult pasted = pasteFragment(castle, room, own, fragment.originX + (*offset)[0],
                                                         fragment.originY + (*offset)[1], castleId_);
                if (pasted.outcome != PasteOutcome::Placed) return std::string();
                mouse_.setSelection(pasted.placed);
                return "Duplicate " + objects(size_t(pasted.placedCount));
            });
            return true;
        }
        case kCmdNudgeLeft:
        case kCmdNudgeRight:
        case kCmdNudgeUp:
        case kCmdNudgeDown: {
            const int dx = id == kCmdNudgeLeft ? -1 : id == kCmdNudgeRight ? 1 : 0;
            const int dy = id == kCmdNudgeUp ? -1 : id == kCmdNudgeDown ? 1 : 0;
            if (mouse_.selection().empty()) return true;
            selectionStep({}, [&] {
                Selection& sel = mouse_.selection();
                const size_t count = sel.count();
                // Refused at the room's edge or against other objects: nothing moves.
                return moveSelection(castle, room, sel, dx, dy) ? "Move " + objects(count) : std::string();
            });
            return true;
        }
        case kCmdDuplicateRoom:
            duplicateCurrentRoom();
            return true;
        case kCmdMoveRoomUp:
            if (room > 0) swapCurrentRoomWith(room - 1);
            return true;
        case kCmdMoveRoomDown:
            if (room < kRooms - 1) swapCurrentRoomWith(room + 1);
            return true;
        case kCmdSwapWithRoom: {
            const auto typed = dialogs_.runRoomNumberDialog(room + 1);
            if (!typed) return true;
            if (*typed < 1 || *typed > kRooms) {
                app_.ui.message("There is no room " + std::to_string(*typed) + ".", kCaptionKvt);
                return true;
            }
            swapCurrentRoomWith(*typed - 1);
            return true;
        }
        default:
            return true;
    }
}

void EditorSession::copyToClipboard() {
    Fragment fragment = copySelection(app_.castle, app_.castle.currentRoom, mouse_.selection());
    if (fragment.items.empty()) return;
    fragment.castleId = castleId_;
    app_.ui.setClipboardText(fragmentToText(fragment));
}

void EditorSession::pasteFromClipboard(bool underPointer) {
    const std::optional<std::string> text = app_.ui.clipboardText();
    std::string why;
    const std::optional<Fragment> fragment = text ? fragmentFromText(*text, &why) : std::nullopt;
    if (!fragment) {
        app_.ui.message("The clipboard holds no objects to paste" + (why.empty() ? std::string(".") : ": " + why + "."),
                        kCaptionKvt);
        return;
    }
    int x = fragment->originX, y = fragment->originY;
    if (underPointer && mouse_.pointerOnRoom()) {
        x = mouse_.mouseCell().x;
        y = mouse_.mouseCell().y;
    }
    CastleModel& castle = app_.castle;
    const int room = castle.currentRoom;
    PasteOutcome outcome = PasteOutcome::Placed;
    selectionStep({}, [&] {
        const PasteResult pasted = pasteFragment(castle, room, *fragment, x, y, castleId_);
        outcome = pasted.outcome;
        if (pasted.outcome != PasteOutcome::Placed) return std::string();
        mouse_.setSelection(pasted.placed);
        return "Paste " + objects(size_t(pasted.placedCount));
    });
    if (outcome != PasteOutcome::Placed) app_.ui.message(pasteRefusal(outcome), kCaptionKvt);
}

void EditorSession::swapCurrentRoomWith(int other) {
    CastleModel& castle = app_.castle;
    const int room = castle.currentRoom;
    if (!isValidRoom(other) || other == room) return;
    mouse_.clearSelection();
    const std::string name = "Swap Rooms " + std::to_string(std::min(room, other) + 1) + " and " +
                             std::to_string(std::max(room, other) + 1);
    selectionStep(roomsTouchedBySwap(castle, room, other), [&] {
        if (!swapRooms(castle, room, other)) return std::string();
        // A door waiting to be connected or positioned moves with its room.
        if (app_.pendingDoorRoom == room) app_.pendingDoorRoom = other;
        else if (app_.pendingDoorRoom == other) app_.pendingDoorRoom = room;
        // The room being edited goes where it was moved.
        selectRoom(app_, other);
        return name;
    });
    app_.ui.invalidateMap(kWholeMap, true);
}

void EditorSession::duplicateCurrentRoom() {
    CastleModel& castle = app_.castle;
    const int target = firstFreeRoom(castle, castle.currentRoom);
    if (target < 0) {
        app_.ui.message("There is no free room to copy the room into.", kCaptionKvt);
        return;
    }
    mouse_.clearSelection();
    selectionStep({target}, [&] {
        const int made = duplicateRoom(castle, castle.currentRoom);
        if (made < 0) return std::string();
        selectRoom(app_, made);
        return "Duplicate Room " + std::to_string(made + 1);
    });
    app_.ui.invalidateMap(kWholeMap, true);
}

}  // namespace grusk
