// The desktop program on the offscreen platform: the main window's layout,
// menus and controls, every menu command by id, the dialogs with their
// 1-based fields, the D64 manager window, the command-line file and the test
// run with a stand-in emulator.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/d64_manager.h"
#include "app/disk_commands.h"
#include "app/door_links.h"
#include "app/object_commands.h"
#include "app/project_commands.h"
#include "app/sample_castle.h"
#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gui/gui_support.h"
#include "model/castle_files.h"
#include "model/safe_file.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/d64_manager_dialog.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_config.h"
#include "ui/qt/room_map_window.h"
#include "ui/qt/tool_windows.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

class GuiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::qtApp(); }

    void SetUp() override {
        cwd_ = fs::current_path();
        editor = std::make_unique<EditorApp>();
        editor->platform().setInteractionDelegate(&fake);
        editor->onQuit = [this] { ++quits; };
        ASSERT_TRUE(editor->start(test::programDir())) << "build the pictures first";
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        ASSERT_TRUE(test::waitFor([&] { return !session().firstPaintPending(); }));
    }
    void TearDown() override {
        editor.reset();
        fs::current_path(cwd_);
    }

    MainWindow& window() { return editor->mainWindow(); }
    EditorSession& session() { return editor->session(); }
    AppState& app() { return session().app(); }
    template <class T = QWidget>
    T* control(int id) const {
        return editor->mainWindow().client()->findChild<T*>(QString::number(id));
    }
    void trigger(int id) {
        QAction* action = window().action(id);
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }
    QString caption() { return window().windowTitle(); }

    FakePlatform fake;
    std::unique_ptr<EditorApp> editor;
    int quits = 0;
    test::TempDir dir;

private:
    fs::path cwd_;
};

TEST_F(GuiTest, MainWindowHasItsControlsAndCanvasInPlace) {
    EXPECT_EQ(window().objectName(), "MainWnd");
    EXPECT_EQ(caption(), "<NO CASTLE LOADED>");
    EXPECT_NE(window().minimumSize(), window().maximumSize()) << "resizable";
    CanvasWidget* canvas = window().canvas();
    // At 100% the canvas lies at (9, 11) of the client area, 640 x 400, unscrolled.
    EXPECT_EQ(canvas->mapTo(window().client(), QPoint(0, 0)), QPoint(9, 11));
    EXPECT_EQ(canvas->size(), QSize(640, 400));
    EXPECT_EQ(window().canvasView()->geometry(), QRect(9, 11, 640, 400));
    EXPECT_TRUE(window().client()->isAncestorOf(canvas));
    EXPECT_GE(window().client()->y(), window().menuBar()->height()) << "client area below the menu bar";

    auto* list = control<QListWidget>(1206);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 28);
    EXPECT_EQ(list->item(0)->text(), "Conveyor Switch");
    EXPECT_EQ(list->item(27)->text(), "Walkway");

    const std::pair<int, const char*> buttons[] = {{1220, "EXIT"}, {1229, "Mapper"}, {1254, "<"}, {1256, "1"},
                                                   {1253, ">"},    {1258, "<<"},     {1257, ">>"}};
    for (const auto& [id, label] : buttons) {
        auto* b = control<QPushButton>(id);
        ASSERT_NE(b, nullptr) << id;
        EXPECT_EQ(b->text(), label);
    }
    for (int id : {1212, 1223}) {
        EXPECT_TRUE(control<QLabel>(id)->isVisible()) << id;
    }
    EXPECT_EQ(control<QLabel>(1251)->text(), "Destination");
    EXPECT_EQ(control<QLabel>(1252)->text(), "Room:");
    EXPECT_EQ(control<QLabel>(1255)->text(), "Door:");
    for (int id : {1251, 1252, 1255}) {
        EXPECT_FALSE(control<QLabel>(id)->isVisible()) << id;
    }
    for (int id : {1101, 1102}) {
        EXPECT_FALSE(control<QLineEdit>(id)->isVisible()) << id;
    }
}

