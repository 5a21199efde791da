// One editor session driven as the window drives it; dialogs answer from scripts.
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_host.h"
#include "app/editor_session.h"
#include "app/object_commands.h"
#include "app/sample_castle.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk::test {

// A dialog host whose modal windows run scripted reactions on the logic they are handed.
class ScriptedDialogs : public DialogHost {
public:
    std::function<void(CastleSettingsLogic&)> onSettings;
    std::function<void(DoorPropertiesLogic&)> onDoor;
    std::optional<std::string> textReply;
    std::optional<int> roomNumberReply;
    int quits = 0;

    void runCastleSettings(CastleSettingsLogic& l) override { if (onSettings) onSettings(l); }
    void runDoorProperties(DoorPropertiesLogic& l) override { if (onDoor) onDoor(l); }
    void runD64Manager(D64Manager&) override {}
    void runAbout(const RasterImage&) override {}
    std::optional<std::string> runTextDialog(const std::string&) override { return textReply; }
    std::optional<int> runRoomNumberDialog(int) override { return roomNumberReply; }
    void quit() override { ++quits; }
};

struct SessionDriver {
    FakePlatform ui;
    ScriptedDialogs dialogs;
    EditorSession session{ui, dialogs};
    AppState& app = session.app();
    CastleModel& castle = app.castle;

    static int px(int c) { return kCanvasLeft + c * kCellPixels + 8; }
    static int py(int r) { return kCanvasTop + r * kCellPixels + 8; }

    void run(int id) { session.runCommand(id); }
    void fresh() { session.markClean(); run(kCmdNew); }
    void choose(int type) { session.objectListChosen(type); }
    void unchoose() { app.placeType = -1; app.listSelectionActive = false; }
    void hover(int c, int r, MouseButtons held = {}) {
        session.pointerOnCanvas(true);
        session.mouse().mouseMove(px(c), py(r), held);
    }
    void press(int c, int r, bool ctrl = false) {
        session.mouseButtonPressed();
        session.mouse().leftDown(px(c), py(r), {true, false, ctrl});
        session.canvasClicked();
    }
    void dragTo(int c, int r, bool ctrl = false) { session.mouse().mouseMove(px(c), py(r), {true, false, ctrl}); }
    void release(int c, int r, bool ctrl = false) {
        session.mouse().leftUp(px(c), py(r), {false, false, ctrl});
        session.mouseButtonReleased();
    }
    void click(int c, int r, bool ctrl = false) { hover(c, r); press(c, r, ctrl); release(c, r, ctrl); }
    // A left-button drag from one cell to another, with or without Shift.
    void sweep(int c0, int r0, int c1, int r1, bool shift) {
        const MouseButtons down{true, false, false, shift};
        hover(c0, r0);
        session.mouseButtonPressed();
        session.mouse().leftDown(px(c0), py(r0), down);
        hover(c0 + (c1 > c0 ? 1 : c1 < c0 ? -1 : 0), r0 + (r1 > r0 ? 1 : r1 < r0 ? -1 : 0), down);
        hover(c1, r1, down);
        session.mouse().leftUp(px(c1), py(r1), {false, false, false, shift});
        session.mouseButtonReleased();
    }
    void rightClick(int c, int r) {
        hover(c, r);
        session.mouseButtonPressed();
        session.mouse().rightDown(px(c), py(r), {false, true, false});
        const int command = session.mouse().rightUp(px(c), py(r), {});
        session.mouseButtonReleased();
        if (command != 0) run(command);
    }
    // A press at the first point, moves to the others with the button held, the release at the last.
    void mapDrag(std::vector<int> xy) {
        session.mapInput().mouseMove(xy[0], xy[1], false);
        session.mouseButtonPressed();
        session.mapInput().leftDown(xy[0], xy[1]);
        for (size_t i = 2; i < xy.size(); i += 2) session.mapInput().mouseMove(xy[i], xy[i + 1], true);
        session.mapInput().leftUp(xy.end()[-2], xy.back());
        session.mouseButtonReleased();
    }
    void mapClick(int x, int y) { mapDrag({x, y}); }
    void mapRightClick(int x, int y) {
        session.mouseButtonPressed();
        session.mapInput().rightUp(x, y);
        session.mouseButtonReleased();
    }
    // Presses at from, passes the cells of path with the button held and releases on the last.
    void stroke(CellPos from, std::initializer_list<CellPos> path, bool ctrl = false) {
        hover(from.x, from.y, {false, false, ctrl});
        press(from.x, from.y, ctrl);
        for (CellPos p : path) dragTo(p.x, p.y, ctrl);
        release(path.end()[-1].x, path.end()[-1].y, ctrl);
    }
    CellRecord& at(int c, int r) { return castle.current().object(c, r); }
    void link(int sx, int sy, int slot, int tx, int ty) {
        CellRecord& rec = at(sx, sy);
        rec.links[slot][0] = tx;
        rec.links[slot][1] = ty;
        rec.mark = kMarkPlain;
    }
    std::string field(int id) { return ui.text(WindowId::Main, id); }
    bool visible(int id) { return ui.controlVisible[{WindowId::Main, id}]; }
    bool redrawn(const PixelRect& rect) const {
        return std::ranges::any_of(ui.canvasRedraws, [&](const auto& redraw) { return redraw.first == rect; });
    }
    void useRooms(int count) { for (int r = 0; r < count; ++r) castle.room(r).roomInUse = 1; }
    std::vector<std::pair<int, int>> links(int x, int y) {
        std::vector<std::pair<int, int>> out;
        for (const auto& l : castle.current().object(x, y).links)
            if (l[0] != -1) out.emplace_back(l[0], l[1]);
        return out;
    }
    // The project file image, without the hover highlight (what the mouse shows, not part of the castle).
    std::vector<uint8_t> image() {
        for (Room& room : castle.rooms)
            for (CellRecord& rec : room.objectLayer())
                if (rec.mark == kMarkHighlighted) rec.mark = kMarkPlain;
        return castleFileImage(castle);
    }
};

}  // namespace grusk::test
