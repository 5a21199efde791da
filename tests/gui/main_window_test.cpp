// The desktop program offscreen: layout, menus, control ids, dialog fields, remembered views.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/object_commands.h"
#include "disk/image_ops.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/d64_manager_dialog.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_config.h"
#include "ui/qt/room_map_window.h"
#include "ui/qt/tool_windows.h"

namespace grusk::test {
namespace {

QWidget* visibleWindow(const QString& objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible()) return w;
    return nullptr;
}

// Runs act on the named window once the modal loop showing it runs; the flag says whether it ran.
std::shared_ptr<bool> whenShown(const QString& objectName, std::function<void(QWidget*)> act) {
    auto ran = std::make_shared<bool>(false);
    QTimer::singleShot(0, [=] {
        if (QWidget* w = visibleWindow(objectName)) {
            *ran = true;
            act(w);
        }
    });
    return ran;
}

void clickButton(QWidget* parent, const QString& objectName) {
    if (auto* button = parent->findChild<QPushButton*>(objectName)) QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace
}  // namespace grusk::test

namespace grusk {
namespace {

namespace fs = std::filesystem;

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {  // one offscreen QApplication for the whole run
        static int argc = 1;
        static char name[] = "test_gui";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        [[maybe_unused]] static auto* qt = new QApplication(argc, argv);
        QStandardPaths::setTestModeEnabled(true);  // remembered views go to a test folder
    }
    void SetUp() override {
        writeViewSettings(ViewSettings{});
        startEditor();
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session().firstPaintPending(); }));
    }
    void TearDown() override { editor.reset(); writeViewSettings(ViewSettings{}); fs::current_path(cwd); }
    void startEditor() {
        editor.reset();
        editor = std::make_unique<EditorApp>();
        editor->platform().setInteractionDelegate(&fake);
        ASSERT_TRUE(editor->start(test::programDir())) << "build the pictures first";
    }
    MainWindow& window() { return editor->mainWindow(); }
    EditorSession& session() { return editor->session(); }
    AppState& app() { return session().app(); }
    template <class T = QWidget>
    T* control(int id) const {
        return editor->mainWindow().client()->findChild<T*>(QString::number(id));
    }
    QMenu* menu(const char* name) { return window().menuBar()->findChild<QMenu*>(name); }

    FakePlatform fake;
    std::unique_ptr<EditorApp> editor;
    test::TempDir dir;
    fs::path cwd = fs::current_path();
};

QLineEdit* lineEdit(QWidget* w, int id) { return w->findChild<QLineEdit*>(QString::number(id)); }

TEST_F(GuiTest, MainWindowHasItsControlsAndCanvasInPlace) {
    EXPECT_EQ(window().objectName() + window().windowTitle(), "MainWnd<NO CASTLE LOADED>");
    EXPECT_NE(window().minimumSize(), window().maximumSize()) << "resizable";
    EXPECT_EQ(QRect(window().canvas()->mapTo(window().client(), QPoint(0, 0)), window().canvas()->size()),
              QRect(9, 11, 640, 400));

    auto* list = control<QListWidget>(1206);
    ASSERT_EQ(list->count(), 28);
    const QFontMetrics metrics(list->font());
    for (int row = 0; row < list->count(); ++row) {
        EXPECT_FALSE(list->item(row)->icon().isNull()) << row;
        EXPECT_LE(32 + metrics.horizontalAdvance(list->item(row)->text()), list->viewport()->width() - 8) << row;
    }
    const std::pair<int, const char*> texts[] = {{1220, "EXIT"}, {1229, "Mapper"}, {1254, "<"},          {1253, ">"},
                                                 {1258, "<<"},   {1257, ">>"},     {1251, "Destination"}};
    for (const auto& [id, text] : texts) EXPECT_EQ(control(id)->property("text").toString(), text) << id;
    for (int id : {1251, 1252, 1255, 1101, 1102}) EXPECT_FALSE(control(id)->isVisible()) << id;
}

