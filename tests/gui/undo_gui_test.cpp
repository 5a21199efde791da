// Undo and redo in the desktop program: the Edit menu's "Undo" and "Redo"
// with their keys, greyed when there is nothing, labels naming the step, the
// canvas showing the object again, and the caption's unsaved mark.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include "app/editor_session.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gui/gui_support.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"
#include "ui/qt/room_map_window.h"

namespace grusk {
namespace {

class UndoGuiTest : public ::testing::Test {
protected:
    FakePlatform fake;
    std::unique_ptr<EditorApp> editor;

    void SetUp() override {
        test::qtApp();
        editor = std::make_unique<EditorApp>();
        editor->onQuit = [] {};
        editor->platform().setInteractionDelegate(&fake);
        ASSERT_TRUE(editor->start(test::programDir()));
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        ASSERT_TRUE(test::waitFor([&] { return !editor->session().firstPaintPending(); }));
    }
    void TearDown() override {
        if (editor) editor->roomMapWindow().hide();
        editor.reset();
    }

    MainWindow& window() { return editor->mainWindow(); }
    QWidget* canvas() { return window().canvas(); }
    AppState& app() { return editor->session().app(); }
    CellRecord& at(int c, int r) { return app().castle.current().object(c, r); }
    QAction* undo() { return window().action(kCmdUndo); }
    QAction* redo() { return window().action(kCmdRedo); }

    static QPoint cell(int c, int r) { return {c * kCellPixels + 8, r * kCellPixels + 8}; }
    void hover(QWidget* w, QPoint p) {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
    void ctrlClick(int c, int r) {
        hover(canvas(), cell(c, r));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::ControlModifier, cell(c, r));
    }
    void keys(Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(&window(), key, modifiers); }

    // The canvas pixels of a block of cells as the canvas paints them now.
    std::vector<uint32_t> pixels(int c, int r, int w, int h) {
        canvas()->repaint();
        const RasterImage& image = editor->session().canvas();
        std::vector<uint32_t> out;
        for (int y = r * kCellPixels; y < (r + h) * kCellPixels; ++y)
            for (int x = c * kCellPixels; x < (c + w) * kCellPixels; ++x) {
                const Rgb p = image.pixel(x, y);
                out.push_back(uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b);
            }
        return out;
    }
};

TEST_F(UndoGuiTest, EditMenuStartsWithUndoAndRedoGreyed) {
    auto* edit = window().menuBar()->findChild<QMenu*>("Edit");
    ASSERT_NE(edit, nullptr);
    const QList<QAction*> actions = edit->actions();
    ASSERT_GE(actions.size(), 3);
    EXPECT_EQ(actions[0], undo());
    EXPECT_EQ(actions[1], redo());
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(undo()->text(), "Undo");
    EXPECT_EQ(redo()->text(), "Redo");
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_FALSE(redo()->isEnabled());
    EXPECT_EQ(undo()->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(redo()->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
}

TEST_F(UndoGuiTest, CtrlZAfterACtrlClickDeleteBringsTheObjectBackOnTheCanvas) {
    app().castle.room(0).roomInUse = 1;
    placeObject(app(), kLock, 10, 10);
    selectRoom(app(), 0);
    hover(canvas(), cell(30, 20));
    const auto shown = pixels(10, 10, 2, 2);

    ctrlClick(10, 10);
    ASSERT_EQ(at(10, 10).type, kEmpty);
    const auto gone = pixels(10, 10, 2, 2);
    ASSERT_NE(gone, shown);
    EXPECT_EQ(undo()->text(), "Undo Delete");
    EXPECT_TRUE(undo()->isEnabled());
    EXPECT_FALSE(redo()->isEnabled());
    EXPECT_TRUE(window().windowTitle().startsWith("*"));

    keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(at(10, 10).type, kLock);
    EXPECT_EQ(pixels(10, 10, 2, 2), shown);
    EXPECT_EQ(redo()->text(), "Redo Delete");
    EXPECT_TRUE(redo()->isEnabled());
    EXPECT_FALSE(undo()->isEnabled());
    EXPECT_EQ(undo()->text(), "Undo");
    // Back where the castle started: no unsaved mark.
    EXPECT_FALSE(window().windowTitle().startsWith("*"));

    keys(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(at(10, 10).type, kEmpty);
    EXPECT_EQ(pixels(10, 10, 2, 2), gone);
    keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(at(10, 10).type, kLock);
    keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(at(10, 10).type, kEmpty);
    EXPECT_TRUE(window().windowTitle().startsWith("*"));
}

TEST_F(UndoGuiTest, AMapDragIsOneStepAndUndoShowsItsRoom) {
    window().runCommand(kCmdShowMapper);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor->roomMapWindow()));
    QWidget* map = editor->roomMapWindow().mapArea();
    app().castle.room(0).roomInUse = 1;
    window().runCommand(kCmdNextRoom);  // room 2, not on the map yet
    ASSERT_EQ(app().castle.currentRoom, 1);

    hover(map, QPoint(100, 100));
    QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    for (int i = 1; i <= 10; ++i) {
        const QPoint p(100 + 20 * i, 100 + 15 * i);
        QMouseEvent event(QEvent::MouseMove, QPointF(p), QPointF(map->mapToGlobal(p)), Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(map, &event);
    }
    QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, QPoint(300, 250));
    ASSERT_EQ(app().castle.room(1).roomInUse, 1);
    EXPECT_EQ(undo()->text(), "Undo Create Room");

    window().runCommand(kCmdFirstRoom);
    undo()->trigger();
    EXPECT_EQ(app().castle.room(1).roomInUse, 0);
    EXPECT_EQ(app().castle.currentRoom, 1);
    EXPECT_EQ(redo()->text(), "Redo Create Room");
    redo()->trigger();
    EXPECT_EQ(app().castle.room(1).roomInUse, 1);
}

}  // namespace
}  // namespace grusk
