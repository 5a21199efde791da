// Undo and redo of a step that touched a whole room: "Clear Room" of a room
// filled in every layer, taken back and done again, in the edit history alone
// and through the editor session (room shown, canvas and map redrawn).
// Goal: an undo and a redo together under 1 ms. Also the cost every mouse
// press-to-release pays on a full room when it changes nothing.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/dialog_host.h"
#include "app/editor_session.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/edit_history.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

struct NoDialogs : DialogHost {
    void runCastleSettings(CastleSettingsLogic&) override {}
    void runDoorProperties(DoorPropertiesLogic&) override {}
    void runD64Manager(D64Manager&) override {}
    void runAbout(const RasterImage&) override {}
    std::optional<std::string> runTextDialog(const std::string&) override { return std::nullopt; }
    std::optional<int> runRoomNumberDialog(int) override { return std::nullopt; }
    void quit() override {}
};

// Every cell of the current room used: keys on the object layer, ladders,
// walkways and camouflage.
void fillRoom(AppState& app) {
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            placeObject(app, kKey, x, y);
            placeObject(app, kLadder, x, y);
            placeObject(app, kWalkway, x, y);
            placeObject(app, kCamouflage, x, y);
        }
    shapeWalkways(app);
}

struct Editor {
    FakePlatform ui;
    NoDialogs dialogs;
    EditorSession session{ui, dialogs};
    Editor() {
        session.app().castle.room(0).roomInUse = 1;
        fillRoom(session.app());
        session.runCommand(kCmdClearRoom);
    }
};

void BM_HistoryUndoRedoWholeRoom(benchmark::State& state) {
    FakePlatform ui;
    AppState app(ui);
    fillRoom(app);
    EditHistory history;
    history.begin(app.castle, "Clear Room", {0});
    clearRoom(app.castle, 0);
    history.end(app.castle);
    for (auto _ : state) {
        history.undo(app.castle);
        history.redo(app.castle);
        benchmark::ClobberMemory();
    }
    state.counters["historyKB"] = static_cast<double>(history.bytesUsed()) / 1024.0;
}
BENCHMARK(BM_HistoryUndoRedoWholeRoom)->Unit(benchmark::kMicrosecond);

void BM_SessionUndoRedoClearRoom(benchmark::State& state) {
    auto editor = std::make_unique<Editor>();
    EditorSession& session = editor->session;
    if (session.undoLabel() != "Undo Clear Room") state.SkipWithError("no Clear Room step");
    for (auto _ : state) {
        session.undo();
        session.redo();
        editor->ui.clearRecords();
    }
}
BENCHMARK(BM_SessionUndoRedoClearRoom)->Unit(benchmark::kMicrosecond);

// A click on a full room that changes nothing still copies and compares the room.
void BM_EmptyMouseStepOnFullRoom(benchmark::State& state) {
    auto editor = std::make_unique<Editor>();
    EditorSession& session = editor->session;
    session.undo();  // the room full again
    for (auto _ : state) {
        session.mouseButtonPressed();
        session.mouseButtonReleased();
    }
    if (session.canRedo() != true) state.SkipWithError("the empty step dropped the redo");
}
BENCHMARK(BM_EmptyMouseStepOnFullRoom)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace grusk