TEST_F(GuiTest, ZoomEntriesScaleTheCanvasAndTheStatusLineFollows) {
    QMenu* view = window().menuBar()->findChild<QMenu*>("View");
    ASSERT_NE(view, nullptr);
    const std::pair<const char*, QKeySequence> entries[] = {{"zoomIn", QKeySequence("Ctrl++")},
                                                            {"zoomOut", QKeySequence("Ctrl+-")},
                                                            {"actualSize", QKeySequence("Ctrl+0")},
                                                            {"fit", QKeySequence()}};
    for (const auto& [name, keys] : entries) {
        QAction* act = view->findChild<QAction*>(name);
        ASSERT_NE(act, nullptr) << name;
        EXPECT_TRUE(view->actions().contains(act)) << name;
        if (!keys.isEmpty()) {
            EXPECT_EQ(act->shortcut(), keys) << name;
        }
    }
    EXPECT_TRUE(view->findChild<QAction*>("zoomIn")->shortcuts().contains(QKeySequence("Ctrl+=")));
    view->findChild<QAction*>("zoomIn")->trigger();
    view->findChild<QAction*>("zoomIn")->trigger();
    EXPECT_EQ(window().zoom(), 200);
    EXPECT_EQ(window().canvas()->size(), QSize(1280, 800));
    EXPECT_TRUE(window().statusLine()->text().endsWith("200%"));
}

TEST_F(GuiTest, FileMenuListsRecentCastlesAndTheListShowsPictures) {
    QMenu* file = window().menuBar()->findChild<QMenu*>("File");
    ASSERT_NE(file, nullptr);
    QMenu* recent = window().recentMenu();
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->title(), "Recent Castles");
    const QList<QAction*> items = file->actions();
    const int at = static_cast<int>(items.indexOf(recent->menuAction()));
    ASSERT_GT(at, 0);
    EXPECT_EQ(items[at - 1]->data().toInt(), kCmdLoadProject);
    session().recentFiles().set({"/castles/a.cas", "/castles/zb.prg"});
    window().syncWithSession();
    ASSERT_EQ(recent->actions().size(), 2);
    EXPECT_TRUE(recent->actions()[1]->text().endsWith("/castles/zb.prg"));

    auto* list = control<QListWidget>(1206);
    const QFontMetrics metrics(list->font());
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        EXPECT_FALSE(item->icon().isNull()) << row;
        // The whole name fits beside the picture.
        EXPECT_LE(list->iconSize().width() + metrics.horizontalAdvance(item->text()),
                  list->viewport()->width() - 8)
            << item->text().toStdString();
    }
    EXPECT_EQ(list->iconSize(), QSize(32, 32));
}