TEST_F(GuiTest, MenusCarryTheCatalogueLabelsIdsAndShortcuts) {
    int count = 0;
    const MenuDef* menus = mainMenuDefs(&count);
    for (int m = 0; m < count; ++m)
        for (int i = 0; i < menus[m].size; ++i)
            if (const MenuItem& item = menus[m].items[i]; item.id != 0) {  // not a separator
                ASSERT_NE(window().action(item.id), nullptr) << item.id;
                EXPECT_EQ(window().action(item.id)->text().toStdString(), item.label);
            }
    const std::pair<int, const char*> keys[] = {{kCmdNew, "Ctrl+N"}, {kCmdTestCastle, "F5"}, {kCmdShowGrid, "Ctrl+G"},
                                                {kCmdDeleteSelection, "Del"}, {kCmdUndo, "Ctrl+Z"}};
    for (const auto& [id, seq] : keys) EXPECT_EQ(window().action(id)->shortcut(), QKeySequence(seq)) << id;
    EXPECT_EQ(window().action(kCmdRedo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    // The Edit menu starts with Undo and Redo, greyed while there is nothing.
    const QList<QAction*> edit = menu("Edit")->actions();
    EXPECT_EQ(edit.mid(0, 2), (QList<QAction*>{window().action(kCmdUndo), window().action(kCmdRedo)}));
    EXPECT_TRUE(edit[2]->isSeparator() && !edit[0]->isEnabled());
    // The zoom entries of the View menu; Help at the right end of the menu bar.
    for (const auto& [name, seq] : {std::pair{"zoomIn", "Ctrl++"}, {"actualSize", "Ctrl+0"}})
        EXPECT_EQ(menu("View")->findChild<QAction*>(name)->shortcut(), QKeySequence(seq)) << name;
    auto* corner = qobject_cast<QMenuBar*>(window().menuBar()->cornerWidget(Qt::TopRightCorner));
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->actions().value(0)->text(), "Help");
    // "Recent Castles" follows "Load Project..." and lists the session's files.
    const QList<QAction*> file = menu("File")->actions();
    const auto at = file.indexOf(window().recentMenu()->menuAction());
    ASSERT_GT(at, 0);
    EXPECT_EQ(file[at - 1]->data().toInt(), kCmdLoadProject);
}

// The dialogs show 1-based numbers and end only through OK.
TEST_F(GuiTest, SettingsAndDoorDialogsShowTheirFieldsAndEndOnlyThroughOk) {
    app().castle.settings.playerLives[1] = 5;
    app().castle.settings.playerStartDoor[0] = 1;
    auto shown = test::whenShown("IDD_BASICS", [](QWidget* w) {
        EXPECT_EQ(lineEdit(w, 1104)->text() + lineEdit(w, 1273)->text() + lineEdit(w, 1274)->text(), "521");
        QTest::keyClick(w, Qt::Key_Escape);
        w->close();
        QTest::qWait(10);
        EXPECT_TRUE(w->isVisible());
        lineEdit(w, 1275)->setText("12");
        test::clickButton(w, "1");
    });
    window().action(kCmdCastleSettings)->trigger();
    EXPECT_TRUE(*shown);
    EXPECT_EQ(app().castle.settings.playerStartRoom[1], 11);

    placeObject(app(), kDoor, 4, 4, -1);
    CellRecord& door = app().castle.current().object(4, 4);
    door.destRoom = 2;
    door.direction = 3;
    door.mapX = 11;
    app().popupCell = {4, 4};
    shown = test::whenShown("IDD_DOORLINK", [](QWidget* w) {
        EXPECT_EQ(lineEdit(w, 1101)->text() + lineEdit(w, 1102)->text() + lineEdit(w, 1103)->text(), "3111");
        auto* direction = w->findChild<QPushButton*>("1275");
        EXPECT_EQ(direction->text(), "left");
        QTest::mouseClick(direction, Qt::LeftButton);
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
        lineEdit(w, 1102)->setText("4");
        test::clickButton(w, "1");
    });
    window().runCommand(kCmdEditDoor);  // from the door's popup menu
    EXPECT_TRUE(*shown);
    EXPECT_EQ(door.destDoor, 3);
    EXPECT_EQ(door.direction, 0);
}

TEST_F(GuiTest, D64ManagerWindowDrivesItsManager) {
    fs::current_path(dir.path());
    for (const char* name : {"zone.prg", "ztwo.prg"}) test::writeBytes(dir.file(name), std::vector<uint8_t>(100, 1));
    const std::string image = dir.file("disk.d64");
    ASSERT_EQ(makeImage(image, "test", "01"), 0);
    auto shown = test::whenShown("IDD_MAKEDISC", [&](QWidget* w) {
        auto* dialog = static_cast<D64ManagerDialog*>(w);
        EXPECT_EQ(lineEdit(w, 1102)->text().toStdString(), dir.path().string());
        EXPECT_FALSE(dialog->button(2)->isEnabled() || dialog->button(1278)->isEnabled());
        fake.files = {image};
        test::clickButton(w, "5");  // Open Image
        EXPECT_EQ(lineEdit(w, 1101)->text().toStdString(), image);
        EXPECT_TRUE(dialog->button(2)->isEnabled());
        ASSERT_EQ(dialog->folderList()->count(), 2);
        for (int row : {0, 1}) dialog->folderList()->item(row)->setSelected(true);
        test::clickButton(w, "2");  // >>
        EXPECT_EQ(dialog->imageList()->count(), 2);
        QTest::keyClick(w, Qt::Key_Escape);  // does what Close does
    });
    window().action(kCmdD64Manager)->trigger();
    EXPECT_TRUE(*shown);
    EXPECT_FALSE(test::visibleWindow("IDD_MAKEDISC"));
}

// The zoom and switches are remembered; the remembered view is no configuration file.
TEST_F(GuiTest, ViewsAreRememberedAndTheEmulatorComesFromTheConfiguration) {
    const RememberedView view{{}, 200, {}, 50, {"/castles/a.cas"}};  // zoom 200%, map 50%
    ASSERT_TRUE(writeRememberedView(dir.path().string(), view));
    EXPECT_FALSE(readConfigurationFile(dir.path().string()).fileFound);
    app().programFolder = dir.path().string();
    editor->restoreView();
    EXPECT_EQ(window().canvas()->size(), QSize(1280, 800));
    EXPECT_EQ(editor->roomMapWindow().zoom(), 50);
    ASSERT_EQ(window().recentMenu()->actions().size(), 1);  // the remembered list shows in the menu
    EXPECT_TRUE(window().recentMenu()->actions()[0]->text().endsWith("/castles/a.cas"));
    std::ofstream(dir.file("GruskEdit.ini"), std::ios::app) << "\n[Emulator]\nPath=/opt/x64sc\n";
    menu("View")->findChild<QAction*>("zoomIn")->trigger();
    session().recentFiles().add("/castles/c.cas");
    window().syncWithSession();
    EXPECT_TRUE(window().statusLine()->text().endsWith("300%"));
    EXPECT_EQ(readRememberedView(dir.path().string()).zoom, 300);
    EXPECT_EQ(readConfigurationFile(dir.path().string()).emulatorPath.value_or(""), "/opt/x64sc");

    window().runCommand(kCmdShowLinks);
    window().runCommand(kCmdLabelMap);
    EXPECT_TRUE(window().action(kCmdShowLinks)->isChecked() && !window().action(kCmdLabelMap)->isChecked());
    startEditor();
    EXPECT_TRUE(app().showLinks && !app().labelMap);
}

}  // namespace
}  // namespace grusk
