// The Problems and Inspector windows and the view switches in the desktop
// program (offscreen): lists, ids, activation and the remembered settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "editor/catalogue.h"
#include "app/object_commands.h"
#include "editor/room_editing.h"
#include "gui/gui_support.h"
#include "support/test_support.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_config.h"
#include "ui/qt/tool_windows.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

class StructureGui : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::qtApp();
        // The remembered views go to a test folder, not the user's settings.
        QStandardPaths::setTestModeEnabled(true);
    }
    void SetUp() override {
        cwd_ = fs::current_path();
        writeViewSettings(ViewSettings{});
        editor = std::make_unique<EditorApp>();
        editor->onQuit = [] {};
        ASSERT_TRUE(editor->start(test::programDir())) << "build the pictures first";
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        ASSERT_TRUE(test::waitFor([&] { return !session().firstPaintPending(); }));
    }
    void TearDown() override {
        editor.reset();
        writeViewSettings(ViewSettings{});
        fs::current_path(cwd_);
    }
    MainWindow& window() { return editor->mainWindow(); }
    EditorSession& session() { return editor->session(); }
    AppState& app() { return session().app(); }
    QString statusText() { return window().findChild<QLabel*>(QString::number(kCtlProblemCount))->text(); }

    std::unique_ptr<EditorApp> editor;
    fs::path cwd_;
};

TEST_F(StructureGui, ProblemsWindowListsAndGoesToAProblem) {
    for (int r : {0, 1}) {
        app().castle.room(r).roomInUse = 1;
        selectRoom(app(), r);
        placeObject(app(), kDoor, 0, 0);
        app().castle.room(r).object(0, 0).destRoom = 1 - r;
    }
    placeObject(app(), kForceField, 5, 7);
    selectRoom(app(), 0);
    session().refreshProblems();
    window().runCommand(kCmdShowProblems);

    ToolWindow& problems = editor->problemsWindow();
    EXPECT_EQ(problems.objectName(), "IDD_PROBLEMS");
    EXPECT_TRUE(problems.isVisible());
    EXPECT_EQ(problems.windowTitle(), "Problems - 1 problem");
    EXPECT_EQ(statusText(), "1 problem");
    ASSERT_EQ(problems.list()->count(), 1);
    EXPECT_EQ(problems.list()->item(0)->text(), "Error #1: Unlinked Force Field in Room 2; Position: X: 05 Y: 07");

    // Enter on the row (as a double click does) activates it.
    problems.list()->setCurrentRow(0);
    problems.list()->setFocus();
    QTest::keyClick(problems.list(), Qt::Key_Return);
    EXPECT_EQ(app().castle.currentRoom, 1);
    EXPECT_EQ(session().problemFrameRoom(), 1);
    EXPECT_EQ(window().findChild<QWidget*>(QString::number(kCmdRoomButton))->property("text").toString(), "2");
}

TEST_F(StructureGui, ViewSwitchesAreCheckedAndRemembered) {
    QAction* links = window().action(kCmdShowLinks);
    QAction* labels = window().action(kCmdLabelMap);
    ASSERT_NE(links, nullptr);
    ASSERT_NE(labels, nullptr);
    EXPECT_TRUE(links->isCheckable());
    EXPECT_FALSE(links->isChecked());
    EXPECT_TRUE(labels->isChecked());
    window().runCommand(kCmdShowLinks);
    window().runCommand(kCmdLabelMap);
    EXPECT_TRUE(links->isChecked());
    EXPECT_FALSE(labels->isChecked());
    const ViewSettings saved = readViewSettings();
    EXPECT_TRUE(saved.showLinks);
    EXPECT_FALSE(saved.labelMap);
    // A new run starts with them.
    editor.reset();
    editor = std::make_unique<EditorApp>();
    editor->onQuit = [] {};
    ASSERT_TRUE(editor->start(test::programDir()));
    EXPECT_TRUE(app().showLinks);
    EXPECT_FALSE(app().labelMap);
}

}  // namespace
}  // namespace grusk