TEST_F(GuiTest, MenusCarryTheCatalogueLabelsIdsAndShortcuts) {
    int count = 0;
    const MenuDef* menus = mainMenuDefs(&count);
    ASSERT_EQ(count, 6);
    for (int m = 0; m < count; ++m) {
        for (int i = 0; i < menus[m].size; ++i) {
            const MenuItem& item = menus[m].items[i];
            if (item.id == 0) continue;  // separator
            QAction* action = window().action(item.id);
            ASSERT_NE(action, nullptr) << item.id;
            EXPECT_EQ(action->text().toStdString(), std::string(item.label));
        }
    }
    const std::pair<int, QKeySequence> keys[] = {
        {kCmdNew, QKeySequence("Ctrl+N")},       {kCmdLoadProject, QKeySequence("Ctrl+O")},
        {kCmdSaveProject, QKeySequence("Ctrl+S")}, {kCmdExit, QKeySequence("Ctrl+Q")},
        {kCmdTestCastle, QKeySequence("F5")},     {kCmdCheckErrors, QKeySequence("F7")},
        {kCmdShowGrid, QKeySequence("Ctrl+G")},   {kCmdShowMapper, QKeySequence("Ctrl+M")},
        {kCmdCut, QKeySequence("Ctrl+X")},        {kCmdCopy, QKeySequence("Ctrl+C")},
        {kCmdPaste, QKeySequence("Ctrl+V")},      {kCmdDuplicate, QKeySequence("Ctrl+D")},
        {kCmdSelectAll, QKeySequence("Ctrl+A")},  {kCmdDeleteSelection, QKeySequence("Del")},
        {kCmdShowLinks, QKeySequence("Ctrl+L")},  {kCmdShowProblems, QKeySequence("F8")},
        {kCmdShowInspector, QKeySequence("F9")},
    };
    for (const auto& [id, seq] : keys) {
        EXPECT_EQ(window().action(id)->shortcut(), seq) << id;
    }
    // The Edit menu starts with Undo and Redo, greyed while there is nothing.
    const QList<QAction*> edit = window().menuBar()->findChild<QMenu*>("Edit")->actions();
    ASSERT_GE(edit.size(), 3);
    EXPECT_EQ(edit[0], window().action(kCmdUndo));
    EXPECT_EQ(edit[1], window().action(kCmdRedo));
    EXPECT_TRUE(edit[2]->isSeparator());
    EXPECT_FALSE(edit[0]->isEnabled());
    EXPECT_FALSE(edit[1]->isEnabled());
    EXPECT_EQ(edit[0]->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(edit[1]->shortcuts(), (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    // Help sits at the right end of the menu bar.
    auto* corner = qobject_cast<QMenuBar*>(window().menuBar()->cornerWidget(Qt::TopRightCorner));
    ASSERT_NE(corner, nullptr);
    ASSERT_EQ(corner->actions().size(), 1);
    EXPECT_EQ(corner->actions()[0]->text(), "Help");
}

TEST_F(GuiTest, EveryMenuCommandRunsWithDialogsAnswered) {
    // Every file dialog is cancelled and every question answered No; the
    // modal windows are closed by their own buttons as soon as they show.
    int count = 0;
    const MenuDef* menus = mainMenuDefs(&count);
    for (int m = 0; m < count; ++m) {
        for (int i = 0; i < menus[m].size; ++i) {
            const int id = menus[m].items[i].id;
            if (id == 0) continue;  // separator
            std::shared_ptr<bool> closed;
            if (id == kCmdSwapWithRoom)
                closed = test::whenShown("IDD_SWAPROOM", [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
            if (id == kCmdCastleSettings)
                closed = test::whenShown("IDD_BASICS", [](QWidget* w) { test::clickButton(w, "1"); });
            if (id == kCmdD64Manager)
                closed = test::whenShown("IDD_MAKEDISC", [](QWidget* w) { test::clickButton(w, "1"); });
            if (id == kCmdAbout)
                closed = test::whenShown("IDD_WELCOME", [](QWidget* w) { test::clickButton(w, "1282"); });
            trigger(id);
            if (closed) {
                EXPECT_TRUE(*closed) << id;
            }
        }
    }
    EXPECT_EQ(quits, 1) << "Exit on an unchanged castle ends without a question";
    EXPECT_TRUE(fake.questionTexts().empty());
    EXPECT_EQ(fake.started.size(), 1u) << "Help; Test Castle stopped at the castle's errors";
    EXPECT_EQ(fake.started[0].path, "xdg-open");
    // Check for Errors and Test Castle both showed the log with the castle's error.
    ASSERT_TRUE(editor->logWindow().isVisible());
    ASSERT_GT(editor->logWindow().list()->count(), 0);
    EXPECT_TRUE(editor->logWindow().list()->item(0)->text().contains("No Rooms defined"));
    // Load Castle, Load/Save Project and Import/Export Room asked for a file;
    // Save Castle and Save to D64 stopped at the castle's errors first.
    EXPECT_EQ(fake.fileDialogs.size(), 5u);
}

TEST_F(GuiTest, PopupMenusAreBuiltFromTheCatalogue) {
    QMenu* menu = buildPopupMenu(kMenuDoor, &window());
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0]->text(), "Door Type");
    ASSERT_NE(actions[0]->menu(), nullptr);
    EXPECT_EQ(actions[0]->menu()->actions()[1]->text(), "Exit Door");
    EXPECT_EQ(actions[0]->menu()->actions()[1]->data().toInt(), kCmdExitDoor);
    EXPECT_EQ(actions[5]->data().toInt(), kCmdPlayer2Start);
    delete menu;
    menu = buildPopupMenu(kMenuLock, &window());
    EXPECT_TRUE(menu->actions()[2]->isSeparator());
    EXPECT_EQ(menu->actions()[3]->menu()->actions()[6]->text(), "yellow");
    delete menu;
}

TEST_F(GuiTest, SettingsDialogShowsOneBasedFieldsAndEndsOnlyThroughOk) {
    app().castle.settings.playerLives[1] = 5;
    app().castle.settings.playerStartDoor[0] = 1;
    auto shown = test::whenShown("IDD_BASICS", [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Settings");
        auto field = [w](int id) { return w->findChild<QLineEdit*>(QString::number(id)); };
        EXPECT_EQ(field(1104)->text(), "5");
        EXPECT_EQ(field(1273)->text(), "2");
        EXPECT_EQ(field(1274)->text(), "1");
        QTest::keyClick(w, Qt::Key_Escape);
        w->close();
        QTest::qWait(10);
        EXPECT_TRUE(w->isVisible()) << "Escape and the close box do nothing";
        field(1275)->setText("12");
        field(1103)->setText("7");
        test::clickButton(w, "1");
    });
    trigger(kCmdCastleSettings);
    EXPECT_TRUE(*shown);
    EXPECT_EQ(app().castle.settings.playerStartRoom[1], 11);
    EXPECT_EQ(app().castle.settings.playerLives[0], 7);
    EXPECT_TRUE(caption().startsWith("*"));
}

TEST_F(GuiTest, DoorPropertiesDialogEditsThePopupDoor) {
    placeObject(app(), kDoor, 4, 4, -1);
    CellRecord& door = app().castle.current().object(4, 4);
    door.destRoom = 2;
    door.destDoor = 0;
    door.direction = 3;
    door.mapX = 11;
    app().popupCell = {4, 4};
    auto shown = test::whenShown("IDD_DOORLINK", [](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "Door Properties");
        auto field = [w](int id) { return w->findChild<QLineEdit*>(QString::number(id)); };
        EXPECT_EQ(field(1101)->text(), "3");
        EXPECT_EQ(field(1102)->text(), "1");
        EXPECT_EQ(field(1103)->text(), "11");
        auto* direction = w->findChild<QPushButton*>("1275");
        EXPECT_EQ(direction->text(), "left");
        QTest::mouseClick(direction, Qt::LeftButton);
        EXPECT_EQ(direction->text(), "top");
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
        field(1102)->setText("4");
        test::clickButton(w, "1");
    });
    window().runCommand(kCmdEditDoor);  // from the door's popup menu
    EXPECT_TRUE(*shown);
    EXPECT_EQ(door.destDoor, 3);
    EXPECT_EQ(door.destRoom, 2);
    EXPECT_EQ(door.direction, 0);
}

TEST_F(GuiTest, D64ManagerWindowDrivesItsManager) {
    fs::current_path(dir.path());
    test::writeBytes(dir.file("zone.prg"), std::vector<uint8_t>(300, 1));
    test::writeBytes(dir.file("ztwo.prg"), std::vector<uint8_t>(100, 2));
    test::writeBytes(dir.file("castle.prg"), std::vector<uint8_t>(10, 3));
    const std::string image = dir.file("disk.d64");
    std::ostringstream report;
    ASSERT_EQ(makeImage(image, "test", "01", report), 0);

    auto shown = test::whenShown("IDD_MAKEDISC", [&](QWidget* w) {
        auto* dialog = static_cast<D64ManagerDialog*>(w);
        EXPECT_EQ(w->windowTitle(), "D64 Editor");
        EXPECT_EQ(w->findChild<QLineEdit*>("1101")->text(), "D64 Image File");
        EXPECT_EQ(w->findChild<QLineEdit*>("1102")->text().toStdString(), dir.path().string());
        EXPECT_FALSE(dialog->button(2)->isEnabled());
        EXPECT_FALSE(dialog->button(1278)->isEnabled());
        ASSERT_EQ(dialog->folderList()->count(), 2);
        EXPECT_EQ(dialog->folderList()->item(0)->text(), "zone");

        fake.files = {image};
        test::clickButton(w, "5");  // Open Image
        EXPECT_EQ(w->findChild<QLineEdit*>("1101")->text().toStdString(), image);
        EXPECT_TRUE(dialog->button(2)->isEnabled());
        EXPECT_TRUE(dialog->button(1278)->isEnabled());

        dialog->folderList()->item(0)->setSelected(true);
        dialog->folderList()->item(1)->setSelected(true);
        test::clickButton(w, "2");  // >>
        ASSERT_EQ(dialog->imageList()->count(), 2);
        EXPECT_EQ(dialog->imageList()->item(0)->text(), "zone");
        EXPECT_TRUE(w->findChild<QLabel*>("1281")->text().contains("blocks free"));

        QTest::keyClick(w, Qt::Key_Escape);  // does what Close does, copies nothing
    });
    trigger(kCmdD64Manager);
    EXPECT_TRUE(*shown);
    EXPECT_FALSE(test::visibleWindow("IDD_MAKEDISC"));
    EXPECT_EQ(session().d64Manager().imagePath, image);
    EXPECT_TRUE(fake.messageTexts().empty());
}

TEST_F(GuiTest, AboutShowsThePictureAndAContactLine) {
    auto shown = test::whenShown("IDD_WELCOME", [](QWidget* w) {
        auto* picture = w->findChild<QLabel*>("aboutPicture");
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->pixmap().isNull());
        EXPECT_FALSE(w->findChild<QLabel*>("contact")->text().isEmpty());
        test::clickButton(w, "1282");
    });
    trigger(kCmdAbout);
    EXPECT_TRUE(*shown);
}

TEST_F(GuiTest, LogWindowCloseHidesIt) {
    trigger(kCmdCheckErrors);
    QWidget* log = test::visibleWindow("IDD_LOG");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle(), "Log Window");
    test::clickButton(log, "1282");
    EXPECT_FALSE(log->isVisible());
    EXPECT_EQ(editor->inspectorWindow().windowTitle(), "Inspector");
    EXPECT_FALSE(editor->inspectorWindow().isVisible());
}

