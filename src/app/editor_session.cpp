#include "app/editor_session.h"

#include <filesystem>
#include <random>

#include "app/project_commands.h"
#include "editor/catalogue.h"
#include "editor/object_info.h"
#include "editor/draw/room_renderer.h"
#include "editor/draw/selection_frames.h"
#include "model/castle_files.h"
#include "model/safe_file.h"

namespace grusk {

EditorSession::EditorSession(Platform& platform, DialogHost& dialogs)
    : ui_(platform), dialogs_(dialogs), app_(ui_), mouse_(app_), mapInput_(app_), d64_(app_), watch_(app_),
      canvas_(kCanvasWidth, kCanvasHeight) {
    mouse_.attachRoomMap(&mapInput_);
    app_.roomSelected = [this](int room) { watch_.roomSelected(room); };
    castleId_ = (uint64_t(std::random_device{}()) << 32) | std::random_device{}() | 1u;
}

EditorSession::~EditorSession() = default;

bool EditorSession::create(const std::string& programFolder) { return create(singleProgramFolder(programFolder)); }

bool EditorSession::create(const ProgramFolders& folders) {
    app_.programFolder = folders.userFolder;
    app_.dataFolder = folders.installed ? folders.dataFolder : std::string();
    std::string failure;
    if (!pictures_.loadObjectPictures(app_.shippedFolder(), &failure)) {
        ui_.message(failure, kCaptionKvt);
        return false;
    }
    // Without it the editor still edits; only test runs and disks fail later.
    std::string problem;
    if (!prepareUserFolder(folders, &problem)) ui_.message(problem, kCaptionKvt);
    clearCastle(app_);
    startAfresh();
    return true;
}

void EditorSession::firstPaint(const Configuration& config, const std::string& searchPath) {
    if (!firstPaintPending_) return;
    firstPaintPending_ = false;
    std::error_code ec;
    if (!app_.programFolder.empty()) std::filesystem::current_path(app_.programFolder, ec);
    applyConfiguration(app_, config, searchPath);
    ui_.setCaption("<NO CASTLE LOADED>");
    objectList_ = objectListItems();
    ui_.showWindow(WindowId::Log, false);
    ui_.showWindow(WindowId::Inspector, false);
    ui_.showWindow(WindowId::RoomMap, false);
    app_.mapperVisible = false;
    pictures_.loadStartupGraphics(app_.shippedFolder());
    ui_.setControlText(WindowId::Main, kCmdRoomButton, "1");
    paintTitleScreen(canvas_, pictures_);
    titleScreen_ = true;
    canvasRequestsAtTitle_ = ui_.canvasRequests();
    ui_.setCursor(CursorShape::Arrow);
}

bool EditorSession::showingTitleScreen() const {
    return titleScreen_ && ui_.canvasRequests() == canvasRequestsAtTitle_;
}

const RasterImage& EditorSession::paintCanvas() {
    if (showingTitleScreen()) return canvas_;
    titleScreen_ = false;
    CanvasPaintOptions options;
    if (mouse_.pointerOnCanvas()) options.mouseCell = mouse_.mouseCell();
    options.placeType = app_.placeType;
    options.showGrid = app_.showGrid;
    options.showLinks = app_.showLinks;
    if (frameRoom_ >= 0 && frameRoom_ == app_.castle.currentRoom) options.problemObject = frameCell_;
    const PixelRect ghost = grusk::paintCanvas(canvas_, app_.castle, pictures_, options);
    const Selection& selection = mouse_.selection();
    if (!selection.empty() || mouse_.selectionBand())
        drawSelectionFrames(canvas_, app_.castle.current(), selection,
                            mouse_.selectionDragOffset().value_or(std::array<int, 2>{0, 0}), mouse_.selectionBand());
    mouse_.canvasPainted(hasGhost(ghost) ? std::optional<PixelRect>(ghost) : std::nullopt);
    return canvas_;
}

void EditorSession::objectListChosen(int row) {
    if (row < 0 || row >= kPaletteTypes) return;
    mouse_.objectListChosen(row);
}

bool EditorSession::confirmDiscard() {
    if (!app_.castleChanged) return true;
    switch (ui_.ask("Save changes to the castle?", kCaptionKvt, QuestionKind::YesNoCancel)) {
        case Reply::Yes:
            app_.suppressClick = true;
            if (!saveProject(app_)) return false;
            markClean();
            return true;
        case Reply::No:
            return true;
        default:
            return false;
    }
}

bool EditorSession::requestExit() {
    if (!confirmDiscard()) return false;
    quitRequested_ = true;
    dialogs_.quit();
    return true;
}

void EditorSession::awaitDoorMapClick() {
    app_.mapperVisible = true;
    ui_.showWindow(WindowId::RoomMap, true);
    ui_.showWindow(WindowId::MapDoor, true);
}

void EditorSession::markClean() {
    watch_.history().markSaved();
    app_.castleChanged = false;
    syncChangedMark();
}

void EditorSession::startAfresh() {
    watch_.clear();
    mouse_.clearSelection();
    // A new castle: clipboard texts copied from the old one no longer name its rooms.
    castleId_ = (castleId_ * 6364136223846793005ull + 1442695040888963407ull) ^ uint64_t(std::random_device{}());
    if (castleId_ == 0) castleId_ = 1;
    markClean();
    frameRoom_ = -1;
    clickedRoom_ = -1;
    refreshProblems();
}

void EditorSession::historyMoved() {
    app_.castleChanged = !watch_.history().atSavedState();
    syncChangedMark();
    // An edit ends the framing of a problem gone to.
    if (frameRoom_ >= 0) {
        frameRoom_ = -1;
        invalidateWholeCanvas(app_, false);
    }
    refreshProblems();
}

std::string problemCountText(size_t problems) {
    if (problems == 0) return "No problems";
    return std::to_string(problems) + (problems == 1 ? " problem" : " problems");
}

void EditorSession::refreshProblems() {
    std::vector<CastleProblem> now = findCastleProblems(app_.castle);
    if (now != problems_) {
        problems_ = std::move(now);
        ++problemsVersion_;
    }
    std::string text = problemCountText(problems_.size());
    if (text != problemText_) {
        problemText_ = std::move(text);
        ui_.setControlText(WindowId::Main, kCtlProblemCount, problemText_);
    }
}

bool EditorSession::goToProblem(size_t index) {
    if (index >= problems_.size()) return false;
    const CastleProblem& p = problems_[index];
    if (!isValidRoom(p.room)) return false;
    if (p.room != app_.castle.currentRoom) selectRoom(app_, p.room);
    if (p.objectX >= 0) {
        frameRoom_ = p.room;
        frameCell_ = {p.objectX, p.objectY};
    } else {
        frameRoom_ = -1;
    }
    invalidateWholeCanvas(app_, false);
    return true;
}

void EditorSession::canvasClicked() {
    const CellPos cell = mouse_.mouseCell();
    if (!isInsideRoom(cell.x, cell.y)) return;
    clickedRoom_ = app_.castle.currentRoom;
    clickedCell_ = cell;
}

std::vector<std::string> EditorSession::inspectorLines() const {
    const CellPos hover = mouse_.mouseCell();
    if (pointerOnCanvas_ && isInsideRoom(hover.x, hover.y))
        return grusk::inspectorLines(app_.castle, app_.castle.currentRoom, hover.x, hover.y);
    if (clickedRoom_ >= 0) return grusk::inspectorLines(app_.castle, clickedRoom_, clickedCell_.x, clickedCell_.y);
    return {"-"};
}

void EditorSession::syncChangedMark() { ui_.setChangedMark(app_.castleChanged); }

void EditorSession::mouseButtonPressed() { watch_.mousePressed(); }

void EditorSession::mouseButtonReleased() {
    watch_.nameMouseStep(mouse_.takeStepName());
    if (watch_.mouseReleased())
        historyMoved();
    else
        refreshProblems();
    syncChangedMark();
}

bool EditorSession::canUndo() const { return !watch_.open() && watch_.history().canUndo(); }
bool EditorSession::canRedo() const { return !watch_.open() && watch_.history().canRedo(); }

std::string EditorSession::undoLabel() const {
    return canUndo() ? "Undo " + watch_.history().undoName() : std::string("Undo");
}

std::string EditorSession::redoLabel() const {
    return canRedo() ? "Redo " + watch_.history().redoName() : std::string("Redo");
}

void EditorSession::undo() {
    if (!canUndo()) return;
    showStep(watch_.history().undo(app_.castle));
}

void EditorSession::redo() {
    if (!canRedo()) return;
    showStep(watch_.history().redo(app_.castle));
}

void EditorSession::showStep(int room) {
    if (isValidRoom(room)) selectRoom(app_, room);
    invalidateWholeCanvas(app_, true);
    app_.ui.invalidateMap(PixelRect{0, 0, 640, 400}, true);
    historyMoved();
}

}  // namespace grusk
