#include "app/object_commands.h"

#include "gamedata/compiler.h"

namespace grusk {

namespace {

void repaint(AppState& app, const TouchedCells& touched) {
    if (touched.whole)
        invalidateWholeCanvas(app, true);
    else if (touched.any())
        invalidateCells(app, touched.x, touched.y, touched.width, touched.height, true);
}

}  // namespace

int placeObject(AppState& app, int type, int x, int y, int number) {
    TouchedCells touched;
    const int result = placeObject(app.castle, type, x, y, number, &touched);
    repaint(app, touched);
    return result;
}

CellRecord* placeObjectNoRecount(AppState& app, int type, int x, int y, bool force, int* result) {
    TouchedCells touched;
    CellRecord* placed = placeObjectNoRecount(app.castle, type, x, y, force, result, &touched);
    repaint(app, touched);
    return placed;
}

int deleteObjectAt(AppState& app, int x, int y) {
    TouchedCells touched;
    const int removed = deleteObjectAt(app.castle, x, y, &touched);
    repaint(app, touched);
    return removed;
}

void toggleObjectState(AppState& app, int x, int y) { toggleObjectState(app.castle, x, y); }

ObjectMenuChoice objectMenuFor(const AppState& app, int x, int y) { return objectMenuFor(app.castle, x, y); }

int showObjectMenu(AppState& app, int x, int y) {
    const ObjectMenuChoice choice = objectMenuFor(app, x, y);
    if (choice.anchor.x < 0) return 0;
    app.popupCell = choice.anchor;
    if (choice.stepsState) {
        toggleObjectState(app, x, y);
        return 0;
    }
    return app.ui.popupMenu(choice.menuId);
}

void shapeWalkways(AppState& app) { shapeWalkways(app.castle, app.castle.currentRoom); }

void setObjectColour(AppState& app, int commandId) {
    if (CellRecord* rec = app.popupRecord()) setObjectColour(*rec, commandId);
}

void toggleDoubleHeight(AppState& app) {
    if (CellRecord* rec = app.popupRecord()) toggleDoubleHeight(*rec);
}

void textDialogOk(AppState& app, const std::string& typed) {
    CellRecord* rec = app.popupRecord();
    if (!rec) return;
    textDialogOk(*rec, typed);
    invalidateWholeCanvas(app, false);
}

int findRunTop(const AppState& app, int x, int y, int* column, int* top) {
    return findRunTop(app.castle.current(), x, y, column, top);
}

}  // namespace grusk