TEST_F(GuiTest, CommandLineFileOpensAfterTheFirstPaint) {
    EditorApp second;
    second.platform().setInteractionDelegate(&fake);
    ASSERT_TRUE(second.start(test::programDir()));
    const std::string program = test::sourceDir() + "/examples/sample.prg";
    second.mainWindow().openAfterFirstPaint(QString::fromStdString(program));
    second.mainWindow().show();
    ASSERT_TRUE(test::waitFor([&] { return second.mainWindow().windowTitle().toStdString() == program; }));
    EXPECT_EQ(second.session().app().castle.room(3).roomInUse, 1);
    EXPECT_FALSE(second.mainWindow().windowTitle().startsWith("*"));
}

TEST_F(GuiTest, ConfigurationFileSetsTheEmulator) {
    EXPECT_FALSE(readConfigurationFile(dir.path().string()).fileFound);
    std::ofstream(dir.file("GruskEdit.ini")) << "[Other]\nx=1\n";
    Configuration config = readConfigurationFile(dir.path().string());
    EXPECT_TRUE(config.fileFound);
    EXPECT_FALSE(config.emulatorPath.has_value());
    std::ofstream(dir.file("GruskEdit.ini")) << "[Emulator]\nPath=/opt/vice/bin/x64sc\n";
    config = readConfigurationFile(dir.path().string());
    EXPECT_EQ(config.emulatorPath.value_or(""), "/opt/vice/bin/x64sc");
}

TEST_F(GuiTest, RememberedViewComesBackAndLeavesTheEmulatorAlone) {
    // What the editor remembers by itself does not count as a configuration:
    // the default emulator path stays.
    RememberedView view;
    view.zoom = 200;
    view.mapZoom = 50;
    view.recentFiles = {"/castles/a.cas", "/castles/zb.prg"};
    ASSERT_TRUE(writeRememberedView(dir.path().string(), view));
    EXPECT_FALSE(readConfigurationFile(dir.path().string()).fileFound);

    app().programFolder = dir.path().string();
    editor->restoreView();
    EXPECT_EQ(window().zoom(), 200);
    EXPECT_EQ(window().canvas()->size(), QSize(1280, 800));
    EXPECT_EQ(editor->roomMapWindow().zoom(), 50);
    EXPECT_EQ(session().recentFiles().paths(), (std::vector<std::string>{"/castles/a.cas", "/castles/zb.prg"}));

    // A later change is written back, keeping what else the file holds.
    {
        std::ofstream(dir.file("GruskEdit.ini"), std::ios::app) << "\n[Emulator]\nPath=/opt/x64sc\n";
    }
    window().setZoom(300);
    session().recentFiles().add("/castles/c.cas");
    window().syncWithSession();
    const RememberedView again = readRememberedView(dir.path().string());
    EXPECT_EQ(again.zoom, 300);
    EXPECT_EQ(again.recentFiles.value(0), "/castles/c.cas");
    EXPECT_EQ(readConfigurationFile(dir.path().string()).emulatorPath.value_or(""), "/opt/x64sc");
}

TEST_F(GuiTest, TestCastleStartsTheEmulatorWithTheImagePath) {
    // A program folder of its own, with the game files and a stand-in
    // emulator that writes down its arguments.
    fs::create_directories(dir.path() / "resource");
    fs::create_directories(dir.path() / "d64");
    fs::copy_file(test::sourceDir() + "/data/endroom/endroom.bin", dir.path() / "resource" / "endroom.bin");
    for (const char* name : kGameFiles) test::writeBytes((dir.path() / "d64" / name).string(), {1, 8, 0});
    const std::string emulator = dir.file("emulator.sh");
    std::ofstream(emulator) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" << dir.file("args.part")
                            << "\"\nmv \"" << dir.file("args.part") << "\" \"" << dir.file("args.txt") << "\"\n";
    fs::permissions(emulator, fs::perms::owner_all);
    app().programFolder = dir.path().string();
    app().emulatorPath = emulator;
    buildSampleCastle(app());
    editor->platform().setInteractionDelegate(nullptr);  // the real process start

    QTest::keyClick(&window(), Qt::Key_F5);
    ASSERT_TRUE(test::waitFor([&] { return fs::exists(dir.file("args.txt")); }));
    const std::string image = (dir.path() / "resource" / "test00.d64").string();
    std::ifstream in(dir.file("args.txt"));
    std::string count, arg;
    std::getline(in, count);
    std::getline(in, arg);
    EXPECT_EQ(count, "1");
    EXPECT_EQ(arg, image);
    const auto castles = listImageCastles(image);
    ASSERT_TRUE(castles.has_value());
    EXPECT_NE(std::find(castles->begin(), castles->end(), "ztest00"), castles->end());
}

}  // namespace
}  // namespace grusk
